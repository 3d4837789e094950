#include "tools/render/Plot.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace morvane3::render
{
namespace
{

constexpr int width = 1000;
constexpr int height = 560;
constexpr double left = 78.0, right = 30.0, top = 52.0, bottom = 62.0;
constexpr double lowHz = 20.0, highHz = 20000.0;

double xOf(double hz)
{
    return left + std::log10(hz / lowHz) / std::log10(highHz / lowHz) * (width - left - right);
}

// The curve's level over the band a pixel column covers: the mean power of the bins
// inside it, or the level interpolated between neighbours where bins are sparser
// than pixels (the low end).
double levelOver(const ResponseCurve& curve, double fromHz, double toHz)
{
    const std::size_t bins = curve.magnitudeDb.size();
    const double binHz = curve.sampleRate / (2.0 * static_cast<double>(bins - 1));
    const double first = fromHz / binHz, last = toHz / binHz;
    const std::size_t a = static_cast<std::size_t>(std::ceil(first));
    const std::size_t b = std::min(bins - 1, static_cast<std::size_t>(std::floor(last)));
    if (a <= b)
    {
        double power = 0.0;
        for (std::size_t k = a; k <= b; ++k)
            power += std::pow(10.0, curve.magnitudeDb[k] / 10.0);
        return 10.0 * std::log10(power / static_cast<double>(b - a + 1));
    }
    const double centre = std::min(0.5 * (first + last), static_cast<double>(bins - 1));
    const std::size_t k0 = static_cast<std::size_t>(std::floor(centre));
    const std::size_t k1 = std::min(bins - 1, k0 + 1);
    const double t = centre - static_cast<double>(k0);
    return curve.magnitudeDb[k0] * (1.0 - t) + curve.magnitudeDb[k1] * t;
}

std::string frequencyLabel(double hz)
{
    if (hz >= 1000.0)
        return std::to_string(static_cast<int>(hz / 1000.0)) + "k";
    return std::to_string(static_cast<int>(hz));
}

struct SurfaceDeleter
{
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter
{
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};

} // namespace

void drawResponsePlot(const std::string& pngPath, const std::vector<ResponseCurve>& curves, const std::string& title)
{
    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(surface.get()));
    cairo_t* cr = context.get();

    const double plotW = width - left - right, plotH = height - top - bottom;

    // Per-column levels first: they decide the vertical range.
    std::vector<std::vector<double>> columns;
    double maxDb = -200.0;
    for (const auto& curve : curves)
    {
        std::vector<double> levels;
        if (curve.magnitudeDb.size() >= 2)
            for (int px = 0; px <= static_cast<int>(plotW); ++px)
            {
                const double f0 = lowHz * std::pow(highHz / lowHz, (px - 0.5) / plotW);
                const double f1 = lowHz * std::pow(highHz / lowHz, (px + 0.5) / plotW);
                levels.push_back(levelOver(curve, std::max(f0, 1.0), f1));
                maxDb = std::max(maxDb, levels.back());
            }
        columns.push_back(std::move(levels));
    }
    const double topDb = maxDb > -190.0 ? 10.0 * std::ceil((maxDb + 3.0) / 10.0) : 0.0;
    const double spanDb = 70.0;
    const double bottomDb = topDb - spanDb;
    auto yOf = [&](double db) { return top + (topDb - std::clamp(db, bottomDb, topDb)) / spanDb * plotH; };

    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);

    // Grid: every 1-2-...-9 step of each decade, labels on 1, 2 and 5.
    cairo_set_line_width(cr, 1.0);
    cairo_set_font_size(cr, 12.0);
    for (double decade = 10.0; decade <= 10000.0; decade *= 10.0)
        for (int m = 1; m <= 9; ++m)
        {
            const double hz = decade * m;
            if (hz < lowHz || hz > highHz)
                continue;
            const bool major = m == 1 || m == 2 || m == 5;
            const double x = std::round(xOf(hz)) + 0.5;
            cairo_set_source_rgb(cr, major ? 0.78 : 0.9, major ? 0.78 : 0.9, major ? 0.78 : 0.9);
            cairo_move_to(cr, x, top);
            cairo_line_to(cr, x, top + plotH);
            cairo_stroke(cr);
            if (major)
            {
                const std::string text = frequencyLabel(hz);
                cairo_text_extents_t e;
                cairo_text_extents(cr, text.c_str(), &e);
                cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
                cairo_move_to(cr, x - e.width / 2 - e.x_bearing, top + plotH + 18);
                cairo_show_text(cr, text.c_str());
            }
        }
    for (double db = bottomDb; db <= topDb + 0.01; db += 10.0)
    {
        const double y = std::round(yOf(db)) + 0.5;
        cairo_set_source_rgb(cr, 0.78, 0.78, 0.78);
        cairo_move_to(cr, left, y);
        cairo_line_to(cr, left + plotW, y);
        cairo_stroke(cr);
        const std::string text = std::to_string(static_cast<int>(db)) + " dB";
        cairo_text_extents_t e;
        cairo_text_extents(cr, text.c_str(), &e);
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        cairo_move_to(cr, left - 8 - e.width - e.x_bearing, y + e.height / 2);
        cairo_show_text(cr, text.c_str());
    }
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
    cairo_rectangle(cr, left + 0.5, top + 0.5, plotW, plotH);
    cairo_stroke(cr);

    // Axis titles and heading.
    cairo_set_font_size(cr, 13.0);
    {
        const char* text = "Frequency (Hz)";
        cairo_text_extents_t e;
        cairo_text_extents(cr, text, &e);
        cairo_move_to(cr, left + plotW / 2 - e.width / 2, height - 16);
        cairo_show_text(cr, text);
        cairo_save(cr);
        cairo_move_to(cr, 20, top + plotH / 2 + 20);
        cairo_rotate(cr, -std::acos(-1.0) / 2);
        cairo_show_text(cr, "Level (dB)");
        cairo_restore(cr);
    }
    cairo_set_font_size(cr, 16.0);
    cairo_move_to(cr, left, 32);
    cairo_show_text(cr, title.c_str());

    // Curves, clipped to the plot area.
    static const double colours[][3] = {{0.85, 0.35, 0.05}, {0.1, 0.35, 0.8}, {0.2, 0.6, 0.2}, {0.5, 0.2, 0.6}};
    cairo_save(cr);
    cairo_rectangle(cr, left, top, plotW, plotH);
    cairo_clip(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (std::size_t c = 0; c < columns.size(); ++c)
    {
        const auto* colour = colours[c % 4];
        cairo_set_source_rgb(cr, colour[0], colour[1], colour[2]);
        // Each later curve is drawn thinner on top, so that identical settings
        // still show both colours.
        cairo_set_line_width(cr, std::max(1.2, 3.6 - 1.6 * static_cast<double>(c)));
        for (std::size_t px = 0; px < columns[c].size(); ++px)
        {
            const double x = left + static_cast<double>(px), y = yOf(columns[c][px]);
            if (px == 0)
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
        }
        cairo_stroke(cr);
    }
    cairo_restore(cr);

    // Legend, top right inside the plot: cabinets have little level there.
    cairo_set_font_size(cr, 13.0);
    double legendWidth = 0.0;
    for (const auto& curve : curves)
    {
        cairo_text_extents_t e;
        cairo_text_extents(cr, curve.label.c_str(), &e);
        legendWidth = std::max(legendWidth, e.x_advance);
    }
    const double boxW = legendWidth + 48, boxH = 12.0 + 20.0 * static_cast<double>(curves.size());
    const double boxX = left + plotW - boxW - 10, boxY = top + 10;
    cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
    cairo_rectangle(cr, boxX, boxY, boxW, boxH);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    for (std::size_t c = 0; c < curves.size(); ++c)
    {
        const auto* colour = colours[c % 4];
        const double y = boxY + 18.0 + 20.0 * static_cast<double>(c);
        cairo_set_source_rgb(cr, colour[0], colour[1], colour[2]);
        cairo_set_line_width(cr, 3.0);
        cairo_move_to(cr, boxX + 10, y - 4);
        cairo_line_to(cr, boxX + 34, y - 4);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        cairo_move_to(cr, boxX + 40, y);
        cairo_show_text(cr, curves[c].label.c_str());
    }

    cairo_surface_flush(surface.get());
    const std::filesystem::path parent = std::filesystem::path(pngPath).parent_path();
    if (! parent.empty())
    {
        std::error_code ec;
        std::filesystem::create_directories(parent, ec);
        if (ec)
            throw std::runtime_error("cannot create the folder '" + parent.string() + "': " + ec.message());
    }
    const cairo_status_t status = cairo_surface_write_to_png(surface.get(), pngPath.c_str());
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write '" + pngPath + "': " + cairo_status_to_string(status));
}

} // namespace morvane3::render
