#include "PlainText.h"

#include <QLabel>

using namespace Qt::StringLiterals;

namespace threadhop {

QMessageBox* PlainText::messageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                                   const QString& informativeText, QWidget* parent)
{
    auto* box = new QMessageBox(icon, title, text, QMessageBox::NoButton, parent);
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(informativeText);
    // Set on the labels that draw the texts, once the box has made them all.
    for (QLabel* label : box->findChildren<QLabel*>()) {
        label->setTextFormat(Qt::PlainText);
        label->setOpenExternalLinks(false);
    }
    return box;
}

QString PlainText::toolTip(const QString& text)
{
    if (text.isEmpty())
        return {};
    return u"<p style=\"white-space:pre\">"_s + text.toHtmlEscaped() + u"</p>"_s;
}

} // namespace threadhop
