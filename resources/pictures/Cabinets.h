#pragma once
// The cabinet photographs: one front view per cabinet, lit from above, with
// the speakers where the cabinet's overlay set puts them.

#include <cairo.h>

#include <string>

namespace morvane3::pictures
{
// A new RGB24 surface of 388 x 252 logical pixels, drawn `scale` times as
// fine; the caller destroys it.
cairo_surface_t* drawCabinet(const std::string& cabinet, double scale = 1.0);
} // namespace morvane3::pictures
