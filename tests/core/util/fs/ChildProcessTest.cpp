#include "core/util/fs/ChildProcess.h"
#include "core/util/platform/TerminalLauncher.h"

#include "support/TempHome.h"

#include <thread>

namespace threadhop::testing {
namespace {

// Waits for a detached child to leave its output behind.
bool waitForFile(const std::filesystem::path& path)
{
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (std::filesystem::exists(path))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(ChildProcessTest, ArgumentsReachTheProgramUnchangedWithoutAShell)
{
    const TempFolder folder;
    const auto script = folder.path() / "record-args";
    const auto output = folder.path() / "args";
    writeFile(script,
              "#!/bin/sh\nprintf '%s\\0' \"$@\" > \"" + output.string() + ".tmp\"\nmv \"" + output.string()
                  + ".tmp\" \"" + output.string() + "\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);

    const std::string scriptText = "tell application \"Terminal\"\n  do script \"cd '/a b' && $HOME; `x`\"\nend tell";
    ChildProcess::startDetached(script, {"-e", scriptText});
    ASSERT_TRUE(waitForFile(output));
    EXPECT_EQ(readFile(output), std::string("-e") + '\0' + scriptText + '\0');
}

TEST(ChildProcessTest, MissingProgramIsIgnored)
{
    EXPECT_NO_THROW(ChildProcess::startDetached("/nonexistent/program", {"x"}));
    EXPECT_NO_THROW(TerminalLauncher::runOSAScript("display dialog \"hi\""));
}

} // namespace
} // namespace threadhop::testing
