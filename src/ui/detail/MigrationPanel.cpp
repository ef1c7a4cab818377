#include "MigrationPanel.h"

#include "DetailPresenter.h"
#include "SuggestionRow.h"
#include "theme/Theme.h"
#include "ui/widgets/Buttons.h"
#include "ui/widgets/ElidedLabel.h"
#include "ui/widgets/Labels.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/SymbolLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace threadhop {

MigrationPanel::MigrationPanel(const ProjectFolder& project, const DetailState& state, QWidget* parent)
    : RoundedBox({.tint = Theme::broken(), .opacity = 0.06, .radius = 10, .padding = 14}, parent)
{
    setObjectName(u"migrationPanel"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding(), padding(), padding(), padding());
    layout->setSpacing(10);
    layout->addWidget(new SymbolLabel(Symbol::exclamationmarkTriangleFill, u"Move detected"_s,
                                      Theme::font(TextStyle::headline), Theme::broken(), this));
    QLabel* explanation = Labels::wrapping(Labels::secondary(
        Labels::plain(DetailPresenter::migrationExplanation(project.status), Theme::font(TextStyle::callout), this)));
    explanation->setObjectName(u"migrationExplanation"_s);
    layout->addWidget(explanation);

    if (state.suggestions.empty()) {
        QLabel* none = Labels::secondary(
            Labels::plain(u"No automatic suggestion — pick one manually."_s, Theme::font(TextStyle::caption), this));
        none->setObjectName(u"noSuggestion"_s);
        layout->addWidget(none);
    }
    const std::size_t tabStop = DetailPresenter::suggestionTabStop(state.suggestions, state.chosenNewPath);
    for (std::size_t index = 0; index < state.suggestions.size(); ++index) {
        const std::string& suggestion = state.suggestions[index];
        auto* row =
            new SuggestionRow(toQString(suggestion), DetailPresenter::suggestionMarker(suggestion, state.chosenNewPath),
                              index == tabStop, this);
        connect(row, &SuggestionRow::clicked, this, &MigrationPanel::suggestionClicked);
        layout->addWidget(row);
    }

    auto* chooseRow = new QHBoxLayout;
    auto* choose = Buttons::plain(u"Choose folder manually…"_s, std::nullopt, this);
    choose->setObjectName(u"chooseManuallyButton"_s);
    connect(choose, &QPushButton::clicked, this, &MigrationPanel::chooseManuallyClicked);
    chooseRow->addWidget(choose);
    if (!state.chosenNewPath.empty()) {
        auto* chosen = new ElidedLabel(toQString(state.chosenNewPath), Qt::ElideLeft, this);
        chosen->setObjectName(u"chosenPath"_s);
        chosen->setFont(Theme::captionMono());
        chooseRow->addWidget(Labels::secondary(chosen), 1);
    } else {
        chooseRow->addStretch(1);
    }
    layout->addLayout(chooseRow);

    auto* migrate = Buttons::prominent(u"Migrate conversations…"_s, Symbol::arrowRightDocOnClipboard, this);
    migrate->setObjectName(u"migrateButton"_s);
    migrate->setEnabled(DetailPresenter::migrateEnabled(project, state.chosenNewPath));
    connect(migrate, &QPushButton::clicked, this, &MigrationPanel::migrateClicked);
    layout->addWidget(migrate, 0, Qt::AlignLeft);
}

} // namespace threadhop
