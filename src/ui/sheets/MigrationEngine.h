#pragma once

#include "core/migration/ConversationMigrator.h"

#include <functional>
#include <string>

namespace threadhop {

/// The engine calls the migration sheet makes, each on the thread pool. Tests replace them.
struct MigrationEngine {
    std::function<MigrationPreview(const ConversationMigrator::Input&)> preview;
    std::function<MigrationRecord(const ConversationMigrator::Input&)> dryRun;
    std::function<MigrationRecord(const ConversationMigrator::Input&, const std::string& stamp)> migrate;

    /// ConversationMigrator's preview, dryRun and migrate.
    static MigrationEngine standard();
};

} // namespace threadhop
