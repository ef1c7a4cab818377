#pragma once

#include "DiscoveryGate.h"
#include "UiTest.h"

#include "ui/state/AppEnvironment.h"

#include <QThread>

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace threadhop::testing {

/// An account started by the alias `id`, which only names its configuration folder.
inline ClaudeAccount account(std::string id, std::optional<std::string> configDir = std::nullopt)
{
    return {.id = id, .label = id, .alias = id, .configDir = std::move(configDir), .aliasIsSimple = true};
}

inline ProjectFolder project(const std::string& accountId, const std::string& folder,
                             ResumeStatus status = ResumeStatus::ok)
{
    return {.id = accountId + ":" + folder, .accountId = accountId, .folderName = folder, .status = status};
}

/// Discovery from plain data: the n-th account scan returns accountsByCall[n - 1] (the last list
/// once they run out), projects come from the map. Every account scan waits at the gate until the
/// test lets it go (or opens the gate), and calls made on the GUI thread are counted.
struct FakeDiscovery {
    std::shared_ptr<DiscoveryGate> gate = std::make_shared<DiscoveryGate>();
    std::shared_ptr<std::vector<std::vector<ClaudeAccount>>> accountsByCall =
        std::make_shared<std::vector<std::vector<ClaudeAccount>>>();
    std::shared_ptr<std::map<std::string, std::vector<ProjectFolder>>> projects =
        std::make_shared<std::map<std::string, std::vector<ProjectFolder>>>();
    std::shared_ptr<std::atomic<int>> callsOnGuiThread = std::make_shared<std::atomic<int>>(0);

    AppEnvironment::Discovery discovery() const
    {
        QThread* gui = QThread::currentThread();
        return {.scanAccounts =
                    [=, *this] {
                        if (QThread::currentThread() == gui)
                            ++*callsOnGuiThread;
                        const int ticket = gate->enter();
                        const auto& lists = *accountsByCall;
                        return lists.empty() ? std::vector<ClaudeAccount>{}
                                             : lists[std::min<std::size_t>(ticket, lists.size()) - 1];
                    },
                .indexProjects =
                    [=, *this](const ClaudeAccount& account) {
                        if (QThread::currentThread() == gui)
                            ++*callsOnGuiThread;
                        const auto found = projects->find(account.id);
                        return found == projects->end() ? std::vector<ProjectFolder>{} : found->second;
                    }};
    }

    /// Lets every scan through at once, finding `accounts` with `projectsByAccount`.
    AppEnvironment::Discovery finding(std::vector<ClaudeAccount> accounts = {},
                                      std::map<std::string, std::vector<ProjectFolder>> projectsByAccount = {})
    {
        gate->openForAll();
        *accountsByCall = {std::move(accounts)};
        *projects = std::move(projectsByAccount);
        return discovery();
    }
};

/// Runs the event loop until no scan of `env` is running; fails the test if one still is after ten seconds.
inline void waitForScan(const AppEnvironment& env)
{
    ASSERT_TRUE(waitUntil([&] { return !env.isScanning(); }));
}

inline void rescan(AppEnvironment& env)
{
    env.scan();
    waitForScan(env);
}

} // namespace threadhop::testing
