# Dependencies run one way, app -> ui -> core: configuring fails when a source breaks that.
function(threadhop_check_includes folder pattern rule)
    file(GLOB_RECURSE sources "${PROJECT_SOURCE_DIR}/${folder}/*.h" "${PROJECT_SOURCE_DIR}/${folder}/*.cpp")
    foreach(source IN LISTS sources)
        file(STRINGS "${source}" offending REGEX "${pattern}")
        if(offending)
            file(RELATIVE_PATH shown "${PROJECT_SOURCE_DIR}" "${source}")
            message(FATAL_ERROR "${shown}: ${rule}: ${offending}")
        endif()
    endforeach()
endfunction()

threadhop_check_includes(src/core "^[ \t]*#[ \t]*include[ \t]*[<\"]Q" "the core includes no Qt")
threadhop_check_includes(src/core "^[ \t]*#[ \t]*include[ \t]*\"(app|ui|theme)/" "the core includes nothing of the interface")
threadhop_check_includes(src/ui "^[ \t]*#[ \t]*include[ \t]*\"app/" "the interface includes nothing of the application")
threadhop_check_includes(src/theme "^[ \t]*#[ \t]*include[ \t]*\"(app|ui)/" "the theme includes neither the interface nor the application")

# Inside the core, each folder builds only on those before it: the engine's jobs on the store model
# and discovery, the operations' notes, locks and history below the operations that keep them, and
# the recovery above the operations whose work it puts back. No two folders include each other.
set(threadhop_core_order validation discovery editing operations migration accountmove recovery)
set(threadhop_core_above "${threadhop_core_order}")
foreach(folder util models encoding ${threadhop_core_order})
    list(REMOVE_ITEM threadhop_core_above ${folder})
    if(threadhop_core_above)
        list(JOIN threadhop_core_above "|" above)
        threadhop_check_includes(src/core/${folder} "^[ \t]*#[ \t]*include[ \t]*\"core/(${above})/"
            "core/${folder} includes no folder that builds on it (${above})")
    endif()
endforeach()
