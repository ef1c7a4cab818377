#include "ProjectDetailView.h"

#include "DetailActionBar.h"
#include "DetailHeader.h"
#include "DetailPresenter.h"
#include "InfoGrid.h"
#include "MigrationPanel.h"
#include "ResumeHint.h"
#include "TemporaryLocationPanel.h"
#include "ui/sheets/MigrationSheet.h"
#include "ui/widgets/EmptyStateView.h"
#include "ui/widgets/FocusPlace.h"
#include "ui/widgets/FocusRing.h"
#include "ui/widgets/QtText.h"

#include "core/models/ClaudeAccount.h"
#include "core/validation/MoveDetector.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

using Change = AppEnvironment::Change;

std::vector<std::string> searchSuggestions(std::string_view missingCwd)
{
    return MoveDetector::suggestions(missingCwd, MoveDetector::defaultRoots);
}

QVBoxLayout* stack(QWidget* content, int spacing)
{
    auto* layout = new QVBoxLayout;
    layout->setSpacing(spacing);
    layout->addWidget(content);
    return layout;
}

} // namespace

ProjectDetailView::ProjectDetailView(AppEnvironment& env, QWidget* parent)
    : QWidget(parent), m_env(env), m_placeholder(new EmptyStateView(this)), m_scroll(new QScrollArea(this))
{
    setObjectName(u"projectDetailView"_s);
    m_placeholder->setObjectName(u"detailPlaceholder"_s);
    m_placeholder->setState(placeholder());
    m_scroll->setObjectName(u"detailScroll"_s);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A Tab stop of its own: the arrow and page keys scroll a long page.
    new FocusRing(*m_scroll);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_placeholder);
    layout->addWidget(m_scroll);

    connect(&m_env, &AppEnvironment::changed, this, &ProjectDetailView::onChanged);
    m_shownProjectId = m_env.selectedProjectId();
    render();
}

EmptyState ProjectDetailView::placeholder()
{
    return {u"Select a project"_s, Symbol::arrowLeftArrowRightCircle,
            u"Validation, sessions and migration appear here."_s};
}

void ProjectDetailView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The window coming back from the task bar shows the view again, but the user chose nothing new.
    if (event->spontaneous())
        return;
    if (const auto project = m_env.selectedProject())
        reload(*project);
    render();
}

void ProjectDetailView::onChanged(AppEnvironment::Changes what)
{
    if (!what.testAnyFlags(Change::accounts | Change::projectsByAccount | Change::selectedAccountId
                           | Change::selectedProjectId))
        return;
    // Only a different project starts over; a rescan that changes the shown project keeps the choices.
    const auto project = m_env.selectedProject();
    const std::optional<std::string> id = project ? std::optional(project->id) : std::nullopt;
    if (id != m_shownProjectId) {
        m_shownProjectId = id;
        if (project && isVisible())
            reload(*project);
    }
    render();
}

void ProjectDetailView::reload(const ProjectFolder& project)
{
    m_shownProjectId = project.id;
    m_state.reload(project, searchSuggestions);
}

void ProjectDetailView::render()
{
    const auto project = m_env.selectedProject();
    m_placeholder->setVisible(!project);
    m_scroll->setVisible(project.has_value());
    const auto focus = FocusPlace::of(m_scroll->widget());
    // The old content may be the sender of the click that led here, so it goes once that returns.
    if (QWidget* old = m_scroll->takeWidget())
        old->deleteLater();
    if (!project) {
        if (focus.isInside())
            emit focusLeft(rowForFocus());
        m_pageProjectId.clear();
        return;
    }
    m_pageProjectId = project->id;

    auto* page = new QWidget;
    page->setObjectName(u"detailPage"_s);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);
    layout->addLayout(stack(new DetailHeader(*project), 6));
    if (DetailPresenter::pathExists(*project)) {
        auto* actions = new DetailActionBar(*project, m_state.actionNote);
        connect(actions, &DetailActionBar::moveToClicked, this, &ProjectDetailView::chooseDestination);
        layout->addLayout(stack(actions, 6));
    }
    layout->addWidget(new InfoGrid(*project));
    switch (DetailPresenter::panelFor(project->status)) {
    case DetailPresenter::Panel::migration: {
        auto* panel = new MigrationPanel(*project, m_state);
        connect(panel, &MigrationPanel::suggestionClicked, this, &ProjectDetailView::chooseSuggestion);
        connect(panel, &MigrationPanel::chooseManuallyClicked, this, &ProjectDetailView::chooseManually);
        connect(panel, &MigrationPanel::migrateClicked, this, &ProjectDetailView::requestMove);
        layout->addWidget(panel);
        break;
    }
    case DetailPresenter::Panel::temporaryLocation: {
        auto* panel = new TemporaryLocationPanel(*project, m_state.actionNote);
        connect(panel, &TemporaryLocationPanel::giveFolderClicked, this, &ProjectDetailView::chooseDestination);
        layout->addWidget(panel);
        break;
    }
    case DetailPresenter::Panel::resumeHint:
        layout->addWidget(new ResumeHint(DetailPresenter::resumeCommand(*project, m_env.accounts())));
        break;
    }
    layout->addStretch(1);
    // The column never gets narrower than its widest row, which would cut buttons off.
    m_scroll->setMinimumWidth(page->minimumSizeHint().width() + m_scroll->verticalScrollBar()->sizeHint().width());
    m_scroll->setWidget(page);
    if (!focus.restoreIn(*page))
        emit focusLeft(rowForFocus());
}

std::string ProjectDetailView::rowForFocus() const
{
    if (m_repairedFolder) {
        const auto& [accountId, folderName] = *m_repairedFolder;
        for (const auto& project : m_env.projects(accountId)) {
            if (project.folderName == folderName)
                return project.id;
        }
    }
    return m_pageProjectId;
}

void ProjectDetailView::chooseDestination()
{
    const auto project = m_env.selectedProject();
    if (!project)
        return;
    const auto request = m_state.chooseDestination(*project, [this, &project] {
        return chooseFolder(*project, u"Move Here"_s, u"Choose the folder these conversations should belong to."_s);
    });
    render();
    present(request);
}

void ProjectDetailView::chooseManually()
{
    const auto project = m_env.selectedProject();
    if (!project)
        return;
    if (const auto chosen = chooseFolder(*project, u"Choose"_s, u"Choose where this project lives now."_s)) {
        m_state.chosenNewPath = *chosen;
        render();
    }
}

void ProjectDetailView::chooseSuggestion(const QString& path)
{
    m_state.chosenNewPath = toStdString(path);
    render();
}

void ProjectDetailView::requestMove()
{
    const auto project = m_env.selectedProject();
    if (!project)
        return;
    const auto request = m_state.requestMove(*project, m_state.chosenNewPath);
    render();
    present(request);
}

void ProjectDetailView::present(const std::optional<MoveRequest>& request)
{
    if (!request)
        return;
    const ClaudeAccount* account = accountWithId(m_env.accounts(), request->project.accountId);
    m_sheet = new MigrationSheet(
        account ? std::optional(*account) : std::nullopt, request->project, request->oldCwd, request->newCwd, m_engine,
        [&env = m_env] { env.scan(); }, this);
    m_repairedFolder.reset();
    // Closing the sheet runs nothing here: the view changes only through the shared state.
    connect(m_sheet, &QDialog::finished, this, &ProjectDetailView::noteRepairedProject);
    m_sheet->open();
}

void ProjectDetailView::noteRepairedProject()
{
    const auto* done = m_sheet ? std::get_if<SheetPhases::Done>(&m_sheet->phase()) : nullptr;
    if (done && !done->record.dryRun && done->record.success)
        m_repairedFolder = std::pair(done->record.accountId, done->record.newFolder);
}

MigrationSheet* ProjectDetailView::migrationSheet() const
{
    return m_sheet;
}

std::optional<std::string> ProjectDetailView::chooseFolder(const ProjectFolder& project, const QString& prompt,
                                                           const QString& message)
{
    return FolderChooser::choose(m_askFolder, {prompt, message, FolderChooser::startFolder(project.actualCwd)},
                                 window());
}

} // namespace threadhop
