# Runs PROGRAM with ARGUMENTS (separated by "|"), expects exit code 0 and a timeline equal to the
# file GOLDEN; on a difference shows it as a unified diff. scripts/refresh-timelines rewrites the
# golden files. Used as: cmake -DPROGRAM=... -DARGUMENTS=... -DGOLDEN=... -DACTUAL=... -P
# CompareTimeline.cmake
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
execute_process(COMMAND ${PROGRAM} ${arguments}
                RESULT_VARIABLE code OUTPUT_FILE ${ACTUAL} ERROR_VARIABLE errors)
if(NOT code STREQUAL "0")
  message(FATAL_ERROR "exit code ${code}, expected 0\n${errors}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${GOLDEN} ${ACTUAL}
                RESULT_VARIABLE different)
if(different)
  # The diff goes to the test's output as it is.
  execute_process(COMMAND diff -u ${GOLDEN} ${ACTUAL})
  message(FATAL_ERROR "the timeline differs from ${GOLDEN} (above); when the change is meant, "
                      "refresh the golden timelines with scripts/refresh-timelines")
endif()
