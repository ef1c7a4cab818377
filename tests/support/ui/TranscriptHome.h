#pragma once

#include "core/encoding/CwdCodec.h"

#include <filesystem>
#include <optional>
#include <string>

namespace threadhop::testing {

/// A home folder whose default account holds real Claude Code transcripts from the shared fixtures,
/// re-recorded so that its six projects cover every resume status. Missing directories lie outside
/// the temporary folder the home is in, where a missing directory would count as a vanished
/// temporary location.
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

    /// Writes the account into `home`, or nothing when the fixture transcripts are not there.
    static std::optional<TranscriptHome> write(const std::filesystem::path& home);

    std::filesystem::path projects() const { return home / ".claude" / "projects"; }
    std::filesystem::path folderOf(const std::string& cwd) const { return projects() / CwdCodec::encode(cwd); }
};

} // namespace threadhop::testing
