# The build settings compiled into the application, as a generated header. A setting may hold any
# text but a line feed, quotes and backslashes included: each byte becomes a hexadecimal escape in a
# string literal of its own (adjacent literals join), so no character can end the literal early or
# change what it says.

# The settings given as -D<name>=<value>; the header also holds the project's version.
set(THREADHOP_BUILD_SETTINGS THREADHOP_BUILD_NUMBER THREADHOP_PRODUCT_PAGE_URL THREADHOP_PRODUCT_PAGE_FALLBACK
                             THREADHOP_UPDATE_FEED_URL)

# CMake's cache keeps each value on one line: it cuts a value at its first line feed on every later
# configure, so one command line would make two different builds. Such a value is refused while it
# is still whole, and left out of the cache.
function(threadhop_check_build_settings)
    foreach(setting IN LISTS THREADHOP_BUILD_SETTINGS)
        string(FIND "${${setting}}" "\n" lineFeed)
        if(NOT lineFeed EQUAL -1)
            unset(${setting} CACHE)
            message(FATAL_ERROR "${setting} holds a line break, which CMake's cache cannot keep. "
                                "Give it a value on one line.")
        endif()
    endforeach()
endfunction()

# `text` as a C++ string literal, in the variable named `out`.
function(threadhop_cpp_string_literal text out)
    string(HEX "${text}" hex)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" " \"\\\\x\\1\"" pieces "${hex}")
    set(${out} "\"\"${pieces}" PARENT_SCOPE)
endfunction()

# Writes `output` from `template`, in which @<setting>_LITERAL@ stands for each setting's literal.
function(threadhop_write_build_info template output)
    foreach(setting IN ITEMS PROJECT_VERSION ${THREADHOP_BUILD_SETTINGS})
        threadhop_cpp_string_literal("${${setting}}" ${setting}_LITERAL)
    endforeach()
    configure_file("${template}" "${output}" @ONLY)
endfunction()
