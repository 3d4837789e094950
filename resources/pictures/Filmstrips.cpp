#include "Filmstrips.h"

#include "Art.h"

#include <algorithm>
#include <cmath>

namespace morvane3::pictures
{
double frameAngle(int index)
{
    return (-sweepDegrees / 2 + sweepDegrees * index / (filmstripFrames - 1)) * pi / 180.0;
}

void drawKnob(cairo_t* cr, double cx, double cy, double radius, double angle)
{
    // Everything but the knurls and the pointer is lit from straight above and
    // does not turn, so a knob at its centre position is mirror-symmetric.
    softEllipseShadow(cr, cx, cy + radius * 0.12, radius * 0.98, radius * 0.98, radius * 0.14, 0.55);

    cairo_arc(cr, cx, cy, radius, 0, 2 * pi);
    cairo_pattern_t* skirt = cairo_pattern_create_linear(cx, cy - radius, cx, cy + radius);
    cairo_pattern_add_color_stop_rgb(skirt, 0, 0.30, 0.30, 0.32);
    cairo_pattern_add_color_stop_rgb(skirt, 0.5, 0.12, 0.12, 0.13);
    cairo_pattern_add_color_stop_rgb(skirt, 1, 0.04, 0.04, 0.05);
    cairo_set_source(cr, skirt);
    cairo_fill(cr);
    cairo_pattern_destroy(skirt);

    // Knurled grip: ridges turn with the knob.
    const int ridges = radius > 12 ? 36 : 20;
    cairo_set_line_width(cr, std::max(0.7, radius * 0.05));
    for (int k = 0; k < ridges; ++k)
    {
        const double a = angle + 2 * pi * k / ridges;
        const double s = std::sin(a), c = -std::cos(a);
        cairo_move_to(cr, cx + s * radius * 0.8, cy + c * radius * 0.8);
        cairo_line_to(cr, cx + s * radius * 0.98, cy + c * radius * 0.98);
        // Ridges facing the lamp catch more light.
        const double lit = 0.12 + 0.25 * std::max(0.0, -c);
        cairo_set_source_rgba(cr, 1, 1, 1, lit);
        cairo_stroke(cr);
    }
    cairo_arc(cr, cx, cy, radius - 0.5, 0, 2 * pi);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    // Spun aluminium cap with fine concentric rings and a highlight on top.
    const double capR = radius * 0.74;
    cairo_arc(cr, cx, cy, capR, 0, 2 * pi);
    cairo_pattern_t* cap = cairo_pattern_create_linear(cx, cy - capR, cx, cy + capR);
    cairo_pattern_add_color_stop_rgb(cap, 0, 0.86, 0.86, 0.88);
    cairo_pattern_add_color_stop_rgb(cap, 0.45, 0.58, 0.58, 0.6);
    cairo_pattern_add_color_stop_rgb(cap, 1, 0.3, 0.3, 0.32);
    cairo_set_source(cr, cap);
    cairo_fill(cr);
    cairo_pattern_destroy(cap);
    cairo_set_line_width(cr, 0.4);
    for (double r = capR * 0.15; r < capR; r += std::max(0.9, capR / 14))
    {
        cairo_arc(cr, cx, cy, r, 0, 2 * pi);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.06);
        cairo_stroke(cr);
    }
    cairo_save(cr);
    cairo_translate(cr, cx, cy - capR * 0.45);
    cairo_scale(cr, capR * 0.7, capR * 0.38);
    cairo_arc(cr, 0, 0, 1, 0, 2 * pi);
    cairo_restore(cr);
    cairo_pattern_t* shine = cairo_pattern_create_radial(cx, cy - capR * 0.5, 0, cx, cy - capR * 0.5, capR * 0.7);
    cairo_pattern_add_color_stop_rgba(shine, 0, 1, 1, 1, 0.55);
    cairo_pattern_add_color_stop_rgba(shine, 1, 1, 1, 1, 0);
    cairo_set_source(cr, shine);
    cairo_fill(cr);
    cairo_pattern_destroy(shine);
    cairo_arc(cr, cx, cy, capR, 0, 2 * pi);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);

    // Pointer: a red line inlaid from the cap's middle out over the skirt.
    const double s = std::sin(angle), c = -std::cos(angle);
    cairo_move_to(cr, cx + s * radius * 0.3, cy + c * radius * 0.3);
    cairo_line_to(cr, cx + s * radius * 0.93, cy + c * radius * 0.93);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, std::max(1.6, radius * 0.14));
    cairo_set_source_rgb(cr, 0.93, 0.22, 0.1);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

cairo_surface_t* drawKnobFrame(const KnobSpec& spec, int index, double scale)
{
    cairo_surface_t* surface = newSurface(CAIRO_FORMAT_ARGB32, spec.frameWidth, spec.frameHeight, scale);
    cairo_t* cr = createLogicalContext(surface, spec.frameWidth, spec.frameHeight);
    cairo_rectangle(cr, 0, 0, spec.frameWidth, spec.frameHeight);
    cairo_clip(cr);
    drawKnob(cr, spec.frameWidth / 2.0, spec.centreY, spec.radius,
             frameAngle(std::clamp(index, 0, filmstripFrames - 1)));
    cairo_destroy(cr);
    return surface;
}

cairo_surface_t* drawFilmstrip(const KnobSpec& spec)
{
    cairo_surface_t* surface = newSurface(CAIRO_FORMAT_ARGB32, spec.frameWidth, spec.frameHeight * filmstripFrames);
    cairo_t* cr = cairo_create(surface);
    for (int i = 0; i < filmstripFrames; ++i)
    {
        cairo_save(cr);
        cairo_rectangle(cr, 0, i * spec.frameHeight, spec.frameWidth, spec.frameHeight);
        cairo_clip(cr);
        drawKnob(cr, spec.frameWidth / 2.0, i * spec.frameHeight + spec.centreY, spec.radius, frameAngle(i));
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    return surface;
}
} // namespace morvane3::pictures
