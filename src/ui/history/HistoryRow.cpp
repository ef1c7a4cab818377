#include "HistoryRow.h"

#include "theme/Theme.h"
#include "ui/widgets/Buttons.h"
#include "ui/widgets/ElidedLabel.h"
#include "ui/widgets/Labels.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/RoundedBox.h"
#include "ui/widgets/StatusDot.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

constexpr int dotSize = 8;
constexpr int reasonMaximumWidth = 260;
constexpr qreal capsuleRadius = 1000; // clamped to half the height: the ends are round

QWidget* badge(const HistoryPresenter::Badge& badge)
{
    auto* box = new RoundedBox({.tint = badge.tint, .opacity = badge.opacity, .radius = capsuleRadius, .padding = 4});
    QLabel* text = Labels::plain(badge.text, Theme::font(TextStyle::caption2, QFont::Bold), box);
    text->setObjectName(u"badge"_s);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(box->padding(), 1, box->padding(), 1);
    layout->addWidget(text);
    return box;
}

QWidget* path(const QString& text, const QColor& color, const QString& name)
{
    auto* label = new ElidedLabel(text, Qt::ElideLeft);
    label->setObjectName(name);
    label->setFont(Theme::captionMono());
    Theme::setTextColor(*label, color);
    return label;
}

QWidget* slotWidget(const HistoryPresenter::RestoreSlot& slot, std::function<void()> restore)
{
    namespace Slots = HistoryPresenter::RestoreSlots;
    if (std::holds_alternative<Slots::Button>(slot)) {
        QPushButton* button = Buttons::plain(u"Restore"_s);
        button->setObjectName(u"restoreButton"_s);
        button->setFont(Theme::font(TextStyle::caption));
        QObject::connect(button, &QPushButton::clicked, button, std::move(restore));
        return button;
    }
    if (const auto* reason = std::get_if<Slots::Reason>(&slot)) {
        QLabel* label = Labels::secondary(Labels::plain(reason->text, Theme::font(TextStyle::caption2)));
        label->setObjectName(u"restoreReason"_s);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        // As wide as the text up to the limit, so that a short reason keeps to one line.
        label->setMinimumWidth(std::min(label->fontMetrics().horizontalAdvance(reason->text) + 1, reasonMaximumWidth));
        label->setMaximumWidth(reasonMaximumWidth);
        return label;
    }
    return nullptr;
}

} // namespace

HistoryRow::HistoryRow(const MigrationRecord& record, const HistoryPresenter::RestoreSlot& slot,
                       std::function<void()> restore, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(u"historyRow"_s);

    auto* header = new QHBoxLayout;
    header->addWidget(new StatusDot(HistoryPresenter::dotColor(record), dotSize), 0, Qt::AlignVCenter);
    QLabel* date = Labels::secondary(
        Labels::plain(HistoryPresenter::timestamp(record.timestamp, QLocale()), Theme::font(TextStyle::caption)));
    date->setObjectName(u"recordDate"_s);
    header->addWidget(date);
    for (const auto& shown : HistoryPresenter::badges(record))
        header->addWidget(badge(shown), 0, Qt::AlignVCenter);
    QLabel* account = Labels::secondary(Labels::plain(toQString(record.accountId), Theme::captionMono()));
    account->setObjectName(u"recordAccount"_s);
    header->addWidget(account);
    header->addStretch(1);
    if (QWidget* end = slotWidget(slot, std::move(restore)))
        header->addWidget(end, 0, Qt::AlignVCenter);

    QLabel* counts =
        Labels::secondary(Labels::plain(HistoryPresenter::countsLine(record), Theme::font(TextStyle::caption2)));
    counts->setObjectName(u"recordCounts"_s);

    auto* lines = new QVBoxLayout(this);
    lines->setContentsMargins(12, 2 + 4, 12, 2 + 4);
    lines->setSpacing(4);
    lines->addLayout(header);
    lines->addWidget(path(toQString(record.oldCwd), Theme::broken(), u"recordOldPath"_s));
    lines->addWidget(path(HistoryPresenter::newPathLine(record), Theme::ok(), u"recordNewPath"_s));
    lines->addWidget(counts);
}

} // namespace threadhop
