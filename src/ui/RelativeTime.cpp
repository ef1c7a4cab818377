#include "RelativeTime.h"

#include <array>

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

} // namespace

QString RelativeTime::abbreviated(std::chrono::system_clock::time_point then, std::chrono::system_clock::time_point now)
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - then).count();
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
