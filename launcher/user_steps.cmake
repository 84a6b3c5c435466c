# The steps that talk to the user and the desktop: MESSAGE, REMINDER, SOUND,
# DDE and OS.

target_sources(rvlauncher_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dde_step.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_steps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/os_steps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sound_step.cpp
)
target_link_libraries(rvlauncher_core PUBLIC rvsound rvsession)

if(BUILD_TESTING)
  runvane_add_test(user_steps_tests
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/dde_step_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/message_steps_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/os_steps_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/sound_step_test.cpp
    LIBS rvlauncher_core)
endif()
