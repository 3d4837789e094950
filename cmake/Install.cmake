# Installation and the Debian package.
#
# `cmake --install build` puts every format where Linux hosts look for it, under
# the install prefix (/usr/local unless chosen otherwise; the package uses /usr):
#   lib/vst/Morvane 3.so         VST2
#   lib/vst3/Morvane 3.vst3      VST3 bundle
#   lib/lv2/Morvane 3.lv2        LV2 bundle
#   bin/morvane3                 the Standalone application
#   bin/morvane3-render          the command-line host
#   share/man/man1/              their manual pages (made with help2man)
#   share/applications/, share/icons/hicolor/   the Standalone's menu entry and icon
# The installed binaries are stripped; the build tree keeps its debug
# information. Each folder can be moved, for example to the per-user folders:
#   -DMORVANE3_INSTALL_VST2_DIR=$HOME/.vst -DMORVANE3_INSTALL_VST3_DIR=$HOME/.vst3 -DMORVANE3_INSTALL_LV2_DIR=$HOME/.lv2
# `cpack -G DEB` (in the build folder) makes the Debian package.

set(MORVANE3_INSTALL_VST2_DIR lib/vst CACHE STRING "Folder of the VST2 plug-in (relative to the prefix, or absolute)")
set(MORVANE3_INSTALL_VST3_DIR lib/vst3 CACHE STRING "Folder of the VST3 bundle (relative to the prefix, or absolute)")
set(MORVANE3_INSTALL_LV2_DIR lib/lv2 CACHE STRING "Folder of the LV2 bundle (relative to the prefix, or absolute)")
set(MORVANE3_INSTALL_BIN_DIR bin CACHE STRING "Folder of the programs (relative to the prefix, or absolute)")
option(MORVANE3_INSTALL_STRIPPED "Strip the debug information from the installed binaries" ON)

if(NOT TARGET Morvane3_VST)
  return()
endif()

set(morvane3_artefacts ${CMAKE_BINARY_DIR}/plugin/Morvane3_artefacts/$<CONFIG>)
set(morvane3_installed_binaries)

install(FILES "$<TARGET_FILE:Morvane3_VST>" DESTINATION ${MORVANE3_INSTALL_VST2_DIR})
list(APPEND morvane3_installed_binaries "${MORVANE3_INSTALL_VST2_DIR}/Morvane 3.so")

# The three plug-in libraries get the same mode, that of a shared library that
# is loaded, not run (0644), as Debian has it.
set(morvane3_bundle_modes
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
  DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(TARGET Morvane3_VST3)
  install(DIRECTORY "${morvane3_artefacts}/VST3/Morvane 3.vst3" DESTINATION ${MORVANE3_INSTALL_VST3_DIR}
    ${morvane3_bundle_modes})
  list(APPEND morvane3_installed_binaries
    "${MORVANE3_INSTALL_VST3_DIR}/Morvane 3.vst3/Contents/${CMAKE_SYSTEM_PROCESSOR}-linux/Morvane 3.so")
endif()

if(TARGET Morvane3_LV2)
  install(DIRECTORY "${morvane3_artefacts}/LV2/Morvane 3.lv2" DESTINATION ${MORVANE3_INSTALL_LV2_DIR}
    ${morvane3_bundle_modes})
  list(APPEND morvane3_installed_binaries "${MORVANE3_INSTALL_LV2_DIR}/Morvane 3.lv2/libMorvane 3.so")
endif()

if(TARGET Morvane3_Standalone)
  # A program name without a blank, as commands on Linux have.
  install(PROGRAMS "$<TARGET_FILE:Morvane3_Standalone>" DESTINATION ${MORVANE3_INSTALL_BIN_DIR} RENAME morvane3)
  list(APPEND morvane3_installed_binaries "${MORVANE3_INSTALL_BIN_DIR}/morvane3")
endif()

if(TARGET morvane3-render)
  install(TARGETS morvane3-render RUNTIME DESTINATION ${MORVANE3_INSTALL_BIN_DIR})
  # Installed, the tool plays the installed plug-in: where it lies as seen
  # from the tool's own folder.
  if(IS_ABSOLUTE "${MORVANE3_INSTALL_VST2_DIR}")
    set(installed_plugin "${MORVANE3_INSTALL_VST2_DIR}/Morvane 3.so")
  elseif(IS_ABSOLUTE "${MORVANE3_INSTALL_BIN_DIR}")
    set(installed_plugin "${CMAKE_INSTALL_PREFIX}/${MORVANE3_INSTALL_VST2_DIR}/Morvane 3.so")
  else()
    file(RELATIVE_PATH installed_plugin "/prefix/${MORVANE3_INSTALL_BIN_DIR}" "/prefix/${MORVANE3_INSTALL_VST2_DIR}/Morvane 3.so")
  endif()
  target_compile_definitions(morvane3-render PRIVATE MORVANE3_RENDER_INSTALLED_PLUGIN="${installed_plugin}")
  list(APPEND morvane3_installed_binaries "${MORVANE3_INSTALL_BIN_DIR}/morvane3-render")
endif()

# Documentation as Debian lays it out: the copyright file names the licence
# (the full text is in /usr/share/common-licenses/GPL-3), and the changelog is
# compressed without a time stamp so that the package is reproducible.
set(morvane3_doc_dir ${CMAKE_BINARY_DIR}/package-doc)
string(TIMESTAMP MORVANE3_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
string(TIMESTAMP MORVANE3_RELEASE_YEAR "%Y" UTC)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${morvane3_doc_dir}/changelog @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in ${morvane3_doc_dir}/copyright @ONLY)
add_custom_command(OUTPUT ${morvane3_doc_dir}/changelog.gz
  COMMAND gzip -9nf -k ${morvane3_doc_dir}/changelog
  DEPENDS ${morvane3_doc_dir}/changelog
  VERBATIM)
add_custom_target(morvane3_changelog ALL DEPENDS ${morvane3_doc_dir}/changelog.gz)
install(FILES ${morvane3_doc_dir}/copyright ${morvane3_doc_dir}/changelog.gz DESTINATION share/doc/morvane3)

# The Standalone in the desktop's menus, with its icon in the hicolor theme.
if(TARGET morvane3_picture_art)
  add_subdirectory(${PROJECT_SOURCE_DIR}/resources/icons ${CMAKE_BINARY_DIR}/resources/icons)
endif()
if(TARGET Morvane3_Standalone AND TARGET morvane3_desktop_icons)
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/morvane3.desktop DESTINATION share/applications)
  foreach(size 48 128 256)
    install(FILES ${MORVANE3_ICON_DIR}/morvane3-${size}.png
      DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME morvane3.png)
  endforeach()
endif()

# Manual pages, made from the programs' own --help and --version texts (both
# answer without a display or a plug-in). help2man names the page after the
# program file, so the Standalone is run through a link with its installed name.
find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(man_dir ${CMAKE_BINARY_DIR}/man)
  set(manuals)
  if(TARGET Morvane3_Standalone)
    add_custom_command(OUTPUT ${man_dir}/morvane3.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}/bin
      COMMAND ${CMAKE_COMMAND} -E create_symlink "$<TARGET_FILE:Morvane3_Standalone>" ${man_dir}/bin/morvane3
      COMMAND ${HELP2MAN} --no-info --section=1 "--name=speaker-cabinet simulator with its own window"
        --output=${man_dir}/morvane3.1 ${man_dir}/bin/morvane3
      COMMAND gzip -9nf ${man_dir}/morvane3.1
      DEPENDS Morvane3_Standalone
      VERBATIM)
    list(APPEND manuals ${man_dir}/morvane3.1.gz)
  endif()
  if(TARGET morvane3-render)
    add_custom_command(OUTPUT ${man_dir}/morvane3-render.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
      COMMAND ${HELP2MAN} --no-info --section=1 "--name=render audio files through the Morvane 3 plug-in"
        --output=${man_dir}/morvane3-render.1 $<TARGET_FILE:morvane3-render>
      COMMAND gzip -9nf ${man_dir}/morvane3-render.1
      DEPENDS morvane3-render
      VERBATIM)
    list(APPEND manuals ${man_dir}/morvane3-render.1.gz)
  endif()
  add_custom_target(morvane3_manuals ALL DEPENDS ${manuals})
  install(FILES ${manuals} DESTINATION share/man/man1)
else()
  message(STATUS "help2man not found: no manual pages (scripts/install-deps.sh installs it)")
endif()

# install(FILES) and install(DIRECTORY) never strip, and `--strip` is easy to
# forget: strip every installed binary here, after it has been copied.
if(MORVANE3_INSTALL_STRIPPED AND CMAKE_STRIP)
  install(CODE "
    set(binaries [[${morvane3_installed_binaries}]])
    foreach(binary IN LISTS binaries)
      if(IS_ABSOLUTE \"\${binary}\")
        set(path \"\$ENV{DESTDIR}\${binary}\")
      else()
        set(path \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${binary}\")
      endif()
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded --remove-section=.comment --remove-section=.note
        \"\${path}\" RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR \"could not strip \${path}\")
      endif()
    endforeach()")
endif()

# The Debian package: the same installation under /usr. Its Depends are the
# libraries the binaries link, found by dpkg-shlibdeps (package dpkg-dev), and
# those the framework loads with dlopen at run time; cmake/debian/Depends.cmake
# works them out in the staged installation. (CPack's own dpkg-shlibdeps step is
# not used: it also adds ldconfig calls to the maintainer scripts for the VST2
# library, which is a plug-in, not a library for the linker.)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvane3)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Morvane Audio")
set(CPACK_PACKAGE_CONTACT "Morvane Audio <packages@morvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "speaker-cabinet simulator plug-in (VST2, VST3, LV2, standalone)")
set(CPACK_PACKAGE_DESCRIPTION
  "Morvane 3 simulates guitar and bass speaker cabinets recorded through
microphones: two cabinet channels, each with 20 cabinets, 8 microphones,
2 positions and 3 distances, filters and levels. It comes as VST2, VST3
and LV2 plug-ins, a standalone application (ALSA or JACK) and
morvane3-render, a command-line host.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://morvane.org")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/debian/Depends.cmake)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Our own strip step runs inside the installation CPack makes.
set(CPACK_STRIP_FILES OFF)
include(CPack)
