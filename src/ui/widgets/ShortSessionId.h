#pragma once

#include "ui/widgets/QtText.h"

#include <QString>
#include <QTextBoundaryFinder>

#include <string_view>

// How the sessions section and the account-move sheet abbreviate a session id.
namespace threadhop::ShortSessionId {

/// The first 8 user-perceived characters of `id`, or the whole id when it has 8 or fewer.
inline QString of(std::string_view id)
{
    const QString text = toQString(id);
    // Characters as a reader counts them: a letter with its combining marks is one.
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    for (int counted = 0; counted < 8; ++counted) {
        if (boundaries.toNextBoundary() < 0)
            return text;
    }
    return text.left(boundaries.position());
}

} // namespace threadhop::ShortSessionId
