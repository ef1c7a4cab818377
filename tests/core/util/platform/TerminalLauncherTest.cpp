#include "core/util/platform/TerminalLauncher.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

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

} // namespace
} // namespace threadhop
