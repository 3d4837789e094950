#pragma once
// Knob filmstrips: 127 frames stacked top to bottom, the knob turned through
// a 300-degree sweep, transparent around the knob so the printed scale of
// the panel beneath shows.

#include "Knobs.h"

#include <cairo.h>

namespace morvane3::pictures
{
// Angle of the pointer in frame `index`, radians clockwise from straight up.
double frameAngle(int index);

// Draws one knob centred at (cx, cy) with its pointer at `angle`.
void drawKnob(cairo_t* cr, double cx, double cy, double radius, double angle);

// One frame alone, frameWidth x frameHeight logical pixels drawn `scale`
// times as fine, for editors larger than 100 %; the caller destroys it.
cairo_surface_t* drawKnobFrame(const KnobSpec& spec, int index, double scale);

// A new ARGB32 surface of frameWidth x (127 * frameHeight); the caller destroys it.
cairo_surface_t* drawFilmstrip(const KnobSpec& spec);
} // namespace morvane3::pictures
