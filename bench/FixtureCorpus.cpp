#include "FixtureCorpus.h"

#include "support/TempFolder.h"

namespace threadhop::bench {

Corpus buildCorpus(const std::filesystem::path& folder, std::int64_t targetBytes)
{
    Corpus corpus;
    const std::filesystem::path fixtures = testing::fixtureTranscripts();
    const std::string session = "ae4a77f8-aedd-4bc1-888f-c94edc91af04";
    std::filesystem::create_directories(folder);
    const auto add = [&](const std::filesystem::path& file) {
        corpus.transcripts.push_back(file);
        corpus.bytes += static_cast<std::int64_t>(std::filesystem::file_size(file));
    };
    for (int copy = 0; corpus.bytes < targetBytes; ++copy) {
        const std::string id = "copy-" + std::to_string(copy);
        std::filesystem::copy_file(fixtures / (session + ".jsonl"), folder / (id + ".jsonl"));
        add(folder / (id + ".jsonl"));
        std::filesystem::copy(fixtures / session, folder / id, std::filesystem::copy_options::recursive);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder / id)) {
            if (entry.path().extension() == ".jsonl")
                add(entry.path());
        }
        for (const std::string small : {"short.jsonl", "tool_heavy.jsonl", "subagent.jsonl"}) {
            std::filesystem::copy_file(fixtures / small, folder / (id + "-" + small));
            add(folder / (id + "-" + small));
        }
    }
    return corpus;
}

void reportThroughput(const Corpus& corpus, benchmark::State& state)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * corpus.bytes);
}

} // namespace threadhop::bench
