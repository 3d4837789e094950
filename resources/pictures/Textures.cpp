#include "Textures.h"

#include <algorithm>
#include <cmath>

namespace morvane3::pictures
{
namespace
{
uint32_t premultiplied(double r, double g, double b, double a)
{
    auto c = [](double v) { return static_cast<uint32_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); };
    a = std::clamp(a, 0.0, 1.0);
    return (c(a) << 24) | (c(r * a) << 16) | (c(g * a) << 8) | c(b * a);
}

// Where a device pixel of a texture drawn `scale` times as fine lies in the
// texture's own logical pixels. Patterns built on the logical lattice (threads,
// weave cells) read `cellX`/`cellY`, smooth fields read `x`/`y`, and grain
// reads the device pixel itself, so it stays as fine as the screen at any size.
struct Texel
{
    int cellX, cellY;        // logical pixel containing the device pixel
    double x, y;             // logical position of the device pixel's corner
    double centreX, centreY; // logical position of its centre
    int deviceX, deviceY;
};

template <typename Shader>
cairo_surface_t* shade(int w, int h, double scale, Shader&& shader)
{
    cairo_surface_t* s = newSurface(CAIRO_FORMAT_ARGB32, w, h, scale);
    const int dw = cairo_image_surface_get_width(s), dh = cairo_image_surface_get_height(s);
    const bool exact = dw == w && dh == h;
    const double toLogicalX = static_cast<double>(w) / dw, toLogicalY = static_cast<double>(h) / dh;
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    const auto shadeRows = [&](int begin, int end) {
        for (int y = begin; y < end; ++y)
        {
            auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
            for (int x = 0; x < dw; ++x)
            {
                Texel t {x, y, static_cast<double>(x), static_cast<double>(y), x + 0.5, y + 0.5, x, y};
                if (!exact)
                {
                    t.x = x * toLogicalX;
                    t.y = y * toLogicalY;
                    t.centreX = (x + 0.5) * toLogicalX;
                    t.centreY = (y + 0.5) * toLogicalY;
                    t.cellX = static_cast<int>(std::floor(t.centreX));
                    t.cellY = static_cast<int>(std::floor(t.centreY));
                }
                row[x] = shader(t);
            }
        }
    };
    forRowsInParallel(dh, shadeRows);
    cairo_surface_mark_dirty(s);
    return s;
}
} // namespace

cairo_surface_t* coveringTexture(int w, int h, const Colour& base, Covering kind, uint64_t seed, double scale)
{
    return shade(w, h, scale, [&](const Texel& t) {
        const double x = t.x, y = t.y;
        const int px = t.deviceX, py = t.deviceY;
        double f = 1.0;
        switch (kind)
        {
        case Covering::Levant:
        {
            // Embossed pebbles: the difference of the bump field along the
            // light direction reads as relief lit from above.
            const double a = fractalNoise(x / 1.7, y / 1.7, seed, 2);
            const double b = fractalNoise(x / 1.7, (y - 1) / 1.7, seed, 2);
            f = 0.92 + 0.16 * a + 0.55 * (b - a) + 0.05 * (pixelNoise(px, py, seed + 1) - 0.5);
            break;
        }
        case Covering::Bronco:
        {
            const double n = fractalNoise(x / 7.0, y / 5.0, seed, 3);
            const double ridge = 1.0 - std::abs(2.0 * n - 1.0);
            const double fine = fractalNoise(x / 1.5, y / 1.5, seed + 3, 2);
            f = 0.8 + 0.3 * std::pow(ridge, 4.0) + 0.12 * fine;
            break;
        }
        case Covering::Smooth:
            f = 0.97 + 0.06 * fractalNoise(x / 9.0, y / 9.0, seed, 3) + 0.03 * (pixelNoise(px, py, seed) - 0.5);
            break;
        case Covering::Twill:
        {
            const int d = ((t.cellX + t.cellY) % 6 + 6) % 6;
            const double thread = d < 3 ? 1.08 : 0.86;
            const int across = ((t.cellX - t.cellY) % 3 + 3) % 3;
            const double stain = 0.85 + 0.25 * fractalNoise(x / 30.0, y / 30.0, seed, 3);
            f = thread * (across == 0 ? 0.94 : 1.0) * stain + 0.08 * (pixelNoise(px, py, seed) - 0.5);
            break;
        }
        case Covering::Carpet:
            f = 0.8 + 0.4 * pixelNoise(px, py, seed) * (0.6 + 0.4 * fractalNoise(x / 3.0, y / 3.0, seed + 5, 2));
            break;
        }
        return premultiplied(base.r * f, base.g * f, base.b * f, 1.0);
    });
}

cairo_surface_t* clothTexture(int w, int h, const Cloth& cloth, uint64_t seed, double scale)
{
    return shade(w, h, scale, [&](const Texel& t) {
        const int x = t.cellX, y = t.cellY;
        Colour c = cloth.main;
        double a = cloth.alpha;
        switch (cloth.weave)
        {
        case Weave::SaltPepper:
        case Weave::Basket:
        {
            // 4 x 4 cells alternate between two horizontal and two vertical threads.
            const bool horizontal = ((x / 4) + (y / 4)) % 2 == 0;
            const int thread = horizontal ? y / 2 : x / 2;
            const int along = horizontal ? x / 4 : y / 4;
            const double pick = pixelNoise(thread, along, seed);
            if (cloth.weave == Weave::SaltPepper ? pick < 0.35 : pick < 0.12)
                c = cloth.second;
            const int inThread = horizontal ? y % 2 : x % 2;
            c = c.scaled(inThread == 0 ? 1.08 : 0.84);
            a *= (horizontal ? x % 4 : y % 4) == 0 ? 0.8 : 1.0;
            break;
        }
        case Weave::Plain:
        case Weave::Striped:
        case Weave::Diamond:
        {
            c = c.scaled((x + y) % 2 == 0 ? 1.06 : 0.9);
            c = c.scaled(0.92 + 0.16 * pixelNoise(y / 2, 0, seed));
            if (cloth.weave == Weave::Striped && x % 9 == 0)
                c = cloth.second;
            if (cloth.weave == Weave::Diamond)
            {
                const double u = std::fmod(x + y + 400.0, 22.0), v = std::fmod(x - y + 400.0, 22.0);
                if (u < 2.0 || v < 2.0)
                {
                    c = cloth.second;
                    a = std::min(1.0, a * 1.3);
                }
            }
            a *= (x % 2 == 1 && y % 2 == 1) ? 0.6 : 1.0;
            break;
        }
        case Weave::Sparkle:
        {
            const int band = y / 2;
            const double pick = pixelNoise(band, x / 3, seed);
            c = band % 2 == 0 ? cloth.main : cloth.second;
            if (pick > 0.93)
                c = {0.95, 0.95, 0.95};
            c = c.scaled(x % 2 == 0 ? 1.05 : 0.92);
            a *= (x % 3 == 2) ? 0.7 : 1.0;
            break;
        }
        case Weave::Perforated:
        {
            // Holes of radius 2 on a staggered grid of pitch 6.
            const double pitch = 6.0;
            const int row = static_cast<int>(std::floor(y / (pitch * 0.866)));
            const double yc = (row + 0.5) * pitch * 0.866;
            const double offset = (row % 2) * pitch / 2.0;
            const double xc = std::floor((x - offset) / pitch) * pitch + offset + pitch / 2.0;
            const double d = std::hypot(t.centreX - xc, t.centreY - yc);
            const double edge = std::clamp(d - 1.9, 0.0, 1.0);
            a = cloth.alpha * edge;
            c = c.scaled(d < 3.0 && t.centreY < yc ? 0.75 : 1.0);
            break;
        }
        }
        return premultiplied(c.r, c.g, c.b, a);
    });
}
} // namespace morvane3::pictures
