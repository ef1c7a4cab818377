#pragma once

#include <QString>

#include <cstdint>

// Number formatting for the interface.
namespace threadhop::Fmt {

/// A token count in short form: up to 999 as is, above 999,999 in millions with one decimal
/// ("2.3M"), otherwise whole thousands, truncated ("999k"). No grouping, no localisation.
QString tokens(std::int64_t n);

} // namespace threadhop::Fmt
