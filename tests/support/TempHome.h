#pragma once

#include "core/util/fs/HomeFolder.h"
#include "TempFolder.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace threadhop::testing {

/// A transcript line of a user message recorded in `cwd`, with `extra` members after it.
std::string cwdLine(std::string_view cwd, std::string_view extra = "");

/// Writes `content` to `path`, creating its folders.
void writeFile(const std::filesystem::path& path, std::string_view content);
/// The file's bytes; fails the test when it cannot be read.
std::string readFile(const std::filesystem::path& path);

/// A test whose home folder is a fresh temporary folder: the real home is never touched.
/// XDG_DATA_HOME and XDG_CONFIG_HOME are cleared for the test, so application data lands in
/// <home>/.local/share and settings in <home>/.config.
class HomeTest : public ::testing::Test {
protected:
    HomeTest();
    ~HomeTest() override;

    const std::filesystem::path& home() const { return m_home.path(); }

private:
    TempFolder m_home;
    ScopedHomeOverride m_override;
    std::optional<std::string> m_savedDataHome;
    std::optional<std::string> m_savedConfigHome;
};

} // namespace threadhop::testing
