#include "FocusPlace.h"

#include <QWidget>

namespace threadhop {

FocusPlace FocusPlace::of(const QWidget* content)
{
    FocusPlace place;
    if (!content)
        return place;
    // The window's focus widget, not the application's: that one is in the dialog while it is open,
    // and in no widget at all between the dialog's closing and the window's activation.
    QWidget* focused = content->window()->focusWidget();
    if (!focused || !content->isAncestorOf(focused) || focused->objectName().isEmpty())
        return place;
    const auto named = content->findChildren<QWidget*>(focused->objectName());
    place.m_place = Place{focused->objectName(), named.indexOf(focused)};
    return place;
}

bool FocusPlace::restoreIn(QWidget& content) const
{
    if (!m_place)
        return true;
    const auto named = content.findChildren<QWidget*>(m_place->name);
    if (m_place->index >= named.size() || !named[m_place->index]->isEnabled())
        return false;
    // In a window that is not active this is where the focus goes once it is.
    named[m_place->index]->setFocus(Qt::OtherFocusReason);
    return true;
}

} // namespace threadhop
