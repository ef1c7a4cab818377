# One place for the compile policy: every target links threadhop_policy.
add_library(threadhop_policy INTERFACE)
target_compile_features(threadhop_policy INTERFACE cxx_std_20)
# Designated initializers leave the members they do not name at their defaults on purpose.
target_compile_options(threadhop_policy INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
target_compile_definitions(threadhop_policy INTERFACE
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_CAST_FROM_ASCII)

option(THREADHOP_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(THREADHOP_SANITIZE)
    target_compile_options(threadhop_policy INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(threadhop_policy INTERFACE -fsanitize=address,undefined)
endif()

# libFuzzer targets (tests/fuzz) with AddressSanitizer and UndefinedBehaviorSanitizer; the core is
# instrumented for the fuzzer's coverage. Clang only: configure a build folder of its own with
# -DCMAKE_CXX_COMPILER=clang++.
option(THREADHOP_FUZZ "Build the fuzz targets (clang)" OFF)
if(THREADHOP_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "THREADHOP_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    target_compile_options(threadhop_policy INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(threadhop_policy INTERFACE -fsanitize=address,undefined)
endif()
