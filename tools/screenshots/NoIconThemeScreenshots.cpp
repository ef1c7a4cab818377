// Renders every symbol, the main window and the migration sheet as a desktop without an icon theme
// shows them, where the program's own shapes stand in for the theme's.
#include "ScreenshotTest.h"
#include "support/ui/IconThemes.h"
#include "support/ui/Palettes.h"
#include "support/ui/TranscriptHome.h"
#include "theme/Symbols.h"
#include "ui/detail/ProjectDetailView.h"
#include "ui/sheets/MigrationSheet.h"
#include "ui/window/RootView.h"

#include "core/encoding/CwdCodec.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <memory>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;
using testing::waitUntil;

using ScreenshotNoIconThemeTest = testing::ScreenshotTest;

// In the order of the enumeration.
const char* const symbolNames[]{"arrow.clockwise",
                                "arrow.left.arrow.right.circle",
                                "arrow.right.doc.on.clipboard",
                                "arrow.triangle.branch",
                                "bolt.horizontal.circle.fill",
                                "bubble.left",
                                "bubble.left.and.bubble.right",
                                "checkmark.circle",
                                "checkmark.seal",
                                "checkmark.seal.fill",
                                "chevron.down",
                                "chevron.right",
                                "circle",
                                "clock.arrow.circlepath",
                                "clock.badge.xmark",
                                "creditcard",
                                "doc.on.doc",
                                "doc.text.magnifyingglass",
                                "exclamationmark.octagon.fill",
                                "exclamationmark.triangle",
                                "exclamationmark.triangle.fill",
                                "externaldrive",
                                "folder",
                                "hourglass",
                                "largecircle.fill.circle",
                                "lock",
                                "magnifyingglass",
                                "pencil",
                                "person.2",
                                "person.slash",
                                "square.stack.3d.down.forward",
                                "terminal",
                                "tray.and.arrow.down",
                                "xmark.circle.fill",
                                "xmark.octagon.fill"};
static_assert(std::size(symbolNames) == static_cast<std::size_t>(Symbol::xmarkOctagonFill) + 1);

// Every symbol at the sizes the windows draw it and larger, in the palette's text color.
std::unique_ptr<QWidget> symbolSheet()
{
    auto sheetOwner = std::make_unique<QWidget>();
    QWidget& sheet = *sheetOwner;
    sheet.setAutoFillBackground(true);
    auto* grid = new QGridLayout(&sheet);
    for (int index = 0; index < static_cast<int>(std::size(symbolNames)); ++index) {
        const QIcon icon = Symbols::icon(static_cast<Symbol>(index));
        const int column = (index % 2) * 4;
        const int row = index / 2;
        int place = column;
        for (const int size : {14, 16, 32}) {
            auto* picture = new QLabel;
            picture->setPixmap(icon.pixmap(size, size));
            grid->addWidget(picture, row, place++);
        }
        grid->addWidget(new QLabel(QString::fromLatin1(symbolNames[index])), row, place);
    }
    sheet.show();
    return sheetOwner;
}

TEST_F(ScreenshotNoIconThemeTest, SymbolsMainWindowAndSheet)
{
    const testing::ScopedNoIconTheme noTheme;
    save(*symbolSheet(), "symbols-no-icon-theme.png");
    {
        const testing::ScopedPalette dark(testing::darkPalette());
        save(*symbolSheet(), "symbols-no-icon-theme-dark.png");
    }

    const auto fixture = testing::TranscriptHome::write(home());
    ThreadhopApp app(AppEnvironment::Discovery::standard(), QUrl());
    RootView& window = app.mainWindow();
    startScanned(app);
    save(window, "main-window-no-icon-theme.png");
    app.environment().setSelectedProjectId("claude:" + CwdCodec::encode(fixture.oldAppCwd));
    save(window, "detail-move-detected-no-icon-theme.png");
    app.environment().setSelectedProjectId("claude:" + CwdCodec::encode(fixture.temporaryCwd));
    save(window, "detail-temporary-location-no-icon-theme.png");

    app.environment().setSelectedProjectId("claude:" + CwdCodec::encode(fixture.movedCwd));
    child<QPushButton>(window, u"migrateButton"_s)->click();
    MigrationSheet* sheet = child<ProjectDetailView>(window, u"projectDetailView"_s)->migrationSheet();
    ASSERT_TRUE(waitUntil([&] { return sheet->preview().has_value(); }));
    save(*sheet, "sheet-no-icon-theme.png");
    sheet->reject();
}

} // namespace
} // namespace threadhop
