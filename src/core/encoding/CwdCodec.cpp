#include "CwdCodec.h"

#include "core/util/text/UnicodeText.h"

namespace threadhop {

std::string CwdCodec::encode(std::string_view cwd)
{
    std::string name(cwd);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if ((c == '/' || c == '.' || c == '_' || c == ' ') && UnicodeText::asciiStandsAlone(cwd, i))
            name[i] = '-';
    }
    return name;
}

} // namespace threadhop
