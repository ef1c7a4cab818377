#include "CwdClassifier.h"

#include "core/util/text/PathText.h"

#include <algorithm>

#include <simdjson.h>

namespace threadhop {

CwdClassifier::KeyPath CwdClassifier::KeyPath::of(const std::vector<std::string>& keys)
{
    KeyPath path;
    for (const auto& key : keys)
        path = key == "[]" ? path.element() : path.member(key);
    return path;
}

CwdClass CwdClassifier::classify(const KeyPath& path, std::string_view value, std::string_view launchCwd)
{
    if (path.underExternalState)
        return CwdClass::externalState;
    if (path.empty || !path.endsInCwd)
        return CwdClass::history;
    return PathText::isAtOrBelow(value, launchCwd) ? CwdClass::sessionCwd : CwdClass::driftedCwd;
}

CwdClass CwdClassifier::classify(const std::vector<std::string>& path, std::string_view value,
                                 std::string_view launchCwd)
{
    return classify(KeyPath::of(path), value, launchCwd);
}

bool CwdClassifier::isExternalStateLine(const simdjson::dom::object& line)
{
    std::string_view type;
    if (line.at_key("type").get_string().get(type) == simdjson::SUCCESS
        && std::find(externalStateLineTypes.begin(), externalStateLineTypes.end(), type)
            != externalStateLineTypes.end())
        return true;
    return line.at_key("snapshot").error() == simdjson::SUCCESS;
}

} // namespace threadhop
