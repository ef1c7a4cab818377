#include "SettingsFile.h"

#include "ui/widgets/QtText.h"

#include "core/util/fs/HomeFolder.h"

#include <QSettings>

#include <cstdlib>

namespace threadhop {

std::unique_ptr<QSettings> SettingsFile::open()
{
    std::filesystem::path configHome = HomeFolder::path() / ".config";
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && std::filesystem::path(xdg).is_absolute())
        configHome = xdg;
    return std::make_unique<QSettings>(toQString((configHome / "Threadhop" / "Threadhop.conf").string()),
                                       QSettings::IniFormat);
}

} // namespace threadhop
