#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace threadhop::bench {

/// The real transcripts' recorded working directory that most of their bytes carry.
inline constexpr const char* corpusCwd = "/home/USER/projects/spotter-worktrees/spotter-4te";

/// A project folder of about `targetBytes` built from the real fixture transcripts: whole
/// copies of them under new session names, each with its side folder. Throws when the fixtures
/// are missing.
struct Corpus {
    std::vector<std::filesystem::path> transcripts; ///< every file, side folders included
    std::int64_t bytes = 0;
};

Corpus buildCorpus(const std::filesystem::path& folder, std::int64_t targetBytes);

/// Reports the corpus's bytes per iteration as the benchmark's throughput.
void reportThroughput(const Corpus& corpus, benchmark::State& state);

} // namespace threadhop::bench
