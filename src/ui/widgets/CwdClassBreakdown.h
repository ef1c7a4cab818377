#pragma once

#include "RoundedBox.h"

#include "core/models/CwdClass.h"

#include <cstdint>
#include <map>

namespace threadhop {

/// How many recorded working-directory occurrences fall into each class and what a migration
/// does with each: one row per counted class, then the count of lines that are not JSON.
class CwdClassBreakdown final : public RoundedBox {
    Q_OBJECT

public:
    CwdClassBreakdown(const std::map<CwdClass, std::int64_t>& counts, std::int64_t unparsableLines, bool rewriteHistory,
                      QWidget* parent = nullptr);
};

} // namespace threadhop
