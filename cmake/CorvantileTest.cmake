# SPDX-License-Identifier: GPL-3.0-or-later
# Included only when BUILD_TESTING is on: GoogleTest is needed for the tests alone.
find_package(GTest REQUIRED)

# corvantile_add_test(name [QT] SOURCES a.cpp b.cpp [LIBS lib...] [ENVIRONMENT VAR=value...]):
# one GoogleTest executable, registered with CTest as one test so that `ctest` runs everything.
# A QT test gets main() from corvantile_qt_test_main (GoogleTest on a QApplication, on the
# offscreen platform) instead of gtest_main: an executable has one main().
function(corvantile_add_test name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE corvantile_qt_test_main)
    list(APPEND ARG_ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock corvantile_warnings)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    ENVIRONMENT "CORVANTILE_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;${ARG_ENVIRONMENT}")
endfunction()
