# Tests of the built binaries, as hosts see them: our own small VST2 host, and
# the plug-in scanners and LV2 host that Debian ships.
if(TARGET Morvane3_VST)
  add_executable(hosts_tests ${CMAKE_CURRENT_LIST_DIR}/Vst2HostTests.cpp)
  # The editor's window is opened into an X window of the test's own and
  # compared with pictures drawn by the picture generator's code.
  find_package(X11 REQUIRED)
  target_link_libraries(hosts_tests PRIVATE GTest::gtest GTest::gtest_main ${CMAKE_DL_LIBS} X11::X11 morvane3_picture_art)
  target_include_directories(hosts_tests PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(hosts_tests PRIVATE MORVANE3_VST2_BINARY="$<TARGET_FILE:Morvane3_VST>")
  target_compile_options(hosts_tests PRIVATE -Wno-cpp)
  morvane3_warnings(hosts_tests)
  add_dependencies(hosts_tests Morvane3_VST)
  gtest_discover_tests(hosts_tests DISCOVERY_TIMEOUT 120 PROPERTIES LABELS hosts)

  add_test(NAME hosts.ardour_vst2_scan
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/ardour-scan.sh vst2 "$<TARGET_FILE:Morvane3_VST>")
  set_tests_properties(hosts.ardour_vst2_scan PROPERTIES LABELS hosts SKIP_RETURN_CODE 77)
endif()

if(TARGET Morvane3_VST3)
  set(morvane3_vst3_bundle "${CMAKE_BINARY_DIR}/plugin/Morvane3_artefacts/$<CONFIG>/VST3/Morvane 3.vst3")
  add_test(NAME hosts.ardour_vst3_scan
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/ardour-scan.sh vst3 "${morvane3_vst3_bundle}")
  set_tests_properties(hosts.ardour_vst3_scan PROPERTIES LABELS hosts SKIP_RETURN_CODE 77)
endif()

if(TARGET Morvane3_LV2)
  set(morvane3_lv2_bundle "${CMAKE_BINARY_DIR}/plugin/Morvane3_artefacts/$<CONFIG>/LV2/Morvane 3.lv2")
  add_test(NAME hosts.jalv_lv2_run
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/jalv-run.sh "${morvane3_lv2_bundle}" "${MORVANE3_LV2_URI}")
  add_test(NAME hosts.lv2_description_valid
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/lv2-validate.sh "${morvane3_lv2_bundle}" "${MORVANE3_LV2_URI}")
  set_tests_properties(hosts.lv2_description_valid PROPERTIES LABELS hosts SKIP_RETURN_CODE 77 TIMEOUT 60)
  add_test(NAME hosts.ardour_lv2_session
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/ardour-lv2-session.sh "${morvane3_lv2_bundle}" "${MORVANE3_LV2_URI}")
  set_tests_properties(hosts.ardour_lv2_session PROPERTIES LABELS hosts SKIP_RETURN_CODE 77 TIMEOUT 300)
  # One JACK server at a time (the package test starts one too).
  set_tests_properties(hosts.jalv_lv2_run PROPERTIES LABELS hosts SKIP_RETURN_CODE 77 TIMEOUT 60
    RESOURCE_LOCK jack_server)
endif()

# The Standalone: no display, JACK, the input's mute state kept across runs.
# A small JACK client plays into it and measures what comes back.
if(TARGET Morvane3_Standalone)
  pkg_check_modules(JACK IMPORTED_TARGET jack)
  if(JACK_FOUND)
    add_executable(jack-signal-probe ${CMAKE_CURRENT_LIST_DIR}/JackSignalProbe.cpp)
    target_link_libraries(jack-signal-probe PRIVATE PkgConfig::JACK)
    morvane3_warnings(jack-signal-probe)
    add_test(NAME hosts.standalone_display_jack_settings
      COMMAND ${CMAKE_CURRENT_LIST_DIR}/standalone.sh "$<TARGET_FILE:Morvane3_Standalone>" $<TARGET_FILE:jack-signal-probe>)
    set_tests_properties(hosts.standalone_display_jack_settings PROPERTIES LABELS hosts SKIP_RETURN_CODE 77
      TIMEOUT 120 RESOURCE_LOCK jack_server)
  endif()
endif()
