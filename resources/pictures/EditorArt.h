#pragma once
// The editor's own pictures: the window background, the equaliser panel with
// the knobs' printed scales, the mute keys and the bypass lights.

#include <cairo.h>

namespace morvane3::pictures
{
// Sizes in logical pixels; `scale` draws the picture that many times as fine.
cairo_surface_t* drawEditorBackground(double scale = 1.0);      // RGB24, 810 x 600
cairo_surface_t* drawEqPanel(double scale = 1.0);               // RGB24, 390 x 149
cairo_surface_t* drawMuteButton(bool on, double scale = 1.0);   // ARGB32, 24 x 15
cairo_surface_t* drawBypassLight(bool lit, double scale = 1.0); // ARGB32, 11 x 11
} // namespace morvane3::pictures
