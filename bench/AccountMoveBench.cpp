// Forking a conversation of about 100 MB of real transcript lines into another account, against a
// plain copy of the same files plus one simdjson parse of every line, in the same run.
#include "FixtureCorpus.h"

#include "core/accountmove/AccountMover.h"
#include "core/migration/BackupArchiver.h"
#include "core/util/fs/HomeFolder.h"
#include "core/util/fs/ReadBuffer.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <cstring>
#include <fstream>

#include <benchmark/benchmark.h>
#include <simdjson.h>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t conversationBytes = 100LL << 20;
constexpr const char* realSession = "ae4a77f8-aedd-4bc1-888f-c94edc91af04";
constexpr const char* cwd = "/home/USER/projects/spotter-worktrees/spotter-4te";

struct Setup {
    testing::TempFolder home;
    ScopedHomeOverride homeOverride{home.path()};
    // The backups and the history go below the temporary home, never into the user's data folder.
    bool dataHomeCleared = ::unsetenv("XDG_DATA_HOME") == 0;
    fs::path sourceFolder = home.path() / ".claude" / "projects" / "-home-USER-projects-spotter-worktrees-spotter-4te";
    bench::Corpus conversation; // the transcript and its side-folder files
    int targets = 0;

    Setup()
    {
        const fs::path fixtures = testing::fixtureTranscripts();
        // The real session's lines, whole, repeated to about 100 MB, with its side folder.
        std::ifstream in(fixtures / (std::string(realSession) + ".jsonl"), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        fs::create_directories(sourceFolder);
        {
            std::ofstream out(sourceFolder / (std::string(realSession) + ".jsonl"), std::ios::binary);
            for (std::int64_t written = 0; written < conversationBytes;
                 written += static_cast<std::int64_t>(text.size()))
                out << text;
        }
        fs::copy(fixtures / realSession, sourceFolder / realSession, fs::copy_options::recursive);
        for (const auto& entry : fs::recursive_directory_iterator(sourceFolder)) {
            if (entry.is_regular_file()) {
                conversation.transcripts.push_back(entry.path());
                conversation.bytes += static_cast<std::int64_t>(entry.file_size());
            }
        }
    }

    AccountMoveInput nextMove()
    {
        // A fresh, empty target account for every move.
        const std::string number = std::to_string(targets++);
        const ClaudeAccount source{.id = "claude"};
        const ClaudeAccount target{.id = std::string("target-").append(number),
                                   .configDir = (home.path() / std::string("target-").append(number)).string()};
        return {.source = source,
                .target = target,
                .sessionId = realSession,
                .sourceFolderName = sourceFolder.filename().string(),
                .launchCwd = cwd,
                .mode = MoveMode::fork};
    }
};

// Made at the first benchmark's start, before its clock runs: each benchmark calls it first.
Setup& setup()
{
    static Setup instance;
    return instance;
}

void BM_CopyAndParseBaseline(benchmark::State& state)
{
    setup();
    ReadBuffer buffer;
    simdjson::dom::parser parser;
    for (auto _ : state) {
        const fs::path copy = setup().home.path() / "baseline-copy";
        fs::create_directories(copy);
        std::size_t objects = 0;
        for (const auto& file : setup().conversation.transcripts) {
            fs::copy_file(file, copy / file.filename(), fs::copy_options::overwrite_existing);
            buffer.load(file);
            const std::string_view text = buffer.content();
            for (std::size_t start = 0; start < text.size();) {
                const void* found = std::memchr(text.data() + start, '\n', text.size() - start);
                const std::size_t end = found ? static_cast<const char*>(found) - text.data() : text.size();
                if (end > start)
                    objects += parser.parse(text.data() + start, end - start, false).is_object();
                start = end + 1;
            }
        }
        benchmark::DoNotOptimize(objects);
        state.PauseTiming();
        fs::remove_all(copy);
        state.ResumeTiming();
    }
    bench::reportThroughput(setup().conversation, state);
}

void BM_SourceArchive(benchmark::State& state)
{
    setup();
    for (auto _ : state)
        BackupArchiver::backup(setup().sourceFolder, "bench-archive", Uuid::random());
    bench::reportThroughput(setup().conversation, state);
}

void BM_AccountMoveFork(benchmark::State& state)
{
    setup();
    for (auto _ : state) {
        const auto move = setup().nextMove();
        const auto record = AccountMover::move(move, "bench-" + std::to_string(setup().targets));
        if (!record.success)
            state.SkipWithError("the move failed");
        // As the baseline removes its copy: every iteration writes into freed page cache alike.
        state.PauseTiming();
        fs::remove_all(move.target.configDirURL());
        state.ResumeTiming();
    }
    bench::reportThroughput(setup().conversation, state);
}

BENCHMARK(BM_CopyAndParseBaseline)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SourceArchive)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_AccountMoveFork)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
} // namespace threadhop
