#pragma once

#include <filesystem>
#include <string>

namespace threadhop::testing {

/// A home folder with one signed-in default account whose projects cover every resume status:
/// two ready ones (one with subagent transcripts), one whose directory was renamed, one whose
/// directory is gone, one in a vanished temporary folder and one with no recorded directory.
struct FixtureHome {
    static constexpr int projectCount = 6;
    static constexpr int problemCount = 2;
    static constexpr const char* email = "ana@example.com";

    /// Writes the account under `home`; the project directories it records are made under `home` too.
    static void write(const std::filesystem::path& home);

    /// A user's message recorded in `cwd`.
    static std::string userMessage(const std::string& cwd);
};

} // namespace threadhop::testing
