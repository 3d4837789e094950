#pragma once
// Drawing helpers shared by the picture generator: a seeded random source,
// value noise, colours, and a few cairo shapes. Everything is deterministic:
// the same seed gives the same pixels on every build.

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>

namespace morvane3::pictures
{
constexpr double pi = 3.14159265358979323846;

// Small, fast and reproducible (splitmix64); std::mt19937's distributions are
// not guaranteed to give the same values across standard libraries.
class Random
{
public:
    explicit Random(uint64_t seed) : state(seed) {}
    uint64_t next();
    double uniform(); // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }

private:
    uint64_t state;
};

uint64_t hashName(const std::string& name);

// Smooth value noise in [0, 1], lattice spacing 1, tileable nowhere (not needed).
double valueNoise(double x, double y, uint64_t seed);
// Sum of octaves of value noise, result in about [0, 1].
double fractalNoise(double x, double y, uint64_t seed, int octaves);
// Independent noise per integer pixel, in [0, 1).
double pixelNoise(int x, int y, uint64_t seed);

struct Colour
{
    double r, g, b;
    Colour scaled(double f) const { return {r * f, g * f, b * f}; }
    Colour mixed(const Colour& o, double t) const
    {
        return {r + (o.r - r) * t, g + (o.g - g) * t, b + (o.b - b) * t};
    }
};

Colour rgb(int hex); // 0xRRGGBB

void setColour(cairo_t* cr, const Colour& c, double alpha = 1.0);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
// A soft shadow: the shape of a rounded rectangle blurred by stacking
// progressively larger, fainter copies.
void softShadow(cairo_t* cr, double x, double y, double w, double h, double radius, double blur, double alpha);
void softEllipseShadow(cairo_t* cr, double cx, double cy, double rx, double ry, double blur, double alpha);

// Text helpers with the toy API (DejaVu is installed with the build tools).
void setFont(cairo_t* cr, double size, bool bold, bool serif = false, bool italic = false);
void centredText(cairo_t* cr, double cx, double baselineY, const std::string& text);
double textWidth(cairo_t* cr, const std::string& text);

// Runs work(firstRow, endRow) over rows [0, rows) split between the calling
// thread and one helper: the per-pixel passes dominate the drawing of the
// large pictures, and the editor draws them while the user waits. Each row
// is computed as on one thread, so the pixels do not depend on the split.
void forRowsInParallel(int rows, const std::function<void(int, int)>& work);

// Per-pixel helpers on an image surface (ARGB32 or RGB24, premultiplied).
// Multiplies the colour of every pixel inside the rectangle by
// (1 + amount * (noise - 0.5)), keeping alpha, for photographic grain.
void addGrain(cairo_surface_t* surface, int x, int y, int w, int h, double amount, uint64_t seed);

cairo_surface_t* newSurface(cairo_format_t format, int w, int h);

// Every picture is designed in logical pixels (the editor's 100 % size) and
// can be drawn `scale` times as fine for larger editors: the surface then has
// scaledExtent() pixels per side and its context maps the logical size onto
// all of them, so lines, text and gradients are drawn at the device
// resolution rather than enlarged. Scale 1 draws exactly the 100 % pixels.
int scaledExtent(int logical, double scale);
cairo_surface_t* newSurface(cairo_format_t format, int w, int h, double scale);
// A context on `surface` whose user space is the logical w x h picture.
cairo_t* createLogicalContext(cairo_surface_t* surface, int w, int h);
// Writes the surface as PNG; throws std::runtime_error on failure.
void writePng(cairo_surface_t* surface, const std::string& path);
} // namespace morvane3::pictures
