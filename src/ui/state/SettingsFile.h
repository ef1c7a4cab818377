#pragma once

#include <memory>

class QSettings;

// The application's settings file. It keeps the main window's frame and the widths of its columns,
// and nothing of the user's conversations.
namespace threadhop::SettingsFile {

/// <config home>/Threadhop/Threadhop.conf, where the config home is $XDG_CONFIG_HOME when it is
/// absolute, otherwise .config in the home folder.
std::unique_ptr<QSettings> open();

} // namespace threadhop::SettingsFile
