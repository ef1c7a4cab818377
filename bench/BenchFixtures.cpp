#include "BenchFixtures.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace threadhop::bench {

ScratchFolder::ScratchFolder(const std::string& name)
{
    std::string pattern = (std::filesystem::temp_directory_path() / ("threadhop-bench-" + name + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a scratch folder");
    m_path = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path fixtureTranscripts()
{
    const char* configured = std::getenv("THREADHOP_FIXTURES");
    const std::filesystem::path folder = configured ? configured : THREADHOP_FIXTURES_DIR;
    std::error_code error;
    return std::filesystem::is_directory(folder, error) ? folder : std::filesystem::path();
}

std::string realOpeningLines(std::size_t count)
{
    const auto folder = fixtureTranscripts();
    std::ifstream in(folder.empty() ? std::filesystem::path() : folder / "short.jsonl");
    std::string opening;
    std::string line;
    while (count > 0 && std::getline(in, line)) {
        opening += line + "\n";
        --count;
    }
    if (opening.empty())
        opening = R"({"type":"user","cwd":"/home/ana/projects/site","message":{"role":"user","content":"hi"}})" "\n";
    return opening;
}

} // namespace threadhop::bench
