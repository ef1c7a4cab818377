#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace threadhop::FolderChooser {

/// The question put to the user: `prompt` names the confirming action, `message` says what the
/// folder is for, and the dialog opens in `startFolder`.
struct Question {
    QString prompt;
    QString message;
    QString startFolder;

    bool operator==(const Question&) const = default;
};

/// Asks the user for one folder. The chosen path as the dialog gives it, or nothing when the user cancels.
using Ask = std::function<std::optional<QString>(const Question& question, QWidget* parent)>;

/// The platform's modal folder dialog: directories only, one of them, new ones may be created;
/// the prompt on its accept button and the message as its title.
std::optional<QString> askWithDialog(const Question& question, QWidget* parent);

/// Where the dialog opens for a project recorded in `recordedCwd`: the nearest existing folder
/// above that directory, so that a moved project's neighbours are in view; the home folder when
/// nothing is recorded or nothing above it exists but the root.
QString startFolder(const std::optional<std::string>& recordedCwd);

/// What `ask` answered, standardised: "." and ".." resolved as text and a trailing "/" dropped;
/// links are not followed.
std::optional<std::string> choose(const Ask& ask, const Question& question, QWidget* parent);

} // namespace threadhop::FolderChooser
