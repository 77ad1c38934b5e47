# Runs the program with its options. With EXPECTED, it must answer that text and end with
# status 0; without, it must start its window as always: still running, silent, when stopped.
#   cmake -DPROGRAM=<file> -DOPTION=<options> [-DEXPECTED=<regex>] [-DEMULATOR=<wine>] -P check-answer.cmake
separate_arguments(options NATIVE_COMMAND "${OPTION}")
if(DEFINED EXPECTED)
    set(seconds 20)
else()
    set(seconds 5)
endif()
# A window still open when the time is up is killed by timeout(1) where there is one: what
# execute_process does at its own timeout left the program running under Debian 13's CMake.
set(killer)
set(limit ${seconds})
if(NOT DEFINED EXPECTED AND NOT EMULATOR AND CMAKE_HOST_UNIX)
    find_program(timeout_program timeout)
    if(timeout_program)
        set(killer ${timeout_program} -s KILL ${seconds})
        math(EXPR limit "${seconds} + 10")
    endif()
endif()
execute_process(COMMAND ${killer} ${EMULATOR} "${PROGRAM}" ${options} RESULT_VARIABLE status
    OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT ${limit})
if(killer AND status MATCHES "^(137|Subprocess killed)$")
    set(status "timeout") # killed by timeout(1), with itself, when the time was up
endif()
string(REPLACE "\r" "" output "${output}") # Windows' line ends, under Wine too
if(NOT DEFINED EXPECTED AND (NOT status MATCHES "timeout" OR NOT output STREQUAL ""))
    message(FATAL_ERROR "${OPTION} did not start the window: it ended with ${status}, "
        "answering:\n${output}${errors}")
elseif(DEFINED EXPECTED AND (NOT status STREQUAL "0" OR NOT output MATCHES "${EXPECTED}"))
    message(FATAL_ERROR "${OPTION} ended with ${status}, answering:\n${output}${errors}")
endif()
