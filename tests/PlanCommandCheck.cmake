# Runs `orvel-updater-cli plan --product PRODUCT` on an empty simulated
# database and checks that it succeeds and prints STATEMENTS statements (one
# JSON line each).
#   cmake -DCLI=... -DPRODUCT=... -DSTATEMENTS=... [-DEMULATOR=...] -P PlanCommandCheck.cmake
execute_process(
  COMMAND ${EMULATOR} ${CLI} plan --product ${PRODUCT}
  RESULT_VARIABLE exit_code
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors)
if(NOT exit_code EQUAL 0)
  message(FATAL_ERROR "plan --product ${PRODUCT} exited with ${exit_code}:\n${errors}")
endif()
string(REGEX MATCHALL "\n" line_ends "${output}")
list(LENGTH line_ends lines)
if(NOT lines EQUAL STATEMENTS)
  message(FATAL_ERROR "plan --product ${PRODUCT} printed ${lines} statements, expected ${STATEMENTS}:\n${errors}")
endif()
