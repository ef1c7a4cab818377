#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace threadhop {

/// A 128-bit UUID value.
class Uuid final {
public:
    /// A version-4 UUID from the operating system's cryptographic random source.
    static Uuid random();

    /// The canonical 8-4-4-4-12 hexadecimal form, either letter case; nothing for anything else.
    static std::optional<Uuid> parse(std::string_view text);

    /// Canonical form with upper-case digits, as history records store it.
    std::string upperText() const;
    /// Canonical form with lower-case digits, as Claude Code writes identifiers.
    std::string lowerText() const;

    bool operator==(const Uuid&) const = default;
    /// Byte order, so that sets and maps can hold UUIDs.
    auto operator<=>(const Uuid&) const = default;

private:
    std::array<std::uint8_t, 16> m_bytes{};
};

} // namespace threadhop
