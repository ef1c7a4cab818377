#pragma once

#include "theme/Symbols.h"

#include <QString>

#include <optional>

namespace threadhop {

/// What a view shows in place of an empty list: a title, a system image and an optional line.
struct EmptyState {
    QString title;
    Symbol symbol;
    std::optional<QString> description;

    bool operator==(const EmptyState&) const = default;
};

} // namespace threadhop
