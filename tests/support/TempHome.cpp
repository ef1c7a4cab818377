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

std::string replaced(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

SavedVariable::SavedVariable(const char* name) : m_name(name)
{
    if (const char* value = std::getenv(name))
        m_value = value;
}

SavedVariable::~SavedVariable()
{
    if (m_value)
        setenv(m_name, m_value->c_str(), 1);
    else
        unsetenv(m_name);
}

HomeTest::HomeTest() : m_override(m_home.path())
{
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
}

HomeTest::~HomeTest() = default;

} // namespace threadhop::testing
