#pragma once

#include <QIcon>
#include <QStringList>

namespace threadhop::testing {

/// While alive, no icon theme can be found, as on a desktop that installs none.
class ScopedNoIconTheme final {
public:
    ScopedNoIconTheme()
    {
        QIcon::setThemeSearchPaths({});
        QIcon::setThemeName({});
    }
    ~ScopedNoIconTheme()
    {
        QIcon::setThemeSearchPaths(m_searchPaths);
        QIcon::setThemeName(m_name);
    }
    ScopedNoIconTheme(const ScopedNoIconTheme&) = delete;
    ScopedNoIconTheme& operator=(const ScopedNoIconTheme&) = delete;

private:
    QString m_name = QIcon::themeName();
    QStringList m_searchPaths = QIcon::themeSearchPaths();
};

} // namespace threadhop::testing
