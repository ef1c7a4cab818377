#include "FolderChooser.h"

#include "ui/widgets/QtText.h"

#include "core/util/text/PathText.h"

#include <QFileDialog>

namespace threadhop {

std::optional<QString> FolderChooser::askWithDialog(const QString& prompt, const QString& message, QWidget* parent)
{
    QFileDialog dialog(parent, message);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, prompt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<std::string> FolderChooser::choose(const Ask& ask, const QString& prompt, const QString& message,
                                                 QWidget* parent)
{
    const auto answer = ask(prompt, message, parent);
    if (!answer)
        return std::nullopt;
    return PathText::standardized(toStdString(*answer));
}

} // namespace threadhop
