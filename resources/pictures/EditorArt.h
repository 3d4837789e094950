#pragma once
// The editor's own pictures: the window background, the equaliser panel with
// the knobs' printed scales, the mute keys and the bypass lights.

#include <cairo.h>

namespace morvane3::pictures
{
cairo_surface_t* drawEditorBackground(); // RGB24, 810 x 600
cairo_surface_t* drawEqPanel();          // RGB24, 390 x 149
cairo_surface_t* drawMuteButton(bool on); // ARGB32, 24 x 15
cairo_surface_t* drawBypassLight(bool lit); // ARGB32, 11 x 11
} // namespace morvane3::pictures
