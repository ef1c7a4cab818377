#include "VersionNumber.h"

#include <QList>

#include <algorithm>

namespace threadhop {
namespace {

// The components without their leading zeros, so that numbers of any length compare as text.
std::optional<QList<QStringView>> components(QStringView version)
{
    version = version.trimmed();
    if (version.isEmpty())
        return std::nullopt;
    QList<QStringView> parts;
    for (QStringView part : version.split(u'.')) {
        if (part.isEmpty() || !std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            return std::nullopt;
        while (part.size() > 1 && part.front() == u'0')
            part = part.sliced(1);
        parts.append(part);
    }
    return parts;
}

std::strong_ordering compareNumbers(QStringView left, QStringView right)
{
    if (left.size() != right.size())
        return left.size() <=> right.size();
    const int order = left.compare(right);
    return order <=> 0;
}

} // namespace

std::optional<std::strong_ordering> VersionNumber::compare(QStringView left, QStringView right)
{
    const auto a = components(left);
    const auto b = components(right);
    if (!a || !b)
        return std::nullopt;
    static constexpr QStringView zero = u"0";
    for (qsizetype i = 0; i < std::max(a->size(), b->size()); ++i) {
        const auto order = compareNumbers(i < a->size() ? a->at(i) : zero, i < b->size() ? b->at(i) : zero);
        if (order != 0)
            return order;
    }
    return std::strong_ordering::equal;
}

} // namespace threadhop
