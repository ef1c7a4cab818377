#include "ByteCountText.h"

#include <array>
#include <string_view>

namespace threadhop {
namespace {

struct Unit {
    std::string_view name;
    std::uint64_t size;
    int fractionDigits;
};

constexpr std::array<Unit, 6> units{{{"KB", 1'000ULL, 0},
                                     {"MB", 1'000'000ULL, 1},
                                     {"GB", 1'000'000'000ULL, 2},
                                     {"TB", 1'000'000'000'000ULL, 2},
                                     {"PB", 1'000'000'000'000'000ULL, 2},
                                     {"EB", 1'000'000'000'000'000'000ULL, 2}}};

std::uint64_t powerOfTen(int exponent)
{
    std::uint64_t value = 1;
    for (int i = 0; i < exponent; ++i)
        value *= 10;
    return value;
}

// bytes / step, rounded half to even.
std::uint64_t roundedSteps(std::uint64_t bytes, std::uint64_t step)
{
    std::uint64_t quotient = bytes / step;
    const std::uint64_t twiceRemainder = (bytes % step) * 2;
    if (twiceRemainder > step || (twiceRemainder == step && quotient % 2 == 1))
        ++quotient;
    return quotient;
}

} // namespace

std::string ByteCountText::fileStyle(std::int64_t bytes)
{
    const std::string sign = bytes < 0 ? "-" : "";
    const std::uint64_t magnitude = bytes < 0 ? 0 - static_cast<std::uint64_t>(bytes) : static_cast<std::uint64_t>(bytes);
    if (magnitude == 0)
        return "Zero KB";
    if (magnitude < 1000)
        return sign + std::to_string(magnitude) + (magnitude == 1 ? " byte" : " bytes");
    std::size_t index = 0;
    while (index + 1 < units.size() && magnitude >= units[index + 1].size)
        ++index;
    for (;; ++index) {
        const Unit& unit = units[index];
        const std::uint64_t scale = powerOfTen(unit.fractionDigits);
        // Counted in the last shown digit, so the arithmetic stays within 64 bits.
        const std::uint64_t steps = roundedSteps(magnitude, unit.size / scale);
        if (steps >= 1000 * scale && index + 1 < units.size())
            continue;
        // The fraction's digits, with its leading zeros and without its trailing ones.
        std::string fraction = std::to_string(scale + steps % scale).substr(1);
        while (!fraction.empty() && fraction.back() == '0')
            fraction.pop_back();
        return sign + std::to_string(steps / scale) + (fraction.empty() ? "" : "." + fraction) + " "
            + std::string(unit.name);
    }
}

} // namespace threadhop
