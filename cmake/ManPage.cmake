# Writes the manual page of a tool from its own --help text, so that the two never differ, and its
# gzip -9n copy for installing. Run as:
#   cmake -DEXE=path -DNAME=ktv31-cli -DSUMMARY=... -DVERSION=0.1 -DSEE_ALSO=... \
#         -DOUTPUT=.../ktv31-cli.1 -P this
# The text is kept as the tool prints it (preformatted); only what roff would read as its own
# requests or escapes is escaped.
set(ENV{LC_ALL} C.UTF-8)
execute_process(COMMAND "${EXE}" --help
                OUTPUT_VARIABLE help ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${NAME} --help failed (${status}): ${errors}")
endif()

# The tool names itself as it was started and its program folder as the build tree's; the page
# speaks of the installed copy, which keeps its folders in the user's data folder.
get_filename_component(exe_dir "${EXE}" DIRECTORY)
string(REPLACE "${EXE}" "${NAME}" help "${help}")
string(REPLACE "${exe_dir}/" "~/.local/share/ktv31/" help "${help}")
string(REPLACE "${exe_dir}" "~/.local/share/ktv31" help "${help}")

string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(TOUPPER "${NAME}" title)
string(REPLACE "-" "\\-" summary "${SUMMARY}")
string(REPLACE "-" "\\-" see_also "${SEE_ALSO}")
file(WRITE "${OUTPUT}"
  ".TH ${title} 1 \"\" \"ktv31 ${VERSION}\" \"ktv31-ar\"\n"
  ".SH ИМЯ\n${NAME} \\- ${summary}\n"
  ".SH ОПИСАНИЕ\n.nf\n${help}.fi\n"
  ".SH СМОТРИТЕ ТАКЖЕ\n${see_also}\n")

set(INPUT "${OUTPUT}")
set(OUTPUT "${OUTPUT}.gz")
include(${CMAKE_CURRENT_LIST_DIR}/GzipCopy.cmake)
