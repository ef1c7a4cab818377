# Configuring fails on an include against the layers, and on one against the order of the core's
# folders; includes that follow them pass.
# Run by ctest: cmake -DSOURCE_DIR=<repository> -DWORK_DIR=<scratch folder> -P <this>.
cmake_minimum_required(VERSION 3.25)

# Runs the check over a tree holding the one file `source` with the one line `line`.
function(check source line expected)
    file(REMOVE_RECURSE "${WORK_DIR}")
    file(WRITE "${WORK_DIR}/${source}" "#pragma once\n${line}\n")
    execute_process(COMMAND "${CMAKE_COMMAND}" -DPROJECT_SOURCE_DIR=${WORK_DIR} -P "${SOURCE_DIR}/cmake/LayerCheck.cmake"
                    RESULT_VARIABLE result ERROR_VARIABLE said)
    if(expected STREQUAL "passes" AND NOT result EQUAL 0)
        message(FATAL_ERROR "${source} with '${line}' was refused: ${said}")
    elseif(NOT expected STREQUAL "passes" AND (result EQUAL 0 OR NOT said MATCHES "${expected}"))
        message(FATAL_ERROR "${source} with '${line}' was not refused for '${expected}': ${said}")
    endif()
endfunction()

check(src/core/util/fs/A.h "#include <QString>" "the core includes no Qt")
check(src/core/models/A.h "#include \"ui/window/RootView.h\"" "the core includes nothing of the interface")
check(src/ui/window/A.h "#include \"app/ThreadhopApp.h\"" "the interface includes nothing of the application")
check(src/core/editing/A.h "#include \"core/migration/ConversationMigrator.h\"" "core/editing includes no folder")
check(src/core/util/fs/A.h "#include \"core/operations/PendingOperation.h\"" "core/util includes no folder")
check(src/core/migration/A.h "#include \"core/recovery/OperationRecovery.h\"" "core/migration includes no folder")
check(src/core/recovery/A.h "#include \"core/migration/ConversationMigrator.h\"" passes)
check(src/core/accountmove/A.h "#include \"core/editing/JSONLRewriter.h\"" passes)
check(src/ui/window/A.h "#include \"core/migration/ConversationMigrator.h\"" passes)
