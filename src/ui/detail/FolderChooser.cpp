#include "FolderChooser.h"

#include "ui/widgets/QtText.h"

#include "core/util/fs/HomeFolder.h"
#include "core/util/text/PathText.h"

#include <QFileDialog>

#include <filesystem>

namespace threadhop {

std::optional<QString> FolderChooser::askWithDialog(const Question& question, QWidget* parent)
{
    QFileDialog dialog(parent, question.message, question.startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, question.prompt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

QString FolderChooser::startFolder(const std::optional<std::string>& recordedCwd)
{
    if (recordedCwd && recordedCwd->starts_with('/')) {
        std::filesystem::path folder = PathText::standardized(*recordedCwd);
        // The root is no neighbour: a directory recorded on another machine (/Users/… here) has
        // nothing above it but the root, and the home folder is nearer to where the user looks.
        for (folder = folder.parent_path(); folder.has_relative_path(); folder = folder.parent_path()) {
            std::error_code error;
            if (std::filesystem::is_directory(folder, error))
                return toQString(folder.string());
        }
    }
    return toQString(HomeFolder::path().string());
}

std::optional<std::string> FolderChooser::choose(const Ask& ask, const Question& question, QWidget* parent)
{
    const auto answer = ask(question, parent);
    if (!answer)
        return std::nullopt;
    return PathText::standardized(toStdString(*answer));
}

} // namespace threadhop
