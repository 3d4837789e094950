#include "Cabinets.h"

#include "Art.h"
#include "Catalogue.h"
#include "Textures.h"

#include <cmath>
#include <stdexcept>

namespace morvane3::pictures
{
namespace
{
enum class Corners { None, Chrome, Black, Brass };
enum class Badge { Script, Block, Emblem, Plate };
enum class Panel { None, Front, Top };
enum class Feet { None, Casters, Pads };

struct Style
{
    double x = 88, y = 16, w = 212, h = 212;          // front face
    double depth = 8;                                 // visible top face, seen from a little above
    double radius = 5;                                // rounding of the box edges
    Colour covering = rgb(0x1c1c1c);
    Covering coveringKind = Covering::Levant;
    Colour lowerCovering = rgb(0x1c1c1c);
    double splitY = 0;                                // two-tone boxes: lowerCovering below this
    double gx = 98, gy = 26, gw = 192, gh = 192, gRadius = 3; // grille opening
    Colour baffle = rgb(0x3a342c); // painted board, lighter than the cones behind the cloth
    bool clothOn = true;
    Cloth cloth {Weave::SaltPepper, rgb(0xb9a98a), rgb(0x4a4038), 0.55};
    bool piping = false;
    Colour pipingColour = rgb(0xe8e4da);
    Corners corners = Corners::Black;
    double cornerSize = 15;
    Colour cone = rgb(0x3a3836);
    Colour cap = rgb(0x1a1a1a);
    bool metalCap = false;
    Badge badge = Badge::Script;
    double bx = 130, by = 44, badgeSize = 17;         // badge centre and text size
    Colour badgeInk = rgb(0xd8b45a);
    Colour badgePlate = rgb(0x101010);
    int emblem = 0;
    Panel panel = Panel::None;
    double py = 0, ph = 0;                            // front panel strip
    Colour panelColour = rgb(0x181818);
    Colour knobColour = rgb(0x111111);
    bool chromeKnobs = false;
    int knobs = 6;
    bool slant = false;
    double slantY = 0;
    Feet feet = Feet::Casters;
    bool handle = false;
    bool port = false;
    Colour wall = rgb(0x2b2824);
    Colour floor = rgb(0x4a3726);
};

Style styleOf(const std::string& name)
{
    Style s;
    if (name == "1960")
    {
        s.piping = true;
        s.slant = true;
        s.slantY = 122;
        s.badge = Badge::Script;
    }
    else if (name == "Angora")
    {
        s.covering = rgb(0xd8d0bc);
        s.cloth = {Weave::Basket, rgb(0x5e4f40), rgb(0x9a8a70), 0.62};
        s.corners = Corners::Chrome;
        s.badge = Badge::Plate;
        s.bx = 194;
        s.by = 208;
        s.badgeInk = rgb(0x222222);
        s.cone = rgb(0x6a5a48);
        s.wall = rgb(0x34302c);
    }
    else if (name == "Eagle")
    {
        s.coveringKind = Covering::Bronco;
        s.covering = rgb(0x202020);
        s.cloth = {Weave::Plain, rgb(0x8c8c88), rgb(0x8c8c88), 0.58};
        s.corners = Corners::Chrome;
        s.badge = Badge::Emblem;
        s.emblem = 0;
        s.bx = 194;
        s.by = 122;
        s.cap = rgb(0x5a5a5a);
        s.metalCap = true;
        s.floor = rgb(0x3a3a3c);
    }
    else if (name == "Excel")
    {
        s.coveringKind = Covering::Smooth;
        s.covering = rgb(0x161616);
        s.cloth = {Weave::Plain, rgb(0x262626), rgb(0x262626), 0.42};
        s.piping = true;
        s.pipingColour = rgb(0xc0282a);
        s.badge = Badge::Block;
        s.bx = 238;
        s.by = 206;
        s.badgeInk = rgb(0xf0f0f0);
        s.cone = rgb(0x4a4846);
        s.wall = rgb(0x262a30);
    }
    else if (name == "Green")
    {
        s.covering = rgb(0x1d3d2b);
        s.cloth = {Weave::Basket, rgb(0xcbbb8f), rgb(0x8e7c58), 0.55};
        s.piping = true;
        s.pipingColour = rgb(0xd9c89a);
        s.corners = Corners::Brass;
        s.badgeInk = rgb(0xe0c070);
        s.cone = rgb(0x5c4a36);
        s.cap = rgb(0x2a2218);
        s.radius = 8;
    }
    else if (name == "Igor")
    {
        s.coveringKind = Covering::Bronco;
        s.covering = rgb(0x141414);
        s.clothOn = false;
        s.baffle = rgb(0x0e0e0e);
        s.corners = Corners::Chrome;
        s.cornerSize = 19;
        s.badge = Badge::Emblem;
        s.emblem = 1;
        s.bx = 194;
        s.by = 122;
        s.cone = rgb(0x2a2a2c);
        s.cap = rgb(0x9a9a9e);
        s.metalCap = true;
        s.wall = rgb(0x1e1e22);
        s.floor = rgb(0x2c2c2e);
    }
    else if (name == "Ogre")
    {
        s.coveringKind = Covering::Carpet;
        s.covering = rgb(0x3c3431);
        s.y = 24;
        s.h = 206;
        s.gy = 34;
        s.gh = 186;
        s.depth = 20;
        s.cloth = {Weave::SaltPepper, rgb(0x7c7c78), rgb(0x2c2c2c), 0.5};
        s.corners = Corners::Chrome;
        s.cornerSize = 22;
        s.badge = Badge::Block;
        s.bx = 194;
        s.by = 212;
        s.badgeInk = rgb(0xc8c8c8);
        s.radius = 3;
    }
    else if (name == "Oversize")
    {
        s.x = 72;
        s.y = 6;
        s.w = 244;
        s.h = 228;
        s.gx = 86;
        s.gy = 18;
        s.gw = 216;
        s.gh = 204;
        s.depth = 4;
        s.cloth = {Weave::Basket, rgb(0xaaa9a2), rgb(0x444444), 0.5};
        s.badge = Badge::Plate;
        s.bx = 262;
        s.by = 212;
        s.badgeInk = rgb(0x1a1a1a);
        s.cone = rgb(0x34302c);
    }
    else if (name == "Sterling")
    {
        s.cloth = {Weave::Plain, rgb(0xcacac6), rgb(0xcacac6), 0.55};
        s.corners = Corners::Chrome;
        s.badgeInk = rgb(0xe4e4e8);
        s.bx = 194;
        s.by = 122;
        s.cone = rgb(0x2e2e30);
        s.cap = rgb(0xb0b0b4);
        s.metalCap = true;
        s.wall = rgb(0x2a2c2e);
    }
    else if (name == "Tangerine")
    {
        s.covering = rgb(0xd2621c);
        s.cloth = {Weave::SaltPepper, rgb(0xcdbf9a), rgb(0x7a6a50), 0.52};
        s.piping = true;
        s.badge = Badge::Block;
        s.bx = 194;
        s.by = 30;
        s.badgeInk = rgb(0x181818);
        s.badgePlate = rgb(0xeeeae0);
        s.cone = rgb(0x4a4038);
        s.wall = rgb(0x2e2a26);
    }
    else if (name == "Damien")
    {
        s.coveringKind = Covering::Bronco;
        s.covering = rgb(0x181818);
        s.x = 70;
        s.y = 90;
        s.w = 248;
        s.h = 138;
        s.gx = 80;
        s.gy = 102;
        s.gw = 228;
        s.gh = 116;
        s.depth = 12;
        s.cloth = {Weave::Plain, rgb(0x7a1e1e), rgb(0x7a1e1e), 0.6};
        s.corners = Corners::Chrome;
        s.badge = Badge::Emblem;
        s.emblem = 2;
        s.bx = 194;
        s.by = 112;
        s.feet = Feet::Pads;
        s.wall = rgb(0x221f22);
    }
    else if (name == "Genzie")
    {
        s.covering = rgb(0x1f2a46);
        s.x = 72;
        s.y = 92;
        s.w = 244;
        s.h = 136;
        s.gx = 82;
        s.gy = 104;
        s.gw = 224;
        s.gh = 112;
        s.depth = 12;
        s.cloth = {Weave::Basket, rgb(0xb2b2ac), rgb(0x606060), 0.6};
        s.piping = true;
        s.badgeInk = rgb(0xe8e8ec);
        s.bx = 122;
        s.by = 116;
        s.badgeSize = 14;
        s.feet = Feet::Pads;
    }
    else if (name == "Chordal")
    {
        s.x = 52;
        s.y = 40;
        s.w = 284;
        s.h = 190;
        s.gx = 62;
        s.gy = 100;
        s.gw = 264;
        s.gh = 120;
        s.depth = 10;
        s.panel = Panel::Front;
        s.py = 50;
        s.ph = 40;
        s.panelColour = rgb(0xb6b6b4);
        s.knobColour = rgb(0x141414);
        s.knobs = 9;
        s.cloth = {Weave::Plain, rgb(0x222222), rgb(0x222222), 0.45};
        s.badge = Badge::Block;
        s.bx = 280;
        s.by = 110;
        s.badgeSize = 12;
        s.badgeInk = rgb(0xd0d0d0);
        s.feet = Feet::Pads;
        s.corners = Corners::Black;
    }
    else if (name == "Top Boost")
    {
        s.covering = rgb(0xc4ad86);
        s.x = 58;
        s.y = 56;
        s.w = 272;
        s.h = 174;
        s.gx = 70;
        s.gy = 68;
        s.gw = 248;
        s.gh = 150;
        s.depth = 24;
        s.panel = Panel::Top;
        s.panelColour = rgb(0xb87a3c);
        s.knobColour = rgb(0xe9e1cf);
        s.cloth = {Weave::Diamond, rgb(0x5e4634), rgb(0xcdb282), 0.55};
        s.piping = true;
        s.corners = Corners::None;
        s.badge = Badge::Plate;
        s.bx = 194;
        s.by = 86;
        s.badgeInk = rgb(0x2a1a08);
        s.radius = 10;
        s.feet = Feet::Pads;
        s.cone = rgb(0x5a4a3a);
        s.wall = rgb(0x302a24);
    }
    else if (name == "Zodiac")
    {
        s.covering = rgb(0x2c7a80);
        s.lowerCovering = rgb(0xe2d8bf);
        s.splitY = 94;
        s.x = 50;
        s.y = 44;
        s.w = 288;
        s.h = 186;
        s.gx = 64;
        s.gy = 104;
        s.gw = 260;
        s.gh = 114;
        s.depth = 10;
        s.panel = Panel::Front;
        s.py = 54;
        s.ph = 32;
        s.panelColour = rgb(0x121212);
        s.chromeKnobs = true;
        s.knobs = 7;
        s.cloth = {Weave::Striped, rgb(0xb8b8b4), rgb(0x303030), 0.58};
        s.corners = Corners::Chrome;
        s.badge = Badge::Emblem;
        s.emblem = 3;
        s.bx = 194;
        s.by = 116;
        s.radius = 14;
        s.feet = Feet::Pads;
        s.wall = rgb(0x2a2a2a);
    }
    else if (name == "Blackface")
    {
        s.x = 96;
        s.y = 48;
        s.w = 196;
        s.h = 180;
        s.gx = 106;
        s.gy = 98;
        s.gw = 176;
        s.gh = 120;
        s.depth = 12;
        s.panel = Panel::Front;
        s.py = 56;
        s.ph = 34;
        s.panelColour = rgb(0x151515);
        s.chromeKnobs = true;
        s.knobs = 6;
        s.cloth = {Weave::Sparkle, rgb(0xbdbdbd), rgb(0x3a3a3a), 0.5};
        s.piping = true;
        s.pipingColour = rgb(0xdedede);
        s.corners = Corners::None;
        s.badgeInk = rgb(0xe6e6e6);
        s.bx = 140;
        s.by = 112;
        s.badgeSize = 13;
        s.feet = Feet::None;
        s.radius = 7;
        s.cone = rgb(0x4a4036);
    }
    else if (name == "Dazed")
    {
        s.coveringKind = Covering::Bronco;
        s.covering = rgb(0xd6c49c);
        s.x = 80;
        s.y = 58;
        s.w = 228;
        s.h = 170;
        s.gx = 92;
        s.gy = 104;
        s.gw = 204;
        s.gh = 114;
        s.depth = 14;
        s.panel = Panel::Front;
        s.py = 66;
        s.ph = 30;
        s.panelColour = rgb(0x5b3a22);
        s.knobColour = rgb(0xf2ead6);
        s.knobs = 8;
        s.cloth = {Weave::Basket, rgb(0x7a5a38), rgb(0xb89b6a), 0.64};
        s.piping = true;
        s.pipingColour = rgb(0xc9a860);
        s.corners = Corners::None;
        s.badge = Badge::Plate;
        s.bx = 194;
        s.by = 206;
        s.badgeSize = 11;
        s.badgeInk = rgb(0x2a1a08);
        s.radius = 12;
        s.feet = Feet::Pads;
        s.cone = rgb(0x6a5640);
    }
    else if (name == "Tweed")
    {
        s.coveringKind = Covering::Twill;
        s.covering = rgb(0xc9a764);
        s.x = 96;
        s.y = 44;
        s.w = 196;
        s.h = 188;
        s.gx = 112;
        s.gy = 70;
        s.gw = 164;
        s.gh = 152;
        s.depth = 24;
        s.panel = Panel::Top;
        s.panelColour = rgb(0xc8c8c8);
        s.knobColour = rgb(0x3a2416);
        s.cloth = {Weave::Striped, rgb(0x5c2c22), rgb(0xc4a25a), 0.7};
        s.corners = Corners::None;
        s.handle = true;
        s.badgeInk = rgb(0xe8d8b0);
        s.bx = 138;
        s.by = 84;
        s.badgeSize = 12;
        s.radius = 9;
        s.feet = Feet::Pads;
        s.cone = rgb(0x6e5a42);
        s.cap = rgb(0x3a2e22);
        s.wall = rgb(0x2e2822);
    }
    else if (name == "Manatee")
    {
        s.coveringKind = Covering::Carpet;
        s.covering = rgb(0x202020);
        s.x = 126;
        s.y = 2;
        s.w = 136;
        s.h = 238;
        s.gx = 134;
        s.gy = 10;
        s.gw = 120;
        s.gh = 224;
        s.depth = 0;
        s.cloth = {Weave::Perforated, rgb(0x262626), rgb(0x262626), 1.0};
        s.corners = Corners::Chrome;
        s.cornerSize = 14;
        s.badge = Badge::Block;
        s.bx = 194;
        s.by = 236;
        s.badgeSize = 8;
        s.badgeInk = rgb(0xe0e0e0);
        s.cone = rgb(0x262626);
        s.cap = rgb(0x8e8e92);
        s.metalCap = true;
        s.wall = rgb(0x24262a);
        s.floor = rgb(0x383634);
    }
    else if (name == "Motown")
    {
        s.coveringKind = Covering::Smooth;
        s.covering = rgb(0x1a1c20);
        s.x = 102;
        s.y = 12;
        s.w = 184;
        s.h = 218;
        s.gx = 112;
        s.gy = 22;
        s.gw = 164;
        s.gh = 198;
        s.depth = 8;
        s.cloth = {Weave::Plain, rgb(0xa4a8ae), rgb(0xa4a8ae), 0.5};
        s.corners = Corners::Chrome;
        s.port = true;
        s.badgeInk = rgb(0xe0e0e4);
        s.bx = 194;
        s.by = 196;
        s.badgeSize = 15;
        s.cone = rgb(0x2a2826);
        s.cap = rgb(0x262422);
        s.feet = Feet::Pads;
    }
    else
        throw std::runtime_error("pictures: no style for cabinet " + name);
    return s;
}

void linearFill(cairo_t* cr, double x0, double y0, double x1, double y1, const Colour& a, const Colour& b, double alpha = 1.0)
{
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
    cairo_pattern_add_color_stop_rgba(p, 0, a.r, a.g, a.b, alpha);
    cairo_pattern_add_color_stop_rgba(p, 1, b.r, b.g, b.b, alpha);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// Fills the current path with a texture whose top-left corner is at (x, y).
// A texture drawn `scale` times as fine maps its pixels onto that many
// device pixels per logical pixel, so it is not enlarged.
void paintTexture(cairo_t* cr, cairo_surface_t* texture, double x, double y, double scale)
{
    cairo_set_source_surface(cr, texture, x, y);
    if (scale != 1.0)
    {
        cairo_matrix_t toTexture;
        cairo_matrix_init_scale(&toTexture, scale, scale);
        cairo_matrix_translate(&toTexture, -x, -y);
        cairo_pattern_set_matrix(cairo_get_source(cr), &toTexture);
    }
    cairo_fill(cr);
    cairo_surface_destroy(texture);
}

void drawRoom(cairo_t* cr, const Style& s, double floorY, uint64_t seed)
{
    cairo_rectangle(cr, 0, 0, photoWidth, floorY);
    linearFill(cr, 0, 0, 0, floorY, s.wall.scaled(1.25), s.wall.scaled(0.7));
    // A pool of light on the wall from the lamp above the cabinet.
    cairo_pattern_t* pool = cairo_pattern_create_radial(194, 10, 10, 194, 10, 260);
    cairo_pattern_add_color_stop_rgba(pool, 0, 1.0, 0.95, 0.85, 0.18);
    cairo_pattern_add_color_stop_rgba(pool, 1, 1.0, 0.95, 0.85, 0.0);
    cairo_rectangle(cr, 0, 0, photoWidth, floorY);
    cairo_set_source(cr, pool);
    cairo_fill(cr);
    cairo_pattern_destroy(pool);

    // Floor boards receding: joints get closer toward the wall.
    cairo_rectangle(cr, 0, floorY, photoWidth, photoHeight - floorY);
    linearFill(cr, 0, floorY, 0, photoHeight, s.floor.scaled(0.75), s.floor.scaled(1.1));
    Random random(seed);
    for (double y = floorY + 3, gap = 4; y < photoHeight; y += gap, gap *= 1.35)
    {
        cairo_move_to(cr, 0, y);
        cairo_line_to(cr, photoWidth, y);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        for (int k = 0; k < 4; ++k)
        {
            const double x = random.range(0, photoWidth);
            cairo_move_to(cr, x, y);
            cairo_line_to(cr, x, y + gap);
            cairo_stroke(cr);
        }
    }
    cairo_rectangle(cr, 0, floorY - 1, photoWidth, 2); // skirting shadow
    cairo_set_source_rgba(cr, 0, 0, 0, 0.4);
    cairo_fill(cr);
}

void drawSpeaker(cairo_t* cr, const Speaker& sp, const Style& s)
{
    const double cx = sp.cx, cy = sp.cy, r = sp.r;
    cairo_arc(cr, cx, cy + 1, r + 2, 0, 2 * pi);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
    cairo_fill(cr);

    // Basket flange, lit from above.
    cairo_arc(cr, cx, cy, r, 0, 2 * pi);
    linearFill(cr, cx, cy - r, cx, cy + r, rgb(0x4a4a4c), rgb(0x18181a));
    for (int i = 0; i < 4; ++i)
    {
        const double a = pi / 4 + i * pi / 2;
        const double sx = cx + std::cos(a) * r * 0.95, sy = cy + std::sin(a) * r * 0.95;
        cairo_arc(cr, sx, sy, std::max(1.2, r * 0.045), 0, 2 * pi);
        linearFill(cr, sx, sy - 2, sx, sy + 2, rgb(0xb0b0b0), rgb(0x404040));
    }

    // Rolled surround: its upper half faces the lamp.
    cairo_arc(cr, cx, cy, r * 0.89, 0, 2 * pi);
    linearFill(cr, cx, cy - r, cx, cy + r, s.cone.scaled(0.95), s.cone.scaled(0.45));
    cairo_arc(cr, cx, cy, r * 0.865, pi * 1.1, pi * 1.9);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.12);
    cairo_set_line_width(cr, r * 0.03);
    cairo_stroke(cr);

    // The cone is concave: its lower half faces up and catches the light.
    cairo_arc(cr, cx, cy, r * 0.8, 0, 2 * pi);
    linearFill(cr, cx, cy - r * 0.8, cx, cy + r * 0.8, s.cone.scaled(0.45), s.cone.scaled(1.2));
    cairo_pattern_t* depth = cairo_pattern_create_radial(cx, cy, r * 0.2, cx, cy, r * 0.8);
    cairo_pattern_add_color_stop_rgba(depth, 0, 0, 0, 0, 0.35);
    cairo_pattern_add_color_stop_rgba(depth, 1, 0, 0, 0, 0.0);
    cairo_arc(cr, cx, cy, r * 0.8, 0, 2 * pi);
    cairo_set_source(cr, depth);
    cairo_fill(cr);
    cairo_pattern_destroy(depth);
    cairo_set_line_width(cr, std::max(0.6, r * 0.012));
    for (int i = 0; i < 5; ++i)
    {
        cairo_arc(cr, cx, cy, r * (0.42 + 0.08 * i), 0, 2 * pi);
        cairo_set_source_rgba(cr, i % 2 ? 1 : 0, i % 2 ? 1 : 0, i % 2 ? 1 : 0, 0.07);
        cairo_stroke(cr);
    }

    // Dust cap: convex, with its own shadow on the cone below it.
    const double capR = r * 0.3;
    softEllipseShadow(cr, cx, cy + capR * 0.25, capR * 1.02, capR * 1.0, r * 0.08, 0.5);
    cairo_arc(cr, cx, cy, capR, 0, 2 * pi);
    cairo_pattern_t* cap = cairo_pattern_create_radial(cx - capR * 0.25, cy - capR * 0.4, capR * 0.05, cx, cy, capR);
    const Colour hi = s.metalCap ? rgb(0xf4f4f4) : s.cap.scaled(2.2);
    cairo_pattern_add_color_stop_rgb(cap, 0, hi.r, hi.g, hi.b);
    cairo_pattern_add_color_stop_rgb(cap, 0.6, s.cap.r, s.cap.g, s.cap.b);
    cairo_pattern_add_color_stop_rgb(cap, 1, s.cap.r * 0.5, s.cap.g * 0.5, s.cap.b * 0.5);
    cairo_set_source(cr, cap);
    cairo_fill(cr);
    cairo_pattern_destroy(cap);
}

void drawCorner(cairo_t* cr, const Style& s, double x, double y, int sx, int sy)
{
    const double c = s.cornerSize;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, sx, sy);
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, c, 0);
    cairo_curve_to(cr, c * 0.7, c * 0.3, c * 0.3, c * 0.7, 0, c);
    cairo_close_path(cr);
    cairo_restore(cr);
    Colour a, b;
    switch (s.corners)
    {
    case Corners::Chrome: a = rgb(0xf0f0f0); b = rgb(0x606064); break;
    case Corners::Brass: a = rgb(0xf0d890); b = rgb(0x6a5020); break;
    default: a = rgb(0x3a3a3a); b = rgb(0x0a0a0a); break;
    }
    linearFill(cr, x, y - c, x, y + c, a, b);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
    cairo_arc(cr, x + sx * c * 0.3, y + sy * c * 0.3, 1.1, 0, 2 * pi);
    cairo_fill(cr);
}

void drawKnob(cairo_t* cr, double x, double y, double r, const Style& s, double pointer)
{
    softEllipseShadow(cr, x + 1, y + 2, r, r, 2, 0.5);
    cairo_arc(cr, x, y, r, 0, 2 * pi);
    if (s.chromeKnobs)
        linearFill(cr, x, y - r, x, y + r, rgb(0xf6f6f6), rgb(0x5a5a5e));
    else
        linearFill(cr, x, y - r, x, y + r, s.knobColour.scaled(1.4), s.knobColour.scaled(0.7));
    cairo_arc(cr, x, y, r * 0.55, 0, 2 * pi);
    setColour(cr, s.chromeKnobs ? rgb(0x111111) : s.knobColour.scaled(0.95));
    cairo_fill(cr);
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + std::sin(pointer) * r * 0.9, y - std::cos(pointer) * r * 0.9);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
    cairo_set_line_width(cr, std::max(0.8, r * 0.15));
    cairo_stroke(cr);
}

void drawPanel(cairo_t* cr, const Style& s, Random& random)
{
    if (s.panel == Panel::Front)
    {
        const double x = s.x + 10, w = s.w - 20;
        roundedRect(cr, x, s.py, w, s.ph, 2);
        linearFill(cr, x, s.py, x, s.py + s.ph, s.panelColour.scaled(1.15), s.panelColour.scaled(0.8));
        roundedRect(cr, x + 0.5, s.py + 0.5, w - 1, s.ph - 1, 2);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        const double kr = s.ph * 0.24;
        const double spacing = (w - 40) / s.knobs;
        for (int i = 0; i < s.knobs; ++i)
        {
            const double kx = x + 16 + spacing * (i + 0.5), ky = s.py + s.ph * 0.55;
            // Scale dots printed around each knob.
            for (int d = 0; d < 11; ++d)
            {
                const double a = -pi * 5 / 6 + d * pi * 5 / 3 / 10;
                cairo_arc(cr, kx + std::sin(a) * kr * 1.45, ky - std::cos(a) * kr * 1.45, 0.45, 0, 2 * pi);
                const double ink = s.panelColour.r + s.panelColour.g > 0.8 ? 0.1 : 0.9;
                cairo_set_source_rgba(cr, ink, ink, ink, 0.8);
                cairo_fill(cr);
            }
            drawKnob(cr, kx, ky, kr, s, random.range(-2.0, 2.0));
        }
        // Pilot jewel.
        const double jx = x + w - 12, jy = s.py + s.ph * 0.55;
        cairo_pattern_t* glow = cairo_pattern_create_radial(jx, jy, 0, jx, jy, 8);
        cairo_pattern_add_color_stop_rgba(glow, 0, 1, 0.2, 0.1, 0.7);
        cairo_pattern_add_color_stop_rgba(glow, 1, 1, 0.2, 0.1, 0);
        cairo_arc(cr, jx, jy, 8, 0, 2 * pi);
        cairo_set_source(cr, glow);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
        cairo_arc(cr, jx, jy, 3.2, 0, 2 * pi);
        linearFill(cr, jx, jy - 3, jx, jy + 3, rgb(0xff9080), rgb(0x901008));
    }
    else if (s.panel == Panel::Top)
    {
        // The control panel on the top, seen at a grazing angle from the front.
        const double inset = s.depth * 0.35;
        const double y0 = s.y - s.depth * 0.8, y1 = s.y - s.depth * 0.25;
        const double x0 = s.x + inset + 18, x1 = s.x + s.w - inset - 18;
        cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
        linearFill(cr, 0, y0, 0, y1, s.panelColour.scaled(0.8), s.panelColour.scaled(1.2));
        const int knobs = 8;
        for (int i = 0; i < knobs; ++i)
        {
            const double kx = x0 + 14 + (x1 - x0 - 28) * i / (knobs - 1), ky = (y0 + y1) / 2;
            softEllipseShadow(cr, kx + 1, ky + 1, 4.5, 2.5, 1.5, 0.5);
            cairo_save(cr);
            cairo_translate(cr, kx, ky - 2);
            cairo_scale(cr, 4.5, 2.0);
            cairo_arc(cr, 0, 0, 1, 0, pi);
            cairo_line_to(cr, -1, -1.5);
            cairo_arc(cr, 0, -1.5, 1, pi, 2 * pi);
            cairo_close_path(cr);
            cairo_restore(cr);
            linearFill(cr, kx, ky - 6, kx, ky + 2, s.knobColour.scaled(1.2), s.knobColour.scaled(0.6));
        }
    }
}

void drawBadge(cairo_t* cr, const Style& s, const std::string& name)
{
    const double x = s.bx, y = s.by, size = s.badgeSize;
    switch (s.badge)
    {
    case Badge::Script:
    {
        setFont(cr, size, true, true, true);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
        centredText(cr, x + 1, y + size * 0.35 + 1.5, name);
        setColour(cr, s.badgeInk);
        centredText(cr, x, y + size * 0.35, name);
        break;
    }
    case Badge::Block:
    case Badge::Plate:
    {
        setFont(cr, size * 0.8, true);
        const double w = textWidth(cr, name) + size * 1.0, h = size * 1.25;
        softShadow(cr, x - w / 2 + 1, y - h / 2 + 2, w, h, 2, 2, 0.5);
        roundedRect(cr, x - w / 2, y - h / 2, w, h, s.badge == Badge::Plate ? 2.0 : 1.0);
        if (s.badge == Badge::Plate)
            linearFill(cr, x, y - h / 2, x, y + h / 2, s.badgeInk.r < 0.2 && s.panelColour.r > 0.6 && s.covering.r > 0.7 ? rgb(0xf0e0b0) : rgb(0xf2f2f0), rgb(0x8a8a86));
        else
            linearFill(cr, x, y - h / 2, x, y + h / 2, s.badgePlate.scaled(1.3), s.badgePlate.scaled(0.8));
        roundedRect(cr, x - w / 2 + 0.5, y - h / 2 + 0.5, w - 1, h - 1, 1.5);
        cairo_set_source_rgba(cr, 0.8, 0.8, 0.8, s.badge == Badge::Block ? 0.7 : 0.3);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        setColour(cr, s.badgeInk);
        centredText(cr, x, y + size * 0.3, name);
        break;
    }
    case Badge::Emblem:
    {
        // Abstract chrome emblems; the catalogue name stays off these.
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_new_path(cr);
        if (s.emblem == 0) // spread wings
        {
            for (int side = -1; side <= 1; side += 2)
                for (int k = 0; k < 3; ++k)
                {
                    cairo_move_to(cr, side * 4, -4 + k * 5);
                    cairo_line_to(cr, side * (26 - k * 6), -9 + k * 5);
                    cairo_line_to(cr, side * (24 - k * 6), -6 + k * 5);
                    cairo_line_to(cr, side * 4, -1 + k * 5);
                    cairo_close_path(cr);
                }
            cairo_arc(cr, 0, 0, 5, 0, 2 * pi);
        }
        else if (s.emblem == 1) // angular shield
        {
            cairo_move_to(cr, -14, -12);
            cairo_line_to(cr, 14, -12);
            cairo_line_to(cr, 10, 6);
            cairo_line_to(cr, 0, 14);
            cairo_line_to(cr, -10, 6);
            cairo_close_path(cr);
        }
        else if (s.emblem == 2) // horned triangle
        {
            cairo_move_to(cr, -16, -8);
            cairo_line_to(cr, -6, -2);
            cairo_line_to(cr, 6, -2);
            cairo_line_to(cr, 16, -8);
            cairo_line_to(cr, 0, 12);
            cairo_close_path(cr);
        }
        else // eight-pointed star
        {
            for (int k = 0; k < 16; ++k)
            {
                const double a = k * pi / 8, rr = k % 2 ? 4.0 : 12.0;
                if (k == 0)
                    cairo_move_to(cr, std::sin(a) * rr, -std::cos(a) * rr);
                else
                    cairo_line_to(cr, std::sin(a) * rr, -std::cos(a) * rr);
            }
            cairo_close_path(cr);
        }
        cairo_restore(cr);
        cairo_path_t* path = cairo_copy_path(cr);
        cairo_save(cr);
        cairo_translate(cr, 1, 2);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
        cairo_fill(cr);
        cairo_restore(cr);
        cairo_append_path(cr, path);
        linearFill(cr, x, y - 14, x, y + 14, rgb(0xfafafa), rgb(0x55565a));
        cairo_append_path(cr, path);
        cairo_set_source_rgba(cr, 0.1, 0.1, 0.1, 0.8);
        cairo_set_line_width(cr, 0.8);
        cairo_stroke(cr);
        cairo_path_destroy(path);
        break;
    }
    }
}
} // namespace

cairo_surface_t* drawCabinet(const std::string& name, double scale)
{
    const Style s = styleOf(name);
    const OverlaySet& set = overlaySetOf(name);
    const uint64_t seed = hashName(name);
    Random random(seed);

    cairo_surface_t* surface = newSurface(CAIRO_FORMAT_RGB24, photoWidth, photoHeight, scale);
    cairo_t* cr = createLogicalContext(surface, photoWidth, photoHeight);

    const double footH = s.feet == Feet::Casters ? 12 : s.feet == Feet::Pads ? 4 : 0;
    const double floorY = std::min(photoHeight - 6.0, s.y + s.h + footH - 8);
    drawRoom(cr, s, floorY, seed + 1);

    // Contact shadow on the floor and a soft one on the wall behind.
    softShadow(cr, s.x - 4, s.y - s.depth + 6, s.w + 8, s.h + s.depth, 8, 10, 0.35);
    softEllipseShadow(cr, s.x + s.w / 2, s.y + s.h + footH - 2, s.w * 0.55, 7, 8, 0.8);

    // Feet.
    for (int side = 0; side < 2; ++side)
    {
        const double fx = side ? s.x + s.w - 26 : s.x + 12;
        if (s.feet == Feet::Casters)
        {
            cairo_rectangle(cr, fx + 4, s.y + s.h - 1, 6, 5);
            setColour(cr, rgb(0x707070));
            cairo_fill(cr);
            cairo_save(cr);
            cairo_translate(cr, fx + 7, s.y + s.h + 7);
            cairo_scale(cr, 7, 5.5);
            cairo_arc(cr, 0, 0, 1, 0, 2 * pi);
            cairo_restore(cr);
            linearFill(cr, 0, s.y + s.h + 2, 0, s.y + s.h + 12, rgb(0x4a4a4a), rgb(0x0a0a0a));
        }
        else if (s.feet == Feet::Pads)
        {
            roundedRect(cr, fx, s.y + s.h - 2, 14, 6, 2);
            linearFill(cr, 0, s.y + s.h - 2, 0, s.y + s.h + 4, rgb(0x303030), rgb(0x080808));
        }
    }

    // Top face, seen from slightly above; the lamp lights it most.
    if (s.depth > 0)
    {
        const double inset = s.depth * 0.35;
        cairo_move_to(cr, s.x + s.radius, s.y + 1);
        cairo_line_to(cr, s.x + inset + s.radius, s.y - s.depth);
        cairo_line_to(cr, s.x + s.w - inset - s.radius, s.y - s.depth);
        cairo_line_to(cr, s.x + s.w - s.radius, s.y + 1);
        cairo_close_path(cr);
        paintTexture(cr,
                     coveringTexture(static_cast<int>(s.w), static_cast<int>(s.depth) + 2, s.covering.scaled(1.35),
                                     s.coveringKind, seed + 2, scale),
                     s.x, s.y - s.depth, scale);
        if (s.handle)
        {
            cairo_save(cr);
            cairo_translate(cr, s.x + s.w / 2, s.y - s.depth * 0.5);
            cairo_scale(cr, 34, 5);
            cairo_arc(cr, 0, 0, 1, 0, 2 * pi);
            cairo_restore(cr);
            linearFill(cr, 0, s.y - s.depth, 0, s.y, rgb(0x5a3a24), rgb(0x1e120a));
        }
    }

    // Front face.
    roundedRect(cr, s.x, s.y, s.w, s.h, s.radius);
    paintTexture(
        cr, coveringTexture(static_cast<int>(s.w), static_cast<int>(s.h), s.covering, s.coveringKind, seed + 3, scale),
        s.x, s.y, scale);
    if (s.splitY > 0)
    {
        cairo_save(cr);
        roundedRect(cr, s.x, s.y, s.w, s.h, s.radius);
        cairo_clip(cr);
        cairo_rectangle(cr, s.x, s.splitY, s.w, s.y + s.h - s.splitY);
        paintTexture(cr,
                     coveringTexture(static_cast<int>(s.w), static_cast<int>(s.h), s.lowerCovering, s.coveringKind,
                                     seed + 4, scale),
                     s.x, s.y, scale);
        cairo_rectangle(cr, s.x, s.splitY - 1.5, s.w, 3);
        linearFill(cr, 0, s.splitY - 1.5, 0, s.splitY + 1.5, rgb(0xf0f0f0), rgb(0x505050));
        cairo_restore(cr);
    }
    // Rounded box edges catch the light along the top.
    roundedRect(cr, s.x + 0.5, s.y + 0.5, s.w - 1, s.h - 1, s.radius);
    cairo_pattern_t* edge = cairo_pattern_create_linear(0, s.y, 0, s.y + s.h);
    cairo_pattern_add_color_stop_rgba(edge, 0, 1, 1, 1, 0.35);
    cairo_pattern_add_color_stop_rgba(edge, 0.3, 1, 1, 1, 0.05);
    cairo_pattern_add_color_stop_rgba(edge, 1, 0, 0, 0, 0.6);
    cairo_set_source(cr, edge);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_pattern_destroy(edge);

    if (s.slant)
    {
        // The upper half leans back, faces the lamp a little more.
        cairo_rectangle(cr, s.x, s.y, s.w, s.slantY - s.y);
        cairo_set_source_rgba(cr, 1, 0.97, 0.9, 0.07);
        cairo_fill(cr);
        // The fold where the slant starts shows on both side edges of the box.
        for (double ex : {s.x, s.x + s.w - 3})
        {
            cairo_rectangle(cr, ex, s.slantY - 1, 3, 2);
            cairo_set_source_rgba(cr, 1, 1, 1, 0.25);
            cairo_fill(cr);
        }
    }

    // Grille opening: baffle, speakers, then the cloth over them.
    cairo_save(cr);
    roundedRect(cr, s.gx, s.gy, s.gw, s.gh, s.gRadius);
    cairo_clip(cr);
    cairo_rectangle(cr, s.gx, s.gy, s.gw, s.gh);
    linearFill(cr, 0, s.gy, 0, s.gy + s.gh, s.baffle.scaled(1.4), s.baffle.scaled(0.7));
    if (!s.clothOn)
        for (int i = 0; i < 40; ++i) // screw heads and tool marks of a bare baffle
        {
            cairo_arc(cr, random.range(s.gx, s.gx + s.gw), random.range(s.gy, s.gy + s.gh), 0.8, 0, 2 * pi);
            cairo_set_source_rgba(cr, 1, 1, 1, 0.05);
            cairo_fill(cr);
        }
    for (const auto& sp : set.speakers)
        drawSpeaker(cr, sp, s);
    if (s.port)
    {
        const double px = s.gx + s.gw * 0.2, pw = s.gw * 0.6, py = s.gy + s.gh - 40;
        roundedRect(cr, px, py, pw, 18, 6);
        linearFill(cr, 0, py, 0, py + 18, rgb(0x000000), rgb(0x1a1a1a));
    }
    if (s.clothOn)
    {
        cairo_rectangle(cr, s.gx, s.gy, s.gw, s.gh);
        paintTexture(cr, clothTexture(static_cast<int>(s.gw) + 1, static_cast<int>(s.gh) + 1, s.cloth, seed + 5, scale),
                     s.gx, s.gy, scale);
        // Cloth over an opening is lit from the front only, so each speaker
        // shows through as a darker disc with its rim catching the lamp.
        for (const auto& sp : set.speakers)
        {
            cairo_pattern_t* hole = cairo_pattern_create_radial(sp.cx, sp.cy, sp.r * 0.5, sp.cx, sp.cy, sp.r * 1.02);
            cairo_pattern_add_color_stop_rgba(hole, 0, 0, 0, 0, 0.3);
            cairo_pattern_add_color_stop_rgba(hole, 0.85, 0, 0, 0, 0.38);
            cairo_pattern_add_color_stop_rgba(hole, 1, 0, 0, 0, 0);
            cairo_arc(cr, sp.cx, sp.cy, sp.r * 1.02, 0, 2 * pi);
            cairo_set_source(cr, hole);
            cairo_fill(cr);
            cairo_pattern_destroy(hole);
            cairo_arc(cr, sp.cx, sp.cy, sp.r * 0.3, 0, 2 * pi);
            cairo_set_source_rgba(cr, 1, 1, 1, 0.06);
            cairo_fill(cr);
            cairo_arc(cr, sp.cx, sp.cy + 0.5, sp.r, pi * 1.15, pi * 1.85);
            cairo_set_source_rgba(cr, 1, 1, 1, 0.12);
            cairo_set_line_width(cr, 1.2);
            cairo_stroke(cr);
        }
    }
    // Recess shadow along the top and left of the opening.
    cairo_rectangle(cr, s.gx, s.gy, s.gw, s.gh);
    cairo_pattern_t* recess = cairo_pattern_create_linear(0, s.gy, 0, s.gy + 8);
    cairo_pattern_add_color_stop_rgba(recess, 0, 0, 0, 0, 0.55);
    cairo_pattern_add_color_stop_rgba(recess, 1, 0, 0, 0, 0);
    cairo_set_source(cr, recess);
    cairo_fill(cr);
    cairo_pattern_destroy(recess);
    cairo_restore(cr);

    if (s.piping)
    {
        roundedRect(cr, s.gx - 1.5, s.gy - 1.5, s.gw + 3, s.gh + 3, s.gRadius + 1.5);
        setColour(cr, s.pipingColour);
        cairo_set_line_width(cr, 2.2);
        cairo_stroke(cr);
        roundedRect(cr, s.gx - 1, s.gy - 0.5, s.gw + 2, s.gh + 2, s.gRadius + 1);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
        cairo_set_line_width(cr, 0.8);
        cairo_stroke(cr);
    }

    Random knobRandom(seed + 6);
    drawPanel(cr, s, knobRandom);

    if (s.corners != Corners::None)
    {
        drawCorner(cr, s, s.x, s.y, 1, 1);
        drawCorner(cr, s, s.x + s.w, s.y, -1, 1);
        drawCorner(cr, s, s.x, s.y + s.h, 1, -1);
        drawCorner(cr, s, s.x + s.w, s.y + s.h, -1, -1);
    }
    drawBadge(cr, s, name);

    // Lamp above: the picture falls off toward the floor and the edges.
    cairo_rectangle(cr, 0, 0, photoWidth, photoHeight);
    cairo_pattern_t* light = cairo_pattern_create_linear(0, 0, 0, photoHeight);
    cairo_pattern_add_color_stop_rgba(light, 0, 1, 0.97, 0.9, 0.08);
    cairo_pattern_add_color_stop_rgba(light, 0.45, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(light, 1, 0, 0, 0, 0.3);
    cairo_set_source(cr, light);
    cairo_fill(cr);
    cairo_pattern_destroy(light);
    cairo_rectangle(cr, 0, 0, photoWidth, photoHeight);
    cairo_pattern_t* vignette = cairo_pattern_create_radial(194, 110, 120, 194, 110, 300);
    cairo_pattern_add_color_stop_rgba(vignette, 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(vignette, 1, 0, 0, 0, 0.55);
    cairo_set_source(cr, vignette);
    cairo_fill(cr);
    cairo_pattern_destroy(vignette);

    cairo_destroy(cr);
    addGrain(surface, 0, 0, cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface), 0.08,
             seed + 7);
    return surface;
}
} // namespace morvane3::pictures
