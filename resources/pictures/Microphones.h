#pragma once
// The microphone-placement pictures: one microphone over a transparent
// background, its capsule at the dust cap ("On Axis") or the cone edge
// ("Off Axis") of the set's miked speaker, pulled back for "Mid" and "Far".

#include "Catalogue.h"

#include <cairo.h>

#include <string>

namespace morvane3::pictures
{
struct Point
{
    double x, y;
};

// Where the capsule aims in the photograph.
Point placementTarget(const OverlaySet& set, const std::string& position);

// A new ARGB32 surface of 388 x 252 logical pixels, drawn `pixelScale` times
// as fine; the caller destroys it.
cairo_surface_t* drawPlacement(const OverlaySet& set, const std::string& microphone, const std::string& position,
                               const std::string& distance, double pixelScale = 1.0);
} // namespace morvane3::pictures
