#pragma once

#include <QString>

#include <string>
#include <string_view>

// The core speaks UTF-8 in std::string; the widgets speak QString.
namespace threadhop {

inline QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toStdString(const QString& text)
{
    return text.toStdString();
}

} // namespace threadhop
