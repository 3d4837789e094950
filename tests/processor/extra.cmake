# The processor tests include the framework's headers through the processor's.
if(TARGET processor_tests)
  target_link_libraries(processor_tests PRIVATE Morvane3_headers)
endif()
