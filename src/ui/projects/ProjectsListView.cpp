#include "ProjectsListView.h"

#include "ProjectListModel.h"
#include "ProjectRowDelegate.h"
#include "ProjectsListPresenter.h"
#include "theme/Symbols.h"
#include "theme/Theme.h"
#include "ui/widgets/Buttons.h"
#include "ui/widgets/EmptyStateView.h"
#include "ui/widgets/FocusRing.h"
#include "ui/widgets/ListSelectionBinding.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/RowPainter.h"

#include "core/discovery/ProjectFilter.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

using Change = AppEnvironment::Change;

constexpr auto ageRefreshInterval = std::chrono::seconds(30);

QWidget* filterBar(QLineEdit* search, QToolButton* clear, QToolButton* problemsOnly, QLabel* toFix, QWidget* parent)
{
    auto* bar = new QWidget(parent);
    auto* rows = new QVBoxLayout(bar);
    rows->setContentsMargins(10, 6, 10, 6);
    rows->setSpacing(6);

    auto* searchRow = new QHBoxLayout;
    searchRow->setSpacing(6);
    auto* magnifier = new QLabel(bar);
    const int iconSize = QFontMetrics(Theme::font(TextStyle::caption)).height();
    magnifier->setPixmap(
        Symbols::tintedPixmap(Symbol::magnifyingglass, iconSize, Theme::secondaryText(bar->palette())));
    searchRow->addWidget(magnifier);
    searchRow->addWidget(search, 1);
    searchRow->addWidget(clear);
    rows->addLayout(searchRow);

    auto* problemsRow = new QHBoxLayout;
    problemsRow->addWidget(problemsOnly);
    problemsRow->addStretch(1);
    problemsRow->addWidget(toFix);
    rows->addLayout(problemsRow);
    return bar;
}

} // namespace

ProjectsListView::ProjectsListView(AppEnvironment& env, QWidget* parent)
    : QWidget(parent),
      m_env(env),
      m_search(new QLineEdit(this)),
      m_clearSearch(new QToolButton(this)),
      m_problemsOnly(new QToolButton(this)),
      m_toFix(new QLabel(this)),
      m_list(new QListView(this)),
      m_model(new ProjectListModel(this)),
      m_emptyState(new EmptyStateView(this)),
      m_ageRefresh(new QTimer(this))
{
    setObjectName(u"projectsListView"_s);

    m_search->setObjectName(u"searchField"_s);
    m_search->setPlaceholderText(u"Search projects"_s);
    m_search->setFrame(false);
    m_search->setFont(Theme::font(TextStyle::callout));
    // Without a frame, a caret alone would show that the field has the focus; the ring keeps clear of the text.
    m_search->setTextMargins(4, 2, 4, 2);
    new FocusRing(*m_search);
    connect(m_search, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_env.setSearchText(toStdString(text)); });
    m_search->installEventFilter(this);

    m_clearSearch->setObjectName(u"clearSearchButton"_s);
    m_clearSearch->setAutoRaise(true);
    m_clearSearch->setIcon(Symbols::icon(Symbol::xmarkCircleFill));
    m_clearSearch->setToolTip(u"Clear the search"_s);
    // Its room stays when it hides, so that the list does not jump at the first keystroke.
    QSizePolicy keepsItsRoom = m_clearSearch->sizePolicy();
    keepsItsRoom.setRetainSizeWhenHidden(true);
    m_clearSearch->setSizePolicy(keepsItsRoom);
    connect(m_clearSearch, &QToolButton::clicked, this, [this] { m_env.setSearchText({}); });

    m_problemsOnly->setObjectName(u"problemsOnlyToggle"_s);
    m_problemsOnly->setCheckable(true);
    m_problemsOnly->setText(u"Problems only"_s);
    m_problemsOnly->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_problemsOnly->setIconSize({14, 14});
    m_problemsOnly->setFont(Theme::font(TextStyle::caption));
    connect(m_problemsOnly, &QToolButton::toggled, this, [this](bool on) { m_env.setShowOnlyProblems(on); });

    m_toFix->setObjectName(u"toFixBadge"_s);
    m_toFix->setFont(Theme::font(TextStyle::caption));
    Theme::setTextColor(*m_toFix, Theme::broken());

    m_list->setObjectName(u"projectsList"_s);
    m_list->setModel(m_model);
    m_list->setItemDelegate(new ProjectRowDelegate(m_list));
    m_list->setUniformItemSizes(true);
    RowPainter::prepareList(*m_list);
    m_selection = new ListSelectionBinding(*m_list, ProjectListModel::IdRole, [this](std::optional<std::string> id) {
        m_env.setSelectedProjectId(std::move(id));
    });

    m_emptyState->setObjectName(u"projectsEmptyState"_s);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(filterBar(m_search, m_clearSearch, m_problemsOnly, m_toFix, this));
    layout->addWidget(divider);
    layout->addWidget(m_emptyState->overContent(m_list), 1);

    // Ages are relative to the clock, not to the data: redraw them now and then.
    m_ageRefresh->setInterval(ageRefreshInterval);
    connect(m_ageRefresh, &QTimer::timeout, m_list->viewport(), qOverload<>(&QWidget::update));
    m_ageRefresh->start();

    connect(&m_env, &AppEnvironment::changed, this, &ProjectsListView::onChanged);
    onChanged(~AppEnvironment::Changes());
}

bool ProjectsListView::eventFilter(QObject* watched, QEvent* event)
{
    // Escape in the search field clears it; in an empty field it goes on to whatever else wants it.
    if (watched == m_search && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !m_search->text().isEmpty()) {
        m_env.setSearchText({});
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ProjectsListView::onChanged(AppEnvironment::Changes what)
{
    const bool listChanged = what.testAnyFlags(Change::projectsByAccount | Change::selectedAccountId
                                               | Change::searchText | Change::showOnlyProblems);
    if (listChanged)
        refilter();
    if (what.testFlag(Change::projectsByAccount)) {
        const auto badge = ProjectsListPresenter::toFixBadge(m_env.totalProblems());
        m_toFix->setText(badge.value_or(QString()));
        m_toFix->setVisible(badge.has_value());
    }
    if (what.testFlag(Change::searchText)) {
        const QString text = toQString(m_env.searchText());
        if (m_search->text() != text)
            m_search->setText(text);
        m_clearSearch->setVisible(ProjectsListPresenter::showsClearButton(m_env.searchText()));
    }
    if (what.testFlag(Change::showOnlyProblems)) {
        m_problemsOnly->setChecked(m_env.showOnlyProblems());
        Buttons::showCheckedState(*m_problemsOnly, Symbol::exclamationmarkTriangle);
    }
    if (listChanged || what.testFlag(Change::selectedProjectId))
        showSelection();
    // Typing shows the first match, however far down the list was scrolled.
    if (what.testFlag(Change::searchText))
        m_list->scrollToTop();
}

void ProjectsListView::refilter()
{
    const auto& all = m_env.projects(m_env.selectedAccountId());
    auto filtered = ProjectFilter::apply(all, m_env.searchText(), m_env.showOnlyProblems());
    const bool filteredIsEmpty = filtered.empty();
    m_model->setProjects(std::move(filtered));
    m_emptyState->setState(ProjectsListPresenter::emptyState(
        m_env.selectedAccountId().has_value(), all, filteredIsEmpty, m_env.searchText(), m_env.showOnlyProblems(),
        m_env.unreadableProjectsFolder(m_env.selectedAccountId())));
}

void ProjectsListView::focusRow(const std::string& projectId)
{
    const int row = m_model->rowOf(projectId);
    if (row >= 0) {
        m_list->selectionModel()->setCurrentIndex(m_model->index(row), QItemSelectionModel::NoUpdate);
        m_list->scrollTo(m_model->index(row));
    }
    m_list->setFocus(Qt::OtherFocusReason);
}

void ProjectsListView::showSelection()
{
    // A project the filter hides stays selected in the shared state: only the user changes it.
    const auto& id = m_env.selectedProjectId();
    m_selection->show(id ? m_model->rowOf(*id) : -1);
}

} // namespace threadhop
