#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace threadhop {

/// Where the keyboard focus is inside content that is about to be built anew: the focused widget's
/// name and its place among the widgets of that name, so that the same control of the new content
/// can take the focus back (a keyboard user would otherwise be sent elsewhere by every choice).
class FocusPlace final {
public:
    /// The place of the focus inside `content`, or none when the focus is elsewhere.
    static FocusPlace of(const QWidget* content);

    /// Gives the focus to the widget at the same place in `content`, when there is one.
    void restoreIn(QWidget& content) const;

private:
    struct Place {
        QString name;
        qsizetype index;
    };
    std::optional<Place> m_place;
};

} // namespace threadhop
