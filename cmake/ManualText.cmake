# Renders a manual page as plain text for Windows: ASCII, no overstriking, lines ending in CR LF.
# Any warning of groff fails the build.
# Usage: cmake -DGROFF=<groff> -DPAGE=<page.1> -DOUTPUT=<page.txt> -P ManualText.cmake
execute_process(COMMAND ${GROFF} -man -ww -Tascii -P-cbou ${PAGE}
                OUTPUT_VARIABLE text ERROR_VARIABLE warnings RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff renders ${PAGE} with status ${status}:\n${warnings}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
