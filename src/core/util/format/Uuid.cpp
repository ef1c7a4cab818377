#include "Uuid.h"

#include "core/util/format/HexDigit.h"

#include <algorithm>
#include <system_error>

#include <cerrno>
#include <sys/random.h>

namespace threadhop {
namespace {

constexpr std::array<std::size_t, 4> hyphenPositions{8, 13, 18, 23};

std::string format(const std::array<std::uint8_t, 16>& bytes, const char* digits)
{
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

} // namespace

Uuid Uuid::random()
{
    Uuid uuid;
    std::size_t filled = 0;
    while (filled < uuid.m_bytes.size()) {
        const ssize_t got = getrandom(uuid.m_bytes.data() + filled, uuid.m_bytes.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw std::system_error(errno, std::generic_category(), "getrandom");
        }
        filled += static_cast<std::size_t>(got);
    }
    uuid.m_bytes[6] = static_cast<std::uint8_t>((uuid.m_bytes[6] & 0x0F) | 0x40);
    uuid.m_bytes[8] = static_cast<std::uint8_t>((uuid.m_bytes[8] & 0x3F) | 0x80);
    return uuid;
}

std::optional<Uuid> Uuid::parse(std::string_view text)
{
    if (text.size() != 36)
        return std::nullopt;
    Uuid uuid;
    std::size_t digit = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool hyphenPlace = std::find(hyphenPositions.begin(), hyphenPositions.end(), i) != hyphenPositions.end();
        if (hyphenPlace) {
            if (text[i] != '-')
                return std::nullopt;
            continue;
        }
        const int value = hexDigitValue(text[i]);
        if (value < 0)
            return std::nullopt;
        auto& byte = uuid.m_bytes[digit / 2];
        byte = static_cast<std::uint8_t>(digit % 2 == 0 ? value << 4 : byte | value);
        ++digit;
    }
    return uuid;
}

std::string Uuid::upperText() const
{
    return format(m_bytes, "0123456789ABCDEF");
}

std::string Uuid::lowerText() const
{
    return format(m_bytes, "0123456789abcdef");
}

} // namespace threadhop
