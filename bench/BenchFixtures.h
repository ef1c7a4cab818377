#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace threadhop::bench {

/// A scratch folder for one benchmark program, removed when it ends.
class ScratchFolder final {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

/// The real transcripts folder, or an empty path when it is not there.
std::filesystem::path fixtureTranscripts();

/// The first lines of a real transcript (ending in a line feed), or a synthetic opening when the
/// fixtures are missing.
std::string realOpeningLines(std::size_t count);

} // namespace threadhop::bench
