# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) once the package's files are staged:
# sets the package's Depends to the libraries its binaries link (as
# dpkg-shlibdeps finds them) and to those the framework loads with dlopen at
# run time, which no linker record shows:
#   libX11, libXext, libXrandr, libXinerama, libXcursor, libXrender  the windows
#   libfreetype, libfontconfig                                       the fonts
#   libasound                                                        ALSA audio
#   libjack                                                          JACK audio
# and the font the editor draws its labels with when it redraws its pictures
# at another size:
#   fonts-dejavu-core                                                DejaVu Sans
# tests/packaging/deb-package.sh checks the result against ldd and this list.
set(dlopened_packages
  libx11-6 libxext6 libxrandr2 libxinerama1 libxcursor1 libxrender1
  libfreetype6 libfontconfig1 libasound2 "libjack-jackd2-0 | libjack0"
  fonts-dejavu-core)

file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
set(binaries)
foreach(file IN LISTS staged)
  execute_process(COMMAND file -b "${file}" OUTPUT_VARIABLE kind)
  if(kind MATCHES "^ELF.*dynamically linked")
    list(APPEND binaries "${file}")
  endif()
endforeach()
if(NOT binaries)
  message(FATAL_ERROR "Depends.cmake: no binaries staged under ${CPACK_TEMPORARY_DIRECTORY}")
endif()

# dpkg-shlibdeps wants to run beside a debian/control file.
set(work "${CPACK_TEMPORARY_DIRECTORY}.shlibdeps")
file(MAKE_DIRECTORY "${work}/debian")
file(WRITE "${work}/debian/control" "")
execute_process(COMMAND dpkg-shlibdeps -O ${binaries}
  WORKING_DIRECTORY "${work}"
  OUTPUT_VARIABLE shlibdeps ERROR_VARIABLE problems RESULT_VARIABLE failed)
file(REMOVE_RECURSE "${work}")
if(failed)
  message(FATAL_ERROR "dpkg-shlibdeps failed: ${problems}")
endif()
string(REGEX REPLACE "^shlibs:Depends=" "" depends "${shlibdeps}")
string(STRIP "${depends}" depends)

foreach(package IN LISTS dlopened_packages)
  string(REGEX REPLACE " .*" "" first "${package}")
  if(NOT depends MATCHES "(^|, )${first}( |,|$)")
    string(APPEND depends ", ${package}")
  endif()
endforeach()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${depends}")
message(STATUS "Depends: ${depends}")
