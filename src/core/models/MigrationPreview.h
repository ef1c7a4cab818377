#pragma once

#include "CwdClass.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace threadhop {

/// What a folder migration would do; computed before the user commits, never stored.
struct MigrationPreview {
    std::string oldFolder;
    std::string newFolder;
    std::int64_t filesToRewrite = 0;   ///< transcripts with an occurrence of any class
    std::int64_t totalOccurrences = 0; ///< occurrences in scope
    bool destinationPopulated = false;
    std::int64_t incomingConversations = 0;
    std::optional<std::int64_t> destinationConversations;
    std::optional<std::string> blockedReason; ///< present when the migration is refused
    std::map<CwdClass, std::int64_t> occurrencesByClass;
    std::int64_t unparsableLines = 0;

    bool operator==(const MigrationPreview&) const = default;
};

} // namespace threadhop
