# The step line grammar and keyword table, shared by the launcher, settings and
# the automation server. Plain C++: no Qt, no X11.

add_library(rvsteps
  ${CMAKE_CURRENT_SOURCE_DIR}/step_line.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/step_keywords.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/step_reading.cpp
)
target_include_directories(rvsteps PUBLIC ${PROJECT_SOURCE_DIR})

if(BUILD_TESTING)
  runvane_add_test(steps_tests
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/step_line_test.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/step_keywords_test.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/step_reading_test.cpp
    LIBS rvsteps)
endif()
