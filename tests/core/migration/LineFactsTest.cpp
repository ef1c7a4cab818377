#include "core/migration/LineFacts.h"

#include <random>

#include <gtest/gtest.h>

namespace threadhop {
namespace {

// Position by position, as the definition reads.
LineFacts reference(std::string_view line, std::string_view directory)
{
    LineFacts facts;
    for (std::size_t at = 0; at < line.size();) {
        if (line.substr(at).starts_with(directory)) {
            ++facts.directoryCount;
            at += directory.size();
        } else {
            ++at;
        }
    }
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (line.substr(at).starts_with("\"cwd\""))
            facts.cwdKeyTexts = std::min(facts.cwdKeyTexts + 1, 2);
        if (line.substr(at).starts_with("\\/") || line.substr(at).starts_with("\\u"))
            facts.hasSpellingEscape = true;
    }
    return facts;
}

TEST(LineFactsTest, AgreesWithThePlainDefinitionAtEveryLengthAndAlignment)
{
    std::mt19937 random(7);
    const std::string alphabet = "/ab\"cwd\\u";
    for (int round = 0; round < 20000; ++round) {
        std::string directory;
        const std::size_t directoryLength = 1 + random() % (round % 5 == 0 ? 60 : 4);
        for (std::size_t i = 0; i < directoryLength; ++i)
            directory += alphabet[random() % 3];
        std::string line;
        const std::size_t length = random() % 160;
        while (line.size() < length) {
            switch (random() % 4) {
            case 0:
                line += directory;
                break;
            case 1:
                line += "\"cwd\"";
                break;
            default:
                line += alphabet[random() % alphabet.size()];
                break;
            }
        }
        ASSERT_EQ(LineFacts::of(line, directory), reference(line, directory))
            << "line [" << line << "] directory [" << directory << "]";
    }
}

} // namespace
} // namespace threadhop
