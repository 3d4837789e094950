# Hardening: long runs, many instances, hostile hosts and hostile input against
# the shipped processor. The tests that drive a processor from several threads
# live in their own program with the label "threads", so that the
# ThreadSanitizer run builds and selects only them (one label per program:
# gtest_discover_tests takes a single value per property).
if(TARGET Morvane3)
  file(GLOB hardening_support CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/support/*.cpp)
  file(GLOB hardening_single CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
  if(NOT MORVANE3_WITH_EDITOR)
    list(FILTER hardening_single EXCLUDE REGEX "/Editor[^/]*\\.cpp$")
  endif()
  file(GLOB hardening_threads CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/threads/*.cpp)

  # Soak length in seconds of audio for the default run; the environment
  # variable MORVANE3_SOAK_SECONDS overrides it (3600 for the full hour).
  set(MORVANE3_SOAK_TIMEOUT 1500 CACHE STRING "ctest timeout of the soak test, seconds")

  foreach(program hardening hardening_threads)
    # The threaded tests measure waits and wall time: they run alone.
    if(program STREQUAL "hardening")
      set(sources ${hardening_single})
      set(label hardening)
      set(serial FALSE)
    else()
      set(sources ${hardening_threads})
      set(label threads)
      set(serial TRUE)
    endif()
    if(NOT sources)
      continue()
    endif()
    add_executable(${program}_tests ${sources} ${hardening_support})
    target_include_directories(${program}_tests PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}
      ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(${program}_tests PRIVATE Morvane3 Morvane3_headers GTest::gtest GTest::gtest_main
      Threads::Threads)
    if(TARGET morvane3_editor)
      target_link_libraries(${program}_tests PRIVATE morvane3_editor)
    endif()
    if(TARGET test_support)
      target_link_libraries(${program}_tests PRIVATE test_support)
    endif()
    morvane3_warnings(${program}_tests)
    gtest_discover_tests(${program}_tests
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
      DISCOVERY_TIMEOUT 120
      PROPERTIES LABELS "${label}" TIMEOUT ${MORVANE3_SOAK_TIMEOUT} RUN_SERIAL ${serial})
  endforeach()
endif()
