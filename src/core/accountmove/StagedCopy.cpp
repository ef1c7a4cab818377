#include "StagedCopy.h"

#include "core/util/format/Uuid.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/FileMetadata.h"

namespace threadhop {

namespace fs = std::filesystem;

StagedCopy::StagedCopy(fs::path targetFolder, std::string newSessionId)
    : m_target(std::move(targetFolder)),
      m_id(std::move(newSessionId)),
      m_folder(WorkFolders::fresh(m_target.parent_path(), WorkFolders::staging))
{
}

StagedCopy::~StagedCopy()
{
    discard();
}

void StagedCopy::discard()
{
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
}

void StagedCopy::refuseCollision() const
{
    for (const fs::path& taken : {m_target / (m_id + ".jsonl"), m_target / m_id}) {
        if (FileMetadata::itemExists(taken))
            throw SessionCopier::CopyError::destinationExists(taken.string());
    }
}

std::vector<PlacedFile> StagedCopy::placedFiles(const SessionCopier::CopyResult& copy) const
{
    std::vector<PlacedFile> placed;
    for (const auto& file : copy.destinationFiles) {
        if (auto stamp = PendingOperations::placedFile(file)) {
            stamp->path = m_target / file.lexically_relative(m_folder);
            placed.push_back(std::move(*stamp));
        }
    }
    return placed;
}

void StagedCopy::place(const SessionCopier::CopyResult& copy)
{
    std::vector<fs::path> items{copy.destinationTranscript};
    if (copy.destinationSidecar)
        items.push_back(*copy.destinationSidecar);
    fs::create_directories(m_target);
    std::vector<fs::path> placed;
    try {
        for (const auto& item : items) {
            const fs::path destination = m_target / item.filename();
            AtomicFile::moveWithoutReplacing(item, destination);
            placed.push_back(destination);
        }
    } catch (...) {
        std::error_code ignored;
        for (const auto& item : placed)
            fs::remove_all(item, ignored);
        throw;
    }
}

} // namespace threadhop
