// The history window over 2,000 records: opening it (reading the file, judging every record's
// restore, laying out and drawing the list) and a rescan of the accounts while it is open. And a
// history of one project migrated back and forth, 2,000 and 100,000 records long: reading and
// judging it, which must take time in proportion to its length.
#include "ui/history/HistoryListModel.h"
#include "ui/history/HistoryView.h"
#include "ui/state/AppEnvironment.h"

#include "core/operations/MigrationAudit.h"
#include "core/util/format/JSONValue.h"
#include "core/util/format/JSONWriter.h"
#include "core/util/fs/HomeFolder.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <functional>
#include <utility>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

constexpr int recordCount = 2'000;

// Migrations of one account, some merged into a populated folder, some dry runs, some undone, with
// their backups and folders on the disk where a restore would look for them.
void writeHistory(const fs::path& home)
{
    const fs::path projects = home / ".claude" / "projects";
    const fs::path backups = home / "backups";
    fs::create_directories(backups);
    JSONValue::Array records;
    for (int i = 0; i < recordCount; ++i) {
        const std::string name = "service-" + std::to_string(i);
        MigrationRecord record{.id = Uuid::random(),
                               .timestamp = std::chrono::system_clock::now() - std::chrono::minutes(i),
                               .accountId = "claude",
                               .oldCwd = "/home/ana/projects/clients/acme/old/" + name,
                               .newCwd = "/home/ana/projects/clients/acme/new/" + name,
                               .oldFolder = "-home-ana-projects-clients-acme-old-" + name,
                               .newFolder = "-home-ana-projects-clients-acme-new-" + name,
                               .filesRewritten = i % 40,
                               .occurrencesReplaced = i * 7,
                               .dryRun = i % 10 == 3,
                               .success = i % 25 != 7};
        if (i % 2 == 0) {
            record.backupPath = (backups / (name + ".tar.gz")).string();
            std::ofstream(*record.backupPath) << "x";
            fs::create_directories(projects / record.newFolder);
        }
        if (i % 6 == 0)
            record.movedEntryNames = std::vector<std::string>{"a.jsonl", "b.jsonl"};
        if (i % 50 == 1)
            record.message = "Restore from backup (reverts migration 0A1B2C3D)";
        records.push_back(MigrationRecordCoding::encode(record));
    }
    fs::create_directories(MigrationAudit::historyFile().parent_path());
    std::ofstream(MigrationAudit::historyFile()) << JSONWriter::pretty(JSONValue(std::move(records)));
}

// One project migrated back and forth between two directories, every tenth migration undone, each
// record with its backup on the disk.
void writeBackAndForth(const fs::path& home, int count)
{
    const fs::path backup = home / "backups" / "-w-a.tar.gz";
    fs::create_directories(backup.parent_path());
    std::ofstream(backup) << "x";
    fs::create_directories(home / ".claude" / "projects" / "-w-b");
    JSONValue::Array records;
    std::optional<Uuid> undone;
    for (int i = 0; i < count; ++i) {
        const bool there = i % 2 == 0;
        MigrationRecord record{.id = Uuid::random(),
                               .timestamp = std::chrono::system_clock::now() - std::chrono::minutes(i),
                               .accountId = "claude",
                               .oldCwd = there ? "/w/a" : "/w/b",
                               .newCwd = there ? "/w/b" : "/w/a",
                               .oldFolder = there ? "-w-a" : "-w-b",
                               .newFolder = there ? "-w-b" : "-w-a",
                               .filesRewritten = 3,
                               .occurrencesReplaced = 40,
                               .backupPath = backup.string(),
                               .success = true,
                               .message = "Migrated and renamed."};
        // The history is newest first: a restore stands before the migration it reverts.
        if (i % 10 == 0) {
            record.message = "Restore from backup (reverts migration 0A1B2C3D)";
            undone = Uuid::random();
            record.revertsRecordId = undone;
        } else if (undone) {
            record.id = *std::exchange(undone, std::nullopt);
        }
        records.push_back(MigrationRecordCoding::encode(record));
    }
    fs::create_directories(MigrationAudit::historyFile().parent_path());
    std::ofstream(MigrationAudit::historyFile()) << JSONWriter::pretty(JSONValue(std::move(records)));
}

// A temporary home holding such a history.
struct BackAndForthHome {
    QTemporaryDir folder;
    ScopedHomeOverride home{folder.path().toStdString()};

    explicit BackAndForthHome(int count)
    {
        qputenv("XDG_DATA_HOME", folder.filePath(u"data"_qs).toUtf8());
        writeBackAndForth(folder.path().toStdString(), count);
    }
};

void BM_ReadAndJudgeBackAndForth(benchmark::State& state)
{
    const BackAndForthHome home(static_cast<int>(state.range(0)));
    const std::vector<ClaudeAccount> accounts{{.id = "claude", .label = "claude"}};
    for (auto _ : state) {
        HistoryListModel model;
        model.setRecords(MigrationAudit::records(), accounts);
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["records"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_ReadAndJudgeBackAndForth)->Arg(2'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_JudgeBackAndForth(benchmark::State& state)
{
    const BackAndForthHome home(static_cast<int>(state.range(0)));
    const auto records = MigrationAudit::records();
    const std::vector<ClaudeAccount> accounts{{.id = "claude", .label = "claude"}};
    for (auto _ : state) {
        HistoryListModel model;
        model.setRecords(records, accounts);
    }
}
BENCHMARK(BM_JudgeBackAndForth)->Arg(100'000)->Unit(benchmark::kMillisecond);

struct Fixture {
    QTemporaryDir folder;
    ScopedHomeOverride home{folder.path().toStdString()};
    AppEnvironment env{{.scanAccounts = [] { return std::vector<ClaudeAccount>{{.id = "claude", .label = "claude"}}; },
                        .indexProjects = [](const ClaudeAccount&) { return std::vector<ProjectFolder>{}; }}};

    explicit Fixture(const std::function<void(const fs::path& home)>& writeHistoryInto)
    {
        qputenv("XDG_DATA_HOME", folder.filePath(u"data"_qs).toUtf8());
        writeHistoryInto(folder.path().toStdString());
        rescan();
    }

    void rescan()
    {
        env.scan();
        while (env.isScanning())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QCoreApplication::processEvents();
    }
};

// Opens the window, which reads and judges the history, and draws it.
void openWindows(benchmark::State& state, AppEnvironment& env)
{
    for (auto _ : state) {
        auto* view = new HistoryView(env, nullptr);
        view->show();
        QCoreApplication::processEvents();
        view->repaint();
        state.PauseTiming();
        delete view;
        state.ResumeTiming();
    }
}

void BM_OpenHistoryWindowBackAndForth(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    Fixture fixture([&](const fs::path& home) { writeBackAndForth(home, count); });
    openWindows(state, fixture.env);
    state.counters["records"] = count;
}
BENCHMARK(BM_OpenHistoryWindowBackAndForth)->Arg(2'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_OpenHistoryWindow(benchmark::State& state)
{
    Fixture fixture(writeHistory);
    openWindows(state, fixture.env);
    state.counters["records"] = recordCount;
}
BENCHMARK(BM_OpenHistoryWindow)->Unit(benchmark::kMillisecond);

void BM_RescanWithHistoryWindowOpen(benchmark::State& state)
{
    Fixture fixture(writeHistory);
    HistoryView view(fixture.env, nullptr);
    view.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        fixture.rescan();
        view.repaint();
    }
    state.counters["records"] = recordCount;
}
BENCHMARK(BM_RescanWithHistoryWindowOpen)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace threadhop
