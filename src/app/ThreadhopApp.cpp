#include "ThreadhopApp.h"

#include "app/BuildInfo.h"
#include "app/UpdateCheckingWindow.h"
#include "theme/Symbols.h"
#include "ui/help/HelpWindow.h"
#include "ui/widgets/DesktopFileReveal.h"
#include "ui/widgets/FocusStyle.h"
#include "ui/widgets/PlainText.h"
#include "ui/window/AppStatusBarPresenter.h"
#include "ui/window/RootView.h"
#include "ui/window/WindowPlacement.h"

#include "core/recovery/OperationRecovery.h"
#include "core/util/fs/AppPaths.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

BuildSettings buildSettings()
{
    return {QString::fromUtf8(BuildInfo::version), QString::fromUtf8(BuildInfo::buildNumber),
            QString::fromUtf8(BuildInfo::productPageURL)};
}

} // namespace

ThreadhopApp::ThreadhopApp(AppEnvironment::Discovery discovery, QUrl updateFeed)
    : m_env(std::move(discovery)),
      m_updates(std::move(updateFeed), UpdateController::builtVersion()),
      m_mainWindow(std::make_unique<RootView>(m_env, buildSettings()))
{
    buildMenus(*m_mainWindow->menuBar());
    connect(&m_updates, &UpdateController::started, this, [this] {
        m_checking = new UpdateCheckingWindow(m_mainWindow.get());
        m_checking->show();
    });
    connect(&m_updates, &UpdateController::checked, this, &ThreadhopApp::tellUpdateOutcome);
}

ThreadhopApp::~ThreadhopApp() = default;

void ThreadhopApp::configure(QApplication& application)
{
    QApplication::setApplicationName(u"Threadhop"_s);
    QApplication::setApplicationVersion(QString::fromUtf8(BuildInfo::version));
    QGuiApplication::setDesktopFileName(u"threadhop"_s);
    QApplication::setStyle(new FocusStyle);
    Symbols::prepareIconTheme();
    QApplication::setWindowIcon(Symbols::appIcon());
    application.setQuitOnLastWindowClosed(true);
    DesktopFileReveal::install();
}

void ThreadhopApp::start()
{
    AppPaths::supportDir();
    // Before the first scan looks at the folders: an operation that was killed half-way is put
    // right first (rare, and it may read an archive for a few seconds).
    const auto interrupted = OperationRecovery::run();
    m_mainWindow->show();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
    if (!interrupted.empty())
        tellAboutInterruptedOperations(interrupted);
}

void ThreadhopApp::tellAboutInterruptedOperations(const std::vector<OperationRecovery::Report>& reports)
{
    QStringList texts;
    for (const auto& report : reports)
        texts.append(QString::fromStdString(report.text));
    QMessageBox* box = PlainText::messageBox(QMessageBox::Warning, u"Threadhop"_s,
                                             u"Threadhop was stopped while it was changing your conversations."_s,
                                             texts.join(u"\n\n"_s), m_mainWindow.get());
    box->setObjectName(u"interruptedOperationsAlert"_s);
    box->addButton(QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void ThreadhopApp::openHelp()
{
    if (!m_help) {
        const QString productPage = HelpContent::productPageParagraph(
            QString::fromUtf8(BuildInfo::productPageURL), QString::fromUtf8(BuildInfo::productPageFallback));
        m_help = std::make_unique<HelpWindow>(HelpContent::all(productPage));
    }
    if (!m_help->isVisible())
        m_help->move(WindowPlacement::centred(m_help->size(), m_mainWindow->geometry()));
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void ThreadhopApp::buildMenus(QMenuBar& menuBar)
{
    QMenu* file = menuBar.addMenu(u"&File"_s);
    QAction* quit = file->addAction(u"Quit Threadhop"_s);
    quit->setObjectName(u"quitAction"_s);
    quit->setMenuRole(QAction::QuitRole);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, [] { QApplication::quit(); });

    QMenu* help = menuBar.addMenu(u"&Help"_s);
    QAction* openHelp = help->addAction(u"Threadhop Help"_s);
    openHelp->setObjectName(u"helpAction"_s);
    openHelp->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Question));
    // Also from the help window itself, where pressing it again brings that same window forward.
    openHelp->setShortcutContext(Qt::ApplicationShortcut);
    connect(openHelp, &QAction::triggered, this, &ThreadhopApp::openHelp);
    help->addSeparator();

    // On macOS these two move into the application menu, the update item right after About.
    QAction* about = help->addAction(u"About Threadhop"_s);
    about->setObjectName(u"aboutAction"_s);
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &ThreadhopApp::showAbout);
    QAction* checkForUpdates = help->addAction(u"Check for Updates…"_s);
    checkForUpdates->setObjectName(u"checkForUpdatesAction"_s);
    checkForUpdates->setMenuRole(QAction::ApplicationSpecificRole);
    checkForUpdates->setEnabled(m_updates.canCheckForUpdates());
    connect(&m_updates, &UpdateController::canCheckForUpdatesChanged, checkForUpdates, &QAction::setEnabled);
    connect(checkForUpdates, &QAction::triggered, &m_updates, &UpdateController::checkForUpdates);
}

void ThreadhopApp::tellUpdateOutcome(const UpdateCheck::Outcome& outcome)
{
    if (m_checking)
        m_checking->close();
    const auto said = UpdateCheck::dialog(outcome, QString::fromUtf8(BuildInfo::version));
    const bool failed = std::holds_alternative<UpdateCheck::Outcomes::Failed>(outcome);
    QMessageBox* box = PlainText::messageBox(failed ? QMessageBox::Warning : QMessageBox::Information, said.title,
                                             said.title, said.text, m_mainWindow.get());
    box->setObjectName(u"updateCheckDialog"_s);
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (said.link) {
        QPushButton* open = box->addButton(u"Open in Browser"_s, QMessageBox::AcceptRole);
        open->setObjectName(u"openUpdateLinkButton"_s);
        connect(open, &QPushButton::clicked, this, [link = *said.link] { QDesktopServices::openUrl(link); });
    }
    box->addButton(u"Close"_s, QMessageBox::RejectRole)->setObjectName(u"closeUpdateDialogButton"_s);
    box->open();
}

void ThreadhopApp::showAbout()
{
    QMessageBox* box = PlainText::messageBox(QMessageBox::NoIcon, u"About Threadhop"_s, u"Threadhop"_s,
                                             AppStatusBarPresenter::version(QString::fromUtf8(BuildInfo::version),
                                                                            QString::fromUtf8(BuildInfo::buildNumber)),
                                             m_mainWindow.get());
    box->setObjectName(u"aboutBox"_s);
    box->addButton(QMessageBox::Ok);
    box->setIconPixmap(Symbols::appIcon().pixmap(64, 64));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace threadhop
