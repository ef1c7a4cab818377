#pragma once

#include "FakeDiscovery.h"
#include "support/MigrationTest.h"

#include "ui/accounts/AccountListModel.h"
#include "ui/accounts/AccountsSidebar.h"
#include "ui/jobs/JobPool.h"
#include "ui/projects/ProjectListModel.h"
#include "ui/projects/ProjectsListView.h"
#include "ui/window/RootView.h"

#include <QAbstractItemModelTester>
#include <QThreadPool>

#include <map>
#include <memory>
#include <vector>

namespace threadhop::testing {

/// The main window over the test's discovery, with the models of its two lists under the item
/// model tester, in a home where migrations are made as in the engine's tests.
class WindowTest : public MigrationTest {
protected:
    FakeDiscovery fake;
    std::unique_ptr<AppEnvironment> env;
    std::unique_ptr<RootView> window;

    void open(AppEnvironment::Discovery discovery)
    {
        env = std::make_unique<AppEnvironment>(std::move(discovery));
        window = std::make_unique<RootView>(*env);
        for (QAbstractItemModel* model : std::initializer_list<QAbstractItemModel*>{&sidebarModel(), &listModel()})
            m_testers.push_back(std::make_unique<QAbstractItemModelTester>(
                model, QAbstractItemModelTester::FailureReportingMode::Warning));
        window->show();
    }

    /// Opens the window over scans that go through at once, and waits for the first.
    void openScanned(std::vector<ClaudeAccount> accounts = {},
                     std::map<std::string, std::vector<ProjectFolder>> projects = {})
    {
        open(fake.finding(std::move(accounts), std::move(projects)));
        waitForScan(*env);
    }

    void TearDown() override
    {
        fake.gate->openForAll();
        if (env)
            waitForScan(*env);
        // Engine jobs read the temporary home, which goes with the test.
        JobPool::shared().waitForDone();
        m_testers.clear();
        window.reset();
        env.reset();
    }

    AccountListModel& sidebarModel() { return child<AccountsSidebar>(*window, u"accountsSidebar"_s)->model(); }
    ProjectListModel& listModel() { return child<ProjectsListView>(*window, u"projectsListView"_s)->model(); }

private:
    std::vector<std::unique_ptr<QAbstractItemModelTester>> m_testers;
};

} // namespace threadhop::testing
