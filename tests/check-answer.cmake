# Runs the program with one option: it must answer the expected text and end with status 0.
#   cmake -DPROGRAM=<file> -DOPTION=<option> -DEXPECTED=<regex> [-DEMULATOR=<wine>] -P check-answer.cmake
execute_process(COMMAND ${EMULATOR} "${PROGRAM}" "${OPTION}" RESULT_VARIABLE status
    OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 20)
string(REPLACE "\r" "" output "${output}") # Windows' line ends, under Wine too
if(NOT status STREQUAL "0" OR NOT output MATCHES "${EXPECTED}")
    message(FATAL_ERROR "${OPTION} ended with ${status}, answering:\n${output}${errors}")
endif()
