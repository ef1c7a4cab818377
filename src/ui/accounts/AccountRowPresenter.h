#pragma once

#include "ui/widgets/EmptyState.h"

#include "core/models/ClaudeAccount.h"

#include <QColor>
#include <QString>

#include <cstdint>
#include <optional>

// What the accounts sidebar says about each account.
namespace threadhop::AccountRowPresenter {

struct Row {
    QString id;
    QString label;
    QString identity;                     ///< the signed-in e-mail address, or "not signed in"
    bool identityIsWarning;               ///< no identity: shown in the warning color
    QString folder;                       ///< the account folder's path
    QColor dotColor;                      ///< green when the folder has projects/, grey otherwise
    std::optional<QString> problemsBadge; ///< only when the account has problem projects
    QString projectCount;

    bool operator==(const Row&) const = default;
};

/// The section header above the rows.
QString sectionHeader();

/// `exists`: the account folder holds a projects/ folder (a disk check the caller makes).
Row row(const ClaudeAccount& account, bool exists, std::int64_t problems, std::int64_t projectCount);

/// "No accounts found" once a scan has ended without accounts; nothing while scanning.
std::optional<EmptyState> emptyState(bool hasAccounts, bool isScanning);

} // namespace threadhop::AccountRowPresenter
