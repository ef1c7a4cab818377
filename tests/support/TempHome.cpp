#include "TempHome.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace threadhop::testing {

std::string cwdLine(std::string_view cwd, std::string_view extra)
{
    return "{\"type\":\"user\",\"cwd\":\"" + std::string(cwd) + "\"" + std::string(extra) + "}\n";
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
    if (const char* configHome = std::getenv("XDG_CONFIG_HOME"))
        m_savedConfigHome = configHome;
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
}

HomeTest::~HomeTest()
{
    if (m_savedDataHome)
        setenv("XDG_DATA_HOME", m_savedDataHome->c_str(), 1);
    if (m_savedConfigHome)
        setenv("XDG_CONFIG_HOME", m_savedConfigHome->c_str(), 1);
}

} // namespace threadhop::testing
