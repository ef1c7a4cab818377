#pragma once

#include "TempFolder.h"
#include "core/util/fs/HomeFolder.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace threadhop::testing {

namespace fs = std::filesystem;

/// A transcript line of a user message recorded in `cwd`, with `extra` members after it.
std::string cwdLine(std::string_view cwd, std::string_view extra = "");
/// A line of conversation `session` recorded in /w/app, with its `uuid` and its `parent` ("" for none).
std::string sessionLine(std::string_view session, std::string_view uuid, std::string_view parent,
                        std::string_view extra = "");
/// The `"message"` member of a line holding one tool call `id`, or the answer to it.
std::string toolUse(std::string_view id);
std::string toolResult(std::string_view id);
/// Claude Code's note that conversation `session` is open in process `pid`.
std::string liveRecord(long pid, std::string_view session, std::string_view extra = "");

/// Writes `content` to `path`, creating its folders.
void writeFile(const std::filesystem::path& path, std::string_view content);
/// Dates the file (a FIFO or a link's target too) `seconds` after 1970; false when its file system
/// cannot hold that date.
bool setModified(const std::filesystem::path& path, std::int64_t seconds);
/// The file's bytes; fails the test when it cannot be read.
std::string readFile(const std::filesystem::path& path);
/// `text` with every `from` replaced by `to`.
std::string replaced(std::string text, std::string_view from, std::string_view to);

/// The text of the `Error` that `call` throws; fails the test when it throws nothing.
template <typename Error = std::exception>
std::string thrown(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Error& error) {
        return error.what();
    }
    ADD_FAILURE() << "nothing was thrown";
    return {};
}

/// Puts an environment variable back as it was when this was made.
class SavedVariable final {
public:
    explicit SavedVariable(const char* name);
    ~SavedVariable();
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_value;
};

/// A test whose home folder is a fresh temporary folder: the real home is never touched.
/// XDG_DATA_HOME and XDG_CONFIG_HOME are cleared for the test, so application data lands in
/// <home>/.local/share and settings in <home>/.config.
class HomeTest : public ::testing::Test {
protected:
    HomeTest();

    const std::filesystem::path& home() const { return m_home.path(); }

private:
    TempFolder m_home;
    ScopedHomeOverride m_override;
    SavedVariable m_dataHome{"XDG_DATA_HOME"};
    SavedVariable m_configHome{"XDG_CONFIG_HOME"};
};

} // namespace threadhop::testing
