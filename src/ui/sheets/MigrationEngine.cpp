#include "MigrationEngine.h"

namespace threadhop {

MigrationEngine MigrationEngine::standard()
{
    return {.preview = [](const ConversationMigrator::Input& input) { return ConversationMigrator::preview(input); },
            .dryRun = [](const ConversationMigrator::Input& input) { return ConversationMigrator::dryRun(input); },
            .migrate = [](const ConversationMigrator::Input& input,
                          const std::string& stamp) { return ConversationMigrator::migrate(input, stamp); }};
}

} // namespace threadhop
