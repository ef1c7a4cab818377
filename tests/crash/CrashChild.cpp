// Runs one migration, undo or account move over the home folder it is given and prints every step it
// reaches, and the error it ends with, so that a test can kill it at chosen moments or run it beside
// another operation (see KilledOperationTest).
//   threadhop_crash_child <home> migrate <old folder> <old cwd> <new cwd>
//   threadhop_crash_child <home> restore <record id> - -   (undoes that record of the history)
//   threadhop_crash_child <home> fork <source folder> <session id> <launch cwd>
//   threadhop_crash_child <home> run <program> <argument> <argument>   (waits for it as a backup waits for tar)
#include "core/accountmove/AccountMover.h"
#include "core/migration/ConversationMigrator.h"
#include "core/migration/RestoreManager.h"
#include "core/operations/MigrationAudit.h"
#include "core/operations/OperationSteps.h"
#include "core/util/fs/ChildProcess.h"
#include "core/util/fs/HomeFolder.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    using namespace threadhop;
    if (argc != 6)
        return 2;
    unsetenv("XDG_DATA_HOME");
    const std::filesystem::path home = argv[1];
    const ScopedHomeOverride homeOverride(home);
    const OperationSteps::ScopedHook report([](OperationStep step) {
        std::printf("%d\n", static_cast<int>(step));
        std::fflush(stdout);
    });
    const std::string mode = argv[2];
    constexpr const char* stamp = "20240501-093000";
    try {
        if (mode == "migrate") {
            ConversationMigrator::migrate({.accountId = "claude",
                                           .projectsRoot = home / ".claude" / "projects",
                                           .oldFolderName = argv[3],
                                           .oldCwd = argv[4],
                                           .newCwd = argv[5],
                                           .allowPopulatedDestination = true},
                                          stamp);
        } else if (mode == "restore") {
            const auto history = MigrationAudit::records();
            for (const auto& record : history) {
                if (record.id.upperText() == argv[3])
                    RestoreManager::restore(record, home / ".claude" / "projects", stamp, history);
            }
        } else if (mode == "fork") {
            AccountMover::move(
                {.source = ClaudeAccount{.id = "claude"},
                 .target = ClaudeAccount{.id = "claude-work", .configDir = (home / ".claude-work").string()},
                 .sessionId = argv[4],
                 .sourceFolderName = argv[3],
                 .launchCwd = argv[5],
                 .mode = MoveMode::fork},
                stamp);
        } else if (mode == "run") {
            ChildProcess::run(argv[3], {argv[4], argv[5]});
        } else {
            return 2;
        }
    } catch (const std::exception& error) {
        std::printf("error: %s\n", error.what());
        return 1;
    }
    std::printf("done\n");
    return 0;
}
