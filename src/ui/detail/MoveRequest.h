#pragma once

#include "core/models/ProjectFolder.h"
#include "core/util/format/Uuid.h"

#include <string>

namespace threadhop {

/// One request to migrate a project's conversations; the migration sheet is made for it.
struct MoveRequest {
    Uuid id;               ///< fresh for every request
    ProjectFolder project; ///< a copy taken when the request was made
    std::string oldCwd;    ///< the project's recorded working directory
    std::string newCwd;    ///< the chosen destination

    bool operator==(const MoveRequest&) const = default;
};

} // namespace threadhop
