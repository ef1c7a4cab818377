#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Text from outside the program (a feed, a transcript, a folder name, a history field, a tool's
// words) is shown as it is written: never read as markup, never a link. Labels get it through
// Labels::plain; the message boxes and the tooltips, which read markup by themselves, through here.
namespace threadhop::PlainText {

/// A message box with `text` and `informativeText` below it, both drawn as plain text. Qt's own text
/// format reaches only the first: its informative label would still read markup and open the links
/// it finds.
QMessageBox* messageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                        const QString& informativeText, QWidget* parent);

/// `text` as a tooltip that shows it literally, its spaces and line breaks included: a tooltip reads
/// any text that looks like markup as markup. Empty for no tooltip.
QString toolTip(const QString& text);

} // namespace threadhop::PlainText
