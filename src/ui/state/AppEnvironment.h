#pragma once

#include "ui/jobs/LatestJob.h"

#include "core/models/ClaudeAccount.h"
#include "core/models/ProjectFolder.h"

#include <QFlags>
#include <QObject>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace threadhop {

/// The one shared state of the application: the accounts and projects of the last scan, the scan's
/// progress, the selections and the projects list's filter. Lives on the GUI thread; every member
/// is called there. Views read it and redraw on `changed`, which fires once per published update
/// (a scan's results, selection and finish time arrive as one update).
class AppEnvironment final : public QObject {
    Q_OBJECT

public:
    /// What one update changed.
    enum class Change {
        accounts = 0x01,
        projectsByAccount = 0x02,
        isScanning = 0x04,
        lastScanFinished = 0x08,
        selectedAccountId = 0x10,
        selectedProjectId = 0x20,
        searchText = 0x40,
        showOnlyProblems = 0x80,
    };
    Q_DECLARE_FLAGS(Changes, Change)

    /// The discovery calls a scan makes, off the GUI thread. Tests replace them.
    struct Discovery {
        std::function<std::vector<ClaudeAccount>()> scanAccounts;
        std::function<std::vector<ProjectFolder>(const ClaudeAccount&)> indexProjects;
        /// Why an account's projects folder cannot be read; none asked when empty.
        std::function<std::optional<std::string>(const ClaudeAccount&)> unreadableProjectsFolder;

        /// AccountScanner::scan, ProjectIndexer::projects and ProjectIndexer::unreadableProjectsFolder.
        static Discovery standard();
    };

    using ProjectsByAccount = std::map<std::string, std::vector<ProjectFolder>>;

    explicit AppEnvironment(Discovery discovery = Discovery::standard(), QObject* parent = nullptr);
    /// Returns at once: a scan still running is left to finish on its own and its result dropped.
    ~AppEnvironment() override;

    const std::vector<ClaudeAccount>& accounts() const { return m_accounts; }
    const ProjectsByAccount& projectsByAccount() const { return m_projectsByAccount; }
    bool isScanning() const { return m_scans.isRunning(); }
    const std::optional<std::chrono::system_clock::time_point>& lastScanFinished() const { return m_lastScanFinished; }
    const std::optional<std::string>& selectedAccountId() const { return m_selectedAccountId; }
    const std::optional<std::string>& selectedProjectId() const { return m_selectedProjectId; }
    const std::string& searchText() const { return m_searchText; }
    bool showOnlyProblems() const { return m_showOnlyProblems; }

    /// Each setter publishes one update when the value differs from the current one.
    void setSelectedAccountId(std::optional<std::string> id);
    void setSelectedProjectId(std::optional<std::string> id);
    void setSearchText(std::string text);
    void setShowOnlyProblems(bool on);

    /// Starts a rescan of every account and returns at once. Discovery runs one account after
    /// another on a thread pool that nothing waits for, not even the application's exit; the
    /// results, the repaired account selection, the finish time and the end of scanning are
    /// published together on the GUI thread. Never fails.
    void scan();

    /// The account's projects in the indexer's order; empty for no id or an unknown one.
    const std::vector<ProjectFolder>& projects(const std::optional<std::string>& accountId) const;
    /// The sentence that says why the account's projects folder could not be read at the last scan.
    std::optional<std::string> unreadableProjectsFolder(const std::optional<std::string>& accountId) const;
    /// The account's projects whose status is `targetMissing` or `cwdMismatch`.
    std::int64_t problems(const std::string& accountId) const;
    std::int64_t totalProjects() const;
    /// Problem projects of every account, whichever is selected.
    std::int64_t totalProblems() const;
    /// The selected project when it belongs to the selected account's list.
    std::optional<ProjectFolder> selectedProject() const;

signals:
    void changed(threadhop::AppEnvironment::Changes what);

private:
    struct ScanResult {
        std::vector<ClaudeAccount> accounts;
        ProjectsByAccount projectsByAccount;
        std::map<std::string, std::string> unreadableProjectsFolders;
    };

    /// A scan ended: publishes the end of scanning when it was the last one running, and `newest`,
    /// the result of the newest scan that has ended, when there is one.
    void scanEnded(ScanResult* newest);

    Discovery m_discovery;
    std::vector<ClaudeAccount> m_accounts;
    ProjectsByAccount m_projectsByAccount;
    std::map<std::string, std::string> m_unreadableProjectsFolders; ///< published with the projects
    std::optional<std::chrono::system_clock::time_point> m_lastScanFinished;
    std::optional<std::string> m_selectedAccountId;
    std::optional<std::string> m_selectedProjectId;
    std::string m_searchText;
    bool m_showOnlyProblems = false;

    // When scans overlap, one that started before the one already published read older data.
    LatestJob m_scans;
};

} // namespace threadhop

Q_DECLARE_OPERATORS_FOR_FLAGS(threadhop::AppEnvironment::Changes)
