// Indexing an account of 1,000 project folders with 10 transcripts each, against a plain walk that
// only reads the size and date of every file of the same tree, and against the least the indexer
// must do (that walk and one 256 KiB read per project).
#include "core/discovery/ProjectIndexer.h"
#include "support/TempFolder.h"

#include <fstream>

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace threadhop {
namespace {

constexpr int projectCount = 1000;
constexpr int transcriptsPerProject = 10;
constexpr off_t transcriptSize = 4 << 20; // sparse: large, but no disk

// The opening lines of a real transcript.
std::string openingLines()
{
    std::string opening;
    std::ifstream in(testing::fixtureTranscripts() / "short.jsonl");
    std::string line;
    for (int count = 0; count < 3 && std::getline(in, line); ++count)
        opening += line + "\n";
    return opening;
}

const std::filesystem::path& accountFolder()
{
    static testing::TempFolder scratch;
    static const std::filesystem::path folder = [] {
        const auto account = scratch.path() / ".claude";
        const std::string opening = openingLines();
        for (int p = 0; p < projectCount; ++p) {
            const auto project = account / "projects" / ("-home-ana-project-" + std::to_string(p));
            std::filesystem::create_directories(project);
            for (int t = 0; t < transcriptsPerProject; ++t) {
                const auto file = project / ("session-" + std::to_string(t) + ".jsonl");
                {
                    std::ofstream(file, std::ios::binary) << opening;
                }
                if (truncate(file.c_str(), transcriptSize) != 0)
                    throw std::runtime_error("cannot size " + file.string());
            }
        }
        return account;
    }();
    return folder;
}

void BM_ProjectIndexer(benchmark::State& state)
{
    const ClaudeAccount account{
        .id = "bench", .label = "bench", .alias = "bench", .configDir = accountFolder().string()};
    for (auto _ : state) {
        const auto projects = ProjectIndexer::projects(account);
        if (projects.size() != projectCount || !projects.front().actualCwd)
            state.SkipWithError("the indexer did not find every project");
        benchmark::DoNotOptimize(projects);
    }
}

void BM_PlainWalkBaseline(benchmark::State& state)
{
    const auto root = accountFolder() / "projects";
    for (auto _ : state) {
        std::int64_t bytes = 0;
        std::int64_t newest = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            struct stat info { };
            if (entry.is_regular_file() && ::stat(entry.path().c_str(), &info) == 0) {
                bytes += info.st_size;
                newest = std::max<std::int64_t>(newest, info.st_mtim.tv_sec);
            }
        }
        benchmark::DoNotOptimize(bytes);
        benchmark::DoNotOptimize(newest);
    }
}

// The least the indexer must do: the walk with one stat per transcript, and one read of up to
// 256 KiB of each project's newest top-level transcript into a buffer used for all of them.
void BM_WalkAndHeadReadBaseline(benchmark::State& state)
{
    const auto root = accountFolder() / "projects";
    std::vector<char> buffer(ProjectIndexer::cwdPrefixBytes);
    for (auto _ : state) {
        std::size_t bytesRead = 0;
        DIR* projects = ::opendir(root.c_str());
        while (const dirent* project = ::readdir(projects)) {
            if (project->d_name[0] == '.')
                continue;
            const int folder = ::openat(dirfd(projects), project->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            DIR* listing = ::fdopendir(folder);
            std::string newest;
            std::int64_t newestTime = 0;
            while (const dirent* entry = ::readdir(listing)) {
                const std::string_view name = entry->d_name;
                struct stat info { };
                if (name.front() == '.' || !name.ends_with(".jsonl") || ::fstatat(folder, entry->d_name, &info, 0) != 0)
                    continue;
                if (newest.empty() || info.st_mtim.tv_sec > newestTime) {
                    newest = name;
                    newestTime = info.st_mtim.tv_sec;
                }
            }
            const int file = ::openat(folder, newest.c_str(), O_RDONLY | O_CLOEXEC);
            bytesRead += static_cast<std::size_t>(std::max<ssize_t>(::read(file, buffer.data(), buffer.size()), 0));
            ::close(file);
            ::closedir(listing);
        }
        ::closedir(projects);
        benchmark::DoNotOptimize(bytesRead);
    }
}

// The two halves of the indexer's work, to show where its time goes.
void BM_IndexerWalkPart(benchmark::State& state)
{
    const auto root = accountFolder() / "projects";
    for (auto _ : state) {
        std::size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(root))
            files += ProjectIndexer::transcripts(entry.path()).size();
        benchmark::DoNotOptimize(files);
    }
}

void BM_IndexerPrefixReadPart(benchmark::State& state)
{
    std::vector<std::filesystem::path> newest;
    for (const auto& entry : std::filesystem::directory_iterator(accountFolder() / "projects"))
        newest.push_back(entry.path() / "session-0.jsonl");
    for (auto _ : state) {
        std::size_t found = 0;
        for (const auto& file : newest)
            found += ProjectIndexer::extractCwd(file).has_value();
        benchmark::DoNotOptimize(found);
    }
}

BENCHMARK(BM_PlainWalkBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkAndHeadReadBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProjectIndexer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexerWalkPart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexerPrefixReadPart)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace threadhop
