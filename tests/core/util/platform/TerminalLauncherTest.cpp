#include "core/util/platform/TerminalLauncher.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace TerminalLauncher;

TEST(TerminalLauncherTest, EscapingDoublesBackslashesThenEscapesQuotes)
{
    EXPECT_EQ(escapedForAppleScript(R"(cd '/a/it'\''s here' && claude --resume)"),
              R"(cd '/a/it'\\''s here' && claude --resume)");
    EXPECT_EQ(escapedForAppleScript(R"(say "hi")"), R"(say \"hi\")");
    EXPECT_EQ(escapedForAppleScript(R"(a\"b)"), R"(a\\\"b)") << "a backslash before a quote gives three backslashes";
    EXPECT_EQ(escapedForAppleScript("it's"), "it's");
}

// The scripts around the command are fixed text; what matters is that each carries it escaped.
TEST(TerminalLauncherTest, BothScriptsCarryTheEscapedCommand)
{
    const std::string command = R"(cd '/p' && echo "x\y")";
    const std::string escaped = R"("cd '/p' && echo \"x\\y\"")"
                                "\n";
    EXPECT_NE(terminalScript(command).find("    do script " + escaped), std::string::npos);
    EXPECT_NE(iTermScript(command).find("write text " + escaped), std::string::npos);
}

} // namespace
} // namespace threadhop
