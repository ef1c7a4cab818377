#pragma once

#include <QString>

#include <ostream>

// Lets GoogleTest print texts readably in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace threadhop::testing {
// Every interface test writes its texts as u"…"_s.
using namespace Qt::StringLiterals;
} // namespace threadhop::testing
