#include "TempHome.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace threadhop::testing {

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "threadhop-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void writeFile(const std::filesystem::path& path, std::string_view content)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        ADD_FAILURE() << "cannot read " << path;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

HomeTest::HomeTest() : m_override(m_home.path())
{
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"))
        m_savedDataHome = dataHome;
    unsetenv("XDG_DATA_HOME");
}

HomeTest::~HomeTest()
{
    if (m_savedDataHome)
        setenv("XDG_DATA_HOME", m_savedDataHome->c_str(), 1);
}

std::optional<std::filesystem::path> fixtureTranscripts()
{
    const char* configured = std::getenv("THREADHOP_FIXTURES");
    const std::filesystem::path folder = configured ? configured : THREADHOP_FIXTURES_DIR;
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return std::nullopt;
    return folder;
}

} // namespace threadhop::testing
