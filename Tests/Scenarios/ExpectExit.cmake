# Runs PROGRAM with ARGUMENTS (separated by "|") and checks that it exits with EXIT_CODE and
# that its error output contains MESSAGE. Used as: cmake -DPROGRAM=... -DARGUMENTS=...
# -DEXIT_CODE=... -DMESSAGE=... -P ExpectExit.cmake
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
execute_process(COMMAND ${PROGRAM} ${arguments}
                RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT code STREQUAL EXIT_CODE)
  message(FATAL_ERROR "exit code ${code}, expected ${EXIT_CODE}\n${output}${errors}")
endif()
string(FIND "${errors}" "${MESSAGE}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "error output lacks \"${MESSAGE}\":\n${errors}")
endif()
