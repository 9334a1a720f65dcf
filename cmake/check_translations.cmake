# Checks that the German translation is complete: every text that tr() marks in
# app/ and kit/ has a finished German entry in translations/pelorin_de.ts.
#
#   cmake -DSOURCE_DIR=<project> -DLUPDATE=<lupdate> -DWORK_DIR=<scratch folder>
#         -P cmake/check_translations.cmake
#
# lupdate merges the sources' texts into a scratch copy of the file, as
# `update_translations` would; a text it had to add, or one still marked
# unfinished or left empty, is named with its context. The file itself is never
# written.

cmake_minimum_required(VERSION 3.25)

foreach(variable SOURCE_DIR LUPDATE WORK_DIR)
    if(NOT ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()

set(TS_FILE ${SOURCE_DIR}/translations/pelorin_de.ts)
set(SCRATCH ${WORK_DIR}/pelorin_de.check.ts)
file(COPY_FILE ${TS_FILE} ${SCRATCH})
execute_process(
    COMMAND ${LUPDATE} -silent -no-obsolete -locations none -extensions cpp,h ${SOURCE_DIR}/app ${SOURCE_DIR}/kit
            -ts ${SCRATCH}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed (${status}):\n${output}")
endif()
file(READ ${SCRATCH} ts)

# CMake lists split at semicolons: a text's own semicolons (and those that end
# its XML entities) are kept as a character that cannot occur in the XML
# while the file is cut into contexts and messages.
string(ASCII 1 semicolon)

# A text as the program shows it, from its XML form.
function(unescape text out)
    string(REPLACE "${semicolon}" ";" text "${text}")
    string(REPLACE "&lt;" "<" text "${text}")
    string(REPLACE "&gt;" ">" text "${text}")
    string(REPLACE "&quot;" "\"" text "${text}")
    string(REPLACE "&apos;" "'" text "${text}")
    string(REPLACE "&amp;" "&" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

string(REPLACE ";" "${semicolon}" ts "${ts}")
string(REPLACE "<context>" ";" contexts "${ts}")
list(POP_FRONT contexts)
set(missing "")
set(count 0)
foreach(context IN LISTS contexts)
    string(REGEX MATCH "<name>([^<]*)</name>" _ "${context}")
    unescape("${CMAKE_MATCH_1}" name)
    string(REPLACE "<message" ";<message" messages "${context}")
    list(POP_FRONT messages)
    foreach(message IN LISTS messages)
        string(REGEX MATCH "<source>([^<]*)</source>" _ "${message}")
        unescape("${CMAKE_MATCH_1}" source)
        set(translation "")
        if(message MATCHES "<translation>(.*)</translation>")
            set(translation "${CMAKE_MATCH_1}")
        endif()
        string(REGEX REPLACE "<[^>]*>" "" words "${translation}")
        string(STRIP "${words}" words)
        if(words STREQUAL "")
            string(APPEND missing "\n  ${name}: \"${source}\"")
            math(EXPR count "${count} + 1")
        endif()
    endforeach()
endforeach()

if(count GREATER 0)
    message(FATAL_ERROR "${count} text(s) have no finished German translation in translations/pelorin_de.ts:"
                        "${missing}\n"
                        "Run `cmake --build <build> --target update_translations`, then translate each one "
                        "and remove its type=\"unfinished\".")
endif()
message(STATUS "Every text has its German translation.")
