#pragma once

#include "EmptyState.h"

#include <QWidget>

class QLabel;

namespace threadhop {

/// The empty-content panel: a large faded image, a bold title and a secondary description,
/// centred. Laid over a list or filling a column.
class EmptyStateView final : public QWidget {
    Q_OBJECT

public:
    explicit EmptyStateView(QWidget* parent = nullptr);

    /// Shows `state`, or hides the panel for nothing.
    void setState(const std::optional<EmptyState>& state);

    /// A container that lays this panel over `content` (a list), both filling it.
    QWidget* overContent(QWidget* content);

    QString title() const;
    /// Empty when the state has no description.
    QString description() const;
    Symbol symbol() const { return m_symbol; }

private:
    QLabel* m_image;
    QLabel* m_title;
    QLabel* m_description;
    Symbol m_symbol = Symbol::folder;
};

} // namespace threadhop
