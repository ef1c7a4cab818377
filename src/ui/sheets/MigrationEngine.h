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
    static MigrationEngine standard()
    {
        return {
            .preview = [](const ConversationMigrator::Input& input) { return ConversationMigrator::preview(input); },
            .dryRun = [](const ConversationMigrator::Input& input) { return ConversationMigrator::dryRun(input); },
            .migrate = [](const ConversationMigrator::Input& input,
                          const std::string& stamp) { return ConversationMigrator::migrate(input, stamp); }};
    }
};

} // namespace threadhop
