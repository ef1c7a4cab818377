// Resuming in a terminal: the emulator that runs the command, and the process that starts it.

#include "core/util/fs/ChildProcess.h"
#include "core/util/platform/TerminalEmulator.h"
#include "core/util/platform/TerminalLauncher.h"

#include "support/TempHome.h"

#include <thread>

#include <sys/stat.h>

namespace threadhop::testing {
namespace {

using namespace TerminalEmulator;

class TerminalEmulatorTest : public ::testing::Test {
protected:
    TempFolder bin;
    TempFolder otherBin;

    std::filesystem::path program(const std::filesystem::path& folder, const std::string& name, bool executable = true)
    {
        const auto path = folder / name;
        writeFile(path, "#!/bin/sh\n");
        ::chmod(path.c_str(), executable ? 0755 : 0644);
        return path;
    }

    std::string searchPath() const { return bin.path().string() + ":relative/ignored:" + otherBin.path().string(); }
};

// Files that cannot run are passed over: here, ones earlier in the search path of the same names.
TEST_F(TerminalEmulatorTest, PrefersTerminalVariableThenTheDebianAlternativeThenCommonOnes)
{
    program(bin.path(), "x-terminal-emulator", false);
    std::filesystem::create_directories(bin.path() / "xterm");
    EXPECT_EQ(find(std::nullopt, searchPath()), std::nullopt);
    const auto xterm = program(otherBin.path(), "xterm");
    const auto konsole = program(bin.path(), "konsole");
    EXPECT_EQ(find(std::nullopt, searchPath()), konsole) << "konsole comes before xterm in the common list";
    const auto alternative = program(otherBin.path(), "x-terminal-emulator");
    EXPECT_EQ(find(std::nullopt, searchPath()), alternative);
    EXPECT_EQ(find("xterm", searchPath()), xterm);
    EXPECT_EQ(find(xterm.string(), ""), xterm) << "an absolute $TERMINAL needs no search path";
    EXPECT_EQ(find("no-such-terminal", searchPath()), alternative) << "a missing $TERMINAL falls through";
}

TEST_F(TerminalEmulatorTest, RunsTheCommandInTheUsersShellAndLeavesItOpenByEachEmulatorsConvention)
{
    const std::vector<std::string> command{"/bin/zsh", "-i", "-c", "ls"};
    using Args = std::vector<std::string>;
    EXPECT_EQ(argumentsFor("/usr/bin/gnome-terminal", command), (Args{"--", "/bin/zsh", "-i", "-c", "ls"}));
    EXPECT_EQ(argumentsFor("/usr/bin/xfce4-terminal", command), (Args{"-x", "/bin/zsh", "-i", "-c", "ls"}));
    EXPECT_EQ(argumentsFor("/usr/bin/wezterm", command), (Args{"start", "--", "/bin/zsh", "-i", "-c", "ls"}));
    EXPECT_EQ(argumentsFor("/usr/bin/kitty", command), command);
    EXPECT_EQ(argumentsFor("/usr/bin/x-terminal-emulator", command), (Args{"-e", "/bin/zsh", "-i", "-c", "ls"}));
    EXPECT_EQ(argumentsFor("/opt/unknown-term", command), (Args{"-e", "/bin/zsh", "-i", "-c", "ls"}));

    const auto emulator = program(bin.path(), "xterm");
    const std::string resume = "cd '/a/it'\\''s' && claude --resume";
    const auto launch = launchFor(resume, std::nullopt, "/usr/bin/zsh", searchPath());
    ASSERT_TRUE(launch);
    EXPECT_EQ(
        std::tie(launch->program, launch->arguments),
        std::tuple(emulator,
                   std::vector<std::string>{"-e", "/usr/bin/zsh", "-i", "-c", resume + "; exec '/usr/bin/zsh' -i"}));
    EXPECT_EQ(launchFor(resume, std::nullopt, "zsh", searchPath())->arguments.at(1), "/bin/sh")
        << "a relative $SHELL is not trusted";
    EXPECT_EQ(launchFor(resume, std::nullopt, std::nullopt, "/nonexistent"), std::nullopt);
}

using namespace TerminalLauncher;

// The scripts around the command are fixed text; what matters is that each carries it escaped, with
// backslashes doubled and then quotes escaped (the other order would double the quotes' backslashes).
TEST(TerminalLauncherTest, BothScriptsCarryTheEscapedCommand)
{
    const std::string command = R"(cd '/p' && echo "x\y")";
    const std::string escaped = R"("cd '/p' && echo \"x\\y\"")"
                                "\n";
    EXPECT_NE(terminalScript(command).find("    do script " + escaped), std::string::npos);
    EXPECT_NE(iTermScript(command).find("write text " + escaped), std::string::npos);
}

TEST(ChildProcessTest, ArgumentsReachTheProgramUnchangedWithoutAShellAndAMissingProgramIsIgnored)
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
    // The child is detached: wait for it to leave its output behind.
    for (int attempt = 0; attempt < 500 && !std::filesystem::exists(output); ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(std::filesystem::exists(output));
    EXPECT_EQ(readFile(output), std::string("-e") + '\0' + scriptText + '\0');

    // A missing program is ignored.
    EXPECT_NO_THROW(ChildProcess::startDetached("/nonexistent/program", {"x"}));
    EXPECT_NO_THROW(TerminalLauncher::runOSAScript("display dialog \"hi\""));
}

} // namespace
} // namespace threadhop::testing
