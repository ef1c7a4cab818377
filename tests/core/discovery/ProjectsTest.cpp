// The projects of an account: the folder names they are filed under, found, counted and dated by
// the indexer, then filtered for the list.

#include "core/discovery/ProjectFilter.h"
#include "core/discovery/ProjectIndexer.h"
#include "core/encoding/CwdCodec.h"
#include "core/migration/ConversationMigrator.h"

#include "support/Fifo.h"
#include "support/TempHome.h"
#include "support/UnprivilegedUser.h"

#include <algorithm>

namespace threadhop::testing {
namespace {

class ProjectIndexerTest : public HomeTest {
protected:
    const ClaudeAccount account{.id = "claude", .label = "claude (default)", .alias = "claude"};

    fs::path projects() const { return home() / ".claude" / "projects"; }

    fs::path transcript(std::string_view folder, std::string_view name, std::string_view content,
                        std::time_t modified = 1'700'000'000)
    {
        const auto path = projects() / folder / name;
        writeFile(path, content);
        EXPECT_TRUE(setModified(path, modified));
        return path;
    }

    // The first of `names` in the platform's listing order of `folder`.
    static std::string firstListed(const fs::path& folder, std::vector<std::string> names)
    {
        for (const auto& entry : fs::directory_iterator(folder)) {
            const auto name = entry.path().filename().string();
            if (std::find(names.begin(), names.end(), name) != names.end())
                return name;
        }
        return {};
    }
};

TEST_F(ProjectIndexerTest, CountsAndSizesNestedFilesButNotHiddenOnesOfConversationFoldersOnly)
{
    transcript("-p", "s1.jsonl", cwdLine("/p"));
    transcript("-p", "s2.jsonl", cwdLine("/p") + cwdLine("/p"));
    transcript("-p", "s1/subagents/agent-1.jsonl", "12345");
    transcript("-p", "s1/subagents/agent-2.jsonl", "123");
    transcript("-p", "s2/deeper/still/agent-3.jsonl", "1");
    transcript("-p", ".hidden.jsonl", std::string(1000, 'h'));
    transcript("-p", ".hidden-folder/agent.jsonl", std::string(1000, 'h'));
    transcript("-p", "s1/subagents/agent-1.meta.json", std::string(1000, 'm'));
    transcript("-p", "notes.md", std::string(1000, 'n'));
    // No conversation at the top of these folders, or no folder: no project.
    transcript("-memory-only", "memory/notes.jsonl", "x");
    transcript("-other-files", "readme.txt", "x");
    transcript("-upper-case", "s.JSONL", cwdLine("/u"));
    fs::create_directories(projects() / "-empty");
    transcript(".hidden-project", "s.jsonl", cwdLine("/h"));
    writeFile(projects() / "stray.jsonl", cwdLine("/stray"));

    const auto found = ProjectIndexer::projects(account);
    ASSERT_EQ(found.size(), 1u);
    const ProjectFolder& p = found[0];
    EXPECT_EQ(std::tie(p.id, p.accountId, p.folderName, p.sessionCount, p.subagentCount, p.totalSizeBytes),
              std::tuple("claude:-p", "claude", "-p", 2, 3, std::ssize(cwdLine("/p")) * 3 + 5 + 3 + 1));
}

TEST_F(ProjectIndexerTest, TheNewestTopLevelSessionGivesTheDirectoryAndEqualDatesKeepListingOrder)
{
    transcript("-p", "old.jsonl", cwdLine("/old"), 1000);
    transcript("-p", "new.jsonl", cwdLine("/new"), 2000);
    transcript("-p", "new/subagents/agent.jsonl", cwdLine("/nested"), 9000);
    transcript("-q", "a.jsonl", cwdLine("/a"), 1000);
    transcript("-q", "b.jsonl", cwdLine("/b"), 1000);
    transcript("-r", "s.jsonl", cwdLine("/r"), 1000);
    const auto found = ProjectIndexer::projects(account);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(std::tie(found[0].folderName, found[0].actualCwd, found[0].lastModified),
              std::tuple("-p", "/new", std::chrono::system_clock::from_time_t(9000)));
    const std::string first = firstListed(projects(), {"-q", "-r"});
    EXPECT_EQ(found[1].folderName, first);
    const std::string firstSession = firstListed(projects() / "-q", {"a.jsonl", "b.jsonl"});
    EXPECT_EQ(found[first == "-q" ? 1 : 2].actualCwd, firstSession == "a.jsonl" ? "/a" : "/b");
}

TEST_F(ProjectIndexerTest, ExtractCwdLineAndPrefixRules)
{
    const auto extract = [&](std::string_view content) {
        return ProjectIndexer::extractCwd(transcript("-p", "t.jsonl", content));
    };
    const std::pair<std::string, std::string> cases[] = {
        {"{\"type\":\"summary\"}\n" + cwdLine("/Users/ana/site"), "/Users/ana/site"},
        {"{\"type\":\"attachment\",\"cwd\":\"/attached\"}\n" + cwdLine("/real"), "/real"},
        {"{\"cwd\":\"\"}\n{\"message\":{\"cwd\":\"/from/message\"}}", "/from/message"},
        {"{\"cwd\":null,\"message\":{\"cwd\":\"\"}}\n" + cwdLine("/later"), "/later"},
        {"not json\n[1,2]\n\n\n" + cwdLine("/after/junk"), "/after/junk"},
        {"{\"a\":1}\u2028{\"cwd\":\"/after/u2028\"}", "/after/u2028"},
    };
    for (const auto& [content, cwd] : cases)
        EXPECT_EQ(extract(content), cwd) << content;
    EXPECT_EQ(extract(""), std::nullopt);

    // Only the first sixty lines that are not empty count.
    std::string sixty;
    for (int i = 0; i < 60; ++i)
        sixty += i % 2 ? "{\"type\":\"x\"}\n\n" : "garbage\n";
    EXPECT_EQ(extract(sixty + cwdLine("/61st")), std::nullopt);
    EXPECT_EQ(extract(sixty.substr(sixty.find('\n') + 1) + cwdLine("/60th")), "/60th");

    // The prefix ends one byte into a three-byte character of a long second line: the cut
    // character is dropped, so the first line still gives the directory.
    std::string content = cwdLine("/short/first") + "{\"text\":\"";
    while ((ProjectIndexer::cwdPrefixBytes - content.size()) % 3 != 1)
        content += 'x';
    while (content.size() < ProjectIndexer::cwdPrefixBytes + 10)
        content += "\u20AC";
    EXPECT_EQ(ProjectIndexer::extractCwd(transcript("-p", "cut.jsonl", content + "\"}\n")), "/short/first");

    // Invalid UTF-8 anywhere in the prefix loses the directory; beyond the prefix it does not matter.
    const std::string valid = cwdLine("/valid");
    EXPECT_EQ(ProjectIndexer::extractCwd(transcript("-p", "bad.jsonl", valid + "{\"x\":\"\xff\"}\n")), std::nullopt);
    const std::string padding(ProjectIndexer::cwdPrefixBytes, ' ');
    EXPECT_EQ(ProjectIndexer::extractCwd(transcript("-p", "late.jsonl", valid + padding + "\xff\n")), "/valid");
}

TEST_F(ProjectIndexerTest, BadLayoutsNeverCrashAndOnlyFilesNamedLikeTranscriptsAreConversations)
{
    EXPECT_EQ(ProjectIndexer::unreadableProjectsFolder(account), std::nullopt) << "no projects yet";
    writeFile(home() / ".claude" / "projects", "a file where a folder should be");
    EXPECT_TRUE(ProjectIndexer::projects(account).empty());
    EXPECT_EQ(ProjectIndexer::unreadableProjectsFolder(account),
              "Threadhop cannot read " + projects().string() + ": Not a directory.");
    fs::remove(projects());

    transcript("-p", "real.jsonl", cwdLine("/p"), 1000);
    transcript("-p", "folder.jsonl/inner/agent.jsonl", "12", 1000);
    fs::create_directory_symlink(projects() / "-p", projects() / "-p" / "loop");
    fs::create_directory_symlink(projects() / "-p", projects() / "-p" / "loop.jsonl");
    fs::create_symlink("real.jsonl", projects() / "-p" / "linked.jsonl");
    EXPECT_EQ(ProjectIndexer::extractCwd(projects() / "-p" / "folder.jsonl"), std::nullopt);
    // Newer than every transcript, so that each would be the newest conversation if it counted.
    makeFifo(projects() / "-p" / "fifo.jsonl");
    ASSERT_TRUE(setModified(projects() / "-p" / "fifo.jsonl", 2000));
    fs::create_symlink(projects() / "-p" / "gone", projects() / "-p" / "dangling.jsonl");
    fs::create_symlink("b.jsonl", projects() / "-p" / "a.jsonl");
    fs::create_symlink("a.jsonl", projects() / "-p" / "b.jsonl");
    makeFifo(projects() / "-fifo-only" / "s.jsonl");
    fs::create_directories(projects() / "-dangling");
    fs::create_symlink(projects() / "-dangling" / "gone", projects() / "-dangling" / "s.jsonl");

    // A folder named like a transcript is entered but not counted; links to folders are not followed.
    auto found = ProjectIndexer::projects(account);
    ASSERT_EQ(found.size(), 1u);
    const ProjectFolder& p = found[0];
    EXPECT_EQ(std::tie(p.folderName, p.sessionCount, p.subagentCount, p.totalSizeBytes, p.actualCwd),
              std::tuple("-p", 2, 1, 2 * std::ssize(cwdLine("/p")) + 2, "/p"));

    // A project folder reached through a link is a project of its own.
    fs::create_directory_symlink(projects() / "-p", projects() / "-linked");
    found = ProjectIndexer::projects(account);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].totalSizeBytes, found[1].totalSizeBytes);
}

TEST_F(ProjectIndexerTest, WhatCannotBeReadCountsForNothingAndAProjectsFolderThatCannotBeReadSaysWhy)
{
    const auto site = home() / "site";
    fs::create_directories(site);
    const std::string folder = CwdCodec::encode(site.string());
    transcript(folder, "older.jsonl", cwdLine(site.string()), 1000);
    const auto newest = transcript(folder, "newest.jsonl", cwdLine("/elsewhere"), 2000);
    const auto agent = transcript(folder, "older/subagents/agent.jsonl", "12345", 3000);
    const auto locked = transcript("-locked", "s.jsonl", cwdLine("/locked"));
    for (const auto& file : {newest, agent, locked})
        fs::permissions(file, fs::perms::none);
    const auto outcome = asUnprivilegedUser(home(), [&] {
        std::string said;
        for (const auto& p : ProjectIndexer::projects(account)) {
            said += p.folderName + ": " + std::to_string(p.sessionCount) + " + " + std::to_string(p.subagentCount)
                + ", " + std::to_string(p.totalSizeBytes) + " bytes, " + p.actualCwd.value_or("no directory") + ", "
                + (p.status == ResumeStatus::ok ? "ok" : "status " + std::to_string(static_cast<int>(p.status))) + ", "
                + std::to_string(std::chrono::system_clock::to_time_t(p.lastModified)) + "; ";
        }
        const ConversationMigrator::Input input{
            .accountId = "claude", .projectsRoot = projects(), .oldFolderName = folder, .oldCwd = site, .newCwd = "/b"};
        said += std::to_string(ConversationMigrator::preview(input).incomingConversations) + " incoming; ";
        fs::permissions(projects(), fs::perms::none);
        return said + ProjectIndexer::unreadableProjectsFolder(account).value_or("readable");
    });
    EXPECT_EQ(outcome,
              folder + ": 1 + 0, " + std::to_string(cwdLine(site.string()).size()) + " bytes, " + site.string()
                  + ", ok, 1000; 1 incoming; Threadhop cannot read " + projects().string() + ": Permission denied.");
}

// Each status from a directory is ResumeValidator's; here, that each project gets the one of its own.
TEST_F(ProjectIndexerTest, StatusComesFromTheRecordedDirectory)
{
    const auto site = home() / "site";
    fs::create_directories(site);
    const std::string encoded = CwdCodec::encode(site.string());
    transcript(encoded, "s.jsonl", cwdLine(site.string()));
    transcript("-other", "s.jsonl", cwdLine(site.string()));
    transcript("-none", "s.jsonl", "{}\n");
    std::map<std::string, ResumeStatus> statuses;
    for (const auto& project : ProjectIndexer::projects(account))
        statuses[project.folderName] = project.status;
    EXPECT_EQ(statuses,
              (std::map<std::string, ResumeStatus>{{encoded, ResumeStatus::ok},
                                                   {"-other", ResumeStatus::cwdMismatch},
                                                   {"-none", ResumeStatus::noCwdRecorded}}));
}

std::vector<std::string> names(const std::vector<ProjectFolder>& projects)
{
    std::vector<std::string> result;
    for (const auto& p : projects)
        result.push_back(p.folderName);
    return result;
}

// Filtering reads only the folder name, the recorded directory and the status.
const std::vector<ProjectFolder> listed{
    {.folderName = "-Users-ana-site", .actualCwd = "/Users/ana/site", .status = ResumeStatus::ok},
    {.folderName = "-Users-ana-gone", .actualCwd = "/Users/ana/gone", .status = ResumeStatus::targetMissing},
    {.folderName = "-Users-ana-moved", .actualCwd = "/Users/ana/elsewhere", .status = ResumeStatus::cwdMismatch},
    {.folderName = "-tmp-x", .actualCwd = "/tmp/x", .status = ResumeStatus::ephemeralLocation},
    {.folderName = "-Users-ana-unknown", .status = ResumeStatus::noCwdRecorded},
    {.folderName = "-Users-ana-Écoles", .actualCwd = "/Users/ana/Écoles", .status = ResumeStatus::ok},
};

// Why a filtered list is empty is read through its texts, in ProjectsListPresenterTest.
TEST(ProjectFilterTest, SearchMatchesDirectoryOrFolderNameIgnoringCaseAndBlanksAndProblemsAreMissingOrMismatched)
{
    const std::tuple<std::string, bool, std::vector<std::string>> cases[] = {
        {" \tSITE\u00A0 ", false, {"-Users-ana-site"}},
        {"-users-ana-unk", false, {"-Users-ana-unknown"}},
        {"écoles", false, {"-Users-ana-Écoles"}},
        {"   ", false, names(listed)},
        {"", true, {"-Users-ana-gone", "-Users-ana-moved"}},
        {"elsewhere", true, {"-Users-ana-moved"}},
    };
    for (const auto& [query, problemsOnly, expected] : cases)
        EXPECT_EQ(names(ProjectFilter::apply(listed, query, problemsOnly)), expected) << query;
}

TEST(CwdCodecTest, ReplacesSeparatorsDotsUnderscoresAndSpacesSoDifferentDirectoriesCanShareAName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/Users/ana/my_site.web", "-Users-ana-my-site-web"},
        {"/Users/ana/Café Notes", "-Users-ana-Café-Notes"},
        {"/Users/ana/.config", "-Users-ana--config"},
        {"/a+b", "-a+b"},
        {"", ""},
        {"/a-b", "-a-b"},
        {"/a/b", "-a-b"},
        // "." followed by U+0301 is one user-perceived character, so it is not replaced.
        {"/x.\u0301y/z", "-x.\u0301y-z"},
    };
    for (const auto& [directory, folder] : cases)
        EXPECT_EQ(CwdCodec::encode(directory), folder) << directory;
}

} // namespace
} // namespace threadhop::testing
