#include "core/util/platform/TerminalEmulator.h"

#include "support/TempHome.h"

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

TEST_F(TerminalEmulatorTest, EachEmulatorGetsItsOwnConvention)
{
    const std::vector<std::string> command{"/bin/zsh", "-i", "-c", "ls"};
    using Args = std::vector<std::string>;
    EXPECT_EQ(argumentsFor("/usr/bin/gnome-terminal", command), (Args{"--", "/bin/zsh", "-i", "-c", "ls"}));
    EXPECT_EQ(argumentsFor("/usr/bin/xfce4-terminal", command), (Args{"-x", "/bin/zsh", "-i", "-c", "ls"}));
    EXPECT_EQ(argumentsFor("/usr/bin/wezterm", command), (Args{"start", "--", "/bin/zsh", "-i", "-c", "ls"}));
    EXPECT_EQ(argumentsFor("/usr/bin/kitty", command), command);
    EXPECT_EQ(argumentsFor("/usr/bin/x-terminal-emulator", command), (Args{"-e", "/bin/zsh", "-i", "-c", "ls"}));
    EXPECT_EQ(argumentsFor("/opt/unknown-term", command), (Args{"-e", "/bin/zsh", "-i", "-c", "ls"}));
}

TEST_F(TerminalEmulatorTest, RunsTheCommandInTheUsersShellAndLeavesItOpen)
{
    const auto emulator = program(bin.path(), "xterm");
    const std::string command = "cd '/a/it'\\''s' && claude --resume";
    const auto launch = launchFor(command, std::nullopt, "/usr/bin/zsh", searchPath());
    ASSERT_TRUE(launch);
    EXPECT_EQ(launch->program, emulator);
    EXPECT_EQ(launch->arguments,
              (std::vector<std::string>{"-e", "/usr/bin/zsh", "-i", "-c", command + "; exec '/usr/bin/zsh' -i"}));
    EXPECT_EQ(launchFor(command, std::nullopt, "zsh", searchPath())->arguments.at(1), "/bin/sh")
        << "a relative $SHELL is not trusted";
    EXPECT_EQ(launchFor(command, std::nullopt, std::nullopt, "/nonexistent"), std::nullopt);
}

} // namespace
} // namespace threadhop::testing
