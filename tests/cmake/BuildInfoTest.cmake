# The header takes any text: each value here holds a quote, a backslash and a line break (and what
# else a generator could stumble on); the generated header is compiled, and each of its texts must
# equal its value byte for byte. Configuring refuses a setting given with a line feed, which CMake's
# cache would cut, and keeps it out of the cache.
# Run by ctest: cmake -DSOURCE_DIR=<repository> -DWORK_DIR=<scratch folder> -DCXX=<compiler> -P <this>.
cmake_minimum_required(VERSION 3.25)
include("${SOURCE_DIR}/cmake/BuildInfo.cmake")

set(PROJECT_VERSION "1.2.3 \"beta\" \\ one\ntwo")
set(THREADHOP_BUILD_NUMBER "42\" \\n is not a line break, this is:\n")
set(THREADHOP_PRODUCT_PAGE_URL "https://example.com/a\"b\\c\nd?x=1;y=2")
set(THREADHOP_PRODUCT_PAGE_FALLBACK "Visit \"Threadhop\" \\\\ home\r\n@PROJECT_VERSION@ \${HOME} café \\x41")
set(THREADHOP_UPDATE_FEED_URL "\"\\\n")

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/texts")
threadhop_write_build_info("${SOURCE_DIR}/src/app/BuildInfo.h.in" "${WORK_DIR}/app/BuildInfo.h")
execute_process(COMMAND "${CXX}" -std=c++20 "-I${WORK_DIR}" "${SOURCE_DIR}/tests/cmake/BuildInfoDump.cpp"
                        -o "${WORK_DIR}/dump"
                RESULT_VARIABLE compiled)
if(NOT compiled EQUAL 0)
    message(FATAL_ERROR "the generated header does not compile")
endif()
execute_process(COMMAND "${WORK_DIR}/dump" "${WORK_DIR}/texts" RESULT_VARIABLE dumped)
if(NOT dumped EQUAL 0)
    message(FATAL_ERROR "the texts could not be written")
endif()
foreach(setting IN ITEMS PROJECT_VERSION ${THREADHOP_BUILD_SETTINGS})
    # As hexadecimal digits: file(READ) would take a carriage return out of the text.
    file(READ "${WORK_DIR}/texts/${setting}" compiled HEX)
    string(HEX "${${setting}}" given)
    if(NOT compiled STREQUAL given)
        message(FATAL_ERROR "${setting}: the header's bytes are ${compiled} instead of ${given}")
    endif()
endforeach()

foreach(setting IN LISTS THREADHOP_BUILD_SETTINGS)
    execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}/configure"
                            "-DCMAKE_CXX_COMPILER=${CXX}" "-D${setting}=one\ntwo"
                    RESULT_VARIABLE configured OUTPUT_QUIET ERROR_VARIABLE said)
    if(configured EQUAL 0)
        message(FATAL_ERROR "${setting}: a value with a line feed was configured")
    endif()
    if(NOT said MATCHES "${setting} holds a line break")
        message(FATAL_ERROR "${setting}: the refusal does not say why: ${said}")
    endif()
    file(STRINGS "${WORK_DIR}/configure/CMakeCache.txt" cached REGEX "^${setting}:")
    if(cached)
        message(FATAL_ERROR "${setting}: the refused value is in the cache as ${cached}")
    endif()
endforeach()
