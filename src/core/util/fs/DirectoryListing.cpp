#include "DirectoryListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace threadhop {
namespace {

bool hasExtension(std::string_view name, std::string_view extension)
{
    return name.size() > extension.size() && name.ends_with(extension);
}

// Walks the folder open as `folderDescriptor`, which it takes over and closes.
void walk(int folderDescriptor, const std::filesystem::path& folder, int depth, std::string_view extension,
          std::vector<DirectoryListing::FoundFile>& found)
{
    DIR* listing = fdopendir(folderDescriptor);
    if (!listing) {
        ::close(folderDescriptor);
        return;
    }
    const int fd = dirfd(listing);
    while (const dirent* entry = readdir(listing)) {
        const char* name = entry->d_name;
        if (name[0] == '.')
            continue; // ".", ".." and hidden entries
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat info { };
            if (fstatat(fd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
        }
        if (type == DT_DIR) {
            const int sub = openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0)
                walk(sub, folder / name, depth + 1, extension, found);
            continue;
        }
        if (!hasExtension(name, extension))
            continue;
        const auto metadata = FileMetadata::readAt(fd, name);
        if (metadata && metadata->isRegularFile)
            found.push_back({folder / name, depth, *metadata});
    }
    closedir(listing);
}

} // namespace

bool DirectoryListing::isHiddenName(const std::filesystem::path& name)
{
    const auto& text = name.native();
    return !text.empty() && text.front() == '.';
}

std::vector<std::filesystem::directory_entry> DirectoryListing::entries(const std::filesystem::path& folder,
                                                                        Hidden hidden, Unlistable unlistable)
{
    std::vector<std::filesystem::directory_entry> result;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (hidden == Hidden::skip && isHiddenName(it->path().filename()))
            continue;
        result.push_back(*it);
    }
    if (!error)
        return result;
    if (unlistable == Unlistable::fail)
        throw std::filesystem::filesystem_error("cannot list the folder", folder, error);
    return {};
}

std::vector<std::string> DirectoryListing::names(const std::filesystem::path& folder, Hidden hidden,
                                                 Unlistable unlistable)
{
    std::vector<std::string> result;
    for (const auto& entry : entries(folder, hidden, unlistable))
        result.push_back(entry.path().filename().string());
    return result;
}

std::vector<DirectoryListing::FoundFile> DirectoryListing::findFiles(const std::filesystem::path& root,
                                                                     std::string_view extension)
{
    std::vector<FoundFile> found;
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
        walk(fd, root, 0, extension, found);
    return found;
}

} // namespace threadhop
