// The account move writes each copied file once, with its edits made; a write that fails half-way
// must leave the target account exactly as it was.
#include "core/migration/AccountMover.h"

#include "core/migration/MigrationAudit.h"
#include "core/util/fs/NewFile.h"
#include "support/MigrationTest.h"

namespace threadhop {
namespace {

namespace fs = std::filesystem;

constexpr const char* sessionId = "5e55105e-0000-4000-8000-000000000001";

class AccountMoveWriteTest : public testing::MigrationTest { };

TEST_F(AccountMoveWriteTest, AWriteThatFailsHalfWayLeavesTheTargetAsItWas)
{
    const auto fixtures = testing::fixtureTranscripts();
    if (!fixtures)
        GTEST_SKIP() << "no fixture transcripts";
    const fs::path source = projects() / "-home-USER-projects-spotter-worktrees-spotter-4te";
    const std::string real = "ae4a77f8-aedd-4bc1-888f-c94edc91af04";
    fs::create_directories(source);
    fs::copy_file(*fixtures / (real + ".jsonl"), source / (std::string(sessionId) + ".jsonl"));
    fs::copy(*fixtures / real, source / sessionId, fs::copy_options::recursive);
    const fs::path targetProjects = home() / ".claude-work" / "projects";
    testing::writeFile(targetProjects / source.filename() / "theirs.jsonl", "{}\n");
    const auto before = snapshot(targetProjects);

    // The disk fills once a megabyte of the transcript's copy is written.
    const NewFile::ScopedWriteHook full([](const fs::path&, std::int64_t written) {
        if (written >= (1 << 20))
            throw fs::filesystem_error("cannot write", std::make_error_code(std::errc::no_space_on_device));
    });
    const AccountMoveInput fork{.source = ClaudeAccount{.id = "claude"},
                                .target =
                                    ClaudeAccount{.id = "claude-work", .configDir = (home() / ".claude-work").string()},
                                .sessionId = sessionId,
                                .sourceFolderName = source.filename().string(),
                                .launchCwd = "/home/USER/projects/spotter-worktrees/spotter-4te",
                                .mode = MoveMode::fork};
    EXPECT_THROW(AccountMover::move(fork, "20240501-093000"), fs::filesystem_error);
    EXPECT_EQ(snapshot(targetProjects), before);
    EXPECT_EQ(entries(targetProjects), std::vector<std::string>{source.filename().string()});
    EXPECT_TRUE(MigrationAudit::records().empty());
}

} // namespace
} // namespace threadhop
