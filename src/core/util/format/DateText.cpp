#include "DateText.h"

#include <cstdio>
#include <ctime>

namespace threadhop {
namespace {

std::optional<int> digits(std::string_view text, std::size_t position, std::size_t count)
{
    if (position + count > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = position; i < position + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

std::string DateText::iso8601(std::chrono::system_clock::time_point date)
{
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(date);
    const auto day = floor<days>(seconds);
    const year_month_day ymd(day);
    const hh_mm_ss time(seconds - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02ld:%02ld:%02lldZ", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<long>(time.hours().count()), static_cast<long>(time.minutes().count()),
                  static_cast<long long>(time.seconds().count()));
    return text;
}

std::optional<std::chrono::system_clock::time_point> DateText::parseIso8601(std::string_view text)
{
    using namespace std::chrono;
    if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const auto yearValue = digits(text, 0, 4), monthValue = digits(text, 5, 2), dayValue = digits(text, 8, 2);
    const auto hourValue = digits(text, 11, 2), minuteValue = digits(text, 14, 2), secondValue = digits(text, 17, 2);
    if (!yearValue || !monthValue || !dayValue || !hourValue || !minuteValue || !secondValue)
        return std::nullopt;
    const year_month_day ymd(year(*yearValue), month(static_cast<unsigned>(*monthValue)),
                             day(static_cast<unsigned>(*dayValue)));
    if (!ymd.ok() || *hourValue > 23 || *minuteValue > 59 || *secondValue > 60)
        return std::nullopt;

    minutes offset{0};
    const std::string_view zone = text.substr(19);
    if (zone != "Z") {
        if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':')
            return std::nullopt;
        const auto offsetHours = digits(zone, 1, 2), offsetMinutes = digits(zone, 4, 2);
        if (!offsetHours || !offsetMinutes || *offsetHours > 23 || *offsetMinutes > 59)
            return std::nullopt;
        offset = hours(*offsetHours) + minutes(*offsetMinutes);
        if (zone[0] == '-')
            offset = -offset;
    }
    const sys_seconds instant =
        sys_days(ymd) + hours(*hourValue) + minutes(*minuteValue) + seconds(*secondValue) - offset;
    // The clock counts nanoseconds in 64 bits: it holds the years 1677 to 2262 and nothing beyond.
    constexpr auto earliest = ceil<seconds>(system_clock::time_point::min());
    constexpr auto latest = floor<seconds>(system_clock::time_point::max());
    if (instant < earliest || instant > latest)
        return std::nullopt;
    return time_point_cast<system_clock::duration>(instant);
}

std::string DateText::localStamp(std::chrono::system_clock::time_point time)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

} // namespace threadhop
