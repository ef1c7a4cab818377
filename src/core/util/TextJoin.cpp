#include "TextJoin.h"

namespace threadhop {

std::string TextJoin::commaSeparated(const std::vector<std::string>& texts)
{
    std::string joined;
    for (const auto& text : texts) {
        if (!joined.empty())
            joined += ", ";
        joined += text;
    }
    return joined;
}

} // namespace threadhop
