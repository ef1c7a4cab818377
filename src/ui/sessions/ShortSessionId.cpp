#include "ShortSessionId.h"

#include "ui/widgets/QtText.h"

#include <QTextBoundaryFinder>

namespace threadhop {
namespace {

constexpr int shownCharacters = 8;

} // namespace

QString ShortSessionId::of(std::string_view id)
{
    const QString text = toQString(id);
    // Characters as a reader counts them: a letter with its combining marks is one.
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    for (int counted = 0; counted < shownCharacters; ++counted) {
        if (boundaries.toNextBoundary() < 0)
            return text;
    }
    return text.left(boundaries.position());
}

} // namespace threadhop
