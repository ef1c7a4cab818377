// Transcript lines of any shape through the field editor. A transform that leaves every field as it
// is must give the line back byte for byte, and no edit may read or write outside the line.
#include "FuzzCheck.h"

#include "core/editing/JSONFieldEditor.h"

#include <array>

using namespace threadhop;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the keys.
    constexpr std::array<std::string_view, 6> candidates{"cwd", "parentUuid", "uuid", "sessionId", "c", "é"};
    std::vector<std::string> chosen;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (data[0] & (1u << i))
            chosen.emplace_back(candidates[i]);
    }
    const JSONFieldEditor::KeySet keys(chosen);
    const std::string_view line = fuzz::text(data + 1, size - 1);

    const auto untouched = [](std::string_view, std::string_view) { return std::optional<std::string_view>(); };
    fuzz::require(JSONFieldEditor::replaceStringFields(line, keys, untouched) == line);
    const auto same = [](std::string_view, std::string_view raw) { return std::optional<std::string_view>(raw); };
    fuzz::require(JSONFieldEditor::replaceStringFields(line, keys, same) == line);

    std::string out = "kept";
    std::string scratch;
    const auto longer = [&](std::string_view key, std::string_view raw) {
        scratch = std::string(raw) + "/" + std::string(key) + std::string(raw);
        return std::optional<std::string_view>(scratch);
    };
    JSONFieldEditor::appendReplacingStringFields(line, keys, longer, out);
    fuzz::require(out.starts_with("kept"));
    return 0;
}
