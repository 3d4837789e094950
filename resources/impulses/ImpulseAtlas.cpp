// Draws the catalogue as one PNG: per cabinet the magnitude responses of the
// eight microphones (on axis, close), then for a few cabinet and microphone
// pairs the six positions and distances, and their energy decay.
//
//   ir-atlas-tool <folder with the generated WAV files> <output.png>

#include "ImpulseSynth.h"
#include "RealCabinetRanges.h"
#include "RealFft.h"
#include "ResponseFigures.h"
#include "SoundTable.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace morvane3::irsynth;

namespace
{
constexpr int panelWidth = 430, panelHeight = 270, columns = 6, rows = 4;
constexpr double lowHz = 20, highHz = 20000, topDb = 25, bottomDb = -55;

// The response's samples, or responseLength zeros if its file is missing or short.
std::vector<double> readResponse(const std::string& folder, const std::string& name)
{
    std::string file = name;
    std::replace(file.begin(), file.end(), ' ', '_');
    double rate = 0;
    std::vector<double> x = morvane3::irfigures::readWav(folder + "/" + file + ".wav", rate);
    if (x.size() < static_cast<size_t>(responseLength))
        return std::vector<double>(responseLength, 0.0);
    x.resize(static_cast<size_t>(responseLength));
    return x;
}

// Level in dB at log-spaced frequencies, smoothed over 1/6 octave.
std::vector<double> smoothedLevel(RealFft& fft, const std::vector<double>& x, const std::vector<double>& freqs)
{
    std::fill(fft.time, fft.time + fft.size(), 0.0);
    std::copy(x.begin(), x.end(), fft.time);
    fft.forward();
    const double binHz = static_cast<double>(sampleRate) / fft.size();
    std::vector<double> out;
    for (double f : freqs)
    {
        const int lo = std::max(1, static_cast<int>(f * std::pow(2.0, -1.0 / 12) / binHz));
        const int hi = std::min(fft.bins() - 1, std::max(lo, static_cast<int>(f * std::pow(2.0, 1.0 / 12) / binHz)));
        double p = 0;
        for (int k = lo; k <= hi; ++k)
            p += std::norm(fft.spectrum[k]);
        out.push_back(10 * std::log10(std::max(p / (hi - lo + 1), 1e-20)));
    }
    return out;
}

const double palette[8][3] = {{0.85, 0.20, 0.15}, {0.95, 0.55, 0.10}, {0.80, 0.75, 0.10}, {0.30, 0.70, 0.25},
                              {0.15, 0.60, 0.75}, {0.25, 0.35, 0.85}, {0.55, 0.30, 0.75}, {0.35, 0.35, 0.35}};

// Levels of real, close-miked guitar cabinets under dynamic microphones,
// relative to their mean over 500 Hz..2 kHz (the figures the catalogue's
// tests hold it to).
struct RealBand
{
    double lowHz, highHz, lowDb, highDb;
    bool closedBacksOnly;
};
namespace realRanges = morvane3::irfigures::realRanges;
constexpr RealBand realBands[] = {
    {40, 80, realRanges::lows40to80MinDb, realRanges::lows40to80MaxDb, false},
    {80, 160, realRanges::closedLows80to160MinDb, realRanges::closedLows80to160MaxDb, true},
    {realRanges::closedHumpLowHz, realRanges::closedHumpHighHz, realRanges::closedHumpMinDb,
     realRanges::closedHumpMaxDb, true},
};

struct Panel
{
    cairo_t* cr;
    double x0, y0;
    double px(double f) const { return x0 + 40 + (panelWidth - 55) * std::log(f / lowHz) / std::log(highHz / lowHz); }
    double py(double d) const { return y0 + 22 + (panelHeight - 45) * (topDb - d) / (topDb - bottomDb); }

    void frame(const std::string& title) const
    {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, x0 + 2, y0 + 2, panelWidth - 4, panelHeight - 4);
        cairo_fill(cr);
        cairo_set_line_width(cr, 0.5);
        cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
        for (double f : {50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0})
        {
            cairo_move_to(cr, px(f), py(topDb));
            cairo_line_to(cr, px(f), py(bottomDb));
        }
        for (double d = bottomDb + 5; d < topDb; d += 10)
        {
            cairo_move_to(cr, px(lowHz), py(d));
            cairo_line_to(cr, px(highHz), py(d));
        }
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 13);
        cairo_move_to(cr, x0 + 40, y0 + 16);
        cairo_show_text(cr, title.c_str());
        cairo_set_font_size(cr, 9);
        cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        for (auto [f, label] : {std::pair{100.0, "100"}, {1000.0, "1k"}, {10000.0, "10k"}})
        {
            cairo_move_to(cr, px(f) - 6, py(bottomDb) + 11);
            cairo_show_text(cr, label);
        }
        for (double d = bottomDb + 5; d < topDb; d += 20)
        {
            char s[16];
            std::snprintf(s, sizeof s, "%+.0f", d);
            cairo_move_to(cr, x0 + 8, py(d) + 3);
            cairo_show_text(cr, s);
        }
    }
    void band(const RealBand& b, double reference) const
    {
        cairo_set_source_rgba(cr, 0.55, 0.75, 0.55, 0.45);
        cairo_rectangle(cr, px(b.lowHz), py(reference + b.highDb), px(b.highHz) - px(b.lowHz), py(reference + b.lowDb) - py(reference + b.highDb));
        cairo_fill(cr);
    }

    void curve(const std::vector<double>& freqs, const std::vector<double>& level, int colour, double offset,
               const std::string& legend, int legendRow) const
    {
        cairo_set_source_rgb(cr, palette[colour][0], palette[colour][1], palette[colour][2]);
        cairo_set_line_width(cr, 1.2);
        for (size_t i = 0; i < freqs.size(); ++i)
        {
            const double y = py(std::clamp(level[i] + offset, bottomDb, topDb));
            i == 0 ? cairo_move_to(cr, px(freqs[i]), y) : cairo_line_to(cr, px(freqs[i]), y);
        }
        cairo_stroke(cr);
        cairo_set_font_size(cr, 9);
        cairo_move_to(cr, x0 + panelWidth - 80, y0 + 32 + 10 * legendRow);
        cairo_show_text(cr, legend.c_str());
    }
};

// Energy decay (Schroeder backward integral) in dB over 0..0.44 s, drawn on the
// same panel with time as the x axis.
void decayPanel(const Panel& p, const std::vector<std::vector<double>>& responses, const std::vector<std::string>& legends)
{
    cairo_t* cr = p.cr;
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, p.x0 + 2, p.y0 + 2, panelWidth - 4, panelHeight - 4);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_font_size(cr, 13);
    cairo_move_to(cr, p.x0 + 40, p.y0 + 16);
    cairo_show_text(cr, "energy decay, 0-0.44 s, 0 to -90 dB");
    const double w = panelWidth - 55, h = panelHeight - 45;
    cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
    cairo_set_line_width(cr, 0.5);
    for (int d = 0; d <= 90; d += 10)
    {
        cairo_move_to(cr, p.x0 + 40, p.y0 + 22 + h * d / 90);
        cairo_line_to(cr, p.x0 + 40 + w, p.y0 + 22 + h * d / 90);
    }
    cairo_stroke(cr);
    for (size_t r = 0; r < responses.size(); ++r)
    {
        const auto& x = responses[r];
        std::vector<double> e(x.size() + 1, 0.0);
        for (size_t n = x.size(); n-- > 0;)
            e[n] = e[n + 1] + x[n] * x[n];
        cairo_set_source_rgb(cr, palette[r][0], palette[r][1], palette[r][2]);
        cairo_set_line_width(cr, 1.2);
        for (size_t n = 0; n < x.size(); n += 16)
        {
            const double d = std::clamp(-10 * std::log10(std::max(e[n] / e[0], 1e-12)), 0.0, 90.0);
            const double px = p.x0 + 40 + w * n / x.size(), py = p.y0 + 22 + h * d / 90;
            n == 0 ? cairo_move_to(cr, px, py) : cairo_line_to(cr, px, py);
        }
        cairo_stroke(cr);
        cairo_move_to(cr, p.x0 + panelWidth - 120, p.y0 + 32 + 10 * static_cast<double>(r));
        cairo_show_text(cr, legends[r].c_str());
    }
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s <wav folder> <output.png>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, columns * panelWidth, rows * panelHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
    cairo_paint(cr);

    RealFft fft(1 << 15);
    std::vector<double> freqs;
    for (double f = lowHz; f <= highHz; f *= std::pow(2.0, 1.0 / 24))
        freqs.push_back(f);
    auto panelAt = [&](int i) { return Panel{cr, static_cast<double>(i % columns) * panelWidth, static_cast<double>(i / columns) * panelHeight}; };

    int slot = 0;
    for (const CabinetVoice& cab : cabinetVoices)
    {
        const Panel p = panelAt(slot++);
        p.frame(std::string(cab.name) + "  (on axis, close)");
        std::vector<std::vector<double>> levels;
        for (int m = 0; m < microphoneCount; ++m)
            levels.push_back(smoothedLevel(fft, readResponse(folder, std::string(cab.name) + " " + microphoneVoices[m].name + " On Axis Close"), freqs));
        // Behind the curves, the range real close-miked guitar cabinets span
        // under dynamic microphones, relative to the mids of ours under them.
        if (cab.construction == Construction::closedBack || cab.construction == Construction::openBack)
        {
            double mids = 0;
            int count = 0;
            for (int m = 0; m < microphoneCount; ++m)
                if (realRanges::isDynamicMicrophone(microphoneVoices[m].name))
                    for (size_t i = 0; i < freqs.size(); ++i)
                        if (freqs[i] >= 500 && freqs[i] <= 2000)
                        {
                            mids += std::pow(10.0, levels[static_cast<size_t>(m)][i] / 10);
                            ++count;
                        }
            const double reference = 10 * std::log10(mids / std::max(count, 1));
            for (const RealBand& band : realBands)
                if (!band.closedBacksOnly || cab.construction == Construction::closedBack)
                    p.band(band, reference);
        }
        for (int m = 0; m < microphoneCount; ++m)
            p.curve(freqs, levels[static_cast<size_t>(m)], m, 0, microphoneVoices[m].name, m);
    }
    for (const char* pair : {"1960 57", "Motown U87"})
    {
        const Panel p = panelAt(slot++);
        p.frame(std::string(pair) + "  (positions and distances)");
        std::vector<std::vector<double>> all;
        std::vector<std::string> legends;
        for (int i = 0; i < placementCount; ++i)
        {
            const std::string legend = std::string(placementVoices[i].position) + " " + placementVoices[i].distance;
            all.push_back(readResponse(folder, std::string(pair) + " " + legend));
            legends.push_back(legend);
            p.curve(freqs, smoothedLevel(fft, all.back(), freqs), i, 0, legend, i);
        }
    }
    // The last two slots: energy decay of a closed and an open back in all six placements.
    {
        std::vector<std::vector<double>> all;
        std::vector<std::string> legends;
        for (int i = 0; i < placementCount; ++i)
        {
            const std::string legend = std::string(placementVoices[i].position) + " " + placementVoices[i].distance;
            all.push_back(readResponse(folder, "1960 57 " + legend));
            legends.push_back("1960 57 " + legend);
        }
        decayPanel(panelAt(rows * columns - 2), all, legends);
    }
    {
        std::vector<std::vector<double>> all;
        std::vector<std::string> legends;
        for (int i = 0; i < placementCount; ++i)
        {
            const std::string legend = std::string(placementVoices[i].position) + " " + placementVoices[i].distance;
            all.push_back(readResponse(folder, "Tweed 121 " + legend));
            legends.push_back("Tweed 121 " + legend);
        }
        decayPanel(panelAt(rows * columns - 1), all, legends);
    }

    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(surface, argv[2]);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
    {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
