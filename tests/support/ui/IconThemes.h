#pragma once

#include <QIcon>
#include <QStringList>

namespace threadhop::testing {

/// While alive, no icon theme can be found, as on a desktop that installs none; the themes before
/// come back after.
class ScopedNoIconTheme final {
public:
    ScopedNoIconTheme()
        : m_name(QIcon::themeName()),
          m_fallbackName(QIcon::fallbackThemeName()),
          m_searchPaths(QIcon::themeSearchPaths()),
          m_fallbackSearchPaths(QIcon::fallbackSearchPaths())
    {
        QIcon::setThemeSearchPaths({});
        QIcon::setFallbackSearchPaths({});
        QIcon::setThemeName({});
        QIcon::setFallbackThemeName({});
    }
    ~ScopedNoIconTheme()
    {
        QIcon::setThemeSearchPaths(m_searchPaths);
        QIcon::setFallbackSearchPaths(m_fallbackSearchPaths);
        QIcon::setThemeName(m_name);
        QIcon::setFallbackThemeName(m_fallbackName);
    }
    ScopedNoIconTheme(const ScopedNoIconTheme&) = delete;
    ScopedNoIconTheme& operator=(const ScopedNoIconTheme&) = delete;

private:
    QString m_name;
    QString m_fallbackName;
    QStringList m_searchPaths;
    QStringList m_fallbackSearchPaths;
};

} // namespace threadhop::testing
