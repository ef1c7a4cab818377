#pragma once

#include "core/util/HomeFolder.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace threadhop::testing {

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder final {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

/// Writes `content` to `path`, creating its folders.
void writeFile(const std::filesystem::path& path, std::string_view content);
/// The file's bytes; fails the test when it cannot be read.
std::string readFile(const std::filesystem::path& path);

/// A test whose home folder is a fresh temporary folder: the real home is never touched.
/// XDG_DATA_HOME is cleared for the test, so application data lands in <home>/.local/share.
class HomeTest : public ::testing::Test {
protected:
    HomeTest();
    ~HomeTest() override;

    const std::filesystem::path& home() const { return m_home.path(); }

private:
    TempFolder m_home;
    ScopedHomeOverride m_override;
    std::optional<std::string> m_savedDataHome;
};

/// The real transcripts shipped beside the repository, or nothing when they are not there.
std::optional<std::filesystem::path> fixtureTranscripts();

} // namespace threadhop::testing
