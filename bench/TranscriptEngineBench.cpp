// The transcript engine over a corpus of about 256 MB of real transcripts, each measured with
// its baselines in the same run: a loop that only parses every line with simdjson's DOM parser
// (alone, and after the scan's pass over the text), a Python json.loads loop, and a
// parse-edit-write loop for the rewrite.
#include "FixtureCorpus.h"

#include "core/editing/JSONFieldEditor.h"
#include "core/editing/JSONLRewriter.h"
#include "core/editing/LineFacts.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/ReadBuffer.h"
#include "core/validation/TranscriptAnalyzer.h"
#include "support/TempFolder.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include <benchmark/benchmark.h>
#include <simdjson.h>

namespace threadhop {
namespace {

constexpr std::int64_t corpusBytes = 256LL << 20;
constexpr const char* movedCwd = "/home/USER/projects/moved/spotter-4te";

struct Setup {
    testing::TempFolder scratch;
    bench::Corpus corpus = bench::buildCorpus(scratch.path() / "project", corpusBytes);
    std::filesystem::path folder() const { return scratch.path() / "project"; }
};

// Made at the first benchmark's start, before its clock runs: each benchmark calls it first.
Setup& setup()
{
    static Setup instance;
    return instance;
}

template <typename Visit>
void forEachLine(std::string_view text, Visit visit)
{
    std::size_t start = 0;
    while (start < text.size()) {
        const void* found = std::memchr(text.data() + start, '\n', text.size() - start);
        const std::size_t end = found ? static_cast<const char*>(found) - text.data() : text.size();
        if (end > start)
            visit(text.substr(start, end - start));
        start = end + 1;
    }
}

void BM_ParseOnlyBaseline(benchmark::State& state)
{
    setup();
    ReadBuffer buffer;
    simdjson::dom::parser parser;
    for (auto _ : state) {
        std::size_t objects = 0;
        for (const auto& file : setup().corpus.transcripts) {
            buffer.load(file);
            forEachLine(buffer.content(), [&](std::string_view line) {
                objects += parser.parse(line.data(), line.size(), false).is_object();
            });
        }
        benchmark::DoNotOptimize(objects);
    }
    bench::reportThroughput(setup().corpus, state);
}

// The scan's floor: the parse-only loop over the one pass that splits the lines and finds the
// facts the scan screens and shortcuts by, without the listing and the classification.
void BM_ParseWithLineFactsBaseline(benchmark::State& state)
{
    setup();
    ReadBuffer buffer;
    simdjson::dom::parser parser;
    for (auto _ : state) {
        std::size_t objects = 0;
        for (const auto& file : setup().corpus.transcripts) {
            buffer.load(file);
            forEachLineFeedPieceWithFacts(
                buffer.content(), bench::corpusCwd, [&](std::string_view line, const LineFacts& facts, bool) {
                    if (!line.empty())
                        objects += facts.cwdKeyTexts + parser.parse(line.data(), line.size(), false).is_object();
                });
        }
        benchmark::DoNotOptimize(objects);
    }
    bench::reportThroughput(setup().corpus, state);
}

// Times only the json.loads loop of a Python process over the same lines (reading is not timed).
void BM_PythonJsonLoadsBaseline(benchmark::State& state)
{
    setup();
    const auto listing = setup().scratch.path() / "files.txt";
    {
        std::ofstream out(listing);
        for (const auto& file : setup().corpus.transcripts)
            out << file.string() << "\n";
    }
    const std::string command =
        "python3 -c \"import json,sys,time\n"
        "lines=[l for f in open(sys.argv[1]).read().split() for l in open(f,'rb').read().split(b'\\\\n') if l]\n"
        "t=time.perf_counter()\n"
        "for l in lines: json.loads(l)\n"
        "print(time.perf_counter()-t)\" "
        + listing.string();
    for (auto _ : state) {
        FILE* python = popen(command.c_str(), "r");
        double seconds = 0;
        if (!python || std::fscanf(python, "%lf", &seconds) != 1 || pclose(python) != 0) {
            state.SkipWithError("python3 is not available");
            return;
        }
        state.SetIterationTime(seconds);
    }
    bench::reportThroughput(setup().corpus, state);
}

void BM_Scan(benchmark::State& state)
{
    setup();
    for (auto _ : state) {
        const auto result = JSONLRewriter::scan(setup().folder(), bench::corpusCwd);
        if (result.files == 0)
            state.SkipWithError("the scan found nothing");
        benchmark::DoNotOptimize(result);
    }
    bench::reportThroughput(setup().corpus, state);
}

void BM_Analyze(benchmark::State& state)
{
    setup();
    ReadBuffer buffer;
    for (auto _ : state) {
        std::int64_t lines = 0;
        for (const auto& file : setup().corpus.transcripts) {
            buffer.load(file);
            lines += TranscriptAnalyzer::analyze(buffer.content()).lines;
        }
        benchmark::DoNotOptimize(lines);
    }
    bench::reportThroughput(setup().corpus, state);
}

void BM_FieldEditor(benchmark::State& state)
{
    setup();
    std::vector<std::string> texts;
    ReadBuffer buffer;
    for (const auto& file : setup().corpus.transcripts) {
        buffer.load(file);
        texts.emplace_back(buffer.content());
    }
    const JSONFieldEditor::KeySet keys{"cwd"};
    const std::string oldCwd = bench::corpusCwd;
    std::string replacement;
    const JSONFieldEditor::Transform transform = [&](std::string_view,
                                                     std::string_view raw) -> std::optional<std::string_view> {
        if (raw.size() < oldCwd.size() || raw.substr(0, oldCwd.size()) != oldCwd)
            return std::nullopt;
        replacement.assign(movedCwd).append(raw.substr(oldCwd.size()));
        return replacement;
    };
    std::string out;
    for (auto _ : state) {
        for (const auto& text : texts) {
            out.clear();
            forEachLine(text, [&](std::string_view line) {
                JSONFieldEditor::appendReplacingStringFields(line, keys, transform, out);
                out.push_back('\n');
            });
            benchmark::DoNotOptimize(out.data());
        }
    }
    bench::reportThroughput(setup().corpus, state);
}

// Each iteration moves the corpus to the other directory, so every iteration rewrites every file.
void BM_RewriteSessionScope(benchmark::State& state)
{
    setup();
    bool forward = true;
    for (auto _ : state) {
        const auto result =
            JSONLRewriter::rewrite(setup().folder(), forward ? bench::corpusCwd : movedCwd,
                                   forward ? movedCwd : bench::corpusCwd, JSONLRewriter::Scope::sessionOnly);
        benchmark::DoNotOptimize(result);
        forward = !forward;
    }
    if (!forward)
        JSONLRewriter::rewrite(setup().folder(), movedCwd, bench::corpusCwd, JSONLRewriter::Scope::sessionOnly);
    bench::reportThroughput(setup().corpus, state);
}

// Parses every line, edits its "cwd" field with a plain find-and-replace and writes each file
// atomically with fsync; alternates directories like the rewrite.
void BM_ParseEditWriteBaseline(benchmark::State& state)
{
    setup();
    ReadBuffer buffer;
    simdjson::dom::parser parser;
    std::string out;
    bool forward = true;
    for (auto _ : state) {
        const std::string from = std::string("\"cwd\":\"") + (forward ? bench::corpusCwd : movedCwd);
        const std::string to = std::string("\"cwd\":\"") + (forward ? movedCwd : bench::corpusCwd);
        for (const auto& file : setup().corpus.transcripts) {
            buffer.load(file);
            out.clear();
            forEachLine(buffer.content(), [&](std::string_view line) {
                std::string_view cwd;
                const bool hasCwd =
                    parser.parse(line.data(), line.size(), false)["cwd"].get_string().get(cwd) == simdjson::SUCCESS;
                const std::size_t at = hasCwd ? line.find(from) : std::string_view::npos;
                if (at == std::string_view::npos) {
                    out.append(line);
                } else {
                    out.append(line.substr(0, at)).append(to).append(line.substr(at + from.size()));
                }
                out.push_back('\n');
            });
            AtomicFile::write(file, out);
        }
        forward = !forward;
    }
    if (!forward)
        JSONLRewriter::rewrite(setup().folder(), movedCwd, bench::corpusCwd, JSONLRewriter::Scope::sessionOnly);
    bench::reportThroughput(setup().corpus, state);
}

BENCHMARK(BM_ParseOnlyBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseWithLineFactsBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PythonJsonLoadsBaseline)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_Scan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Analyze)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FieldEditor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseEditWriteBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RewriteSessionScope)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace threadhop
