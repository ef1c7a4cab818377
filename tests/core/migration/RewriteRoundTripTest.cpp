// Rewriting old → new and then new → old must give back every file byte for byte whenever
// new occurs nowhere in the originals: the rewrite touches nothing but the edited values.
#include "core/migration/JSONLRewriter.h"

#include "support/MigrationTest.h"

#include <random>

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
    const std::vector<std::string> values{"/a/b",      "/a/b/",  "/a/b/src", "/a/bc",
                                          "/z/a/b",    "/a/b-2", "\\/a\\/b", "cd /a/b && ls",
                                          "/a/b\\\"q", "",       "relative", "/a/b/\\u00e9"};
    const std::vector<std::string> keys{"cwd", "text", "path", "snapshot", "trackedFileBackups", "content"};
    std::mt19937 random(12345);
    const auto pick = [&](const auto& list) { return list[random() % list.size()]; };
    std::string content;
    for (int line = 0; line < 3000; ++line) {
        std::string text = "{";
        const int members = 1 + static_cast<int>(random() % 6);
        for (int m = 0; m < members; ++m) {
            if (m > 0)
                text += random() % 2 ? "," : " , ";
            text += "\"" + pick(keys) + "\"" + (random() % 3 ? ":" : " :\t");
            switch (random() % 4) {
            case 0:
                text += "\"" + pick(values) + "\"";
                break;
            case 1:
                text += "{\"cwd\":\"" + pick(values) + "\",\"n\":[\"" + pick(values) + "\",1.50e3]}";
                break;
            case 2:
                text += "[\"" + pick(values) + "\",null,true]";
                break;
            default:
                text += "-0.0";
                break;
            }
        }
        text += "}";
        if (random() % 50 == 0)
            text = "[\"/a/b\"] not an object";
        content += text + (random() % 20 == 0 ? "\r\n" : "\n");
        if (random() % 30 == 0)
            content += "\n";
    }
    const TempFolder folder;
    writeFile(folder.path() / "generated.jsonl", content);
    expectRoundTrip(folder.path(), "/a/b", "/q/new");
}

} // namespace
} // namespace threadhop::testing
