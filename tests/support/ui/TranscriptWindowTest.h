#pragma once

#include "FakeDiscovery.h"
#include "TranscriptHome.h"

#include "ui/detail/ProjectDetailView.h"
#include "ui/projects/ProjectListModel.h"
#include "ui/projects/ProjectsListView.h"
#include "ui/sheets/MigrationSheet.h"
#include "ui/state/AppEnvironment.h"
#include "ui/window/RootView.h"

#include "core/encoding/CwdCodec.h"

#include <QListView>
#include <QThreadPool>

#include <memory>
#include <utility>
#include <vector>

namespace threadhop::testing {

/// The main window over a home of real transcripts (skipped where they are missing), scanned, with
/// the folder dialog answered by the test: `answer` is what it returns, `asked` what it was asked.
class TranscriptWindowTest : public HomeTest {
protected:
    std::optional<TranscriptHome> fixture;
    std::unique_ptr<AppEnvironment> env;
    std::unique_ptr<RootView> window;
    std::optional<QString> answer;
    std::vector<std::pair<QString, QString>> asked; ///< prompt and message of each question

    void SetUp() override
    {
        fixture = TranscriptHome::write(home());
        if (!fixture)
            GTEST_SKIP() << "no fixture transcripts";
        env = std::make_unique<AppEnvironment>();
        window = std::make_unique<RootView>(*env);
        detail().setFolderChooser([this](const QString& prompt, const QString& message, QWidget*) {
            asked.emplace_back(prompt, message);
            return answer;
        });
        window->resize(1180, 720);
        window->show();
        waitForScan();
    }

    void TearDown() override
    {
        if (env)
            waitForScan();
        // Engine jobs read the temporary home, which goes with the test.
        QThreadPool::globalInstance()->waitForDone();
        window.reset();
        env.reset();
    }

    void waitForScan() { testing::waitForScan(*env); }

    ProjectDetailView& detail() { return *child<ProjectDetailView>(*window, QStringLiteral("projectDetailView")); }
    ProjectListModel& listModel()
    {
        return child<ProjectsListView>(*window, QStringLiteral("projectsListView"))->model();
    }
    MigrationSheet* sheet() { return detail().migrationSheet(); }

    static std::string idOf(const std::string& folderName) { return "claude:" + folderName; }

    /// Selects the project recorded in `cwd`'s folder through the shared state.
    void select(const std::string& cwd) { env->setSelectedProjectId(idOf(CwdCodec::encode(cwd))); }

    /// Selects the row of the project folder `folderName` in the projects list, as a click does.
    void selectRow(const std::string& folderName)
    {
        const int row = listModel().rowOf(idOf(folderName));
        ASSERT_GE(row, 0) << folderName;
        child<QListView>(*window, QStringLiteral("projectsList"))
            ->selectionModel()
            ->select(listModel().index(row), QItemSelectionModel::ClearAndSelect);
    }

    template <typename T>
    T* find(const QString& name)
    {
        return child<T>(*window, name);
    }
};

} // namespace threadhop::testing
