# Dependencies run one way: app -> ui -> theme, and ui -> core; the theme needs Qt alone, and the
# core no Qt. Configuring fails when a source reaches a layer it must not, however the include is
# spelled: "core/…" or <core/…>, a path that climbs out of its folder with "../", or an absolute one.

# Inside the core, each folder builds only on those before it: the helpers below everything, the
# store model and the encoding of working directories on them, the engine's jobs on the model and
# discovery, the operations' notes, locks and history below the operations that keep them, and the
# recovery above the operations whose work it puts back. No two folders include each other. This
# list is the one statement of that order.
set(threadhop_core_order util models encoding validation discovery editing operations migration accountmove recovery)

set(threadhop_src "${PROJECT_SOURCE_DIR}/src")

# The part of src/ that `path` lies in: app, ui, theme, core/<folder> (core for a file directly in
# src/core), or nothing.
function(threadhop_layer_of path out)
    cmake_path(NORMAL_PATH path)
    string(LENGTH "${threadhop_src}/" length)
    string(SUBSTRING "${path}" 0 ${length} head)
    set(layer "")
    if(head STREQUAL "${threadhop_src}/")
        string(SUBSTRING "${path}" ${length} -1 inside)
        if(inside MATCHES "^(app|ui|theme)/")
            set(layer "${CMAKE_MATCH_1}")
        elseif(inside MATCHES "^core/([^/]+)/")
            set(layer "core/${CMAKE_MATCH_1}")
        elseif(inside MATCHES "^core/")
            set(layer core)
        endif()
    endif()
    set(${out} "${layer}" PARENT_SCOPE)
endfunction()

# The rule a file of layer `from` breaks by including one of layer `to`, or nothing.
function(threadhop_broken_rule from to out)
    set(rule "")
    if(from MATCHES "^core" AND to MATCHES "^(app|ui|theme)$")
        set(rule "the core includes nothing of the interface")
    elseif(from STREQUAL "ui" AND to STREQUAL "app")
        set(rule "the interface includes nothing of the application")
    elseif(from STREQUAL "theme" AND to MATCHES "^(app|ui|core)")
        set(rule "the theme includes nothing of the core, the interface or the application")
    elseif(from MATCHES "^core/" AND to MATCHES "^core/")
        # A folder missing from the order may include no other.
        string(REGEX REPLACE "^core/" "" folder "${from}")
        string(REGEX REPLACE "^core/" "" target "${to}")
        list(FIND threadhop_core_order "${folder}" position)
        list(FIND threadhop_core_order "${target}" reached)
        if(reached GREATER position)
            math(EXPR next "${position} + 1")
            list(SUBLIST threadhop_core_order ${next} -1 above)
            list(JOIN above "|" above)
            set(rule "core/${folder} includes no folder that builds on it (${above})")
        endif()
    endif()
    set(${out} "${rule}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE threadhop_sources "${threadhop_src}/*.h" "${threadhop_src}/*.cpp")
foreach(source IN LISTS threadhop_sources)
    threadhop_layer_of("${source}" from)
    if(from STREQUAL "" OR from STREQUAL "app")
        continue()
    endif()
    file(RELATIVE_PATH shown "${PROJECT_SOURCE_DIR}" "${source}")
    cmake_path(GET source PARENT_PATH folder)
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
        if(from MATCHES "^core" AND line MATCHES "^[ \t]*#[ \t]*include(_next)?[ \t]*[<\"]Q")
            message(FATAL_ERROR "${shown}: the core includes no Qt: ${line}")
        endif()
        if(NOT line MATCHES "^[ \t]*#[ \t]*include(_next)?[ \t]*([<\"])([^>\"]+)[>\"]")
            continue()
        endif()
        set(delimiter "${CMAKE_MATCH_2}")
        set(named "${CMAKE_MATCH_3}")
        # Where the compiler may find it: under src/, the include folder every layer shares, and for
        # a quoted name first beside the including file.
        cmake_path(ABSOLUTE_PATH named BASE_DIRECTORY "${threadhop_src}" NORMALIZE OUTPUT_VARIABLE places)
        if(delimiter STREQUAL "\"")
            cmake_path(ABSOLUTE_PATH named BASE_DIRECTORY "${folder}" NORMALIZE OUTPUT_VARIABLE beside)
            list(APPEND places "${beside}")
        endif()
        foreach(place IN LISTS places)
            threadhop_layer_of("${place}" to)
            threadhop_broken_rule("${from}" "${to}" rule)
            if(rule)
                message(FATAL_ERROR "${shown}: ${rule}: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()
