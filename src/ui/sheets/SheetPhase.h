#pragma once

#include "SheetFooterPresenter.h"
#include "ui/jobs/BackgroundJob.h"

#include "core/models/MigrationRecord.h"

#include <QString>

#include <filesystem>
#include <optional>
#include <variant>

namespace threadhop {

/// Where an operation sheet stands. It starts idle and never returns there.
namespace SheetPhases {

/// The operation returned this record.
struct Done {
    MigrationRecord record;
    bool operator==(const Done&) const = default;
};
/// The operation threw; the error's user-facing text.
struct Failed {
    QString text;
    bool operator==(const Failed&) const = default;
};
/// The preview and the choices are shown; nothing has run.
struct Idle {
    bool operator==(const Idle&) const = default;
};
/// The operation is under way.
struct Running {
    bool operator==(const Running&) const = default;
};

} // namespace SheetPhases

using SheetPhase = std::variant<SheetPhases::Done, SheetPhases::Failed, SheetPhases::Idle, SheetPhases::Running>;

/// Idle, running, or finished for a done or failed phase.
inline SheetStage stageOf(const SheetPhase& phase)
{
    if (std::holds_alternative<SheetPhases::Idle>(phase))
        return SheetStage::idle;
    if (std::holds_alternative<SheetPhases::Running>(phase))
        return SheetStage::running;
    return SheetStage::finished;
}

/// The phase a finished operation leaves the sheet in: done with its record, or failed with the
/// error's text.
inline SheetPhase phaseAfter(JobOutcome<MigrationRecord> outcome)
{
    if (const auto* error = std::get_if<JobError>(&outcome))
        return SheetPhases::Failed{QString::fromStdString(error->text)};
    return SheetPhases::Done{std::get<MigrationRecord>(std::move(outcome))};
}

/// The archive a done phase's record names, for "Show backup in …".
inline std::optional<std::filesystem::path> backupOf(const SheetPhase& phase)
{
    if (const auto* done = std::get_if<SheetPhases::Done>(&phase); done && done->record.backupPath)
        return std::filesystem::path(*done->record.backupPath);
    return std::nullopt;
}

} // namespace threadhop
