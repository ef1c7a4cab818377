// Renders projects the window could not reach before: a folder whose name is not UTF-8, and
// directories holding a line break or a tab, in the list, the detail, the sheet and the history.
#include "ScreenshotTest.h"
#include "support/ui/TranscriptHome.h"
#include "ui/detail/ProjectDetailView.h"
#include "ui/history/HistoryView.h"
#include "ui/sheets/MigrationSheet.h"
#include "ui/window/RootView.h"

#include "core/encoding/CwdCodec.h"
#include "core/operations/MigrationAudit.h"

#include <QPushButton>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using testing::child;
using testing::waitUntil;

using ScreenshotUnusualNamesTest = testing::ScreenshotTest;

TEST_F(ScreenshotUnusualNamesTest, NotUtf8AndControlCharacters)
{
    const auto fixture = testing::TranscriptHome::write(home());
    const std::string latin1 = "-home-ana-caf\xe9";
    testing::writeFile(fixture.projects() / latin1 / "s.jsonl", testing::cwdLine(fixture.readyCwd));
    const std::string twoLines = "/nonexistent-threadhop-fixture/two\nlines\tand a tab";
    testing::writeFile(fixture.folderOf(twoLines) / "s.jsonl",
                       testing::cwdLine("/nonexistent-threadhop-fixture/two\\nlines\\tand a tab"));
    const std::string newCwd = fixture.readyCwd + "/two\nlines";
    MigrationAudit::append({.id = Uuid::random(),
                            .timestamp = std::chrono::system_clock::now(),
                            .accountId = "claude",
                            .oldCwd = twoLines,
                            .newCwd = newCwd,
                            .oldFolder = CwdCodec::encode(twoLines),
                            .newFolder = CwdCodec::encode(newCwd),
                            .dryRun = true,
                            .success = true});

    ThreadhopApp app(AppEnvironment::Discovery::standard(), QUrl());
    RootView& window = app.mainWindow();
    startScanned(app);

    app.environment().setSelectedProjectId("claude:" + latin1);
    save(window, "not-utf8-detail.png");
    app.environment().setSelectedProjectId("claude:" + CwdCodec::encode(twoLines));
    save(window, "control-characters-detail.png");

    app.environment().setSelectedProjectId("claude:" + latin1);
    auto* detail = child<ProjectDetailView>(window, u"projectDetailView"_s);
    detail->setFolderChooser([&](const FolderChooser::Question&, QWidget*) {
        return std::optional(QString::fromStdString((home() / "code" / "api").string()));
    });
    child<QPushButton>(window, u"chooseManuallyButton"_s)->click();
    child<QPushButton>(window, u"migrateButton"_s)->click();
    MigrationSheet* sheet = detail->migrationSheet();
    ASSERT_TRUE(waitUntil([&] { return sheet->preview().has_value(); }));
    save(*sheet, "not-utf8-sheet-refused.png");
    sheet->reject();

    window.openHistory();
    save(*window.historyWindow(), "control-characters-history.png");
}

} // namespace
} // namespace threadhop
