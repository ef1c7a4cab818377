#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace threadhop {

/// The errors of folder migration and restore; what() is the complete sentence shown to the user.
class MigrationError final : public std::exception {
public:
    enum class Kind {
        oldFolderMissing,
        newFolderCollision,
        backupFailed,
        verificationFailed,
        renameFailed,
        notRestorable,
        nameClash,
        emptyPath,
        refused, ///< a folder the migration must not touch; the text says why
    };

    static MigrationError oldFolderMissing(std::string path);
    static MigrationError newFolderCollision(std::string path);
    static MigrationError backupFailed(std::string text);
    static MigrationError verificationFailed(std::int64_t count);
    static MigrationError renameFailed(std::string text);
    static MigrationError notRestorable(std::string text);
    static MigrationError nameClash(std::vector<std::string> names);
    static MigrationError emptyPath();
    static MigrationError refused(std::string reason);

    Kind kind() const { return m_kind; }
    /// The path or text the error carries (empty for the others).
    const std::string& text() const { return m_text; }
    std::int64_t count() const { return m_count; }
    const std::vector<std::string>& names() const { return m_names; }

    const char* what() const noexcept override { return m_description.c_str(); }

    bool operator==(const MigrationError& other) const
    {
        return m_kind == other.m_kind && m_text == other.m_text && m_count == other.m_count && m_names == other.m_names;
    }

private:
    MigrationError(Kind kind, std::string text, std::int64_t count, std::vector<std::string> names);

    Kind m_kind;
    std::string m_text;
    std::int64_t m_count;
    std::vector<std::string> m_names;
    std::string m_description;
};

} // namespace threadhop
