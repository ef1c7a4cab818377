#pragma once

#include <QString>

#include <cstdint>

// Number formatting for the interface.
namespace threadhop::Fmt {

/// A token count in short form: up to 999 as is, above 999,999 in millions with one decimal
/// ("2.3M"), otherwise whole thousands, truncated ("999k"). No grouping, no localisation.
inline QString tokens(std::int64_t n)
{
    if (n <= 999)
        return QString::number(n);
    if (n > 999'999)
        return QString::asprintf("%.1fM", static_cast<double>(n) / 1'000'000.0);
    return QString::number(n / 1000) + u'k';
}

} // namespace threadhop::Fmt
