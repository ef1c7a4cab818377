// Typing into the projects list's search field over an account of 10,000 projects: one
// keystroke's filter and model update, then the events that lay out and draw the list.
#include "ui/projects/ProjectListModel.h"
#include "ui/projects/ProjectsListView.h"
#include "ui/state/AppEnvironment.h"

#include "core/discovery/ProjectFilter.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <array>

namespace threadhop {
namespace {

constexpr int projectCount = 10'000;

std::vector<ProjectFolder> manyProjects()
{
    static const std::array statuses{ResumeStatus::ok,
                                     ResumeStatus::ok,
                                     ResumeStatus::ok,
                                     ResumeStatus::cwdMismatch,
                                     ResumeStatus::targetMissing,
                                     ResumeStatus::noCwdRecorded};
    std::vector<ProjectFolder> projects;
    projects.reserve(projectCount);
    for (int i = 0; i < projectCount; ++i) {
        const std::string cwd = "/home/ana/projects/client-" + std::to_string(i / 40) + "/service-" + std::to_string(i);
        std::string folder = cwd;
        std::replace(folder.begin(), folder.end(), '/', '-');
        projects.push_back({.id = "claude:" + folder,
                            .accountId = "claude",
                            .folderName = folder,
                            .actualCwd = cwd,
                            .sessionCount = i % 17 + 1,
                            .subagentCount = i % 3,
                            .totalSizeBytes = 1000LL * i,
                            .lastModified = std::chrono::system_clock::now() - std::chrono::minutes(i),
                            .status = statuses[static_cast<std::size_t>(i) % statuses.size()]});
    }
    return projects;
}

// What the user types, one keystroke at a time, and then erases again.
const std::array<std::string, 12> keystrokes{"s",         "se",    "ser",  "serv", "servi", "service-99",
                                             "service-9", "servi", "serv", "ser",  "se",    ""};

// The keystrokes of `typed`, in turn, into a shown projects list over 10,000 projects.
template <std::size_t N>
void typeIntoProjectsList(benchmark::State& state, const std::array<std::string, N>& typed)
{
    const auto projects = manyProjects();
    AppEnvironment env({.scanAccounts = [] { return std::vector<ClaudeAccount>{{.id = "claude", .label = "claude"}}; },
                        .indexProjects = [projects](const ClaudeAccount&) { return projects; }});
    ProjectsListView view(env);
    view.resize(380, 700);
    view.show();
    env.scan();
    while (env.isScanning())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();

    std::size_t next = 0;
    for (auto _ : state) {
        env.setSearchText(typed[next]);
        QCoreApplication::processEvents();
        next = (next + 1) % typed.size();
    }
    state.counters["projects"] = projectCount;
}

void BM_KeystrokeInProjectsList(benchmark::State& state)
{
    typeIntoProjectsList(state, keystrokes);
}
BENCHMARK(BM_KeystrokeInProjectsList)->Unit(benchmark::kMillisecond);

// The worst keystroke: every project still matches, so all 10,000 are kept and listed.
void BM_KeystrokeKeepingEveryProject(benchmark::State& state)
{
    typeIntoProjectsList(state, std::array<std::string, 2>{"servic", "service"});
}
BENCHMARK(BM_KeystrokeKeepingEveryProject)->Unit(benchmark::kMillisecond);

// The same keystrokes without a view: the filter and the model reset alone.
void BM_FilterAndModelReset(benchmark::State& state)
{
    const auto projects = manyProjects();
    ProjectListModel model;
    std::size_t next = 0;
    for (auto _ : state) {
        model.setProjects(ProjectFilter::apply(projects, keystrokes[next], false));
        next = (next + 1) % keystrokes.size();
    }
}
BENCHMARK(BM_FilterAndModelReset)->Unit(benchmark::kMillisecond);

void BM_FilterOnly(benchmark::State& state)
{
    const auto projects = manyProjects();
    std::size_t next = 0;
    for (auto _ : state) {
        auto kept = ProjectFilter::apply(projects, keystrokes[next], false);
        benchmark::DoNotOptimize(kept);
        next = (next + 1) % keystrokes.size();
    }
}
BENCHMARK(BM_FilterOnly)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace threadhop
