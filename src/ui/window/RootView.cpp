#include "RootView.h"

#include "AppStatusBar.h"
#include "WindowPlacement.h"
#include "theme/Symbols.h"
#include "ui/accounts/AccountsSidebar.h"
#include "ui/detail/ProjectDetailView.h"
#include "ui/history/HistoryView.h"
#include "ui/projects/ProjectsListView.h"
#include "ui/state/SettingsFile.h"

#include <QAction>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

constexpr int sidebarMinimum = 220;
constexpr int sidebarIdeal = 270;
constexpr int sidebarMaximum = 360;
constexpr int contentMinimum = 300;
constexpr int contentIdeal = 380;
constexpr int noticeTopPadding = 6;
constexpr QSize idealWindowSize{1180, 720};

// In Qt's own format: a frame kept as a plain rectangle does not restore, and the window opens as at first.
const QString geometryKey = u"mainWindow/geometry"_s;
const QString columnsKey = u"mainWindow/columns"_s;

QWidget* scanningNotice(QWidget* parent)
{
    auto* notice = new QFrame(parent);
    notice->setObjectName(u"scanningNotice"_s);
    notice->setStyleSheet(
        u"#scanningNotice { background: palette(window); border: 1px solid palette(mid); border-radius: 8px; }"_s);
    auto* layout = new QHBoxLayout(notice);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    auto* spinner = new QProgressBar(notice);
    spinner->setRange(0, 0);
    spinner->setTextVisible(false);
    spinner->setFixedSize(60, 8);
    layout->addWidget(spinner);
    auto* label = new QLabel(u"Scanning accounts and projects…"_s, notice);
    label->setObjectName(u"scanningNoticeText"_s);
    layout->addWidget(label);
    return notice;
}

} // namespace

RootView::RootView(AppEnvironment& env, const BuildSettings& build, QWidget* parent)
    : QMainWindow(parent),
      m_env(env),
      m_columns(new QSplitter(Qt::Horizontal)),
      m_history(new QAction(Symbols::icon(Symbol::clockArrowCirclepath), u"History"_s, this)),
      m_rescan(new QAction(Symbols::icon(Symbol::arrowClockwise), u"Rescan"_s, this))
{
    setObjectName(u"rootView"_s);
    setWindowTitle(u"Threadhop"_s);
    setMinimumSize(minimumWindowSize);

    m_history->setObjectName(u"historyAction"_s);
    connect(m_history, &QAction::triggered, this, &RootView::openHistory);
    m_rescan->setObjectName(u"rescanAction"_s);
    connect(m_rescan, &QAction::triggered, this, [this] { m_env.scan(); });

    auto* toolbar = addToolBar(u"Toolbar"_s);
    toolbar->setObjectName(u"mainToolbar"_s);
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    // Its context menu would offer to hide it, and nothing would bring "History" and "Rescan" back.
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer); // the primary actions sit at the trailing edge
    toolbar->addAction(m_history);
    toolbar->addAction(m_rescan);
    // Tool buttons take no focus of their own; without it a keyboard user could never undo a migration.
    for (QAction* action : {m_history, m_rescan}) {
        QWidget* button = toolbar->widgetForAction(action);
        button->setObjectName(action->objectName() + u"Button"_s);
        button->setFocusPolicy(Qt::TabFocus);
    }

    auto* sidebar = new AccountsSidebar(m_env);
    sidebar->setMinimumWidth(sidebarMinimum);
    sidebar->setMaximumWidth(sidebarMaximum);
    auto* projects = new ProjectsListView(m_env);
    projects->setMinimumWidth(contentMinimum);
    m_columns->setObjectName(u"columns"_s);
    m_columns->setChildrenCollapsible(false);
    m_columns->addWidget(sidebar);
    m_columns->addWidget(projects);
    auto* detail = new ProjectDetailView(m_env);
    connect(detail, &ProjectDetailView::focusLeft, projects, &ProjectsListView::focusRow);
    m_columns->addWidget(detail);
    m_columns->setStretchFactor(2, 1);

    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_columns, 1);
    layout->addWidget(divider);
    layout->addWidget(new AppStatusBar(m_env, build));
    setCentralWidget(central);

    m_notice = scanningNotice(central);
    restorePlacement();

    // Tab reads the window as text is read: the toolbar at its top, then the columns from left to
    // right. The window opens with the accounts in focus.
    const QStringList tabOrder{u"historyActionButton"_s, u"rescanActionButton"_s, u"accountsList"_s, u"searchField"_s,
                               u"clearSearchButton"_s,   u"problemsOnlyToggle"_s, u"projectsList"_s, u"detailScroll"_s};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(findChild<QWidget*>(tabOrder[i - 1]), findChild<QWidget*>(tabOrder[i]));
    findChild<QWidget*>(tabOrder[2])->setFocus();

    connect(&m_env, &AppEnvironment::changed, this, &RootView::onChanged);
    onChanged(AppEnvironment::Change::isScanning);
}

void RootView::openHistory()
{
    // A fresh window each time: it reads the history file anew when it appears.
    m_historyWindow = new HistoryView(m_env, this);
    m_historyWindow->open();
}

HistoryView* RootView::historyWindow() const
{
    return m_historyWindow;
}

void RootView::restorePlacement()
{
    const auto settings = SettingsFile::open();
    // The window manager's frame is not known before the window is shown; keepFrameOnScreen fits it then.
    if (!restoreGeometry(settings->value(geometryKey).toByteArray())) {
        const QScreen* primaryScreen = QGuiApplication::primaryScreen();
        const QRect primary = primaryScreen ? primaryScreen->availableGeometry() : QRect(QPoint(), idealWindowSize);
        setGeometry(WindowPlacement::first(idealWindowSize, minimumWindowSize, primary, {}));
    }
    // The splitter shares out its own width, which the window's layouts set only when asked before it is shown.
    layout()->activate();
    centralWidget()->layout()->activate();
    if (!m_columns->restoreState(settings->value(columnsKey).toByteArray()))
        m_columns->setSizes({sidebarIdeal, contentIdeal, m_columns->width() - sidebarIdeal - contentIdeal});
}

void RootView::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    const auto settings = SettingsFile::open();
    settings->setValue(geometryKey, saveGeometry());
    settings->setValue(columnsKey, m_columns->saveState());
}

void RootView::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // A scan already under way will publish; a second one would only repeat it.
    if (m_env.accounts().empty() && !m_env.isScanning())
        m_env.scan();
}

void RootView::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    placeNotice();
}

void RootView::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    keepFrameOnScreen();
}

void RootView::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // A window manager frames a window before it maps it; one placed where asked may never move.
    if (event->type() == QEvent::ActivationChange)
        keepFrameOnScreen();
}

void RootView::keepFrameOnScreen()
{
    if (m_frameKeptOnScreen || !isVisible() || !windowHandle())
        return;
    const QMargins frame = windowHandle()->frameMargins();
    if (frame.isNull())
        return; // not framed (yet)
    m_frameKeptOnScreen = true;
    const QRect available = screen()->availableGeometry();
    if (!WindowPlacement::fits(geometry(), frame, available))
        setGeometry(WindowPlacement::first(size(), minimumWindowSize, available, frame));
}

void RootView::onChanged(AppEnvironment::Changes what)
{
    if (!what.testFlag(AppEnvironment::Change::isScanning))
        return;
    const bool scanning = m_env.isScanning();
    m_rescan->setEnabled(!scanning);
    m_notice->setVisible(scanning);
    if (scanning) {
        placeNotice();
        m_notice->raise();
    }
}

void RootView::placeNotice()
{
    m_notice->adjustSize();
    const QWidget* area = m_notice->parentWidget();
    m_notice->move((area->width() - m_notice->width()) / 2, noticeTopPadding);
}

} // namespace threadhop
