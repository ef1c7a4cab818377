#include "PlatformWords.h"

#include <array>

namespace threadhop {
namespace {

struct Substitution {
    QStringView mac;
    QStringView here;
    bool wholeTextOnly; ///< a bare word that must not be replaced inside longer texts
};

// Longer phrases first, so that a phrase is replaced before any word inside it.
constexpr std::array substitutions{
    Substitution{u"Show backup in Finder", u"Show backup in folder", false},
    Substitution{u"macOS creates", u"the system creates", false},
    Substitution{u"this Mac", u"this computer", false},
    Substitution{u"Finder", u"Open Folder", true},
};

} // namespace

QString PlatformWords::say(const QString& text)
{
#ifdef __APPLE__
    return text;
#else
    QString result = text;
    for (const auto& substitution : substitutions) {
        if (substitution.wholeTextOnly) {
            if (result == substitution.mac)
                return substitution.here.toString();
            continue;
        }
        result.replace(substitution.mac.toString(), substitution.here.toString());
    }
    return result;
#endif
}

} // namespace threadhop
