#pragma once

#include "theme/Symbols.h"

#include "core/models/CwdClass.h"

#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// What the breakdown of recorded working-directory occurrences says, class by class.
namespace threadhop::CwdClassBreakdownPresenter {

struct Row {
    CwdClass cwdClass;
    bool rewritten; ///< the migration rewrites this class
    Symbol symbol;  ///< pencil when rewritten, else lock
    QString count;
    QString title;
    QString fate;    ///< "rewritten" or "left as recorded"
    QString tooltip; ///< the class's explanation

    bool operator==(const Row&) const = default;
};

/// One row per class with a count of at least 1, in case order. `sessionCwd` is rewritten, and
/// `history` when `rewriteHistory`; the other two never are.
std::vector<Row> rows(const std::map<CwdClass, std::int64_t>& counts, bool rewriteHistory);

/// "<n> lines are not valid JSON and are passed through untouched." for n ≥ 1, else nothing.
std::optional<QString> unparsableNotice(std::int64_t unparsableLines);

} // namespace threadhop::CwdClassBreakdownPresenter
