#include "AppEnvironment.h"

#include "ui/jobs/JobPool.h"

#include "core/discovery/AccountScanner.h"
#include "core/discovery/ProjectIndexer.h"

#include <QThreadPool>

#include <algorithm>

namespace threadhop {
namespace {

const std::vector<ProjectFolder> noProjects;

// Scans only read, so nothing waits for one: neither the state when it goes nor the application when
// it quits (it waits for the shared job pool then), even while a stalled file system holds a scan up.
QThreadPool* scanPool()
{
    static auto* const pool = JobPool::make(nullptr); // never destroyed: its destructor would wait as well
    return pool;
}

std::int64_t countProblems(const std::vector<ProjectFolder>& projects)
{
    return std::count_if(projects.begin(), projects.end(),
                         [](const ProjectFolder& project) { return needsAttention(project.status); });
}

} // namespace

AppEnvironment::Discovery AppEnvironment::Discovery::standard()
{
    return {.scanAccounts = [] { return AccountScanner::scan(); },
            .indexProjects = [](const ClaudeAccount& account) { return ProjectIndexer::projects(account); },
            .unreadableProjectsFolder =
                [](const ClaudeAccount& account) { return ProjectIndexer::unreadableProjectsFolder(account); }};
}

AppEnvironment::AppEnvironment(Discovery discovery, QObject* parent)
    : QObject(parent), m_discovery(std::move(discovery)), m_scans(*this, scanPool())
{
}

// A scan delivers through this object, so one that ends after it is gone is dropped.
AppEnvironment::~AppEnvironment() = default;

void AppEnvironment::setSelectedAccountId(std::optional<std::string> id)
{
    if (id == m_selectedAccountId)
        return;
    m_selectedAccountId = std::move(id);
    emit changed(Change::selectedAccountId);
}

void AppEnvironment::setSelectedProjectId(std::optional<std::string> id)
{
    if (id == m_selectedProjectId)
        return;
    m_selectedProjectId = std::move(id);
    emit changed(Change::selectedProjectId);
}

void AppEnvironment::setSearchText(std::string text)
{
    if (text == m_searchText)
        return;
    m_searchText = std::move(text);
    emit changed(Change::searchText);
}

void AppEnvironment::setShowOnlyProblems(bool on)
{
    if (on == m_showOnlyProblems)
        return;
    m_showOnlyProblems = on;
    emit changed(Change::showOnlyProblems);
}

void AppEnvironment::scan()
{
    const bool wasScanning = isScanning();
    // The job gets its own copy of the calls and hands back plain values: nothing shared crosses
    // threads, and nothing it uses goes away with this object.
    m_scans.start<ScanResult>(
        [discovery = m_discovery] {
            ScanResult result{.accounts = discovery.scanAccounts()};
            for (const auto& account : result.accounts) {
                result.projectsByAccount[account.id] = discovery.indexProjects(account);
                if (!discovery.unreadableProjectsFolder)
                    continue;
                if (auto problem = discovery.unreadableProjectsFolder(account))
                    result.unreadableProjectsFolders[account.id] = std::move(*problem);
            }
            return result;
        },
        [this](JobOutcome<ScanResult> outcome) { scanEnded(std::get_if<ScanResult>(&outcome)); },
        [this] { scanEnded(nullptr); });
    if (!wasScanning)
        emit changed(Change::isScanning);
}

void AppEnvironment::scanEnded(ScanResult* newest)
{
    Changes what;
    if (!isScanning())
        what |= Change::isScanning;
    if (newest) {
        m_accounts = std::move(newest->accounts);
        m_projectsByAccount = std::move(newest->projectsByAccount);
        m_unreadableProjectsFolders = std::move(newest->unreadableProjectsFolders);
        what |= Change::accounts | Change::projectsByAccount | Change::lastScanFinished;

        const bool selectionStands = m_selectedAccountId && accountWithId(m_accounts, *m_selectedAccountId);
        if (!selectionStands) {
            std::optional<std::string> first;
            if (!m_accounts.empty())
                first = m_accounts.front().id;
            if (first != m_selectedAccountId) {
                m_selectedAccountId = std::move(first);
                what |= Change::selectedAccountId;
            }
        }
        m_lastScanFinished = std::chrono::system_clock::now();
    }
    if (what)
        emit changed(what);
}

const std::vector<ProjectFolder>& AppEnvironment::projects(const std::optional<std::string>& accountId) const
{
    if (!accountId)
        return noProjects;
    const auto found = m_projectsByAccount.find(*accountId);
    return found == m_projectsByAccount.end() ? noProjects : found->second;
}

std::optional<std::string> AppEnvironment::unreadableProjectsFolder(const std::optional<std::string>& accountId) const
{
    if (!accountId)
        return std::nullopt;
    const auto found = m_unreadableProjectsFolders.find(*accountId);
    if (found == m_unreadableProjectsFolders.end())
        return std::nullopt;
    return found->second;
}

std::int64_t AppEnvironment::problems(const std::string& accountId) const
{
    return countProblems(projects(accountId));
}

std::int64_t AppEnvironment::totalProjects() const
{
    std::int64_t total = 0;
    for (const auto& [id, projects] : m_projectsByAccount)
        total += static_cast<std::int64_t>(projects.size());
    return total;
}

std::int64_t AppEnvironment::totalProblems() const
{
    std::int64_t total = 0;
    for (const auto& [id, projects] : m_projectsByAccount)
        total += countProblems(projects);
    return total;
}

std::optional<ProjectFolder> AppEnvironment::selectedProject() const
{
    if (!m_selectedProjectId)
        return std::nullopt;
    for (const auto& project : projects(m_selectedAccountId)) {
        if (project.id == *m_selectedProjectId)
            return project;
    }
    return std::nullopt;
}

} // namespace threadhop
