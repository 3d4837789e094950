# The catalogue tests include the framework's headers through the catalogue's.
if(TARGET catalogue_tests)
  target_link_libraries(catalogue_tests PRIVATE Morvane3_headers)
endif()
