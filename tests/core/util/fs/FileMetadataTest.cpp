#include "core/util/fs/FileMetadata.h"

#include "support/TempHome.h"

#include <fcntl.h>

namespace threadhop::testing {
namespace {

using namespace std::chrono;

// Dates the file; false when its file system cannot hold the date.
bool setModified(const fs::path& path, sys_seconds date)
{
    return testing::setModified(path, date.time_since_epoch().count());
}

TEST(FileMetadataTest, DatesBeyondTheClockStandAtItsEnds)
{
    const TempFolder folder;
    const auto file = folder.path() / "f.jsonl";
    writeFile(file, "{}\n");
    const auto folderDescriptor = [&] { return ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); };

    const sys_seconds lastWholeSecond = sys_days(year(2262) / April / 11) + hours(23) + minutes(47) + seconds(16);
    ASSERT_TRUE(setModified(file, lastWholeSecond));
    EXPECT_EQ(FileMetadata::read(file)->modified, lastWholeSecond);

    for (const sys_seconds later : {lastWholeSecond + seconds(1), sys_seconds(sys_days(year(2263) / January / 1)),
                                    sys_seconds(sys_days(year(2400) / January / 1))}) {
        ASSERT_TRUE(setModified(file, later));
        EXPECT_EQ(FileMetadata::read(file)->modified, system_clock::time_point::max());
        const int descriptor = folderDescriptor();
        EXPECT_EQ(FileMetadata::readAt(descriptor, "f.jsonl")->modified, system_clock::time_point::max());
        ::close(descriptor);
    }
}

TEST(FileMetadataTest, DatesBeforeTheClockStandAtItsStart)
{
    const TempFolder folder;
    const auto file = folder.path() / "f.jsonl";
    writeFile(file, "{}\n");
    // ext4 keeps dates back to 1901 only; tmpfs and others keep older ones.
    if (!setModified(file, sys_days(year(1600) / January / 1)))
        GTEST_SKIP() << "the temporary folder's file system cannot date a file 1600";
    EXPECT_EQ(FileMetadata::read(file)->modified, system_clock::time_point::min());
}

} // namespace
} // namespace threadhop::testing
