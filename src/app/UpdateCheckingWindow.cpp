#include "UpdateCheckingWindow.h"

#include "theme/Theme.h"
#include "ui/widgets/Labels.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {

UpdateCheckingWindow::UpdateCheckingWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(u"checkingForUpdatesWindow"_s);
    setWindowTitle(u"Checking for Updates…"_s);
    setAttribute(Qt::WA_DeleteOnClose);

    QLabel* text = Labels::plain(u"Checking for Updates…"_s, Theme::font(TextStyle::headline), this);
    text->setObjectName(u"checkingForUpdatesText"_s);
    auto* busy = new QProgressBar(this);
    busy->setObjectName(u"checkingForUpdatesProgress"_s);
    busy->setRange(0, 0); // no steps to count: a bar that moves back and forth
    busy->setTextVisible(false);
    busy->setMinimumWidth(280);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(12);
    layout->addWidget(text);
    layout->addWidget(busy);
}

} // namespace threadhop
