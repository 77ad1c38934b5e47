# Options and warnings that every target of the project links, as two INTERFACE targets.

add_library(orbelune_options INTERFACE)
add_library(orbelune_warnings INTERFACE)

option(ENABLE_SANITIZER_ADDRESS "Build with AddressSanitizer (and LeakSanitizer)" OFF)
option(ENABLE_SANITIZER_UNDEFINED_BEHAVIOR "Build with UndefinedBehaviorSanitizer" OFF)
option(WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
option(ORBELUNE_BUILD_FUZZERS "Build the libFuzzer targets (needs clang)" OFF)

if(MSVC)
    target_compile_options(orbelune_warnings INTERFACE /W4 /utf-8)
    if(WARNINGS_AS_ERRORS)
        target_compile_options(orbelune_warnings INTERFACE /WX)
    endif()
else()
    target_compile_options(orbelune_warnings INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
        -Woverloaded-virtual -Wformat=2)
    if(WARNINGS_AS_ERRORS)
        target_compile_options(orbelune_warnings INTERFACE -Werror)
    endif()

    set(_sanitizers "")
    if(ENABLE_SANITIZER_ADDRESS)
        list(APPEND _sanitizers address)
    endif()
    if(ENABLE_SANITIZER_UNDEFINED_BEHAVIOR)
        list(APPEND _sanitizers undefined)
    endif()
    if(_sanitizers)
        list(JOIN _sanitizers "," _sanitizer_list)
        target_compile_options(orbelune_options INTERFACE
            -fsanitize=${_sanitizer_list} -fno-omit-frame-pointer -fno-sanitize-recover=all)
        target_link_options(orbelune_options INTERFACE -fsanitize=${_sanitizer_list})
    endif()
endif()

# The fuzz build: every target it compiles (the core and the fuzz targets) carries the
# fuzzer's coverage hooks and both sanitizers; the fuzz targets add libFuzzer's main.
if(ORBELUNE_BUILD_FUZZERS)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "The fuzz targets need clang: configure with CXX=clang++")
    endif()
    target_compile_options(orbelune_options INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
        -fno-omit-frame-pointer -g)
    target_link_options(orbelune_options INTERFACE -fsanitize=address,undefined)
endif()

# What the tests of a sanitizer build run with: the first report ends the test and fails it,
# leaks included, and the report carries a stack trace.
# The time limits of the tests stretch with it: code under both sanitizers runs several times
# slower, and a limit set for the Release build would fail on speed the sanitizers cost.
set(ORBELUNE_SANITIZER_TEST_ENVIRONMENT "")
if(ENABLE_SANITIZER_ADDRESS OR ENABLE_SANITIZER_UNDEFINED_BEHAVIOR)
    list(APPEND ORBELUNE_SANITIZER_TEST_ENVIRONMENT "ORBELUNE_TIME_SCALE=4")
endif()
if(ENABLE_SANITIZER_ADDRESS)
    list(APPEND ORBELUNE_SANITIZER_TEST_ENVIRONMENT
        "ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1:check_initialization_order=1")
endif()
if(ENABLE_SANITIZER_UNDEFINED_BEHAVIOR)
    list(APPEND ORBELUNE_SANITIZER_TEST_ENVIRONMENT
        "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1")
endif()

# Gives every test defined so far in the calling directory that environment.
function(orbelune_sanitize_tests)
    get_property(tests DIRECTORY PROPERTY TESTS)
    if(tests AND ORBELUNE_SANITIZER_TEST_ENVIRONMENT)
        set_property(TEST ${tests} APPEND PROPERTY ENVIRONMENT
            ${ORBELUNE_SANITIZER_TEST_ENVIRONMENT})
    endif()
endfunction()

# Fails the configure when a test of the calling directory has no label: the quick loop
# (`ctest -L 'unit|window'`, make check) chooses by label, so an unlabelled test would drop out
# of it unnoticed.
function(orbelune_require_test_labels)
    get_property(tests DIRECTORY PROPERTY TESTS)
    foreach(test IN LISTS tests)
        get_test_property(${test} LABELS labels)
        if(NOT labels)
            message(FATAL_ERROR "Test ${test} has no label (unit, window, soak or package)")
        endif()
    endforeach()
endfunction()
