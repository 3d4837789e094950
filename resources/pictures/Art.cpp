#include "Art.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <thread>

namespace morvane3::pictures
{
uint64_t Random::next()
{
    uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

double Random::uniform()
{
    return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0);
}

uint64_t hashName(const std::string& name)
{
    uint64_t h = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : name)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

static double latticeValue(int64_t x, int64_t y, uint64_t seed)
{
    uint64_t h = seed ^ (static_cast<uint64_t>(x) * 0x9e3779b97f4a7c15ull) ^ (static_cast<uint64_t>(y) * 0xc2b2ae3d27d4eb4full);
    h = (h ^ (h >> 29)) * 0xbf58476d1ce4e5b9ull;
    h = (h ^ (h >> 32)) * 0x94d049bb133111ebull;
    h ^= h >> 29;
    return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0);
}

double pixelNoise(int x, int y, uint64_t seed)
{
    return latticeValue(x, y, seed);
}

// std::floor without the library call (the build targets plain x86-64, which
// has no rounding instruction); exact for the coordinates pictures use.
static inline double floorOf(double v)
{
    const double truncated = static_cast<double>(static_cast<int64_t>(v));
    return truncated > v ? truncated - 1.0 : truncated;
}

double valueNoise(double x, double y, uint64_t seed)
{
    const double fx = floorOf(x), fy = floorOf(y);
    const auto ix = static_cast<int64_t>(fx), iy = static_cast<int64_t>(fy);
    double tx = x - fx, ty = y - fy;
    tx = tx * tx * (3.0 - 2.0 * tx);
    ty = ty * ty * (3.0 - 2.0 * ty);
    const double a = latticeValue(ix, iy, seed), b = latticeValue(ix + 1, iy, seed);
    const double c = latticeValue(ix, iy + 1, seed), d = latticeValue(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double fractalNoise(double x, double y, uint64_t seed, int octaves)
{
    double sum = 0.0, weight = 1.0, total = 0.0, scale = 1.0;
    for (int i = 0; i < octaves; ++i)
    {
        sum += weight * valueNoise(x * scale, y * scale, seed + static_cast<uint64_t>(i) * 7919u);
        total += weight;
        weight *= 0.5;
        scale *= 2.0;
    }
    return sum / total;
}

Colour rgb(int hex)
{
    return {((hex >> 16) & 255) / 255.0, ((hex >> 8) & 255) / 255.0, (hex & 255) / 255.0};
}

void setColour(cairo_t* cr, const Colour& c, double alpha)
{
    cairo_set_source_rgba(cr, std::clamp(c.r, 0.0, 1.0), std::clamp(c.g, 0.0, 1.0), std::clamp(c.b, 0.0, 1.0), alpha);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius)
{
    radius = std::min({radius, w / 2.0, h / 2.0});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -pi / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, pi / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, pi / 2, pi);
    cairo_arc(cr, x + radius, y + radius, radius, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void softShadow(cairo_t* cr, double x, double y, double w, double h, double radius, double blur, double alpha)
{
    const int steps = std::max(2, static_cast<int>(blur));
    for (int i = steps; i >= 0; --i)
    {
        const double grow = blur * i / steps;
        roundedRect(cr, x - grow, y - grow, w + 2 * grow, h + 2 * grow, radius + grow);
        cairo_set_source_rgba(cr, 0, 0, 0, alpha / (steps + 1));
        cairo_fill(cr);
    }
}

void softEllipseShadow(cairo_t* cr, double cx, double cy, double rx, double ry, double blur, double alpha)
{
    const int steps = std::max(2, static_cast<int>(blur));
    for (int i = steps; i >= 0; --i)
    {
        const double grow = blur * i / steps;
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx + grow, ry + grow);
        cairo_arc(cr, 0, 0, 1, 0, 2 * pi);
        cairo_restore(cr);
        cairo_set_source_rgba(cr, 0, 0, 0, alpha / (steps + 1));
        cairo_fill(cr);
    }
}

void setFont(cairo_t* cr, double size, bool bold, bool serif, bool italic)
{
    cairo_select_font_face(cr, serif ? "DejaVu Serif" : "DejaVu Sans",
                           italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

double textWidth(cairo_t* cr, const std::string& text)
{
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.x_advance;
}

void centredText(cairo_t* cr, double cx, double baselineY, const std::string& text)
{
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    cairo_move_to(cr, cx - e.x_bearing - e.width / 2.0, baselineY);
    cairo_show_text(cr, text.c_str());
}

void forRowsInParallel(int rows, const std::function<void(int, int)>& work)
{
    // Small pictures are not worth a thread.
    if (rows < 64)
    {
        work(0, rows);
        return;
    }
    const int half = rows / 2;
    std::thread helper([&] { work(half, rows); });
    work(0, half);
    helper.join();
}

void addGrain(cairo_surface_t* surface, int x0, int y0, int w, int h, double amount, uint64_t seed)
{
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int sw = cairo_image_surface_get_width(surface), sh = cairo_image_surface_get_height(surface);
    const bool opaque = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24;
    const int firstRow = std::max(0, y0), endRow = std::min(sh, y0 + h);
    const auto grainRows = [&](int begin, int end) {
        for (int y = firstRow + begin; y < firstRow + end; ++y)
        {
            auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
            for (int x = std::max(0, x0); x < std::min(sw, x0 + w); ++x)
            {
                const double f = 1.0 + amount * (pixelNoise(x, y, seed) - 0.5);
                const uint32_t p = row[x];
                const uint32_t a = p >> 24;
                uint32_t out = p & 0xff000000u;
                for (int shift = 0; shift < 24; shift += 8)
                {
                    const double v = static_cast<double>((p >> shift) & 255u) * f;
                    // Premultiplied: a channel may not exceed alpha (RGB24 ignores alpha).
                    const double limit = opaque ? 255.0 : a;
                    out |= static_cast<uint32_t>(std::clamp(v + 0.5, 0.0, limit)) << shift;
                }
                row[x] = out;
            }
        }
    };
    forRowsInParallel(endRow - firstRow, grainRows);
    cairo_surface_mark_dirty(surface);
}

cairo_surface_t* newSurface(cairo_format_t format, int w, int h)
{
    cairo_surface_t* s = cairo_image_surface_create(format, w, h);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("pictures: cannot create a surface");
    return s;
}

int scaledExtent(int logical, double scale)
{
    return std::max(1, static_cast<int>(std::lround(logical * scale)));
}

cairo_surface_t* newSurface(cairo_format_t format, int w, int h, double scale)
{
    return newSurface(format, scaledExtent(w, scale), scaledExtent(h, scale));
}

cairo_t* createLogicalContext(cairo_surface_t* surface, int w, int h)
{
    cairo_t* cr = cairo_create(surface);
    const int dw = cairo_image_surface_get_width(surface), dh = cairo_image_surface_get_height(surface);
    // Left as the identity at 1:1, so the 100 % pictures keep their exact pixels.
    if (dw != w || dh != h)
        cairo_scale(cr, static_cast<double>(dw) / w, static_cast<double>(dh) / h);
    return cr;
}

void writePng(cairo_surface_t* surface, const std::string& path)
{
    cairo_surface_flush(surface);
    if (cairo_surface_write_to_png(surface, path.c_str()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("pictures: cannot write " + path);
}
} // namespace morvane3::pictures
