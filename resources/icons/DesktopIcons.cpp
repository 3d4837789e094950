// Draws the Standalone application's desktop icon at the sizes the hicolor
// theme asks for: a speaker cabinet (two-tone covering, grille cloth, one
// large cone) with a microphone in front of it. Each size is drawn from the
// vectors, not scaled from another, so small icons stay sharp.
// Usage: morvane3-desktop-icons <output folder>  (writes morvane3-<size>.png)
#include "resources/pictures/Art.h"

#include <cairo.h>

#include <cstdio>
#include <stdexcept>
#include <string>

using namespace morvane3::pictures;

namespace
{
void drawIcon(cairo_t* cr, double size)
{
    const double s = size / 256.0; // the drawing is laid out on a 256-unit square
    cairo_scale(cr, s, s);

    // The cabinet, with a darker rim for the covering's edge.
    roundedRect(cr, 20, 28, 216, 208, 22);
    setColour(cr, rgb(0x1c1a18));
    cairo_fill(cr);
    roundedRect(cr, 30, 38, 196, 188, 14);
    setColour(cr, rgb(0x3a342c));
    cairo_fill(cr);

    // Grille cloth: a warm weave of fine diagonal lines.
    roundedRect(cr, 40, 48, 176, 168, 8);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    setColour(cr, rgb(0x8a7656));
    cairo_fill(cr);
    cairo_set_line_width(cr, 2.0);
    setColour(cr, rgb(0x6b5a40), 0.6);
    for (double d = -180; d < 200; d += 7)
    {
        cairo_move_to(cr, 40 + d, 48);
        cairo_line_to(cr, 40 + d + 168, 216);
    }
    cairo_stroke(cr);

    // The cone seen through the cloth.
    cairo_pattern_t* cone = cairo_pattern_create_radial(128, 132, 8, 128, 132, 70);
    cairo_pattern_add_color_stop_rgba(cone, 0.0, 0.05, 0.05, 0.05, 0.85);
    cairo_pattern_add_color_stop_rgba(cone, 0.35, 0.12, 0.11, 0.10, 0.55);
    cairo_pattern_add_color_stop_rgba(cone, 1.0, 0.10, 0.09, 0.08, 0.25);
    cairo_arc(cr, 128, 132, 70, 0, 2 * pi);
    cairo_set_source(cr, cone);
    cairo_fill(cr);
    cairo_pattern_destroy(cone);
    cairo_restore(cr);

    // A thin piping around the cloth.
    roundedRect(cr, 40, 48, 176, 168, 8);
    cairo_set_line_width(cr, 3.0);
    setColour(cr, rgb(0xd8c8a0));
    cairo_stroke(cr);

    // The microphone, on axis in front of the cone: a capsule on a short body.
    cairo_save(cr);
    cairo_translate(cr, 186, 196);
    cairo_rotate(cr, -0.75);
    roundedRect(cr, -11, -8, 22, 62, 6);
    setColour(cr, rgb(0x202020));
    cairo_fill(cr);
    cairo_arc(cr, 0, -16, 17, 0, 2 * pi);
    cairo_pattern_t* grille = cairo_pattern_create_linear(-17, -33, 17, 1);
    cairo_pattern_add_color_stop_rgb(grille, 0.0, 0.92, 0.92, 0.90);
    cairo_pattern_add_color_stop_rgb(grille, 1.0, 0.55, 0.55, 0.55);
    cairo_set_source(cr, grille);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(grille);
    cairo_set_line_width(cr, 2.5);
    setColour(cr, rgb(0x303030));
    cairo_stroke(cr);
    cairo_restore(cr);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: morvane3-desktop-icons <output folder>\n");
        return 2;
    }
    try
    {
        for (int size : {48, 128, 256})
        {
            cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
            cairo_t* cr = cairo_create(surface);
            cairo_set_antialias(cr, CAIRO_ANTIALIAS_BEST);
            drawIcon(cr, size);
            cairo_destroy(cr);
            writePng(surface, std::string(argv[1]) + "/morvane3-" + std::to_string(size) + ".png");
            cairo_surface_destroy(surface);
        }
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "morvane3-desktop-icons: %s\n", e.what());
        return 1;
    }
    return 0;
}
