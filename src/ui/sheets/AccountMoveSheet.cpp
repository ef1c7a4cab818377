#include "AccountMoveSheet.h"

#include "AccountMoveSheetContent.h"
#include "theme/Theme.h"
#include "ui/state/AppEnvironment.h"
#include "ui/widgets/FocusRing.h"
#include "ui/widgets/Labels.h"
#include "ui/widgets/QtText.h"

#include "core/util/format/DateText.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

namespace Presenter = AccountMoveSheetPresenter;

} // namespace

AccountMoveSheet::AccountMoveSheet(AppEnvironment& env, ClaudeAccount source, ProjectFolder project,
                                   SessionInfo session, std::string launchCwd, AccountMoveEngine engine,
                                   QWidget* parent)
    : Sheet([&env] { env.scan(); }, parent),
      m_env(env),
      m_source(std::move(source)),
      m_project(std::move(project)),
      m_session(std::move(session)),
      m_launchCwd(std::move(launchCwd)),
      m_engine(std::move(engine)),
      m_previews(*this),
      m_picker(new QComboBox(this)),
      m_content(new QWidget(this))
{
    setObjectName(u"accountMoveSheet"_s);
    setWindowTitle(u"Move to another account"_s);
    setFixedSize(sheetSize);

    QLabel* title = Labels::plain(u"Move to another account"_s, Theme::font(TextStyle::title2, QFont::DemiBold), this);
    title->setObjectName(u"sheetTitle"_s);
    column().addWidget(title);
    m_picker->setObjectName(u"destinationPicker"_s);
    connect(m_picker, &QComboBox::currentIndexChanged, this, &AccountMoveSheet::chooseTarget);
    column().addWidget(AccountMoveSheetContent::accountsGrid(Presenter::sessionText(m_session),
                                                             Presenter::accountLabel(m_source, palette()), m_picker,
                                                             toQString(m_launchCwd)));
    m_content->setObjectName(u"sheetContent"_s);
    auto* contentLayout = new QVBoxLayout(m_content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    column().addWidget(m_content, 1);

    connect(&primaryButton(), &QPushButton::clicked, this, &AccountMoveSheet::run);
    // The destinations are the shared state's accounts as they stand, so they follow a rescan.
    connect(&m_env, &AppEnvironment::changed, this, [this](AppEnvironment::Changes what) {
        if (!what.testFlag(AppEnvironment::Change::accounts))
            return;
        if (!target()) { // the chosen destination is gone, and what was read for it goes with it
            m_targetId.clear();
            m_preview.reset();
            m_previewError.reset();
        }
        showPicker();
        showContent();
        showMoveButton();
    });
    showPicker();
    showContent();
    showMoveButton();
}

void AccountMoveSheet::showEvent(QShowEvent* event)
{
    Sheet::showEvent(event);
    if (m_appeared)
        return;
    m_appeared = true;
    if (const auto all = candidates(); m_targetId.empty() && !all.empty()) {
        m_targetId = all.front().id;
        showPicker();
    }
    computePreview();
}

std::vector<ClaudeAccount> AccountMoveSheet::candidates() const
{
    return Presenter::candidates(m_env.accounts(), m_source);
}

std::optional<ClaudeAccount> AccountMoveSheet::target() const
{
    return Presenter::target(candidates(), m_targetId);
}

void AccountMoveSheet::chooseTarget(int pickerIndex)
{
    m_targetId = toStdString(m_picker->itemData(pickerIndex).toString());
    // What was read for the other destination says nothing about this one, and "Fork" must not act
    // on a destination whose preview the user has not seen.
    m_preview.reset();
    m_previewError.reset();
    showContent();
    showMoveButton();
    computePreview();
}

void AccountMoveSheet::computePreview()
{
    const auto input = Presenter::makeInput(m_source, target(), m_project, m_session, m_launchCwd, m_choice);
    if (!input) {
        m_preview.reset();
        showContent();
        showMoveButton();
        return;
    }
    m_previews.start<AccountMovePreview>([preview = m_engine.preview, input = *input] { return preview(input); },
                                         [this, targetId = input->target.id](JobOutcome<AccountMovePreview> outcome) {
                                             // What another destination would do is of no use once this one is chosen.
                                             if (targetId != m_targetId)
                                                 return;
                                             if (auto* preview = std::get_if<AccountMovePreview>(&outcome)) {
                                                 m_preview = std::move(*preview);
                                                 m_previewError.reset();
                                             } else {
                                                 m_preview.reset();
                                                 m_previewError = toQString(std::get<JobError>(outcome).text);
                                             }
                                             showContent();
                                             showMoveButton();
                                         });
}

void AccountMoveSheet::run()
{
    const auto input = Presenter::makeInput(m_source, target(), m_project, m_session, m_launchCwd, m_choice);
    if (!input)
        return;
    const std::string stamp = DateText::localStamp(std::chrono::system_clock::now());
    setPhase(SheetPhases::Running{});
    BackgroundJob::run<MigrationRecord>(
        *this, [move = m_engine.move, input = *input, stamp] { return move(input, stamp); },
        [this](JobOutcome<MigrationRecord> outcome) { setPhase(phaseAfter(std::move(outcome))); });
}

void AccountMoveSheet::setPhase(SheetPhase phase)
{
    m_phase = std::move(phase);
    setBackup(backupOf(m_phase));
    setStage(stageOf(m_phase));
    m_picker->setEnabled(stageOf(m_phase) == SheetStage::idle);
    showContent();
}

void AccountMoveSheet::showPicker()
{
    const QSignalBlocker quiet(m_picker);
    m_picker->clear();
    for (const auto& account : candidates())
        m_picker->addItem(Presenter::pickerText(account), toQString(account.id));
    m_picker->setCurrentIndex(m_picker->findData(toQString(m_targetId)));
}

void AccountMoveSheet::showContent()
{
    QWidget* body = nullptr;
    if (const auto* done = std::get_if<SheetPhases::Done>(&m_phase)) {
        const auto destination = target();
        body = AccountMoveSheetContent::report(
            AccountMoveSheetPresenter::report(done->record, destination ? &*destination : nullptr, m_session));
    } else if (const auto* failed = std::get_if<SheetPhases::Failed>(&m_phase)) {
        body = AccountMoveSheetContent::failure(failed->text);
    } else if (std::holds_alternative<SheetPhases::Running>(m_phase)) {
        body = AccountMoveSheetContent::running();
    } else {
        QWidget* idle = nullptr;
        if (m_previewError) {
            idle = AccountMoveSheetContent::previewError(*m_previewError);
        } else if (m_preview) {
            idle = AccountMoveSheetContent::preview(
                AccountMovePreviewPresenter::cost(*m_preview, target()),
                AccountMovePreviewPresenter::modeSection(m_choice.mode),
                AccountMovePreviewPresenter::warnings(*m_preview, m_source, palette()));
        } else {
            idle = AccountMoveSheetContent::reading();
        }
        // The idle content scrolls; the other phases' content sits at the top of the space.
        auto* page = new QWidget;
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(FocusRing::room, FocusRing::room, FocusRing::room, FocusRing::room);
        layout->addWidget(idle);
        layout->addStretch(1);
        auto* scroll = new QScrollArea;
        scroll->setObjectName(u"idleScroll"_s);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setWidget(page);
        new FocusRing(*scroll);
        body = scroll;
    }
    QLayout* layout = m_content->layout();
    while (QLayoutItem* item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    layout->addWidget(body);
    if (!qobject_cast<QScrollArea*>(body))
        static_cast<QVBoxLayout*>(layout)->addStretch(1);
}

void AccountMoveSheet::showMoveButton()
{
    primaryButton().setText(Presenter::moveButtonTitle(m_choice.mode));
    primaryButton().setEnabled(Presenter::canMove(target(), m_preview, m_previewError, m_choice.trim));
}

} // namespace threadhop
