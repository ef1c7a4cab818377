// Writes each text of a generated build-settings header to a file named after it, byte for byte,
// for BuildInfoTest.cmake to compare with the values it gave.
#include "app/BuildInfo.h"

#include <fstream>
#include <string>
#include <utility>

int main(int argc, char* argv[])
{
    if (argc != 2)
        return 2;
    using namespace threadhop;
    const std::pair<const char*, const char*> texts[]{
        {"PROJECT_VERSION", BuildInfo::version},
        {"THREADHOP_BUILD_NUMBER", BuildInfo::buildNumber},
        {"THREADHOP_PRODUCT_PAGE_URL", BuildInfo::productPageURL},
        {"THREADHOP_PRODUCT_PAGE_FALLBACK", BuildInfo::productPageFallback},
        {"THREADHOP_UPDATE_FEED_URL", BuildInfo::updateFeedURL},
    };
    for (const auto& [name, text] : texts)
        std::ofstream(std::string(argv[1]) + "/" + name, std::ios::binary) << text;
    return 0;
}
