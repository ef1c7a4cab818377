#pragma once

#include "QtPrinters.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextDocument>

#include <ostream>
#include <vector>

namespace threadhop::testing {

/// What a label draws: its text as it is when its format resolves to plain text, otherwise what is
/// left of it once read as markup, and whether that holds a link.
struct DrawnText {
    QString text;
    bool plain = true;
    bool link = false;

    bool operator==(const DrawnText&) const = default;
    friend void PrintTo(const DrawnText& drawn, std::ostream* out)
    {
        *out << (drawn.plain ? "plain " : "markup ") << (drawn.link ? "with a link " : "") << '"'
             << drawn.text.toStdString() << '"';
    }
};

inline DrawnText drawnText(const QLabel& label)
{
    const Qt::TextFormat format = label.textFormat();
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(label.text())))
        return {label.text()};
    QTextDocument document;
    document.setHtml(label.text());
    bool link = false;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            link = link || fragment.fragment().charFormat().isAnchor();
    }
    return {document.toPlainText(), false, link};
}

/// What the labels of `box` draw, in the order the box made them; the icon's label draws no text.
inline std::vector<DrawnText> drawnTexts(const QMessageBox& box)
{
    std::vector<DrawnText> drawn;
    for (const QLabel* label : box.findChildren<QLabel*>()) {
        if (!label->text().isEmpty())
            drawn.push_back(drawnText(*label));
    }
    return drawn;
}

/// The tooltip on the screen, or null.
inline QLabel* shownToolTip()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == u"qtooltip_label" && widget->isVisible())
            return qobject_cast<QLabel*>(widget);
    }
    return nullptr;
}

} // namespace threadhop::testing
