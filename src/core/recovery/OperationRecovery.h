#pragma once

#include <string>
#include <vector>

// Finishes, at the next start, the story of an operation that was killed half-way: every pending
// note left behind is either closed (its record is in the history; a move's missing moves-note
// entries are written) or undone (the state before the operation put back, a failure record
// appended; an undo that is put back leaves no record, so its migration stays undoable), or, when
// the files changed since, left alone for the user with the backup's place. A note that names
// anything outside the folders its operation may change is set aside untouched. What killed
// operations left of ours (unfinished archives, hidden work folders no note names) goes, but
// folders that may hold the only copy of a file stay while a note set aside cannot be read.
namespace threadhop::OperationRecovery {

/// What was done about one interrupted operation, for the user.
struct Report {
    enum class Outcome {
        undone,     ///< everything is as it was before the operation
        leftAlone,  ///< its files changed since; nothing was touched, the note stays
        unreadable, ///< the note itself could not be read; it was set aside
        refused,    ///< the note names a path outside what it may change; nothing was touched, it was set aside
        unchecked,  ///< a lock could not be made, so nothing was looked at; the next start looks again
    };
    Outcome outcome = Outcome::undone;
    std::string text;

    bool operator==(const Report&) const = default;
};

/// Runs through every pending note, each under the locks of the accounts it changed (a note whose
/// operation, or whose accounts, another Threadhop is busy with waits for a later start), read
/// again, with the history, once those locks are held. Notes whose outcome is recorded, and those
/// the user was already told about, give no report; a lock that cannot be made is reported and
/// ends the run. Blocks while archives are read; never throws.
std::vector<Report> run();

} // namespace threadhop::OperationRecovery
