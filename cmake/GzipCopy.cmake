# Writes OUTPUT as INPUT compressed the way Debian keeps manual pages and changelogs (gzip -9n:
# no name or time inside, so that the same input gives the same bytes). Run as:
#   cmake -DINPUT=file -DOUTPUT=file.gz -P this file
execute_process(COMMAND gzip -9nc "${INPUT}" OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip of ${INPUT} failed")
endif()
