# Tests of the command-line host: its pieces (WAV, settings document, catalogue,
# FFT, demo) and whole runs of the morvane3-render executable, against stand-in
# plug-ins and against the plug-in binary this build makes.
if(TARGET morvane3_render_core AND TARGET morvane3-render)
  set(fake_source ${CMAKE_CURRENT_LIST_DIR}/fakes/FakeEffect.cpp)
  set(fake_kinds delay null magic noentry crash)
  foreach(kind IN LISTS fake_kinds)
    list(FIND fake_kinds ${kind} index)
    add_library(render_fake_${kind} MODULE ${fake_source})
    target_compile_definitions(render_fake_${kind} PRIVATE FAKE_KIND=${index})
    target_compile_options(render_fake_${kind} PRIVATE -Wno-cpp)
    set_target_properties(render_fake_${kind} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/tools/fakes)
  endforeach()

  file(GLOB tools_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
  add_executable(tools_tests ${tools_test_sources})
  target_include_directories(tools_tests PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(tools_tests PRIVATE morvane3_render_core GTest::gtest GTest::gtest_main)
  morvane3_warnings(tools_tests)
  target_compile_definitions(tools_tests PRIVATE
    MORVANE3_RENDER_TOOL="$<TARGET_FILE:morvane3-render>"
    MORVANE3_FAKE_DELAY_PLUGIN="$<TARGET_FILE:render_fake_delay>"
    MORVANE3_FAKE_NULL_PLUGIN="$<TARGET_FILE:render_fake_null>"
    MORVANE3_FAKE_MAGIC_PLUGIN="$<TARGET_FILE:render_fake_magic>"
    MORVANE3_FAKE_NO_ENTRY_PLUGIN="$<TARGET_FILE:render_fake_noentry>"
    MORVANE3_FAKE_CRASH_PLUGIN="$<TARGET_FILE:render_fake_crash>"
    # Where the build writes the catalogue's WAV files, if it keeps them as files.
    MORVANE3_BUILD_RESOURCES_DIR="${CMAKE_BINARY_DIR}/resources")
  if(NOT TARGET Morvane3_VST)
    target_compile_definitions(tools_tests PRIVATE MORVANE3_RENDER_NO_PLUGIN=1)
  endif()
  add_dependencies(tools_tests morvane3-render render_fake_delay render_fake_null render_fake_magic render_fake_noentry render_fake_crash)
  gtest_discover_tests(tools_tests
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 120
    PROPERTIES LABELS tools TIMEOUT 300)
endif()

# The editor and the tool read the same preset files alike. This program links
# the editor (the tool itself is run as a user runs it) and opens windows, so
# it needs a display (scripts/test.sh provides one).
if(TARGET morvane3_editor AND TARGET morvane3-render AND TARGET Morvane3_VST)
  add_executable(preset_agreement_tests ${CMAKE_CURRENT_LIST_DIR}/presets/PresetAgreementTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ToolTestSupport.cpp)
  target_include_directories(preset_agreement_tests PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(preset_agreement_tests PRIVATE morvane3_editor Morvane3_headers GTest::gtest GTest::gtest_main)
  target_compile_definitions(preset_agreement_tests PRIVATE MORVANE3_RENDER_TOOL="$<TARGET_FILE:morvane3-render>")
  morvane3_warnings(preset_agreement_tests)
  add_dependencies(preset_agreement_tests morvane3-render)
  gtest_discover_tests(preset_agreement_tests DISCOVERY_TIMEOUT 120 PROPERTIES LABELS tools TIMEOUT 300)
endif()
