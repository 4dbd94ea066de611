# Checks the release archive: exactly the saver and its read-me, the saver
# byte for byte the built one, the read-me as Notepad on every Windows needs it
# (code page 1252, CRLF line ends) and carrying the terms of use that the about
# dialog shows.
#   cmake -DPRODUCT_BUILD=... -DREADME=... -DSTRINGS=... -DWORK=... -P check_archive.cmake

set(archive ${PRODUCT_BUILD}/KH_Schoner-1.6.zip)
if(NOT EXISTS ${archive})
  message(FATAL_ERROR "${archive} is missing: cmake --build ${PRODUCT_BUILD} --target package")
endif()

file(REMOVE_RECURSE ${WORK})
file(ARCHIVE_EXTRACT INPUT ${archive} DESTINATION ${WORK})
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${WORK} ${WORK}/*)
list(SORT entries)
if(NOT entries STREQUAL "KH_Schoner.scr;LIESMICH.txt")
  message(FATAL_ERROR "the archive holds [${entries}], not [KH_Schoner.scr;LIESMICH.txt]")
endif()

function(expect_same_file packed built)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${packed} ${built}
                  RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "${packed} in the archive differs from ${built}: "
                        "cmake --build ${PRODUCT_BUILD} --target package")
  endif()
endfunction()
expect_same_file(KH_Schoner.scr ${PRODUCT_BUILD}/KH_Schoner.scr)
expect_same_file(LIESMICH.txt ${README})

# The bytes as hexadecimal pairs, each with a space in front, so that a pattern
# can only match whole bytes.
file(READ ${WORK}/LIESMICH.txt hex HEX)
string(REGEX REPLACE "(..)" " \\1" bytes "${hex}")
if(bytes STREQUAL "")
  message(FATAL_ERROR "LIESMICH.txt is empty")
endif()
# Code page 1252 leaves these five unassigned; a zero byte is no text either.
foreach(unassigned 00 81 8d 8f 90 9d)
  if(bytes MATCHES " ${unassigned}")
    message(FATAL_ERROR "LIESMICH.txt holds byte 0x${unassigned}, which is no character of code page 1252")
  endif()
endforeach()
if(bytes MATCHES " ef bb bf")
  message(FATAL_ERROR "LIESMICH.txt holds UTF-8 text")
endif()
string(REGEX MATCHALL " 0d 0a" crlf "${bytes}")
string(REGEX MATCHALL " 0d" cr "${bytes}")
string(REGEX MATCHALL " 0a" lf "${bytes}")
list(LENGTH crlf crlfs)
list(LENGTH cr crs)
list(LENGTH lf lfs)
if(NOT crlfs EQUAL crs OR NOT crlfs EQUAL lfs OR NOT bytes MATCHES " 0d 0a$")
  message(FATAL_ERROR "LIESMICH.txt has ${crs} CR and ${lfs} LF for ${crlfs} CRLF line ends, "
                      "or its last line has none")
endif()

# The terms of use are the about dialog's two string entries one after the
# other; the read-me may wrap them at other places.
file(READ ${STRINGS} table)
foreach(entry FIRST SECOND)
  if(NOT table MATCHES "IDS_TERMS_${entry}[ \t]+\"([^\"]*)\"")
    message(FATAL_ERROR "no IDS_TERMS_${entry} in ${STRINGS}")
  endif()
  string(APPEND terms "${CMAKE_MATCH_1}")
endforeach()
file(READ ${WORK}/LIESMICH.txt text)
string(REGEX REPLACE "[ \t\r\n]+" " " terms "${terms}")
string(REGEX REPLACE "[ \t\r\n]+" " " text "${text}")
string(STRIP "${terms}" terms)
string(FIND "${text}" "${terms}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "LIESMICH.txt does not carry the terms of use of the string table:\n${terms}")
endif()
message(STATUS "${archive}: KH_Schoner.scr as built, LIESMICH.txt in code page 1252 with CRLF and the terms of use")
