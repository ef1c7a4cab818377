// Rewriting old → new and then new → old must give back every file byte for byte whenever
// new occurs nowhere in the originals: the rewrite touches nothing but the edited values.
#include "core/migration/JSONLRewriter.h"

#include "support/MigrationTest.h"
#include "support/RandomLines.h"

namespace threadhop::testing {
namespace {

class RewriteRoundTripTest : public MigrationTest {
protected:
    static void expectRoundTrip(const fs::path& folder, const std::string& oldCwd, const std::string& newCwd)
    {
        const auto original = snapshot(folder);
        for (const auto& [path, content] : original)
            ASSERT_EQ(content.find(newCwd), std::string::npos) << "the new directory must be new: " << path;
        for (const auto* scope : {&JSONLRewriter::Scope::sessionOnly, &JSONLRewriter::Scope::withHistory}) {
            const auto forward = JSONLRewriter::rewrite(folder, oldCwd, newCwd, *scope);
            EXPECT_GT(JSONLRewriter::inScopeTotal(forward, *scope), 0);
            JSONLRewriter::rewrite(folder, newCwd, oldCwd, *scope);
            const auto after = snapshot(folder);
            ASSERT_EQ(after.size(), original.size());
            for (const auto& [path, content] : original)
                EXPECT_TRUE(after.at(path) == content) << path << " changed after a round trip";
        }
    }
};

TEST_F(RewriteRoundTripTest, RealTranscripts)
{
    const auto fixtures = fixtureTranscripts();
    if (!fixtures)
        GTEST_SKIP() << "no fixture transcripts";
    const TempFolder marco;
    for (const char* name : {"short.jsonl", "tool_heavy.jsonl", "subagent.jsonl"})
        fs::copy_file(*fixtures / name, marco.path() / name);
    expectRoundTrip(marco.path(), "/home/marco/projects/spotter", "/srv/moved here/spotter");

    const TempFolder worktree;
    copyRealSession(worktree.path());
    expectRoundTrip(worktree.path(), realCwd, "/home/USER/w/é 4te");
}

TEST_F(RewriteRoundTripTest, GeneratedLines)
{
    const TempFolder folder;
    writeFile(folder.path() / "generated.jsonl", RandomLines(12345).text(3000));
    expectRoundTrip(folder.path(), "/a/b", "/q/new");
}

} // namespace
} // namespace threadhop::testing
