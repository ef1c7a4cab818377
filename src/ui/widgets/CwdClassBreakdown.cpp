#include "CwdClassBreakdown.h"

#include "CwdClassBreakdownPresenter.h"
#include "theme/Symbols.h"
#include "theme/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

QLabel* textLabel(const QString& text, const QFont& font, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    return label;
}

QWidget* rowWidget(const CwdClassBreakdownPresenter::Row& row, QWidget* parent)
{
    auto* widget = new QWidget(parent);
    widget->setObjectName(u"breakdownRow"_s);
    widget->setToolTip(row.tooltip);
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    auto* icon = new QLabel(widget);
    icon->setObjectName(u"breakdownIcon"_s);
    icon->setProperty("symbol", static_cast<int>(row.symbol));
    const int iconSize = QFontMetrics(Theme::font(TextStyle::caption2)).height();
    const QColor tint = row.rewritten ? Theme::warn() : Theme::secondaryText(icon->palette());
    icon->setPixmap(Symbols::tintedPixmap(row.symbol, iconSize, tint));
    layout->addWidget(icon);

    layout->addWidget(textLabel(row.count, Theme::captionMono(), widget));
    layout->addWidget(textLabel(row.title, Theme::font(TextStyle::caption), widget));
    auto* fate = textLabel(row.fate, Theme::font(TextStyle::caption2), widget);
    fate->setObjectName(u"breakdownFate"_s);
    Theme::setTextColor(*fate, Theme::secondaryText(fate->palette()));
    layout->addWidget(fate);
    layout->addStretch(1);
    return widget;
}

} // namespace

CwdClassBreakdown::CwdClassBreakdown(const std::map<CwdClass, std::int64_t>& counts, std::int64_t unparsableLines,
                                     bool rewriteHistory, QWidget* parent)
    : RoundedBox({.opacity = 0.3}, parent)
{
    setObjectName(u"cwdClassBreakdown"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding(), padding(), padding(), padding());
    layout->setSpacing(3);
    for (const auto& row : CwdClassBreakdownPresenter::rows(counts, rewriteHistory))
        layout->addWidget(rowWidget(row, this));
    if (const auto notice = CwdClassBreakdownPresenter::unparsableNotice(unparsableLines)) {
        auto* label = textLabel(*notice, Theme::font(TextStyle::caption2), this);
        label->setObjectName(u"unparsableNotice"_s);
        label->setWordWrap(true);
        Theme::setTextColor(*label, Theme::secondaryText(label->palette()));
        layout->addWidget(label);
    }
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
}

} // namespace threadhop
