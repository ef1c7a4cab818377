#include "FocusPlace.h"

#include <QApplication>
#include <QWidget>

namespace threadhop {

FocusPlace FocusPlace::of(const QWidget* content)
{
    FocusPlace place;
    QWidget* focused = QApplication::focusWidget();
    if (!content || !focused || !content->isAncestorOf(focused) || focused->objectName().isEmpty())
        return place;
    const auto named = content->findChildren<QWidget*>(focused->objectName());
    place.m_place = Place{focused->objectName(), named.indexOf(focused)};
    return place;
}

void FocusPlace::restoreIn(QWidget& content) const
{
    if (!m_place)
        return;
    const auto named = content.findChildren<QWidget*>(m_place->name);
    if (m_place->index < named.size())
        named[m_place->index]->setFocus(Qt::OtherFocusReason);
}

} // namespace threadhop
