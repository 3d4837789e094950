# The editor tests include the framework's GUI headers through the editor's,
# and talk to the X server directly once (see EditorTestSupport.cpp).
if(TARGET editor_tests)
  find_package(X11 REQUIRED)
  target_link_libraries(editor_tests PRIVATE Morvane3_headers X11::X11)
endif()
