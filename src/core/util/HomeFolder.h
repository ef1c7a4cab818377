#pragma once

#include <filesystem>

namespace threadhop::HomeFolder {

/// The current user's home folder as the user database reports it (never the HOME variable),
/// or the folder of the innermost live ScopedHomeOverride.
std::filesystem::path path();

} // namespace threadhop::HomeFolder

namespace threadhop {

/// Test seam: while alive, HomeFolder::path() answers `home`. Overrides nest; the newest wins.
class ScopedHomeOverride final {
public:
    explicit ScopedHomeOverride(std::filesystem::path home);
    ~ScopedHomeOverride();
    ScopedHomeOverride(const ScopedHomeOverride&) = delete;
    ScopedHomeOverride& operator=(const ScopedHomeOverride&) = delete;

private:
    std::filesystem::path m_previous;
    bool m_hadPrevious;
};

} // namespace threadhop
