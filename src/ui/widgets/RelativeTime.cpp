#include "RelativeTime.h"

#include <array>
#include <limits>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

struct Unit {
    std::int64_t seconds;
    const char16_t* one;
    const char16_t* many;
};

constexpr std::int64_t minute = 60;
constexpr std::int64_t hour = 60 * minute;
constexpr std::int64_t day = 24 * hour;

// Largest first; a month and a year are their average lengths.
constexpr std::array units{
    Unit{365 * day + day / 4, u"yr.", u"yr."},
    Unit{30 * day + day / 2, u"mo.", u"mo."},
    Unit{7 * day, u"wk.", u"wk."},
    Unit{day, u"day", u"days"},
    Unit{hour, u"hr.", u"hr."},
    Unit{minute, u"min.", u"min."},
    Unit{1, u"sec.", u"sec."},
};

// now - then in whole seconds, truncated toward zero. Nanosecond counts more than 292 years apart
// (the distant past that stands in for an unreadable file date) overflow when subtracted; at that
// distance the seconds alone are exact enough.
std::int64_t elapsedSeconds(std::chrono::system_clock::time_point then, std::chrono::system_clock::time_point now)
{
    using namespace std::chrono;
    using Limits = std::numeric_limits<system_clock::rep>;
    const auto from = then.time_since_epoch().count();
    const auto to = now.time_since_epoch().count();
    const bool fits = from >= 0 ? to >= Limits::min() + from : to <= Limits::max() + from;
    if (fits)
        return duration_cast<seconds>(now - then).count();
    return (duration_cast<seconds>(now.time_since_epoch()) - duration_cast<seconds>(then.time_since_epoch())).count();
}

} // namespace

QString RelativeTime::abbreviated(std::chrono::system_clock::time_point then, std::chrono::system_clock::time_point now)
{
    const std::int64_t elapsed = elapsedSeconds(then, now);
    const std::int64_t magnitude = elapsed < 0 ? -elapsed : elapsed;
    for (const Unit& unit : units) {
        if (magnitude < unit.seconds)
            continue;
        const std::int64_t count = magnitude / unit.seconds;
        const QString amount = QString::number(count) + u' ' + QString::fromUtf16(count == 1 ? unit.one : unit.many);
        return elapsed < 0 ? u"in "_s + amount : amount + u" ago"_s;
    }
    return u"now"_s;
}

} // namespace threadhop
