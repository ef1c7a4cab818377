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

TEST(TerminalLauncherTest, TerminalScriptIsFourLinesWithoutFinalLineFeed)
{
    EXPECT_EQ(terminalScript(R"(cd '/p' && echo "x")"),
              "tell application \"Terminal\"\n"
              "    activate\n"
              "    do script \"cd '/p' && echo \\\"x\\\"\"\n"
              "end tell");
}

TEST(TerminalLauncherTest, ITermScriptOpensAWindowAndWritesTheCommand)
{
    EXPECT_EQ(iTermScript("cd '/p' && claude --resume"),
              "tell application \"iTerm\"\n"
              "    activate\n"
              "    set w to (create window with default profile)\n"
              "    tell current session of w to write text \"cd '/p' && "
              "claude --resume\"\n"
              "end tell");
}

} // namespace
} // namespace threadhop
