#include "Fmt.h"

using namespace Qt::StringLiterals;

namespace threadhop {

QString Fmt::tokens(std::int64_t n)
{
    if (n <= 999)
        return QString::number(n);
    if (n > 999'999)
        return QString::asprintf("%.1fM", static_cast<double>(n) / 1'000'000.0);
    return QString::number(n / 1000) + u'k';
}

} // namespace threadhop
