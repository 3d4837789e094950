#include "Microphones.h"

#include "Art.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace morvane3::pictures
{
namespace
{
enum class Finish { Body, Mesh, Slots, Ring };

// One turned section of a microphone seen from the side: a frustum from x0
// (half-width r0) to x1 (half-width r1) along the axis, the capsule end at
// x = 0. `round` rounds the corners at x0.
struct Section
{
    double x0, x1, r0, r1, round;
    Colour colour;
    Finish finish;
};

struct Model
{
    std::vector<Section> sections;
    double clip;        // axis position of the stand clip
    bool shockMount;    // a cradle of two rings with elastic cords
};

Model modelOf(const std::string& mic)
{
    const Colour steel = rgb(0xb8b8bc), black = rgb(0x1c1c1e), dark = rgb(0x3a3a3e);
    if (mic == "57") // ball grille on a slim tapering body
        return {{{0, 22, 11, 11, 10.5, steel, Finish::Mesh},
                 {22, 25, 10, 10, 0, rgb(0x8a8a8e), Finish::Ring},
                 {25, 92, 9.5, 6.5, 0, rgb(0x2c2c30), Finish::Body},
                 {92, 98, 6.5, 6.5, 0, steel, Finish::Ring}},
                70, false};
    if (mic == "545") // dark, straight and flat-faced
        return {{{0, 24, 11.5, 11.5, 4, rgb(0x2a2a2a), Finish::Mesh},
                 {24, 27, 11, 11, 0, rgb(0x9a9a9a), Finish::Ring},
                 {27, 94, 10, 9, 0, black, Finish::Body}},
                68, false};
    if (mic == "i5") // modern: black head with a chamfered shoulder and a bright band
        return {{{0, 19, 10.5, 10.5, 3, rgb(0x161616), Finish::Mesh},
                 {19, 29, 10.5, 8.5, 0, black, Finish::Body},
                 {29, 32, 8.6, 8.6, 0, rgb(0xd0d0d4), Finish::Ring},
                 {32, 88, 8.5, 8.5, 0, rgb(0x202022), Finish::Body}},
                64, false};
    if (mic == "409") // squat mushroom head with side slots, stubby body
        return {{{0, 24, 16, 15, 6, rgb(0x4a4640), Finish::Slots},
                 {24, 34, 14, 8, 0, rgb(0xcfc6b4), Finish::Body},
                 {34, 70, 8, 8, 0, rgb(0xcfc6b4), Finish::Body},
                 {70, 75, 8, 8, 0, steel, Finish::Ring}},
                52, false};
    if (mic == "421") // long head with slanted slots, tapering body
        return {{{0, 46, 13, 11.5, 5, rgb(0x34302e), Finish::Slots},
                 {46, 50, 11, 10.5, 0, rgb(0xc8c0b0), Finish::Ring},
                 {50, 108, 10.5, 8, 0, rgb(0x34302e), Finish::Body},
                 {108, 113, 8, 8, 0, steel, Finish::Ring}},
                78, false};
    if (mic == "121") // ribbon: tall mesh capsule in a frame on a slim body
        return {{{0, 42, 13, 13, 12.5, rgb(0x9ea0a4), Finish::Mesh},
                 {42, 48, 7, 7, 0, dark, Finish::Ring},
                 {48, 98, 8, 8, 0, black, Finish::Body},
                 {98, 102, 8, 8, 0, steel, Finish::Ring}},
                72, true};
    if (mic == "U87") // large-diaphragm condenser: wide basket on a fat nickel body
        return {{{0, 36, 18, 18, 14, rgb(0xcfcac0), Finish::Mesh},
                 {36, 40, 17, 17, 0, rgb(0x8a867c), Finish::Ring},
                 {40, 118, 16, 14.5, 0, rgb(0xd6d0c2), Finish::Body}},
                84, true};
    if (mic == "Reference") // measurement pencil: tiny tip, long thin tube
        return {{{0, 7, 3.8, 3.8, 1.5, rgb(0x9a9a9a), Finish::Mesh},
                 {7, 30, 3.8, 6, 0, rgb(0xc4c4c8), Finish::Body},
                 {30, 104, 6, 6, 0, rgb(0xc4c4c8), Finish::Body},
                 {104, 128, 6.5, 6.5, 0, black, Finish::Body}},
                100, false};
    throw std::runtime_error("pictures: unknown microphone " + mic);
}

void sectionPath(cairo_t* cr, const Section& s)
{
    const double k = std::min(s.round, std::min(s.r0, (s.x1 - s.x0)));
    cairo_new_sub_path(cr);
    if (k > 0)
    {
        cairo_move_to(cr, s.x0 + k, -s.r0);
        cairo_line_to(cr, s.x1, -s.r1);
        cairo_line_to(cr, s.x1, s.r1);
        cairo_line_to(cr, s.x0 + k, s.r0);
        cairo_curve_to(cr, s.x0 + k * 0.45, s.r0, s.x0, s.r0 - k * 0.55, s.x0, s.r0 - k);
        cairo_line_to(cr, s.x0, -s.r0 + k);
        cairo_curve_to(cr, s.x0, -s.r0 + k * 0.45, s.x0 + k * 0.45, -s.r0, s.x0 + k, -s.r0);
    }
    else
    {
        cairo_move_to(cr, s.x0, -s.r0);
        cairo_line_to(cr, s.x1, -s.r1);
        cairo_line_to(cr, s.x1, s.r1);
        cairo_line_to(cr, s.x0, s.r0);
    }
    cairo_close_path(cr);
}

void silhouette(cairo_t* cr, const Model& m)
{
    for (const auto& s : m.sections)
        sectionPath(cr, s);
}

// Cylinder shading across the axis, lit from above (local -y is up).
void shadeSection(cairo_t* cr, const Section& s)
{
    const double r = std::max(s.r0, s.r1);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, -r, 0, r);
    auto stop = [&](double t, double f) {
        const Colour c = s.colour.scaled(f);
        cairo_pattern_add_color_stop_rgb(p, t, std::min(1.0, c.r), std::min(1.0, c.g), std::min(1.0, c.b));
    };
    stop(0.0, 0.75);
    stop(0.22, 1.45);
    stop(0.5, 1.0);
    stop(0.85, 0.45);
    stop(1.0, 0.3);
    sectionPath(cr, s);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);

    if (s.finish == Finish::Mesh || s.finish == Finish::Slots)
    {
        cairo_save(cr);
        sectionPath(cr, s);
        cairo_clip(cr);
        cairo_set_line_width(cr, s.finish == Finish::Mesh ? 0.55 : 1.6);
        const double lum = (s.colour.r + s.colour.g + s.colour.b) / 3;
        const double ink = lum > 0.4 ? 0.0 : 0.7;
        cairo_set_source_rgba(cr, ink, ink, ink, s.finish == Finish::Mesh ? 0.45 : 0.75);
        if (s.finish == Finish::Mesh)
            for (double d = -40; d < 80; d += 1.8)
            {
                cairo_move_to(cr, s.x0 + d, -r);
                cairo_line_to(cr, s.x0 + d + 2 * r, r);
                cairo_move_to(cr, s.x0 + d + 2 * r, -r);
                cairo_line_to(cr, s.x0 + d, r);
            }
        else
            for (double x = s.x0 + 5; x < s.x1 - 2; x += 3.6)
            {
                cairo_move_to(cr, x, -r * 0.75);
                cairo_line_to(cr, x + 2.5, r * 0.75);
            }
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    // Thin dark outline so the part separates from the cabinet behind it.
    sectionPath(cr, s);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);
}

void drawModel(cairo_t* cr, const Model& m)
{
    for (const auto& s : m.sections)
        shadeSection(cr, s);
    if (m.shockMount)
    {
        double r = 0;
        for (const auto& s : m.sections)
            r = std::max(r, std::max(s.r0, s.r1));
        for (double x : {m.clip - 16, m.clip + 8})
        {
            cairo_rectangle(cr, x, -r - 5, 4, 2 * r + 10);
            cairo_pattern_t* p = cairo_pattern_create_linear(0, -r - 5, 0, r + 5);
            cairo_pattern_add_color_stop_rgb(p, 0, 0.45, 0.45, 0.47);
            cairo_pattern_add_color_stop_rgb(p, 0.3, 0.2, 0.2, 0.22);
            cairo_pattern_add_color_stop_rgb(p, 1, 0.05, 0.05, 0.05);
            cairo_set_source(cr, p);
            cairo_fill(cr);
            cairo_pattern_destroy(p);
        }
        // Elastic cords strung between the two rings of the cradle.
        cairo_set_source_rgba(cr, 0.08, 0.08, 0.08, 0.9);
        cairo_set_line_width(cr, 0.9);
        for (double t : {-1.0, 1.0})
        {
            cairo_move_to(cr, m.clip - 12, t * (r + 3));
            cairo_line_to(cr, m.clip + 8, t * (r * 0.35));
            cairo_move_to(cr, m.clip - 12, t * (r * 0.35));
            cairo_line_to(cr, m.clip + 8, t * (r + 3));
        }
        cairo_stroke(cr);
        // The cradle's frame joins the rings below the microphone.
        cairo_rectangle(cr, m.clip - 16, r + 3, 28, 3);
        cairo_set_source_rgb(cr, 0.12, 0.12, 0.13);
        cairo_fill(cr);
    }
}
// How far the capsule moves back along the microphone's axis for distance
// step d (0, 1, 2). Far wants 60 pixels (at a 12-inch scale) but stops where
// the capsule would leave the speaker's neighbourhood or most of the body
// would leave the picture; Mid stays at most half of Far, and each step
// moves at least 10 pixels.
double pullBack(const Speaker& speaker, const Point& target, double ux, double uy, double length, double micScale, int d)
{
    if (d == 0)
        return 0.0;
    // The corners of the picture stay clear, so the photograph shows there.
    auto clearOfCorners = [&](double tx, double ty) {
        for (const Point c : {Point {0, 0}, Point {photoWidth, 0}, Point {0, photoHeight}, Point {photoWidth, photoHeight}})
        {
            const double t = std::clamp((c.x - tx) * ux + (c.y - ty) * uy, 0.0, length);
            if (std::hypot(tx + ux * t - c.x, ty + uy * t - c.y) < 34.0)
                return false;
        }
        return true;
    };
    auto fits = [&](double pull) {
        const double tx = target.x + ux * pull, ty = target.y + uy * pull;
        const double bx = tx + ux * length * 0.6, by = ty + uy * length * 0.6;
        return std::hypot(tx - speaker.cx, ty - speaker.cy) < 1.7 * speaker.r && tx > 20 && tx < photoWidth - 20 &&
               ty > 20 && ty < photoHeight - 20 && bx > 0 && bx < photoWidth && by > 0 && by < photoHeight &&
               clearOfCorners(tx, ty);
    };
    double far = 60.0 * micScale;
    while (far > 20.0 && !fits(far))
        far -= 2.0;
    return d == 2 ? far : std::max(10.0, std::min(28.0 * micScale, far / 2));
}
} // namespace

Point placementTarget(const OverlaySet& set, const std::string& position)
{
    const Speaker& sp = set.speakers[static_cast<size_t>(set.mikedSpeaker)];
    if (position == "On Axis")
        return {sp.cx, sp.cy};
    if (position != "Off Axis")
        throw std::runtime_error("pictures: unknown position " + position);
    // The cone edge on the side the microphone comes from.
    return {sp.cx + std::cos(set.bodyAngle) * sp.r * 0.68, sp.cy + std::sin(set.bodyAngle) * sp.r * 0.68};
}

cairo_surface_t* drawPlacement(const OverlaySet& set, const std::string& microphone, const std::string& position,
                               const std::string& distance, double pixelScale)
{
    const Model model = modelOf(microphone);
    int d = 0;
    if (distance == "Mid")
        d = 1;
    else if (distance == "Far")
        d = 2;
    else if (distance != "Close")
        throw std::runtime_error("pictures: unknown distance " + distance);

    const Point target = placementTarget(set, position);
    // Off axis the microphone is also angled across the cone, turned toward
    // the vertical so that pulled back it stays in the picture.
    const double towardVertical = std::sin(set.bodyAngle) * std::cos(set.bodyAngle) >= 0 ? 1.0 : -1.0;
    const double angle = set.bodyAngle + (position == "Off Axis" ? 0.3 * towardVertical : 0.0);
    const double ux = std::cos(angle), uy = std::sin(angle);
    // Moving away from the baffle brings the microphone toward the camera,
    // which looks down a little: larger and further out along its axis.
    const double scale = set.micScale * (1.0 + 0.1 * d);
    const double pull = pullBack(set.speakers[static_cast<size_t>(set.mikedSpeaker)], target, ux, uy, model.sections.back().x1 * scale, set.micScale, d);
    const Point tip {target.x + ux * pull, target.y + uy * pull};
    // The lamp is above and in front, so the shadow on the baffle drops
    // further below the microphone the further it is from the cabinet.
    const double shadowDrop = (3 + 14 * d) * set.micScale;
    const double shadowBlur = 2 + 4 * d;
    const double shadowAlpha = 0.55 - 0.15 * d;

    cairo_surface_t* surface = newSurface(CAIRO_FORMAT_ARGB32, photoWidth, photoHeight, pixelScale);
    cairo_t* cr = createLogicalContext(surface, photoWidth, photoHeight);

    auto toMic = [&](cairo_t* c, double dx, double dy) {
        cairo_translate(c, tip.x + dx, tip.y + dy);
        cairo_rotate(c, angle);
        cairo_scale(c, scale, ux >= 0 ? scale : -scale);
    };

    // Stand arm from the clip to the nearest horizontal edge, clear of the corners.
    const Point clip {tip.x + ux * model.clip * scale, tip.y + uy * model.clip * scale};
    const double edgeY = uy < 0 ? -10.0 : photoHeight + 10.0;
    const double armX = std::clamp(clip.x + (edgeY - clip.y) * 0.25, 30.0, photoWidth - 30.0);
    auto arm = [&](double dx, double dy) {
        cairo_move_to(cr, clip.x + dx, clip.y + dy);
        cairo_line_to(cr, armX + dx, edgeY + dy);
    };

    // Shadows first: the arm's and the microphone's, softened with distance.
    const int layers = 6;
    for (int i = 0; i < layers; ++i)
    {
        const double grow = shadowBlur * i / (layers - 1);
        cairo_save(cr);
        toMic(cr, 2, shadowDrop);
        cairo_new_path(cr);
        silhouette(cr, model);
        cairo_restore(cr);
        cairo_set_source_rgba(cr, 0, 0, 0, shadowAlpha / layers);
        cairo_set_line_width(cr, 2 * grow + 0.5);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
        cairo_fill(cr);
        arm(2, shadowDrop);
        cairo_set_line_width(cr, 5 * set.micScale + 2 * grow);
        cairo_stroke(cr);
    }

    // Stand arm, a dark tube lit along its top.
    arm(0, 0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr, 6 * set.micScale);
    cairo_set_source_rgb(cr, 0.08, 0.08, 0.09);
    cairo_stroke(cr);
    arm(-1.2 * set.micScale, 0);
    cairo_set_line_width(cr, 1.2 * set.micScale);
    cairo_set_source_rgba(cr, 0.6, 0.6, 0.62, 0.7);
    cairo_stroke(cr);
    cairo_arc(cr, clip.x, clip.y, 5.5 * set.micScale, 0, 2 * pi);
    cairo_set_source_rgb(cr, 0.12, 0.12, 0.13);
    cairo_fill(cr);

    cairo_save(cr);
    toMic(cr, 0, 0);
    drawModel(cr, model);
    cairo_restore(cr);

    cairo_destroy(cr);
    return surface;
}
} // namespace morvane3::pictures
