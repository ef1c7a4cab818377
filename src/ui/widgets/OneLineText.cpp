#include "OneLineText.h"

#include "core/util/text/UnicodeText.h"

#include <QList>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

// The bytes a UTF-8 character takes by its first byte; 0 for a byte that cannot begin one.
std::size_t lengthFrom(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead < 0xE0)
        return 2;
    if (lead >= 0xE0 && lead < 0xF0)
        return 3;
    if (lead >= 0xF0 && lead < 0xF5)
        return 4;
    return 0;
}

QString hex(char32_t value, int digits)
{
    return QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}

QString escaped(char32_t code)
{
    if (code == U'\n')
        return u"\\n"_s;
    if (code == U'\t')
        return u"\\t"_s;
    if (code < 0x80)
        return u"\\x"_s + hex(code, 2);
    return u"\\u"_s + hex(code, 4);
}

bool breaksTheLine(char32_t code)
{
    switch (QChar::category(code)) {
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

} // namespace

QString OneLineText::of(std::string_view text)
{
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()));
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lengthFrom(lead);
        const std::string_view character = text.substr(at, length);
        if (length == 0 || character.size() < length || !UnicodeText::isValidUtf8(character)) {
            shown += u"\\x"_s + hex(lead, 2);
            ++at;
            continue;
        }
        at += length;
        const QString decoded = QString::fromUtf8(character.data(), static_cast<qsizetype>(length));
        const char32_t code = QStringView(decoded).toUcs4().constFirst();
        shown += breaksTheLine(code) ? escaped(code) : decoded;
    }
    return shown;
}

} // namespace threadhop
