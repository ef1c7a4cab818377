#pragma once

#include "core/util/format/Uuid.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace threadhop::BackupArchiver {

/// Archives `folder` with /usr/bin/tar into <backups folder>/<folder name>-<stamp>.tar.gz, every
/// member path beginning with the folder's name, and returns the archive's path (an archive of
/// that name is replaced). The archive is written under a hidden temporary name that carries
/// `operation` (".<final name>.threadhop-<operation>") and takes its final name only once tar has
/// succeeded, flushed to the disk: no half-written file ever stands under a backup's name. The
/// caller holds the operation's lock (PendingOperations::Lock) meanwhile, so that a second
/// Threadhop leaves the unfinished archive alone. Compresses with pigz where it is installed,
/// with gzip otherwise. Blocks until tar exits. Throws MigrationError::backupFailed naming the
/// folder, followed by why: tar's last meaningful line, the reason tar could not start or the
/// backups folder could not be made; the temporary archive is removed then.
std::filesystem::path backup(const std::filesystem::path& folder, std::string_view stamp, const Uuid& operation);

/// The line of what tar (or its compressor) wrote to standard error that says why it failed: the
/// last line that is not blank and not one of tar's closing words ("Error is not recoverable:
/// exiting now", "Child returned status N", "Exiting with failure status due to previous errors"),
/// without the program's name that opens it ("tar: ", "/usr/bin/tar: ", "tar (child): ", "pigz:
/// abort: "). Empty when there is none or it is not UTF-8 text; a line longer than 4 KB keeps its end.
std::string lastMeaningfulLine(std::string_view toolOutput);

/// Extracts the member `member` (a folder, with everything below it) of `archive` into the folder
/// `into` with /usr/bin/tar, replacing files of the same names; nothing else of the archive is
/// extracted. Blocks until tar exits. Throws MigrationError::undoFailed, naming the archive and
/// tar's complaint, when it fails, an archive without that member included.
void extract(const std::filesystem::path& archive, const std::filesystem::path& into, const std::string& member);

/// The temporary archives that backups left behind unfinished, each with the operation that
/// wrote it (whether that operation still runs is for its lock to tell).
std::vector<std::pair<std::filesystem::path, Uuid>> unfinishedArchives();

/// Test seam: while alive, archives and extractions run `tar` instead of /usr/bin/tar, and
/// archives compress with `parallelGzip` instead of /usr/bin/pigz (a missing program falls back
/// to tar's own gzip).
class ScopedPrograms final {
public:
    explicit ScopedPrograms(std::filesystem::path tar, std::filesystem::path parallelGzip = "/usr/bin/pigz");
    ~ScopedPrograms();
    ScopedPrograms(const ScopedPrograms&) = delete;
    ScopedPrograms& operator=(const ScopedPrograms&) = delete;
};

} // namespace threadhop::BackupArchiver
