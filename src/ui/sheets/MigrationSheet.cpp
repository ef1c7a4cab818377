#include "MigrationSheet.h"

#include "MigrationSheetContent.h"
#include "MigrationSheetPresenter.h"
#include "theme/Theme.h"
#include "ui/widgets/FocusRing.h"
#include "ui/widgets/Labels.h"
#include "ui/widgets/OneLineText.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <filesystem>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

namespace Presenter = MigrationSheetPresenter;

bool isDirectory(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

} // namespace

MigrationSheet::MigrationSheet(std::optional<ClaudeAccount> account, ProjectFolder project, std::string oldCwd,
                               std::string newCwd, MigrationEngine engine, std::function<void()> rescan,
                               QWidget* parent)
    : Sheet(std::move(rescan), parent),
      m_account(std::move(account)),
      m_project(std::move(project)),
      m_oldCwd(std::move(oldCwd)),
      m_newCwd(std::move(newCwd)),
      m_engine(std::move(engine)),
      m_previews(*this),
      m_content(new QScrollArea(this))
{
    setObjectName(u"migrationSheet"_s);
    setWindowTitle(u"Migrate conversations"_s);
    setMinimumSize(minimumSheetSize);
    resize(idealSheetSize);

    QLabel* title = Labels::plain(u"Migrate conversations"_s, Theme::font(TextStyle::title2, QFont::DemiBold), this);
    title->setObjectName(u"sheetTitle"_s);
    column().addWidget(title);
    column().addWidget(MigrationSheetContent::pathsGrid(Presenter::accountLabel(m_account, m_project),
                                                        OneLineText::of(m_oldCwd), OneLineText::of(m_newCwd),
                                                        [oldCwd = m_oldCwd] { return isDirectory(oldCwd); }));

    m_content->setObjectName(u"sheetContent"_s);
    m_content->setWidgetResizable(true);
    m_content->setFrameShape(QFrame::NoFrame);
    m_content->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_content->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    new FocusRing(*m_content);
    column().addWidget(m_content, 1);

    connect(&primaryButton(), &QPushButton::clicked, this, &MigrationSheet::run);
    showContent();
    showPrimaryButton();
}

void MigrationSheet::showEvent(QShowEvent* event)
{
    Sheet::showEvent(event);
    if (!m_previewRequested) {
        m_previewRequested = true;
        computePreview();
    }
}

void MigrationSheet::computePreview()
{
    const auto input = Presenter::makeInput(m_account, m_project, m_oldCwd, m_newCwd);
    if (!input)
        return;
    m_previews.start<MigrationPreview>([preview = m_engine.preview, input = *input] { return preview(input); },
                                       [this](JobOutcome<MigrationPreview> outcome) {
                                           // The engine's preview never fails; a job that threw anyway leaves the
                                           // preview absent.
                                           if (auto* preview = std::get_if<MigrationPreview>(&outcome))
                                               m_preview = std::move(*preview);
                                           if (stageOf(m_phase) == SheetStage::idle)
                                               showContent();
                                           showPrimaryButton();
                                       });
}

void MigrationSheet::run()
{
    const auto input = Presenter::makeInput(m_account, m_project, m_oldCwd, m_newCwd);
    if (!input)
        return;
    const std::string stamp = Presenter::stamp(std::chrono::system_clock::now());
    const bool dryRun = m_dryRun;
    setPhase(SheetPhases::Running{});
    BackgroundJob::run<MigrationRecord>(
        *this,
        [engine = m_engine, input = *input, stamp, dryRun] {
            return dryRun ? engine.dryRun(input) : engine.migrate(input, stamp);
        },
        [this](JobOutcome<MigrationRecord> outcome) { setPhase(phaseAfter(std::move(outcome))); });
}

void MigrationSheet::setPhase(SheetPhase phase)
{
    m_phase = std::move(phase);
    setBackup(backupOf(m_phase));
    setStage(stageOf(m_phase));
    showContent();
}

void MigrationSheet::showContent()
{
    const QString resumeCommand = Presenter::resumeCommand(m_account, m_newCwd);
    QWidget* body = nullptr;
    if (const auto* done = std::get_if<SheetPhases::Done>(&m_phase)) {
        body = MigrationSheetContent::report(done->record, resumeCommand);
    } else if (const auto* failed = std::get_if<SheetPhases::Failed>(&m_phase)) {
        body = MigrationSheetContent::failure(failed->text);
    } else if (std::holds_alternative<SheetPhases::Running>(m_phase)) {
        body = MigrationSheetContent::running();
    } else {
        body =
            MigrationSheetContent::idleBody(m_preview, m_oldCwd == m_newCwd, resumeCommand, m_dryRun, [this](bool on) {
                m_dryRun = on;
                showPrimaryButton();
            });
    }
    // The phase's content sits at the top of the scroll area, which takes the rest of the height.
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(FocusRing::room, FocusRing::room, FocusRing::room, FocusRing::room);
    layout->addWidget(body);
    layout->addStretch(1);
    delete m_content->takeWidget();
    m_content->setWidget(page);
}

void MigrationSheet::showPrimaryButton()
{
    primaryButton().setText(Presenter::migrateButtonTitle(m_dryRun, m_preview));
    primaryButton().setEnabled(Presenter::primaryEnabled(m_account.has_value(), m_preview));
}

} // namespace threadhop
