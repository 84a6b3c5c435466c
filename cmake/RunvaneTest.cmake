# runvane_add_test(NAME SOURCES... LIBS...)
# Every test runs with RUNVANE_HOME set to a fresh folder of its own (made by
# the test fixture in test_support), so no test can reach the user's files.
function(runvane_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} rvtest_support GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 30
    PROPERTIES ENVIRONMENT "RUNVANE_TEST_BUILD_DIR=${CMAKE_BINARY_DIR}"
               TIMEOUT 120)
endfunction()
