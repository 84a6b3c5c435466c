# The desktop services of the task steps that need system libraries: sound
# (libsndfile, PulseAudio) and the session (logind requests, PAM). Kept out
# of rvplatform so programs without these steps do not link them.

find_package(PkgConfig REQUIRED)
pkg_check_modules(RV_SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(RV_PULSE_SIMPLE REQUIRED IMPORTED_TARGET libpulse-simple)
pkg_check_modules(RV_PAM REQUIRED IMPORTED_TARGET pam)

add_library(rvsound ${CMAKE_CURRENT_LIST_DIR}/pulse_sound.cpp)
target_include_directories(rvsound PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(rvsound PUBLIC PkgConfig::RV_SNDFILE PkgConfig::RV_PULSE_SIMPLE Threads::Threads)

add_library(rvsession ${CMAKE_CURRENT_LIST_DIR}/linux_session.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/pam_logon_check.cpp)
target_include_directories(rvsession PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(rvsession PUBLIC rvplatform PkgConfig::RV_PAM)

if(BUILD_TESTING)
  # The log-in check runs in a helper of its own, under pam_wrapper, which
  # must be preloaded before the process starts.
  add_executable(logon_check_helper ${CMAKE_CURRENT_LIST_DIR}/testing/logon_check_helper.cpp)
  target_link_libraries(logon_check_helper PRIVATE rvsession)
  runvane_add_test(logon_check_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/pam_logon_check_test.cpp
    LIBS rvsession)
  add_dependencies(logon_check_tests logon_check_helper)
  target_compile_definitions(logon_check_tests PRIVATE
    LOGON_CHECK_HELPER="$<TARGET_FILE:logon_check_helper>")
endif()
