#include "EditorArt.h"

#include "Art.h"
#include "Filmstrips.h"
#include "Knobs.h"

#include <cmath>
#include <string>

namespace morvane3::pictures
{
namespace
{
const Colour amber = rgb(0xe8a33c);
const Colour caption = rgb(0xd8d8d8);

void fillLinear(cairo_t* cr, double y0, double y1, const Colour& a, const Colour& b)
{
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgb(p, 0, a.r, a.g, a.b);
    cairo_pattern_add_color_stop_rgb(p, 1, b.r, b.g, b.b);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// Dark leather-grain surface with faint horizontal brushing, over the whole
// surface; w x h is its logical size, so a finer surface gets the same
// pattern at its own resolution.
void texture(cairo_surface_t* surface, int w, int h, uint64_t seed, double strength)
{
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int dw = cairo_image_surface_get_width(surface), dh = cairo_image_surface_get_height(surface);
    const bool exact = dw == w && dh == h;
    const double toLogicalX = static_cast<double>(w) / dw, toLogicalY = static_cast<double>(h) / dh;
    const auto textureRows = [&](int begin, int end) {
        for (int y = begin; y < end; ++y)
        {
            auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
            const double ly = exact ? y : y * toLogicalY;
            for (int x = 0; x < dw; ++x)
            {
                const double lx = exact ? x : x * toLogicalX;
                const double grain = fractalNoise(lx / 2.2, ly / 2.2, seed, 2) - 0.5;
                const double brush = valueNoise(lx / 40.0, ly * 1.3, seed + 9) - 0.5;
                const double f = 1.0 + strength * (grain * 0.9 + brush * 0.5);
                uint32_t out = row[x] & 0xff000000u;
                for (int shift = 0; shift < 24; shift += 8)
                {
                    const double v = ((row[x] >> shift) & 255u) * f;
                    out |= static_cast<uint32_t>(std::fmin(255.0, std::fmax(0.0, v + 0.5))) << shift;
                }
                row[x] = out;
            }
        }
    };
    forRowsInParallel(dh, textureRows);
    cairo_surface_mark_dirty(surface);
}

void bevel(cairo_t* cr, double x, double y, double w, double h, double radius, bool raised)
{
    roundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, radius);
    cairo_set_line_width(cr, 1);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgba(p, 0, raised ? 1 : 0, raised ? 1 : 0, raised ? 1 : 0, raised ? 0.18 : 0.6);
    cairo_pattern_add_color_stop_rgba(p, 1, raised ? 0 : 1, raised ? 0 : 1, raised ? 0 : 1, raised ? 0.6 : 0.12);
    cairo_set_source(cr, p);
    cairo_stroke(cr);
    cairo_pattern_destroy(p);
}

void drawScrew(cairo_t* cr, double x, double y)
{
    cairo_arc(cr, x, y, 3, 0, 2 * pi);
    fillLinear(cr, y - 3, y + 3, rgb(0x9a9a9a), rgb(0x2a2a2a));
    cairo_move_to(cr, x - 2, y - 1);
    cairo_line_to(cr, x + 2, y + 1);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
}

void drawLogo(cairo_t* cr, double x, double y)
{
    // A speaker seen from the front: rings around a bright centre.
    const double cx = x + 14, cy = y + 14;
    cairo_arc(cr, cx, cy, 13, 0, 2 * pi);
    fillLinear(cr, cy - 13, cy + 13, rgb(0x4a4a4e), rgb(0x121214));
    for (int i = 0; i < 3; ++i)
    {
        cairo_arc(cr, cx, cy, 11 - i * 3.2, 0, 2 * pi);
        cairo_set_source_rgba(cr, amber.r, amber.g, amber.b, 0.45 + 0.2 * i);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
    cairo_arc(cr, cx, cy, 2.6, 0, 2 * pi);
    setColour(cr, amber);
    cairo_fill(cr);

    setFont(cr, 21, true);
    const std::string word = "MORVANE";
    cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
    cairo_move_to(cr, x + 35, y + 23);
    cairo_show_text(cr, word.c_str());
    cairo_move_to(cr, x + 34, y + 22);
    cairo_text_path(cr, word.c_str());
    fillLinear(cr, y + 4, y + 22, rgb(0xf4f4f4), rgb(0x9a9a9e));
    const double after = x + 34 + [&] { setFont(cr, 21, true); return textWidth(cr, word); }() + 5;
    // The "3" in a rounded amber tile.
    roundedRect(cr, after, y + 3, 20, 21, 4);
    fillLinear(cr, y + 3, y + 24, amber.scaled(1.15), amber.scaled(0.7));
    setFont(cr, 18, true);
    cairo_set_source_rgb(cr, 0.1, 0.08, 0.05);
    centredText(cr, after + 10, y + 20.5, "3");
    setFont(cr, 7.5, false);
    cairo_set_source_rgba(cr, 0.8, 0.8, 0.8, 0.7);
    cairo_move_to(cr, x + 35, y + 33);
    cairo_show_text(cr, "CABINET  SIMULATOR");
}

// The printed scale around one knob: ticks on the sweep, end and middle
// labels, and the caption above.
void drawScale(cairo_t* cr, const KnobSpec& k, double ox, double oy)
{
    const double cx = ox + k.originX + k.frameWidth / 2.0, cy = oy + k.originY + k.centreY;
    const double r0 = k.radius + 3, r1 = k.radius + 6.5;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int t = 0; t <= 10; ++t)
    {
        const double a = frameAngle(t * (filmstripFrames - 1) / 10);
        const bool major = t == 0 || t == 5 || t == 10;
        const double outer = major ? r1 + 1.5 : r1;
        cairo_move_to(cr, cx + std::sin(a) * r0, cy - std::cos(a) * r0);
        cairo_line_to(cr, cx + std::sin(a) * outer, cy - std::cos(a) * outer);
        cairo_set_source_rgba(cr, 0.9, 0.9, 0.9, major ? 0.95 : 0.6);
        cairo_set_line_width(cr, major ? 1.3 : 0.9);
        cairo_stroke(cr);
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    // A faint arc joining the ticks.
    cairo_arc(cr, cx, cy, r0 - 1, frameAngle(0) - pi / 2, frameAngle(filmstripFrames - 1) - pi / 2);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.15);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);

    if (!k.onPanel)
        return;
    setFont(cr, 8, false);
    setColour(cr, caption.scaled(0.85));
    // End labels sit beside the end ticks, clear of the bypass lights below.
    const double aMin = frameAngle(0), aMax = frameAngle(filmstripFrames - 1);
    cairo_move_to(cr, cx + std::sin(aMin) * r1 - 2 - textWidth(cr, k.minLabel), cy - std::cos(aMin) * r1 + 4);
    cairo_show_text(cr, k.minLabel.c_str());
    cairo_move_to(cr, cx + std::sin(aMax) * r1 + 2, cy - std::cos(aMax) * r1 + 4);
    cairo_show_text(cr, k.maxLabel.c_str());
    setFont(cr, 8.5, true);
    setColour(cr, amber);
    centredText(cr, cx, cy - r1 - 4.5, k.caption);
}

void drawLightSocket(cairo_t* cr, double x, double y)
{
    cairo_arc(cr, x + 5.5, y + 5.5, 7.5, 0, 2 * pi);
    fillLinear(cr, y - 2, y + 13, rgb(0x0a0a0a), rgb(0x5a5a5c));
    cairo_arc(cr, x + 5.5, y + 5.5, 6, 0, 2 * pi);
    setColour(cr, rgb(0x050505));
    cairo_fill(cr);
}
} // namespace

cairo_surface_t* drawEqPanel(double scale)
{
    cairo_surface_t* surface = newSurface(CAIRO_FORMAT_RGB24, eqPanelWidth, eqPanelHeight, scale);
    cairo_t* cr = createLogicalContext(surface, eqPanelWidth, eqPanelHeight);
    cairo_rectangle(cr, 0, 0, eqPanelWidth, eqPanelHeight);
    fillLinear(cr, 0, eqPanelHeight, rgb(0x36373b), rgb(0x1e1f22));
    cairo_destroy(cr);
    texture(surface, eqPanelWidth, eqPanelHeight, 0x5eed, 0.12);
    cr = createLogicalContext(surface, eqPanelWidth, eqPanelHeight);

    bevel(cr, 0, 0, eqPanelWidth, eqPanelHeight, 3, true);
    // Group separators: filters | mid bands | level.
    for (double x : {100.5, 290.5})
    {
        cairo_move_to(cr, x, 8);
        cairo_line_to(cr, x, eqPanelHeight - 8);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_move_to(cr, x + 1, 8);
        cairo_line_to(cr, x + 1, eqPanelHeight - 8);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.08);
        cairo_stroke(cr);
    }
    for (const auto& k : knobSpecs())
        if (k.onPanel)
            drawScale(cr, k, 0, 0);
    for (const auto& spot : bypassLightSpots())
        drawLightSocket(cr, spot.x, spot.y);
    for (double x : {5.0, eqPanelWidth - 5.0})
        for (double y : {5.0, eqPanelHeight - 5.0})
            drawScrew(cr, x, y);
    cairo_destroy(cr);
    return surface;
}

cairo_surface_t* drawEditorBackground(double scale)
{
    const int w = 810, h = 600;
    cairo_surface_t* surface = newSurface(CAIRO_FORMAT_RGB24, w, h, scale);
    cairo_t* cr = createLogicalContext(surface, w, h);
    cairo_rectangle(cr, 0, 0, w, h);
    fillLinear(cr, 0, h, rgb(0x242528), rgb(0x141416));
    cairo_destroy(cr);
    texture(surface, w, h, 0xbac6, 0.16);
    cr = createLogicalContext(surface, w, h);

    // Title strip.
    cairo_rectangle(cr, 0, 0, w, 40);
    cairo_pattern_t* strip = cairo_pattern_create_linear(0, 0, 0, 40);
    cairo_pattern_add_color_stop_rgba(strip, 0, 1, 1, 1, 0.10);
    cairo_pattern_add_color_stop_rgba(strip, 1, 1, 1, 1, 0.02);
    cairo_set_source(cr, strip);
    cairo_fill(cr);
    cairo_pattern_destroy(strip);
    cairo_rectangle(cr, 0, 39, w, 1);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
    cairo_fill(cr);
    cairo_rectangle(cr, 0, 40, w, 1);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.07);
    cairo_fill(cr);
    drawLogo(cr, 10, 4);

    // Master output: caption and the knob's scale.
    const KnobSpec& out = knobSpec("knobOutputLevel");
    drawScale(cr, out, 0, 0);
    setFont(cr, 10, true);
    setColour(cr, amber);
    const double ow = textWidth(cr, out.caption);
    cairo_move_to(cr, out.originX - 8 - ow, 23);
    cairo_show_text(cr, out.caption.c_str());

    const char* boxCaptions[4] = {"Cabinet", "Microphone", "Mic Position", "Mic Distance"};
    const double boxX[2][2] = {{25, 215}, {427, 617}};
    for (int ch = 0; ch < 2; ++ch)
    {
        const double px = eqPanelX[ch], pw = eqPanelWidth;
        // Channel panel.
        roundedRect(cr, px - 4, 45, pw + 8, 550, 5);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
        cairo_fill(cr);
        bevel(cr, px - 4, 45, pw + 8, 550, 5, false);
        // Header bar with the channel's caption; the mute key sits at its right.
        roundedRect(cr, px, 49, pw, 27, 3);
        fillLinear(cr, 49, 76, rgb(0x4a4b50), rgb(0x2a2b2f));
        bevel(cr, px, 49, pw, 27, 3, true);
        setFont(cr, 12, true);
        setColour(cr, caption);
        cairo_move_to(cr, px + 12, 67);
        cairo_show_text(cr, ch == 0 ? "Channel 1" : "Channel 2");
        roundedRect(cr, px + 355, 53, 30, 21, 3);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
        cairo_fill(cr);
        setFont(cr, 8, false);
        cairo_set_source_rgba(cr, 0.85, 0.85, 0.85, 0.7);
        cairo_move_to(cr, px + 322, 67);
        cairo_show_text(cr, "MUTE");

        // Black area for the photograph, with a thin recessed frame.
        cairo_rectangle(cr, photoX[ch] - 1, photoY - 1, 390, 254);
        cairo_set_source_rgb(cr, 0.02, 0.02, 0.02);
        cairo_fill(cr);
        cairo_rectangle(cr, photoX[ch], photoY, 388, 252);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_fill(cr);

        // Captions above the selection boxes and a recess behind each row.
        for (int row = 0; row < 2; ++row)
        {
            const double boxY = row == 0 ? 355 : 400;
            roundedRect(cr, px + 8, boxY - 19, pw - 16, 43, 4);
            cairo_set_source_rgba(cr, 1, 1, 1, 0.03);
            cairo_fill(cr);
            for (int col = 0; col < 2; ++col)
            {
                setFont(cr, 10, true);
                setColour(cr, amber);
                cairo_move_to(cr, boxX[ch][col], boxY - 5);
                cairo_show_text(cr, boxCaptions[row * 2 + col]);
            }
        }
        // The equaliser panel is drawn over this area by the editor.
        cairo_rectangle(cr, px, eqPanelY, pw, eqPanelHeight);
        cairo_set_source_rgb(cr, 0.08, 0.08, 0.09);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    return surface;
}

cairo_surface_t* drawMuteButton(bool on, double scale)
{
    cairo_surface_t* surface = newSurface(CAIRO_FORMAT_ARGB32, 24, 15, scale);
    cairo_t* cr = createLogicalContext(surface, 24, 15);
    roundedRect(cr, 0.5, 0.5, 23, 14, 3);
    if (on)
        fillLinear(cr, 0, 15, rgb(0xff5a4a), rgb(0x9a0c08));
    else
        fillLinear(cr, 0, 15, rgb(0x8e8e90), rgb(0x4a4a4c));
    roundedRect(cr, 0.5, 0.5, 23, 14, 3);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    roundedRect(cr, 1.5, 1.5, 21, 6, 2);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.18);
    cairo_fill(cr);
    setFont(cr, 10, true);
    cairo_set_source_rgb(cr, 1, 1, 1);
    centredText(cr, 12, 11.5, "M");
    cairo_destroy(cr);
    return surface;
}

cairo_surface_t* drawBypassLight(bool lit, double scale)
{
    cairo_surface_t* surface = newSurface(CAIRO_FORMAT_ARGB32, 11, 11, scale);
    cairo_t* cr = createLogicalContext(surface, 11, 11);
    cairo_arc(cr, 5.5, 5.5, 5.2, 0, 2 * pi);
    cairo_pattern_t* p = cairo_pattern_create_radial(4.6, 4.2, 0.3, 5.5, 5.5, 5.5);
    if (lit)
    {
        cairo_pattern_add_color_stop_rgb(p, 0, 1.0, 1.0, 0.85);
        cairo_pattern_add_color_stop_rgb(p, 0.45, 1.0, 0.88, 0.2);
        cairo_pattern_add_color_stop_rgb(p, 1, 0.75, 0.55, 0.0);
    }
    else
    {
        cairo_pattern_add_color_stop_rgb(p, 0, 0.45, 0.43, 0.3);
        cairo_pattern_add_color_stop_rgb(p, 0.45, 0.25, 0.23, 0.12);
        cairo_pattern_add_color_stop_rgb(p, 1, 0.1, 0.1, 0.06);
    }
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_arc(cr, 5.5, 5.5, 5.0, 0, 2 * pi);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    cairo_destroy(cr);
    return surface;
}
} // namespace morvane3::pictures
