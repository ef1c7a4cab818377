#pragma once

#include "SheetFooterPresenter.h"

#include "core/models/MigrationRecord.h"

#include <QString>

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

} // namespace threadhop
