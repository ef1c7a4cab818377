#include "AccountMoveSheetContent.h"

#include "theme/Theme.h"
#include "ui/widgets/ElidedLabel.h"
#include "ui/widgets/Labels.h"
#include "ui/widgets/PlainText.h"
#include "ui/widgets/ProgressLine.h"
#include "ui/widgets/RoundedBox.h"
#include "ui/widgets/SymbolLabel.h"
#include "ui/widgets/WrappingText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

template <typename W>
W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel* note(const QString& text, TextStyle style, const QString& name)
{
    return named(Labels::wrapping(Labels::secondary(Labels::plain(text, Theme::font(style)))), name);
}

QVBoxLayout* column(QWidget* widget, int spacing)
{
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QWidget* redLine(const QString& text, const QString& name)
{
    auto* label = new SymbolLabel(Symbol::xmarkOctagonFill, text, Theme::font(TextStyle::callout), Theme::broken());
    return named(label->wrapping(), name);
}

QWidget* accountLabel(const AccountMoveSheetPresenter::AccountLabel& account)
{
    auto* widget = new QWidget;
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(named(Labels::selectable(Labels::plain(account.id, Theme::captionMono())), u"fromId"_s));
    QLabel* signedIn = Labels::selectable(Labels::plain(account.signedIn, Theme::captionMono()));
    Theme::setTextColor(*signedIn, account.signedInColor);
    layout->addWidget(named(signedIn, u"fromSignedIn"_s));
    layout->addStretch(1);
    return widget;
}

QWidget* costSection(const AccountMovePreviewPresenter::Cost& cost)
{
    auto* box = named(new RoundedBox({.opacity = 0.3, .radius = 6, .padding = 8}), u"costSection"_s);
    QVBoxLayout* layout = column(box, 4);
    layout->setContentsMargins(box->padding(), box->padding(), box->padding(), box->padding());
    auto* estimate = new SymbolLabel(Symbol::creditcard, cost.estimate, Theme::font(TextStyle::callout));
    layout->addWidget(named(estimate->wrapping(), u"costEstimate"_s));
    layout->addWidget(note(cost.basis, TextStyle::caption2, u"costBasis"_s));
    layout->addWidget(note(cost.cacheNote, TextStyle::caption, u"cacheNote"_s));
    return box;
}

} // namespace

QWidget* AccountMoveSheetContent::accountsGrid(const QString& session,
                                               const AccountMoveSheetPresenter::AccountLabel& from, QComboBox* picker,
                                               const QString& directory)
{
    const QFont& font = Theme::captionMono();
    auto* grid = named(new QWidget, u"accountsGrid"_s);
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(6);
    layout->setColumnStretch(1, 1);

    picker->setFont(font);
    auto* directoryText = named(new WrappingText(directory, font), u"directoryValue"_s);
    directoryText->setColor(Theme::secondaryText(directoryText->palette()));
    const std::initializer_list<std::pair<QString, QWidget*>> rows{
        {u"Session"_s, named(Labels::selectable(Labels::plain(session, font)), u"sessionValue"_s)},
        {u"From"_s, accountLabel(from)},
        {u"To"_s, picker},
        {u"Directory"_s, directoryText}};
    int row = 0;
    for (const auto& [label, value] : rows) {
        layout->addWidget(Labels::selectable(Labels::secondary(Labels::plain(label, font))), row, 0, Qt::AlignLeft);
        layout->addWidget(value, row, 1, value == picker ? Qt::AlignLeft : Qt::Alignment());
        ++row;
    }
    return grid;
}

QWidget* AccountMoveSheetContent::reading()
{
    return ProgressLine::make(u"Reading the conversation…"_s, u"readingProgress"_s);
}

QWidget* AccountMoveSheetContent::previewError(const QString& text)
{
    return redLine(text, u"previewErrorLabel"_s);
}

QWidget* AccountMoveSheetContent::preview(const AccountMovePreviewPresenter::Cost& cost, const QString& modeSection,
                                          const std::vector<AccountMovePreviewPresenter::Warning>& warnings)
{
    auto* body = new QWidget;
    QVBoxLayout* layout = column(body, 12);
    layout->addWidget(costSection(cost));
    layout->addWidget(note(modeSection, TextStyle::caption, u"modeSection"_s));
    auto* warningList = named(new QWidget, u"warnings"_s);
    QVBoxLayout* lines = column(warningList, 6);
    for (const auto& warning : warnings) {
        auto* line = new SymbolLabel(warning.symbol, warning.text, Theme::font(TextStyle::caption), warning.color);
        line->setToolTip(PlainText::toolTip(warning.toolTip));
        lines->addWidget(named(line->wrapping(), u"warning%1"_s.arg(warning.number)));
    }
    layout->addWidget(warningList);
    return body;
}

QWidget* AccountMoveSheetContent::running()
{
    return ProgressLine::make(u"Moving…"_s, u"movingProgress"_s, true);
}

QWidget* AccountMoveSheetContent::report(const AccountMoveSheetPresenter::Report& report)
{
    auto* body = new QWidget;
    QVBoxLayout* layout = column(body, 8);
    layout->addWidget(
        named(new SymbolLabel(Symbol::checkmarkSealFill, u"Moved"_s, Theme::font(TextStyle::headline), Theme::ok()),
              u"reportTitle"_s));
    layout->addWidget(
        named(Labels::wrapping(Labels::plain(report.message, Theme::font(TextStyle::callout))), u"reportMessage"_s));
    if (report.newSessionId) {
        layout->addWidget(
            named(Labels::wrapping(Labels::selectable(Labels::plain(*report.newSessionId, Theme::captionMono()))),
                  u"newSessionIdText"_s));
    }
    layout->addWidget(note(u"Resume it there with:"_s, TextStyle::caption, u"resumeIntro"_s));
    auto* commandBox = named(new RoundedBox({}), u"resumeCommandBox"_s);
    QVBoxLayout* boxLayout = column(commandBox, 0);
    boxLayout->setContentsMargins(commandBox->padding(), commandBox->padding(), commandBox->padding(),
                                  commandBox->padding());
    boxLayout->addWidget(named(new WrappingText(report.resumeCommand, Theme::captionMono()), u"resumeCommandText"_s));
    layout->addWidget(commandBox);
    layout->addWidget(note(u"A note was written to THREADHOP-MOVES.md in both project folders."_s, TextStyle::caption2,
                           u"movesNote"_s));
    if (report.backup) {
        auto* backup = new ElidedLabel(*report.backup, Qt::ElideMiddle);
        backup->setFont(Theme::font(TextStyle::caption2));
        layout->addWidget(named(Labels::secondary(backup), u"backupLine"_s));
    }
    return body;
}

QWidget* AccountMoveSheetContent::failure(const QString& text)
{
    return redLine(text, u"failureLabel"_s);
}

} // namespace threadhop
