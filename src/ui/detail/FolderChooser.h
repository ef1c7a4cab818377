#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace threadhop::FolderChooser {

/// Asks the user for one folder: `prompt` names the confirming action, `message` says what the
/// folder is for. The chosen path as the dialog gives it, or nothing when the user cancels.
using Ask = std::function<std::optional<QString>(const QString& prompt, const QString& message, QWidget* parent)>;

/// The platform's modal folder dialog: directories only, one of them, new ones may be created;
/// `prompt` on its accept button and `message` as its title.
std::optional<QString> askWithDialog(const QString& prompt, const QString& message, QWidget* parent);

/// What `ask` answered, standardised: "." and ".." resolved as text and a trailing "/" dropped;
/// links are not followed.
std::optional<std::string> choose(const Ask& ask, const QString& prompt, const QString& message, QWidget* parent);

} // namespace threadhop::FolderChooser
