#pragma once

#include "SessionContext.h"

#include "core/models/SessionInfo.h"

#include <QWidget>

#include <vector>

class QTimer;

namespace threadhop {

class AppEnvironment;
class SessionRow;

/// The conversations of one project folder under the heading "Sessions (<count>)", one row each in
/// the given order, or "No sessions.". Holds no state of its own; nothing in the window places it.
class SessionsSection final : public QWidget {
    Q_OBJECT

public:
    SessionsSection(AppEnvironment& env, std::vector<SessionInfo> sessions, SessionContext context,
                    QWidget* parent = nullptr);

    const std::vector<SessionRow*>& rows() const { return m_rows; }

private:
    std::vector<SessionRow*> m_rows;
    QTimer* m_ageRefresh;
};

} // namespace threadhop
