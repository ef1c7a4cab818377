#pragma once

#include "theme/Symbols.h"

#include <QWidget>

namespace threadhop {

/// One suggested directory: a marker that is filled when it is the chosen one, and its path, cut at
/// its head when too long (the whole path in its tooltip). A click anywhere on the row, its empty end
/// included, chooses it. The rows of a panel are one group for the keyboard, as radio buttons are:
/// Tab stops only at the chosen row (at the first while none is), the arrow keys move to the row
/// before or after and choose it, and Space chooses the row that has the focus.
class SuggestionRow final : public QWidget {
    Q_OBJECT

public:
    SuggestionRow(const QString& path, Symbol marker, bool tabStop, QWidget* parent = nullptr);

    const QString& path() const { return m_path; }
    Symbol marker() const { return m_marker; }

signals:
    void clicked(const QString& path);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    SuggestionRow* neighbour(int step) const;

    QString m_path;
    Symbol m_marker;
};

} // namespace threadhop
