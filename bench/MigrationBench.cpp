// A whole folder migration of about 256 MB of real transcripts (archive, rewrite, rename,
// verification, history) against archiving the same folder with tar alone, in the same run.
#include "FixtureCorpus.h"

#include "core/editing/JSONLRewriter.h"
#include "core/encoding/CwdCodec.h"
#include "core/migration/ConversationMigrator.h"
#include "core/util/fs/ChildProcess.h"
#include "core/util/fs/HomeFolder.h"
#include "support/TempFolder.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace threadhop {
namespace {

constexpr std::int64_t corpusBytes = 256LL << 20;
constexpr const char* movedCwd = "/home/USER/projects/moved/spotter-4te";

struct Setup {
    testing::TempFolder home;
    ScopedHomeOverride homeOverride{home.path()};
    // The backups and the history go below the temporary home, never into the user's data folder.
    bool dataHomeCleared = ::unsetenv("XDG_DATA_HOME") == 0;
    std::filesystem::path projects = home.path() / ".claude" / "projects";
    bench::Corpus corpus = bench::buildCorpus(projects / CwdCodec::encode(bench::corpusCwd), corpusBytes);
    bool atOld = true; // where the corpus is now
};

// Made at the first benchmark's start, before its clock runs: each benchmark calls it first.
Setup& setup()
{
    static Setup instance;
    return instance;
}

std::string currentCwd()
{
    return setup().atOld ? bench::corpusCwd : movedCwd;
}
std::string otherCwd()
{
    return setup().atOld ? movedCwd : bench::corpusCwd;
}
std::filesystem::path currentFolder()
{
    return setup().projects / CwdCodec::encode(currentCwd());
}

void BM_TarArchiveBaseline(benchmark::State& state)
{
    setup();
    const auto archive = setup().home.path() / "baseline.tar.gz";
    for (auto _ : state) {
        const auto folder = currentFolder();
        const auto outcome = ChildProcess::run(
            "/usr/bin/tar",
            {"-czf", archive.string(), "-C", folder.parent_path().string(), "--", folder.filename().string()});
        if (outcome.exitStatus != 0)
            state.SkipWithError("tar failed");
    }
    bench::reportThroughput(setup().corpus, state);
}

// Each iteration moves the corpus to the other directory and back on the next.
void BM_Migration(benchmark::State& state)
{
    setup();
    int stamp = 0;
    for (auto _ : state) {
        const ConversationMigrator::Input input{.accountId = "bench",
                                                .projectsRoot = setup().projects,
                                                .oldFolderName = currentFolder().filename().string(),
                                                .oldCwd = currentCwd(),
                                                .newCwd = otherCwd()};
        const auto record = ConversationMigrator::migrate(input, "bench-" + std::to_string(stamp++));
        if (!record.success)
            state.SkipWithError("the migration failed");
        setup().atOld = !setup().atOld;
    }
    bench::reportThroughput(setup().corpus, state);
}

// The parts of a migration besides the archive, for the breakdown.
void BM_MigrationRewritePart(benchmark::State& state)
{
    setup();
    for (auto _ : state) {
        JSONLRewriter::rewrite(currentFolder(), currentCwd(), otherCwd(), JSONLRewriter::Scope::sessionOnly);
        // Put the text back under the folder's own name for the next benchmark.
        JSONLRewriter::rewrite(currentFolder(), otherCwd(), currentCwd(), JSONLRewriter::Scope::sessionOnly);
    }
    state.counters["rewrites"] = 2;
    bench::reportThroughput(setup().corpus, state);
}

void BM_MigrationVerificationPart(benchmark::State& state)
{
    setup();
    for (auto _ : state)
        benchmark::DoNotOptimize(JSONLRewriter::scan(currentFolder(), otherCwd(), currentCwd()));
    bench::reportThroughput(setup().corpus, state);
}

BENCHMARK(BM_TarArchiveBaseline)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Migration)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_MigrationRewritePart)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_MigrationVerificationPart)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
} // namespace threadhop
