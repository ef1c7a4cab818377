#pragma once

#include "core/encoding/CwdCodec.h"

#include <filesystem>
#include <string>

namespace threadhop::testing {

/// A home folder whose default account holds the real Claude Code transcripts of
/// `tests/fixtures/transcripts/`, re-recorded so that its six projects cover every resume status; the
/// interface tests and the screenshots share it. Missing directories lie outside the temporary folder
/// the home is in, where a missing directory would count as a vanished temporary location.
struct TranscriptHome {
    std::filesystem::path home;
    std::string readyCwd;      ///< ok
    std::string oldAppCwd;     ///< the folder name's directory of the cwdMismatch project (gone)
    std::string renamedAppCwd; ///< recorded by that project, and present
    std::string movedCwd;      ///< targetMissing, with one suggestion; holds the large session
    std::string movedSuggestion;
    std::string lostCwd;                                           ///< targetMissing, with two suggestions
    std::string temporaryCwd;                                      ///< ephemeralLocation
    static constexpr const char* noCwdFolder = "-Users-ana-notes"; ///< noCwdRecorded

    /// Writes the account into `home`; throws when the fixture transcripts are missing.
    static TranscriptHome write(const std::filesystem::path& home);

    std::filesystem::path projects() const { return home / ".claude" / "projects"; }
    std::filesystem::path folderOf(const std::string& cwd) const { return projects() / CwdCodec::encode(cwd); }
};

} // namespace threadhop::testing
