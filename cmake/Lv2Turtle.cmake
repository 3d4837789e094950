# Run after the framework has written the LV2 bundle's Turtle files (a build
# step on the LV2 target, added after the framework's own):
#   cmake -DBUNDLE=<folder of the .lv2 bundle> -P Lv2Turtle.cmake
# It corrects what the framework writes so that lv2_validate finds no error and
# hosts show a name, an author and a licence:
# - dsp.ttl: the plug-in is also an lv2:SimulatorPlugin (a host's category) and
#   a doap:Project (the class doap:maintainer and doap:license belong to), has
#   the licence GPL-3.0-or-later, and its maintainer a real mail address instead
#   of an empty IRI (which hosts resolve to the file's own path);
# - ui.ttl: ui:noUserResize is a feature, not extension data, and
#   opts:interface is extension data, not a feature.
# A file that no longer has the text expected here stops the build, so a
# framework update cannot silently ship a description left half corrected.
set(author_mail "mailto:packages@morvane.org")
set(licence "http://spdx.org/licenses/GPL-3.0-or-later")

function(require text pattern what)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "Lv2Turtle.cmake: ${what} not found; the framework's Turtle output has changed")
  endif()
endfunction()

set(dsp "${BUNDLE}/dsp.ttl")
file(READ "${dsp}" text)
if(NOT text MATCHES "lv2:SimulatorPlugin")
  require("${text}" "\ta lv2:Plugin ;\n\tdoap:name" "the plug-in's class")
  string(REPLACE "\ta lv2:Plugin ;\n\tdoap:name" "\ta lv2:Plugin , lv2:SimulatorPlugin , doap:Project ;\n\tdoap:license <${licence}> ;\n\tdoap:name" text "${text}")
  require("${text}" "\t\tfoaf:mbox <> ;\n" "the maintainer's mail address")
  string(REPLACE "\t\tfoaf:mbox <> ;\n" "\t\tfoaf:mbox <${author_mail}> ;\n" text "${text}")
  file(WRITE "${dsp}" "${text}")
endif()

set(ui "${BUNDLE}/ui.ttl")
if(EXISTS "${ui}")
  file(READ "${ui}" text)
  if(text MATCHES "\t\tui:noUserResize ,\n\t\tui:resize ;")
    string(REPLACE "\t\tui:noUserResize ,\n\t\tui:resize ;" "\t\tui:resize ;" text "${text}")
    require("${text}" "\tlv2:optionalFeature\n\t\tui:[A-Za-z]+ ,\n\t\topts:interface ,\n" "the UI's optional features")
    string(REGEX REPLACE "(\tlv2:optionalFeature\n\t\tui:[A-Za-z]+ ,\n)\t\topts:interface ,\n" "\\1" text "${text}")
    file(WRITE "${ui}" "${text}")
  endif()
endif()
