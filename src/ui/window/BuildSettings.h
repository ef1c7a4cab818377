#pragma once

#include <QString>

namespace threadhop {

/// The build settings the window shows, passed in by the application (empty means "none").
struct BuildSettings {
    QString version;
    QString buildNumber;
    QString productPageURL;
};

} // namespace threadhop
