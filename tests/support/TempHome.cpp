#include "TempHome.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>

namespace threadhop::testing {

std::string cwdLine(std::string_view cwd, std::string_view extra)
{
    return "{\"type\":\"user\",\"cwd\":\"" + std::string(cwd) + "\"" + std::string(extra) + "}\n";
}

std::string sessionLine(std::string_view session, std::string_view uuid, std::string_view parent,
                        std::string_view extra)
{
    const std::string parentText = parent.empty() ? "null" : "\"" + std::string(parent) + "\"";
    return R"({"type":"user","cwd":"/w/app","sessionId":")" + std::string(session) + R"(","uuid":")" + std::string(uuid)
        + R"(","parentUuid":)" + parentText + std::string(extra) + "}\n";
}

std::string toolUse(std::string_view id)
{
    return R"("message":{"content":[{"type":"tool_use","id":")" + std::string(id) + R"("}]})";
}

std::string toolResult(std::string_view id)
{
    return R"("message":{"content":[{"type":"tool_result","tool_use_id":")" + std::string(id) + R"("}]})";
}

std::string liveRecord(long pid, std::string_view session, std::string_view extra)
{
    return "{\"pid\":" + std::to_string(pid) + ",\"sessionId\":\"" + std::string(session) + "\"" + std::string(extra)
        + "}";
}

void writeFile(const std::filesystem::path& path, std::string_view content)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

bool setModified(const std::filesystem::path& path, std::int64_t seconds)
{
    const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
    struct stat info { };
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0 && ::stat(path.c_str(), &info) == 0
        && info.st_mtim.tv_sec == seconds;
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

} // namespace threadhop::testing
