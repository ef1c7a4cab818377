#pragma once

#include "core/migration/ConversationMigrator.h"
#include "core/migration/MigrationAudit.h"
#include "TempHome.h"

#include <map>
#include <string>

namespace threadhop::testing {

/// A temporary home with an account's projects folder, its history and backups.
class MigrationTest : public HomeTest {
protected:
    std::filesystem::path projects() const { return home() / ".claude" / "projects"; }

    void transcript(std::string_view folder, std::string_view name, std::string_view content) const
    {
        writeFile(projects() / folder / name, content);
    }

    ConversationMigrator::Input input(std::string oldFolder, std::string oldCwd, std::string newCwd) const
    {
        return {.accountId = "claude",
                .projectsRoot = projects(),
                .oldFolderName = std::move(oldFolder),
                .oldCwd = std::move(oldCwd),
                .newCwd = std::move(newCwd),
                .allowPopulatedDestination = true};
    }

    /// Every file below `folder` by its path relative to it, with its bytes.
    static std::map<std::string, std::string> snapshot(const std::filesystem::path& folder)
    {
        std::map<std::string, std::string> files;
        std::error_code error;
        for (std::filesystem::recursive_directory_iterator it(folder, error); !error && it != std::filesystem::recursive_directory_iterator();
             it.increment(error)) {
            if (it->is_regular_file())
                files[std::filesystem::relative(it->path(), folder).string()] = readFile(it->path());
        }
        return files;
    }

    static std::vector<std::string> entries(const std::filesystem::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

} // namespace threadhop::testing
