# Checks that the i686 saver imports nothing that Windows 95 lacks: every DLL and
# function of its import table must stand in the list, which names what the
# systems' own DLLs give from the first Windows 95 on. Anything newer has to be
# looked up at run time, or the loader refuses the whole program.
#   cmake -DOBJDUMP=... -DPRODUCT=... -DLIST=... -P check_imports.cmake
cmake_minimum_required(VERSION 3.20)

if(NOT EXISTS ${PRODUCT})
  message(FATAL_ERROR "${PRODUCT} is missing: build the i686 product first")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${PRODUCT} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed OR NOT dump MATCHES "file format pei-i386")
  message(FATAL_ERROR "${OBJDUMP} -p ${PRODUCT} gives no 32-bit import table")
endif()

# The list as "DLL:function" entries, the DLL in capitals, notes dropped.
file(STRINGS ${LIST} lines)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "#.*" "" line "${line}")
  string(STRIP "${line}" line)
  if(line MATCHES "^\\[(.+)\\]$")
    set(dll ${CMAKE_MATCH_1})
  elseif(NOT line STREQUAL "")
    list(APPEND allowed "${dll}:${line}")
  endif()
endforeach()

# The import table: a "DLL Name:" line, then one line for each function with
# its hint and name; a function imported by number alone shows no name and so
# matches no entry.
string(REGEX REPLACE ".*\nThe Import Tables[^\n]*" "" dump "${dump}")
string(REGEX REPLACE "\nThe [^\n]*.*" "" dump "${dump}")
string(REPLACE ";" "," dump "${dump}")
string(REPLACE "\n" ";" dump "${dump}")
set(count 0)
foreach(line IN LISTS dump)
  if(line MATCHES "DLL Name: (.+)$")
    string(TOUPPER "${CMAKE_MATCH_1}" dll)
  elseif(line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +(.*)$")
    string(STRIP "${CMAKE_MATCH_1}" function)
    math(EXPR count "${count} + 1")
    if(NOT "${dll}:${function}" IN_LIST allowed)
      list(APPEND unlisted "${dll}:${function}")
    endif()
  endif()
endforeach()

if(count EQUAL 0)
  message(FATAL_ERROR "no imported function found in ${PRODUCT}")
endif()
if(unlisted)
  list(JOIN unlisted "\n  " unlisted)
  message(FATAL_ERROR "${PRODUCT} imports what ${LIST} does not list; look these up at "
                      "run time, or list them with the source that puts them on Windows 95:\n"
                      "  ${unlisted}")
endif()
message(STATUS "${PRODUCT}: all ${count} imported functions are listed in ${LIST}")
