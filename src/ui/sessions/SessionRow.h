#pragma once

#include "SessionContext.h"
#include "ui/widgets/RoundedBox.h"

#include "core/models/SessionInfo.h"

class QDialog;
class QLabel;
class QToolButton;

namespace threadhop {

class AppEnvironment;

/// One conversation of the sessions section: its short id, message count and age, and, once
/// expanded, its latest user messages. The expand button is its only control.
class SessionRow final : public RoundedBox {
    Q_OBJECT

public:
    SessionRow(AppEnvironment& env, SessionInfo session, SessionContext context, QWidget* parent = nullptr);

    void setExpanded(bool expanded);

    /// Redraws the age, which follows the clock.
    void showAge();

    /// The row's sheet for moving its conversation to another account, opened window-modal: the
    /// account-move sheet when the row knows its account and project, an empty sheet otherwise.
    /// Nothing in the window asks for it.
    QDialog* presentMoveSheet();

private:
    QWidget* buildDetails() const;

    AppEnvironment& m_env;
    SessionInfo m_session;
    SessionContext m_context;
    bool m_expanded = false;
    QToolButton* m_expand;
    QLabel* m_age;
    QWidget* m_details;
};

} // namespace threadhop
