#pragma once

#include <QString>

#include <optional>
#include <string_view>

namespace threadhop {

/// What a view shows in place of an empty list: a title, a system image and an optional line.
struct EmptyState {
    QString title;
    std::string_view symbol;
    std::optional<QString> description;

    bool operator==(const EmptyState&) const = default;
};

} // namespace threadhop
