#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace threadhop {

/// The string values of a string-valued enumeration, in case order: each such enumeration
/// specialises it beside its declaration with `static constexpr std::array<std::string_view, N> values`.
template <typename Enum>
struct StringValues;

// Constrained through a default template argument: moc, which reads these headers, cannot read <concepts>.

/// The string value of `value`.
template <typename Enum, typename = decltype(StringValues<Enum>::values)>
constexpr std::string_view toString(Enum value)
{
    return StringValues<Enum>::values[static_cast<std::size_t>(value)];
}

/// The case whose string value is exactly `text`; nothing for any other text.
template <typename Enum, typename = decltype(StringValues<Enum>::values)>
constexpr std::optional<Enum> fromString(std::string_view text)
{
    const auto& values = StringValues<Enum>::values;
    for (std::size_t index = 0; index < values.size(); ++index) {
        if (values[index] == text)
            return static_cast<Enum>(index);
    }
    return std::nullopt;
}

} // namespace threadhop
