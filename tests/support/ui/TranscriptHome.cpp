#include "TranscriptHome.h"

#include "support/TempHome.h"

#include "core/editing/JSONLRewriter.h"
#include "core/util/format/Uuid.h"

#include <initializer_list>

namespace threadhop::testing {
namespace {

namespace fs = std::filesystem;

const std::string largeSession = "ae4a77f8-aedd-4bc1-888f-c94edc91af04";
// The directories the fixture transcripts record.
const std::initializer_list<const char*> recordedCwds{"/home/marco/projects/spotter",
                                                      "/home/USER/projects/spotter-worktrees/spotter-4te"};

void placeProject(const fs::path& fixtures, const fs::path& folder, std::initializer_list<std::string> names,
                  const std::string& cwd)
{
    fs::create_directories(folder);
    for (const auto& name : names)
        fs::copy(fixtures / name, folder / name, fs::copy_options::recursive);
    for (const char* recorded : recordedCwds)
        JSONLRewriter::rewrite(folder, recorded, cwd, JSONLRewriter::Scope::withHistory);
}

} // namespace

TranscriptHome TranscriptHome::write(const fs::path& home)
{
    const fs::path fixtures = fixtureTranscripts();
    TranscriptHome result{.home = home,
                          .readyCwd = (home / "code" / "site").string(),
                          .oldAppCwd = (home / "code" / "old-app").string(),
                          .renamedAppCwd = (home / "code" / "renamed-app").string(),
                          .movedCwd = "/nonexistent-threadhop-fixture/spotter",
                          .movedSuggestion = (home / "code" / "spotter").string(),
                          .lostCwd = "/nonexistent-threadhop-fixture/api",
                          .temporaryCwd = "/tmp/threadhop-vanished-" + Uuid::random().lowerText() + "/scratch"};
    for (const auto& folder : {result.readyCwd, result.renamedAppCwd, result.movedSuggestion,
                               (home / "code" / "api").string(), (home / "work" / "api").string()})
        fs::create_directories(folder);
    writeFile(home / ".claude" / ".claude.json", R"({"oauthAccount":{"emailAddress":"ana@example.com"}})");

    placeProject(fixtures, result.folderOf(result.readyCwd), {"short.jsonl"}, result.readyCwd);
    placeProject(fixtures, result.folderOf(result.oldAppCwd), {"tool_heavy.jsonl"}, result.renamedAppCwd);
    placeProject(fixtures, result.folderOf(result.movedCwd), {largeSession + ".jsonl", largeSession}, result.movedCwd);
    placeProject(fixtures, result.folderOf(result.lostCwd), {"subagent.jsonl"}, result.lostCwd);
    placeProject(fixtures, result.folderOf(result.temporaryCwd), {"short.jsonl"}, result.temporaryCwd);
    // The first line of a real transcript records no directory.
    const std::string content = readFile(fixtures / "short.jsonl");
    writeFile(result.projects() / noCwdFolder / "n1.jsonl", content.substr(0, content.find('\n') + 1));
    return result;
}

} // namespace threadhop::testing
