#include "KeptOriginals.h"

#include "core/util/format/Uuid.h"

#include <cstdio>

namespace threadhop {

namespace fs = std::filesystem;

KeptOriginals::KeptOriginals(const fs::path& projectsRoot, const fs::path& projectFolder)
    : m_folder(projectsRoot / (".threadhop-originals-" + Uuid::random().lowerText())), m_projectFolder(projectFolder)
{
}

void KeptOriginals::discard()
{
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
}

fs::path KeptOriginals::placeFor(const fs::path& transcript)
{
    fs::path relative = transcript.lexically_relative(m_projectFolder);
    const fs::path place = m_folder / relative;
    fs::create_directories(place.parent_path());
    m_relative.push_back(std::move(relative));
    return place;
}

std::vector<std::string> KeptOriginals::putBack(const std::function<fs::path(const std::string& entry)>& whereNow)
{
    std::vector<std::string> failed;
    for (const auto& relative : m_relative) {
        const fs::path kept = m_folder / relative;
        std::error_code error;
        if (!fs::exists(fs::symlink_status(kept, error)))
            continue; // never replaced
        const fs::path current = whereNow(relative.begin()->string()) / relative;
        if (std::rename(kept.c_str(), current.c_str()) != 0)
            failed.push_back(relative.string());
    }
    return failed;
}

} // namespace threadhop
