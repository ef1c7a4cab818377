#include "InterruptedMigration.h"

#include "core/editing/JSONLRewriter.h"
#include "core/migration/BackupArchiver.h"
#include "core/util/format/Uuid.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/FileMetadata.h"
#include "core/util/fs/ReadBuffer.h"

#include <algorithm>
#include <set>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& file)
{
    ReadBuffer buffer;
    if (!buffer.load(file))
        throw fs::filesystem_error("cannot read", file, std::make_error_code(std::errc::io_error));
    return std::string(buffer.content());
}

// Regular files below `folder`, relative to `base`; our temporaries left out.
void collectFiles(const fs::path& folder, const fs::path& base, std::set<fs::path>& into)
{
    std::error_code error;
    if (fs::is_regular_file(fs::symlink_status(folder, error))) {
        into.insert(folder.lexically_relative(base));
        return;
    }
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) && !AtomicFile::isTemporaryName(it->path().filename().string()))
            into.insert(it->path().lexically_relative(base));
    }
}

// The archive's copy of the old folder, in a hidden folder of the projects folder, gone with this object.
class Extraction final {
public:
    explicit Extraction(const fs::path& projectsRoot)
        : m_folder(WorkFolders::fresh(projectsRoot, WorkFolders::recovery))
    {
        fs::create_directories(m_folder);
    }
    ~Extraction()
    {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
    Extraction(const Extraction&) = delete;
    Extraction& operator=(const Extraction&) = delete;

    const fs::path& folder() const { return m_folder; }

private:
    fs::path m_folder;
};

class Restoration final {
public:
    Restoration(const PendingOperation& migration, const fs::path& archived)
        : m_migration(migration),
          m_merged(migration.migration().mergedEntries),
          m_root(migration.projectsRoot),
          m_old(m_root / migration.oldFolder),
          m_new(m_root / migration.newFolder),
          m_kept(migration.migration().keptOriginals),
          m_archived(archived)
    {
        collectFiles(m_archived, m_archived, m_files);
    }

    std::optional<std::string> check() const
    {
        for (const auto& file : m_files) {
            // The original of a file kept by the migration begins with what was archived of it; any
            // other file there is none of its own, whatever its name.
            if (const auto kept = keptOriginal(file);
                kept && !contentOf(*kept).starts_with(contentOf(m_archived / file)))
                return file.string() + "'s kept original does not begin with its backup";
            if (!matches(file))
                return file.string() + " changed since";
        }
        std::set<fs::path> present;
        for (const auto& [item, folder] : holders())
            collectFiles(item, folder, present);
        for (const auto& file : present) {
            if (!m_files.contains(file))
                return file.string() + " appeared since";
        }
        return std::nullopt;
    }

    void putBack() const
    {
        if (m_merged) {
            fs::create_directories(m_old);
            for (const auto& entry : *m_merged) {
                if (inDestination(entry))
                    AtomicFile::moveWithoutReplacing(m_new / entry, m_old / entry);
            }
        } else if (renamed()) {
            AtomicFile::moveWithoutReplacing(m_new, m_old);
        }
        for (const auto& file : m_files) {
            if (const auto kept = keptOriginal(file)) {
                fs::rename(*kept, m_old / file); // the very file the migration replaced
                continue;
            }
            const std::string archived = contentOf(m_archived / file);
            if (contentOf(m_old / file) != archived)
                AtomicFile::write(m_old / file, archived);
        }
        AtomicFile::removeTemporaries(m_old);
    }

private:
    bool renamed() const
    {
        return m_migration.newFolder != m_migration.oldFolder && !FileMetadata::itemExists(m_old)
            && FileMetadata::itemExists(m_new);
    }

    bool inDestination(const std::string& entry) const
    {
        const auto& merged = *m_merged;
        return std::find(merged.begin(), merged.end(), entry) != merged.end() && FileMetadata::itemExists(m_new / entry)
            && !FileMetadata::itemExists(m_old / entry);
    }

    // The folder that holds a file of the old folder now.
    const fs::path& holderOf(const fs::path& file) const
    {
        if (m_merged)
            return inDestination(file.begin()->string()) ? m_new : m_old;
        return renamed() ? m_new : m_old;
    }

    // The original the migration kept of the file: only a file of its own in the kept folder,
    // never one reached through a link, which could lead anywhere.
    std::optional<fs::path> keptOriginal(const fs::path& file) const
    {
        const fs::path kept = m_kept / file;
        std::error_code error;
        if (!FileMetadata::linkFreeBelow(m_kept, file) || !fs::is_regular_file(fs::symlink_status(kept, error)))
            return std::nullopt;
        return kept;
    }

    // The items that hold the migration's files now, each with the folder their paths are relative
    // to; nothing else may have appeared in them.
    std::vector<std::pair<fs::path, fs::path>> holders() const
    {
        if (!m_merged) {
            const fs::path& folder = renamed() ? m_new : m_old;
            return {{folder, folder}};
        }
        std::vector<std::pair<fs::path, fs::path>> found{{m_old, m_old}};
        for (const auto& entry : *m_merged) {
            if (inDestination(entry))
                found.emplace_back(m_new / entry, m_new);
        }
        return found;
    }

    std::string rewritten(const std::string& text) const
    {
        return JSONLRewriter::rewrittenText(text, m_migration.oldCwd, m_migration.newCwd,
                                            JSONLRewriter::Scope::of(m_migration.migration().rewriteHistory));
    }

    // The file is as archived, as kept, or as the migration rewrites either.
    bool matches(const fs::path& file) const
    {
        std::error_code error;
        const fs::path& holder = holderOf(file);
        const fs::path current = holder / file;
        if (!FileMetadata::linkFreeBelow(holder, file) || !fs::is_regular_file(fs::symlink_status(current, error)))
            return false;
        const std::string now = contentOf(current);
        std::vector<std::string> before{contentOf(m_archived / file)};
        if (const auto kept = keptOriginal(file))
            before.push_back(contentOf(*kept));
        return std::any_of(before.begin(), before.end(),
                           [&](const std::string& text) { return now == text || now == rewritten(text); });
    }

    const PendingOperation& m_migration;
    const std::optional<std::vector<std::string>>& m_merged; ///< a merge's entries
    fs::path m_root;
    fs::path m_old;
    fs::path m_new;
    fs::path m_kept;
    fs::path m_archived;
    std::set<fs::path> m_files;
};

} // namespace

std::optional<std::string> InterruptedMigration::putBack(const PendingOperation& migration)
{
    const Extraction extraction(migration.projectsRoot);
    try {
        BackupArchiver::extract(migration.archive, extraction.folder(), migration.oldFolder);
    } catch (const std::exception&) {
        return "its backup cannot be read";
    }
    const fs::path archived = extraction.folder() / migration.oldFolder;
    std::error_code error;
    if (!fs::is_directory(archived, error))
        return "its backup does not hold " + migration.oldFolder;
    const Restoration restoration(migration, archived);
    if (auto problem = restoration.check())
        return problem;
    restoration.putBack();
    return std::nullopt;
}

} // namespace threadhop
