# Configuring fails on an include against the layers, and on one against the order of the core's
# folders, however it is spelled; includes that follow them pass.
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

# Every spelling that reaches a folder counts: angle brackets, a climb out of the folder, a climb
# that comes back in through src/, an absolute path.
foreach(spelling IN ITEMS "<core/migration/A.h>" "\"../migration/A.h\"" "\"./../../core/migration/A.h\""
                          "\"../../../src/core/migration/A.h\"" "\"${WORK_DIR}/src/core/migration/A.h\"")
    check(src/core/editing/A.h "#include ${spelling}" "core/editing includes no folder")
endforeach()
foreach(spelling IN ITEMS "<app/ThreadhopApp.h>" "\"../../app/ThreadhopApp.h\"" "\"../src/app/ThreadhopApp.h\"")
    check(src/ui/window/A.h "#include ${spelling}" "the interface includes nothing of the application")
endforeach()
foreach(spelling IN ITEMS "<ui/window/RootView.h>" "<theme/Theme.h>" "<app/ThreadhopApp.h>" "\"../../ui/window/RootView.h\""
                          "\"../../theme/Theme.h\"")
    check(src/core/models/A.h "#include ${spelling}" "the core includes nothing of the interface")
endforeach()
# The theme needs Qt alone.
foreach(spelling IN ITEMS "\"ui/widgets/Labels.h\"" "<app/ThreadhopApp.h>" "\"../ui/widgets/Labels.h\""
                          "\"core/util/text/PathText.h\"")
    check(src/theme/A.h "#include ${spelling}" "the theme includes nothing of the core")
endforeach()
check(src/theme/A.h "#include <QIcon>" passes)

# The helpers are below the store model and the encoding.
check(src/core/util/platform/A.h "#include \"core/models/ClaudeAccount.h\"" "core/util includes no folder")
check(src/core/util/text/A.h "#include \"../../encoding/CwdCodec.h\"" "core/util includes no folder")
check(src/core/models/A.h "#include \"core/util/fs/HomeFolder.h\"" passes)

# Climbs that stay inside what a folder may reach pass.
check(src/core/util/text/A.h "#include \"../fs/AtomicFile.h\"" passes)
check(src/core/migration/A.h "#include \"../models/ClaudeAccount.h\"" passes)
check(src/ui/sheets/A.h "#include \"../widgets/Labels.h\"" passes)
check(src/app/A.h "#include \"../ui/window/RootView.h\"" passes)
