// How long the window goes without handling an event while a migration of about 100 MB of real
// transcripts runs in the background, the whole process pinned to one CPU. A timer asks for a tick
// every millisecond and repaints, at each, a window of the main window's size holding a list long
// enough to scroll (whose scroll bar Qt fills on its global pool); the longest gap between two ticks
// is the longest stall. The same migration as a job on Qt's global pool, in the same run, shows what
// the shared job pool spares the window.
#include "FixtureCorpus.h"
#include "app/ThreadhopApp.h"
#include "ui/jobs/BackgroundJob.h"

#include "core/encoding/CwdCodec.h"
#include "core/migration/ConversationMigrator.h"
#include "core/util/fs/HomeFolder.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sched.h>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t corpusBytes = 100LL << 20;
constexpr const char* movedCwd = "/home/USER/projects/moved/spotter-4te";

// Every thread of the process on its first CPU; the threads and processes started later inherit it.
void pinToOneCpu()
{
    cpu_set_t allowed;
    sched_getaffinity(0, sizeof allowed, &allowed);
    int first = 0;
    while (!CPU_ISSET(first, &allowed))
        ++first;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    for (const auto& task : fs::directory_iterator("/proc/self/task"))
        sched_setaffinity(std::stoi(task.path().filename().string()), sizeof one, &one);
}

struct Setup {
    Setup()
    {
        pinToOneCpu();
        ThreadhopApp::configure(*qApp);
    }

    testing::TempFolder home;
    ScopedHomeOverride homeOverride{home.path()};
    bool dataHomeSet = qputenv("XDG_DATA_HOME", QByteArray::fromStdString((home.path() / "data").string()));
    fs::path projects = home.path() / ".claude" / "projects";
    bench::Corpus corpus = bench::buildCorpus(projects / CwdCodec::encode(bench::corpusCwd), corpusBytes);
    bool atOld = true; // where the corpus is now
    int stamp = 0;

    // The next migration moves the corpus to the other directory; the one after moves it back.
    ConversationMigrator::Input nextMove()
    {
        const std::string from = atOld ? bench::corpusCwd : movedCwd;
        const std::string to = atOld ? movedCwd : bench::corpusCwd;
        atOld = !atOld;
        return {.accountId = "bench",
                .projectsRoot = projects,
                .oldFolderName = CwdCodec::encode(from),
                .oldCwd = from,
                .newCwd = to};
    }
};

Setup& setup()
{
    static Setup instance;
    return instance;
}

// Runs one migration as a background job on `pool` (the shared job pool when null) while the window
// repaints at every tick; returns the longest gap between two ticks, in milliseconds.
double longestStallDuringMigration(QWidget& window, QThreadPool* pool, benchmark::State& state)
{
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longest = 0;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticks, &QTimer::timeout, &ticks, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - lastTick);
        lastTick = now;
        window.update();
    });

    QObject context;
    QEventLoop loop;
    bool succeeded = false;
    const auto input = setup().nextMove();
    const std::string stamp = "stall-" + std::to_string(setup().stamp++);
    clock.start();
    ticks.start(1);
    BackgroundJob::run<MigrationRecord>(
        context, [input, stamp] { return ConversationMigrator::migrate(input, stamp); },
        [&](const JobOutcome<MigrationRecord>& outcome) {
            const auto* record = std::get_if<MigrationRecord>(&outcome);
            succeeded = record && record->success;
            loop.quit();
        },
        pool);
    loop.exec();
    ticks.stop();
    if (!succeeded)
        state.SkipWithError("the migration failed");
    return static_cast<double>(longest) / 1e6;
}

void runStallBenchmark(benchmark::State& state, QThreadPool* pool)
{
    setup();
    QListWidget window;
    for (int row = 0; row < 200; ++row)
        window.addItem(QStringLiteral("/home/USER/projects/service-%1").arg(row));
    window.resize(900, 560);
    window.show();
    QCoreApplication::processEvents();
    double longest = 0;
    for (auto _ : state)
        longest = std::max(longest, longestStallDuringMigration(window, pool, state));
    state.counters["longest_stall_ms"] = longest;
    bench::reportThroughput(setup().corpus, state);
}

void BM_WindowDuringMigrationOnOneCpu(benchmark::State& state)
{
    runStallBenchmark(state, nullptr);
}

void BM_WindowDuringMigrationOnOneCpuOnQtsGlobalPool(benchmark::State& state)
{
    runStallBenchmark(state, QThreadPool::globalInstance());
}

BENCHMARK(BM_WindowDuringMigrationOnOneCpu)->Unit(benchmark::kMillisecond)->Iterations(4)->UseRealTime();
BENCHMARK(BM_WindowDuringMigrationOnOneCpuOnQtsGlobalPool)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

} // namespace
} // namespace threadhop
