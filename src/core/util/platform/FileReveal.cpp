#include "FileReveal.h"

#include <mutex>

namespace threadhop {
namespace {

std::mutex revealerMutex;
FileReveal::Revealer installed;

} // namespace

void FileReveal::install(Revealer revealer)
{
    std::lock_guard lock(revealerMutex);
    installed = std::move(revealer);
}

void FileReveal::reveal(const std::filesystem::path& file)
{
    Revealer revealer;
    {
        std::lock_guard lock(revealerMutex);
        revealer = installed;
    }
    if (revealer)
        revealer(file);
}

} // namespace threadhop
