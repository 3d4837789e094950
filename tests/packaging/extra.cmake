# The Debian package, installed system-wide as a user would install it. It
# needs root (the CI machine runs as root; elsewhere it skips) and the whole
# plug-in built. Labelled "hosts" as well, so the sanitizer runs, which build
# only the test programs, leave it out. Its LV2 check starts a JACK server,
# of which the machine can run only one at a time.
if(TARGET Morvane3_VST AND TARGET Morvane3_VST3 AND TARGET Morvane3_LV2 AND TARGET Morvane3_Standalone
   AND TARGET morvane3-render)
  add_test(NAME packaging.deb_install_find_render_purge
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/deb-package.sh ${CMAKE_BINARY_DIR} $<TARGET_FILE:morvane3-render>
      ${MORVANE3_LV2_URI} ${PROJECT_SOURCE_DIR}/tests/hosts)
  set_tests_properties(packaging.deb_install_find_render_purge PROPERTIES
    LABELS "packaging;hosts" SKIP_RETURN_CODE 77 TIMEOUT 900 RESOURCE_LOCK "system_packages;jack_server")
endif()
