#pragma once

#include "theme/Symbols.h"

#include "core/models/ProjectFolder.h"

#include <QColor>
#include <QString>

#include <chrono>
#include <string>
#include <vector>

// What one row of the projects list says about a project folder.
namespace threadhop::ProjectRowPresenter {

/// One icon-and-text item of the row's detail line.
struct DetailItem {
    Symbol symbol;
    QString text;

    bool operator==(const DetailItem&) const = default;
};

/// The project's title: `actualCwd` when present and not empty; else, for a folder name starting
/// with "-", "/" and the rest of the name with every "-" turned into "/"; else the folder name.
/// For display only: it does not undo the folder-name encoding. The bytes as they are, not UTF-8 for
/// a folder name that is not: a row shows them through OneLineText.
std::string displayPath(const ProjectFolder& project);

/// ok green, cwdMismatch orange, targetMissing red, the two that cannot be judged grey.
QColor statusColor(ResumeStatus status);

/// Conversations, subagent transcripts (only when there are any) and total size, in that order.
std::vector<DetailItem> detailItems(const ProjectFolder& project);

/// A byte count in the file-size style of the user's locale ("1.2 MB").
QString size(std::int64_t bytes);

/// How long ago the folder last changed, in the short relative form.
QString age(std::chrono::system_clock::time_point lastModified, std::chrono::system_clock::time_point now);

} // namespace threadhop::ProjectRowPresenter
