# Runs the program with its options. With EXPECTED, it must answer that text and end with
# status 0; without, it must start its window as always: still running, silent, when stopped.
#   cmake -DPROGRAM=<file> -DOPTION=<options> [-DEXPECTED=<regex>] [-DEMULATOR=<wine>] -P check-answer.cmake
separate_arguments(options NATIVE_COMMAND "${OPTION}")
if(DEFINED EXPECTED)
    set(seconds 20)
else()
    set(seconds 5)
endif()
execute_process(COMMAND ${EMULATOR} "${PROGRAM}" ${options} RESULT_VARIABLE status
    OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT ${seconds})
string(REPLACE "\r" "" output "${output}") # Windows' line ends, under Wine too
if(NOT DEFINED EXPECTED AND (NOT status MATCHES "timeout" OR NOT output STREQUAL ""))
    message(FATAL_ERROR "${OPTION} did not start the window: it ended with ${status}, "
        "answering:\n${output}${errors}")
elseif(DEFINED EXPECTED AND (NOT status STREQUAL "0" OR NOT output MATCHES "${EXPECTED}"))
    message(FATAL_ERROR "${OPTION} ended with ${status}, answering:\n${output}${errors}")
endif()
