# Tests are Windows programs run by ctest under the build's private Wine prefix
# (32-bit for the i686 build, 64-bit for the x86_64 build) on a private Xvfb
# display. The fixture tests start and stop both, so a plain `ctest` leaves
# nothing running.

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KH_WINEARCH win32)
else()
  set(KH_WINEARCH win64)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR
  "${CMAKE_SOURCE_DIR}/tools/wine_run.sh;${CMAKE_BINARY_DIR};${KH_WINEARCH}")

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main)
  # GoogleTest's own sources are not held to our warning rules.
  target_compile_options(${t} PRIVATE -Wno-error)
endforeach()

add_test(NAME harness_start COMMAND ${CMAKE_SOURCE_DIR}/tools/harness.sh start ${CMAKE_BINARY_DIR} ${KH_WINEARCH})
add_test(NAME harness_stop  COMMAND ${CMAKE_SOURCE_DIR}/tools/harness.sh stop ${CMAKE_BINARY_DIR} ${KH_WINEARCH})
set_tests_properties(harness_start PROPERTIES FIXTURES_SETUP wine_harness TIMEOUT 300)
set_tests_properties(harness_stop  PROPERTIES FIXTURES_CLEANUP wine_harness TIMEOUT 120)

# kh_add_test(name SOURCES ... [LIBS ...] [WITH_RESOURCES])
# One GoogleTest program, run once under Wine. WITH_RESOURCES links the saver's own
# resources into the program, so that LoadStringA and LoadImageA on the program's
# module find the same entries as in KH_Schoner.scr.
function(kh_add_test name)
  cmake_parse_arguments(T "WITH_RESOURCES" "" "SOURCES;LIBS" ${ARGN})
  set(srcs ${T_SOURCES})
  if(T_WITH_RESOURCES)
    list(APPEND srcs $<TARGET_OBJECTS:kh_resources>)
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE kh_test_support ${T_LIBS} kh_core gtest_main gtest)
  target_link_options(${name} PRIVATE -static)
  add_dependencies(${name} KH_Schoner)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  # One desktop and one control.ini: the Wine tests run one after the other.
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine_harness RESOURCE_LOCK wine_desktop TIMEOUT 900)
endfunction()
