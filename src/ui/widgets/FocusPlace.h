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
    /// The place of the focus inside `content`, or none when the focus is elsewhere. While a dialog
    /// or another window has the focus, the place is that of the control the window gives the focus
    /// back to when it is active again: content built anew meanwhile must keep it.
    static FocusPlace of(const QWidget* content);

    /// Whether the focus was inside the content.
    bool isInside() const { return m_place.has_value(); }

    /// Gives the focus to the widget at the same place in `content`; false when it was inside and
    /// there is no such widget any more.
    bool restoreIn(QWidget& content) const;

private:
    struct Place {
        QString name;
        qsizetype index;
    };
    std::optional<Place> m_place;
};

} // namespace threadhop
