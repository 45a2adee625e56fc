find_package(GTest REQUIRED)

# corvantile_add_test(name SOURCES a.cpp b.cpp [LIBS lib...]): one GoogleTest executable,
# registered with CTest as one test so that `ctest` runs everything.
function(corvantile_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock corvantile_warnings)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    ENVIRONMENT "CORVANTILE_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;${ARG_ENVIRONMENT}")
endfunction()
