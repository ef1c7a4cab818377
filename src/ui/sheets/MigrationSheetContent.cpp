#include "MigrationSheetContent.h"

#include "MigrationSheetPresenter.h"
#include "theme/Theme.h"
#include "ui/widgets/CommandBlock.h"
#include "ui/widgets/ElidedLabel.h"
#include "ui/widgets/Labels.h"
#include "ui/widgets/ProgressLine.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/SymbolLabel.h"
#include "ui/widgets/WrappingText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

namespace Presenter = MigrationSheetPresenter;

QWidget* named(QWidget* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel* captionNote(const QString& text, const QString& name)
{
    QLabel* label = Labels::wrapping(Labels::secondary(Labels::plain(text, Theme::font(TextStyle::caption))));
    label->setObjectName(name);
    return label;
}

QWidget* column(int spacing, std::initializer_list<QWidget*> widgets)
{
    auto* widget = new QWidget;
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget* child : widgets)
        layout->addWidget(child);
    return widget;
}

QWidget* populatedNotice(const MigrationPreview& preview, const QString& resumeCommand)
{
    auto* headline = (new SymbolLabel(Symbol::squareStack3dDownForward, Presenter::populatedHeadline(preview), QFont(),
                                      Theme::warn()))
                         ->wrapping();
    return named(
        column(6,
               {named(headline, u"populatedHeadline"_s),
                captionNote(u"They sit side by side in the same project — nothing is combined, and the "
                            u"conversations already there are not changed. Both folders are archived before "
                            u"the first file moves."_s,
                            u"populatedExplanation"_s),
                captionNote(u"What is already there:"_s, u"populatedCommandIntro"_s), new CommandBlock(resumeCommand)}),
        u"populatedNotice"_s);
}

QWidget* previewLines(const MigrationPreview& preview, bool sameDirectory, const QString& resumeCommand)
{
    auto* counts =
        new SymbolLabel(Symbol::docTextMagnifyingglass, Presenter::previewCountsLine(preview, sameDirectory), QFont());
    const QFont caption = Theme::font(TextStyle::caption);
    auto* action = new SymbolLabel(Symbol::folder, Presenter::actionLine(preview), caption,
                                   Theme::secondaryText(counts->palette()));
    auto* lines = column(10, {named(counts, u"previewCounts"_s), named(action->wrapping(), u"actionLine"_s)});
    if (preview.blockedReason) {
        auto* blocked = new SymbolLabel(Symbol::exclamationmarkOctagonFill, toQString(*preview.blockedReason), QFont(),
                                        Theme::broken());
        lines->layout()->addWidget(named(blocked->wrapping(), u"blockedReason"_s));
    } else if (preview.destinationPopulated) {
        lines->layout()->addWidget(populatedNotice(preview, resumeCommand));
    }
    return lines;
}

} // namespace

QWidget* MigrationSheetContent::pathsGrid(const QString& accountText, const QString& from, const QString& to,
                                          std::function<bool()> fromExists)
{
    const QFont& font = Theme::captionMono();
    auto* grid = new QWidget;
    grid->setObjectName(u"pathsGrid"_s);
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(6);
    layout->setColumnStretch(1, 1);

    auto* account = new WrappingText(accountText, font);
    account->setObjectName(u"accountValue"_s);
    auto* fromValue = new WrappingText(from, font);
    fromValue->setObjectName(u"fromValue"_s);
    fromValue->setColor([fromExists = std::move(fromExists)](const QPalette& palette) {
        return Presenter::fromColor(fromExists(), palette);
    });
    auto* toValue = new WrappingText(to, font);
    toValue->setObjectName(u"toValue"_s);
    toValue->setColor(Theme::ok());
    const std::initializer_list<std::pair<QString, QWidget*>> rows{
        {u"Account"_s, account}, {u"From"_s, fromValue}, {u"To"_s, toValue}};
    int row = 0;
    for (const auto& [label, value] : rows) {
        layout->addWidget(Labels::secondary(Labels::plain(label, font)), row, 0, Qt::AlignLeft);
        layout->addWidget(value, row, 1);
        ++row;
    }
    return grid;
}

QWidget* MigrationSheetContent::idleBody(const std::optional<MigrationPreview>& preview, bool sameDirectory,
                                         const QString& resumeCommand, bool dryRun,
                                         std::function<void(bool)> dryRunToggled)
{
    auto* toggle = new QCheckBox(u"Dry run (simulate only, write nothing)"_s);
    toggle->setObjectName(u"dryRunToggle"_s);
    toggle->setChecked(dryRun);
    QObject::connect(toggle, &QCheckBox::toggled, toggle, std::move(dryRunToggled));
    return column(
        10,
        {preview ? previewLines(*preview, sameDirectory, resumeCommand)
                 : ProgressLine::make(u"Computing preview…"_s, u"previewProgress"_s),
         captionNote(u"Only the session's working directory is rewritten. What tools recorded stays exactly as it "
                     u"was."_s,
                     u"rewriteNote"_s),
         toggle,
         captionNote(u"A .tar.gz backup of the folder is taken first, then rewrite, rename and verification."_s,
                     u"backupNote"_s)});
}

QWidget* MigrationSheetContent::running()
{
    return ProgressLine::make(u"Migrating…"_s, u"runningProgress"_s, true);
}

QWidget* MigrationSheetContent::report(const MigrationRecord& record, const QString& resumeCommand)
{
    const auto title = Presenter::reportTitle(record);
    auto* report =
        column(8,
               {named(new SymbolLabel(title.symbol, title.text, Theme::font(TextStyle::headline), Theme::ok()),
                      u"reportTitle"_s),
                named(Labels::plain(Presenter::reportCountsLine(record), Theme::font(TextStyle::callout)),
                      u"reportCounts"_s)});
    if (const auto backup = Presenter::backupLine(record)) {
        auto* line = new ElidedLabel(*backup, Qt::ElideMiddle);
        line->setFont(Theme::font(TextStyle::caption));
        report->layout()->addWidget(named(Labels::secondary(line), u"backupLine"_s));
    }
    if (!record.dryRun) {
        report->layout()->addWidget(captionNote(u"Resume your conversations with:"_s, u"resumeIntro"_s));
        report->layout()->addWidget(new CommandBlock(resumeCommand));
    }
    return report;
}

QWidget* MigrationSheetContent::failure(const QString& text)
{
    return named((new SymbolLabel(Symbol::xmarkOctagonFill, text, QFont(), Theme::broken()))->wrapping(),
                 u"failureLabel"_s);
}

} // namespace threadhop
