#pragma once

#include <filesystem>

namespace threadhop::HomeFolder {

/// The current user's home folder as the user database reports it, or the folder of the innermost
/// live ScopedHomeOverride. Only a user without an entry in the database (a container user) gets
/// the HOME variable instead, when it holds an absolute path; otherwise "/".
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

/// Test seam: while alive, and no ScopedHomeOverride is, the user database has no entry for the
/// current user, so HomeFolder::path() reads the HOME variable on every call.
class ScopedMissingUserEntry final {
public:
    ScopedMissingUserEntry();
    ~ScopedMissingUserEntry();
    ScopedMissingUserEntry(const ScopedMissingUserEntry&) = delete;
    ScopedMissingUserEntry& operator=(const ScopedMissingUserEntry&) = delete;

private:
    bool m_wasMissing;
};

} // namespace threadhop
