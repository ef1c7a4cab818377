#pragma once

#include "TranscriptHome.h"
#include "WindowTest.h"

#include "ui/detail/ProjectDetailView.h"
#include "ui/sheets/MigrationSheet.h"

#include <QListView>

#include <utility>
#include <vector>

namespace threadhop::testing {

/// The main window over a home of real transcripts, scanned, with the folder dialog answered by the
/// test: `answer` is what it returns, `asked` what it was asked.
class TranscriptWindowTest : public WindowTest {
protected:
    std::optional<TranscriptHome> fixture;
    std::optional<QString> answer;
    std::vector<FolderChooser::Question> asked;

    void SetUp() override
    {
        fixture = TranscriptHome::write(home());
        open(discovery());
        detail().setFolderChooser([this](const FolderChooser::Question& question, QWidget*) {
            asked.push_back(question);
            return answer;
        });
        window->resize(1180, 720);
        waitForScan(*env);
    }

    virtual AppEnvironment::Discovery discovery() const { return AppEnvironment::Discovery::standard(); }

    ProjectDetailView& detail() { return *child<ProjectDetailView>(*window, u"projectDetailView"_s); }
    MigrationSheet* sheet() { return detail().migrationSheet(); }

    static std::string idOf(const std::string& folderName) { return "claude:" + folderName; }

    /// Selects the project recorded in `cwd`'s folder through the shared state.
    void select(const std::string& cwd) { env->setSelectedProjectId(idOf(CwdCodec::encode(cwd))); }

    /// Selects the row of the project folder `folderName` in the projects list, as a click does.
    void selectRow(const std::string& folderName)
    {
        const int row = listModel().rowOf(idOf(folderName));
        ASSERT_GE(row, 0) << folderName;
        child<QListView>(*window, u"projectsList"_s)
            ->selectionModel()
            ->select(listModel().index(row), QItemSelectionModel::ClearAndSelect);
    }
};

} // namespace threadhop::testing
