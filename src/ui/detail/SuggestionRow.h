#pragma once

#include "theme/Symbols.h"

#include <QWidget>

namespace threadhop {

/// One suggested directory: a marker that is filled when it is the chosen one, and its path. A
/// click anywhere on the row, its empty end included, chooses it.
class SuggestionRow final : public QWidget {
    Q_OBJECT

public:
    SuggestionRow(const QString& path, Symbol marker, QWidget* parent = nullptr);

    const QString& path() const { return m_path; }
    Symbol marker() const { return m_marker; }

signals:
    void clicked(const QString& path);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_path;
    Symbol m_marker;
};

} // namespace threadhop
