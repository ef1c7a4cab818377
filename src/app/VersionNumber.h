#pragma once

#include <QStringView>

#include <compare>
#include <optional>

namespace threadhop::VersionNumber {

/// Compares two dotted version numbers component by component as whole numbers ("1.10" is newer
/// than "1.9"; a missing component counts as 0, so "1.2" equals "1.2.0"). Nothing when either is not
/// such a number: empty, an empty component, or anything but digits and dots.
std::optional<std::strong_ordering> compare(QStringView left, QStringView right);

} // namespace threadhop::VersionNumber
