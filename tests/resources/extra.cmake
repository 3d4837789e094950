# The impulse-response checks analyse spectra (FFTW, double precision) and
# regenerate responses with the synthesiser to prove the build is repeatable.
if(TARGET resources_tests AND TARGET morvane3_irsynth)
  pkg_check_modules(RESOURCES_TEST_FFTW3 REQUIRED IMPORTED_TARGET fftw3)
  target_link_libraries(resources_tests PRIVATE morvane3_irsynth PkgConfig::RESOURCES_TEST_FFTW3)
endif()

# The picture checks decode PNG pixels with cairo, and draw pictures again
# at other scales with the generator's drawing code.
if(TARGET resources_tests AND TARGET morvane3-pictures)
  pkg_check_modules(RESOURCES_TEST_CAIRO REQUIRED IMPORTED_TARGET cairo)
  target_link_libraries(resources_tests PRIVATE PkgConfig::RESOURCES_TEST_CAIRO morvane3_picture_art)
endif()
