# The editor tests include the framework's GUI headers through the editor's.
if(TARGET editor_tests)
  target_link_libraries(editor_tests PRIVATE Morvane3_headers)
endif()
