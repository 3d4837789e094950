// Prints the figures that hold the catalogue against real, close-miked cabinet
// responses: for each, the median and range over the catalogue, how many
// responses miss the target, and the same figures for a folder of real WAV
// files when one is given.
//
//   morvane3-ir-report <folder with the generated WAV files> [<folder of real WAVs>] [--cabinets]
//                      [--closed <real file>,<real file>...]
//
// --closed names the real files that are closed-back cabinets, for the
// figures of the room a closed back keeps.

#include "EarlyFigures.h"
#include "ImpulseSynth.h"
#include "RealCabinetRanges.h"
#include "ResponseFigures.h"
#include "SoundTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <functional>
#include <string>
#include <vector>

using namespace morvane3::irsynth;
using morvane3::irfigures::EarlyFigures;
using morvane3::irfigures::Figures;
using morvane3::irfigures::median;
namespace realRanges = morvane3::irfigures::realRanges;

namespace
{
struct Entry
{
    Figures fig;
    int cabinet, microphone, placement;
    EarlyFigures early{}; // like for like only
    bool guitar() const { return cabinetVoices[cabinet].construction == Construction::closedBack || open(); }
    bool open() const { return cabinetVoices[cabinet].construction == Construction::openBack; }
    bool closed() const { return cabinetVoices[cabinet].construction == Construction::closedBack; }
    bool dynamic() const { return realRanges::isDynamicMicrophone(microphoneVoices[microphone].name); }
    bool close() const { return placement % 3 == 0; }
    bool onAxis() const { return placement < 3; }
    bool likeForLike() const { return guitar() && dynamic() && close() && onAxis(); }
};

std::string summary(const std::vector<double>& v, const char* unit)
{
    if (v.empty())
        return "n/a";
    char s[96];
    std::snprintf(s, sizeof s, "median %+.2f%s, %+.2f..%+.2f (n=%zu)", median(v), unit, *std::min_element(v.begin(), v.end()),
                  *std::max_element(v.begin(), v.end()), v.size());
    return s;
}

template <typename Pick, typename Value>
std::vector<double> collect(const std::vector<Entry>& all, Pick pick, Value value)
{
    std::vector<double> out;
    for (const Entry& e : all)
        if (pick(e))
            out.push_back(value(e));
    return out;
}

int countIf(const std::vector<double>& v, const std::function<bool(double)>& outside)
{
    return static_cast<int>(std::count_if(v.begin(), v.end(), outside));
}

// For each response of a set, the distance to its nearest other one (same microphone for the catalogue).
std::vector<double> nearestOthers(const std::vector<const Figures*>& set, const std::vector<int>& groups)
{
    std::vector<double> out;
    for (size_t a = 0; a < set.size(); ++a)
    {
        double best = 1e9;
        for (size_t b = 0; b < set.size(); ++b)
            if (a != b && groups[a] == groups[b])
                best = std::min(best, morvane3::irfigures::curveDistance(*set[a], *set[b]));
        out.push_back(best);
    }
    return out;
}

// printf into a string, for the labels that print the targets.
template <typename... Values>
std::string text(const char* format, Values... values)
{
    char s[192];
    std::snprintf(s, sizeof s, format, values...);
    return s;
}

void row(const std::string& label, const std::string& ours, const std::string& outside, const std::string& real)
{
    std::printf("%s\n    ours:   %s%s\n", label.c_str(), ours.c_str(), outside.c_str());
    if (!real.empty())
        std::printf("    real:   %s\n", real.c_str());
}

std::string misses(int count, int total, const std::string& what)
{
    char s[128];
    std::snprintf(s, sizeof s, "; %d of %d %s", count, total, what.c_str());
    return s;
}
// The first milliseconds (gated to 16 ms) of the like-for-like responses, and
// the room of the closed backs among them, against real cabinets.
void printEarlyTable(const std::vector<Entry>& all, const std::vector<EarlyFigures>& realEarly, const std::vector<Figures>& real,
                     const std::vector<bool>& realClosed)
{
    std::printf("\nThe first 16 ms, like for like (gated from 0.5 ms before the onset, the last 2 ms faded):\n");
    auto like = [](const Entry& e) { return e.likeForLike(); };
    auto ours = [&](auto value) { return collect(all, like, [value](const Entry& e) { return value(e.early); }); };
    auto theirs = [&](auto value) {
        std::vector<double> v;
        for (const EarlyFigures& f : realEarly)
            v.push_back(value(f));
        return realEarly.empty() ? std::string() : summary(v, "");
    };

    auto roughness = [](const EarlyFigures& f) { return f.roughness; };
    const auto rough = ours(roughness);
    row("1 roughness 1-8 kHz, dB (target: median >= 1.7, at most 5 below 1.4)", summary(rough, ""),
        misses(countIf(rough, [](double v) { return v < 1.4; }), static_cast<int>(rough.size()), "below 1.4"), theirs(roughness));

    auto peaks = [](const EarlyFigures& f) { return static_cast<double>(f.finePeaks); };
    const auto fine = ours(peaks);
    row("2 fine peaks 1-8 kHz, prominence >= 1 dB (target: median >= 7)", summary(fine, ""),
        misses(countIf(fine, [](double v) { return v < 7; }), static_cast<int>(fine.size()), "below 7"), theirs(peaks));

    auto delay = [](const EarlyFigures& f) { return f.peakDelayMs; };
    const auto delays = ours(delay);
    row("3 peak delay, ms (target: median within 0.12..0.30)", summary(delays, ""),
        misses(countIf(delays, [](double v) { return v < 0.12 || v > 0.30; }), static_cast<int>(delays.size()), "outside 0.12..0.30"),
        theirs(delay));

    auto excess = [](const EarlyFigures& f) { return f.minimumPhaseExcessDb; };
    const auto excesses = ours(excess);
    row("4 minimum-phase excess, dB (target: median <= -0.05)", summary(excesses, ""),
        misses(countIf(excesses, [](double v) { return v > -0.05; }), static_cast<int>(excesses.size()), "above -0.05"),
        theirs(excess));

    auto at2 = [](const EarlyFigures& f) { return f.decayAt2Ms; };
    auto at4 = [](const EarlyFigures& f) { return f.decayAt4Ms; };
    const auto decay2 = ours(at2), decay4 = ours(at4);
    row("5 early decay at 2 ms, dB (target: median within -14..-10.5)", summary(decay2, ""),
        misses(countIf(decay2, [](double v) { return v < -14 || v > -10.5; }), static_cast<int>(decay2.size()), "outside"),
        theirs(at2));
    row("  early decay at 4 ms, dB (target: median within -17.5..-13.5)", summary(decay4, ""),
        misses(countIf(decay4, [](double v) { return v < -17.5 || v > -13.5; }), static_cast<int>(decay4.size()), "outside"),
        theirs(at4));

    const double lowMidsMin[4] = {4, 2.5, 1.5, -1.5};
    for (int i = 0; i < 4; ++i)
    {
        auto level = [i](const EarlyFigures& f) { return f.lowMids[i]; };
        const auto levels = ours(level);
        row(text("6 low mids at %g Hz, dB (target: median >= %+g)", morvane3::irfigures::lowMidsHz[i], lowMidsMin[i]), summary(levels, ""),
            misses(countIf(levels, [&](double v) { return v < lowMidsMin[i]; }), static_cast<int>(levels.size()), "below"),
            theirs(level));
    }

    const auto shape = collect(all, like, [](const Entry& e) { return e.fig.shape; });
    std::vector<double> realShape;
    for (const Figures& f : real)
        realShape.push_back(f.shape);
    row("7 shape 1-5 kHz, ungated, dB (target: median <= 11, at most 5 above 15)", summary(shape, ""),
        misses(countIf(shape, [](double v) { return v > 15; }), static_cast<int>(shape.size()), "above 15"),
        real.empty() ? "" : summary(realShape, ""));

    auto closedLike = [](const Entry& e) { return e.likeForLike() && e.closed(); };
    const auto late = collect(all, closedLike, [](const Entry& e) { return e.fig.energyAfter50ms; });
    const auto fall = collect(all, closedLike, [](const Entry& e) { return e.fig.decayTo40Ms; });
    std::vector<double> realLate, realFall;
    for (size_t i = 0; i < real.size(); ++i)
        if (realClosed[i])
        {
            realLate.push_back(real[i].energyAfter50ms);
            realFall.push_back(real[i].decayTo40Ms);
        }
    row("8 closed backs, ungated: energy after 50 ms, dB (target: median within -38..-26)", summary(late, ""),
        misses(countIf(late, [](double v) { return v < -38 || v > -26; }), static_cast<int>(late.size()), "outside"),
        realLate.empty() ? "" : summary(realLate, ""));
    row("  closed backs, ungated: fall of 40 dB, ms (target: median within 60..110)", summary(fall, ""),
        misses(countIf(fall, [](double v) { return v < 60 || v > 110; }), static_cast<int>(fall.size()), "outside"),
        realFall.empty() ? "" : summary(realFall, ""));
}
} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> folders;
    std::string closedReal;
    bool perCabinet = false;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--cabinets") == 0)
            perCabinet = true;
        else if (std::strcmp(argv[i], "--closed") == 0 && i + 1 < argc)
            closedReal = "," + std::string(argv[++i]) + ",";
        else
            folders.emplace_back(argv[i]);
    }
    if (folders.empty() || folders.size() > 2)
    {
        std::fprintf(stderr, "usage: %s <catalogue folder> [<folder of real WAVs>] [--cabinets]\n", argv[0]);
        return 2;
    }

    std::vector<Entry> all;
    for (int i = 0; i < responseCount; ++i)
    {
        std::string file = responseName(i);
        std::replace(file.begin(), file.end(), ' ', '_');
        double rate = 0;
        const std::vector<double> x = morvane3::irfigures::readWav(folders[0] + "/" + file + ".wav", rate);
        if (x.empty())
        {
            std::fprintf(stderr, "cannot read %s in %s\n", file.c_str(), folders[0].c_str());
            return 1;
        }
        all.push_back({morvane3::irfigures::measure(x, rate), i / (microphoneCount * placementCount),
                       (i / placementCount) % microphoneCount, i % placementCount});
        if (all.back().likeForLike())
            all.back().early = morvane3::irfigures::measureEarly(x, rate);
    }

    std::vector<Figures> real;
    std::vector<EarlyFigures> realEarly;
    std::vector<bool> realClosed;
    std::vector<std::string> realNames;
    if (folders.size() == 2)
    {
        if (DIR* dir = opendir(folders[1].c_str()))
        {
            while (const dirent* d = readdir(dir))
            {
                const std::string n = d->d_name;
                if (n.size() > 4 && (n.substr(n.size() - 4) == ".wav" || n.substr(n.size() - 4) == ".WAV"))
                    realNames.push_back(n);
            }
            closedir(dir);
        }
        std::sort(realNames.begin(), realNames.end());
        for (const std::string& n : realNames)
        {
            double rate = 0;
            const std::vector<double> x = morvane3::irfigures::readWav(folders[1] + "/" + n, rate);
            if (x.empty())
                continue;
            real.push_back(morvane3::irfigures::measure(x, rate));
            realEarly.push_back(morvane3::irfigures::measureEarly(x, rate));
            realClosed.push_back(closedReal.find("," + n + ",") != std::string::npos);
        }
    }
    auto realOf = [&real](double Figures::*field, const char* unit) {
        std::vector<double> v;
        // A recording that ends within 50 ms has no late energy to compare.
        for (const Figures& f : real)
            if (f.*field > -1000)
                v.push_back(f.*field);
        return real.empty() ? std::string() : summary(v, unit);
    };

    auto like = [](const Entry& e) { return e.likeForLike(); };
    auto closedLike = [](const Entry& e) { return e.likeForLike() && e.closed(); };
    auto openLike = [](const Entry& e) { return e.likeForLike() && e.open(); };

    std::printf("Catalogue of %zu responses; like for like: guitar cabinets, Close, On Axis, dynamic microphones.\n\n", all.size());

    const auto low = collect(all, closedLike, [](const Entry& e) { return e.fig.lows80to160; });
    const auto humpHz = collect(all, closedLike, [](const Entry& e) { return e.fig.humpHz; });
    const auto humpDb = collect(all, closedLike, [](const Entry& e) { return e.fig.humpDb; });
    row(text("closed backs, like for like: 80-160 Hz level (target: median >= %+g dB)",
             realRanges::closedLows80to160MinDb),
        summary(low, " dB"),
        misses(countIf(low, [](double v) { return v < realRanges::closedLows80to160MinDb; }),
               static_cast<int>(low.size()), text("below %+g dB", realRanges::closedLows80to160MinDb)),
        realOf(&Figures::lows80to160, " dB"));
    row(text("   hump peak (target: between %g and %g Hz)", realRanges::humpPeakLowHz, realRanges::humpPeakHighHz),
        summary(humpDb, " dB") + " at " + summary(humpHz, " Hz"),
        misses(
            countIf(humpHz, [](double v) { return v < realRanges::humpPeakLowHz || v > realRanges::humpPeakHighHz; }),
            static_cast<int>(humpHz.size()),
            text("outside %g-%g Hz", realRanges::humpPeakLowHz, realRanges::humpPeakHighHz)),
        real.empty() ? "" : realOf(&Figures::humpDb, " dB") + " at " + realOf(&Figures::humpHz, " Hz"));

    const auto open = collect(all, openLike, [](const Entry& e) { return e.fig.lows80to160; });
    char gap[128];
    std::snprintf(gap, sizeof gap, "closed median %+.1f dB, open median %+.1f dB: closed %+.1f dB above open", median(low), median(open),
                  median(low) - median(open));
    row(text("open against closed backs, like for like, 80-160 Hz (target: closed >= %g dB above open)",
             realRanges::closedOverOpenDb),
        gap, "", "");

    const auto lows = collect(all, like, [](const Entry& e) { return e.fig.lows40to80; });
    const auto corners = collect(all, like, [](const Entry& e) { return e.fig.lowCornerHz; });
    const double third = std::pow(2.0, 1.0 / 3);
    row(text("like for like: 40-80 Hz level (target: at most 4 more than 3 dB outside %g..%g)",
             realRanges::lows40to80MinDb, realRanges::lows40to80MaxDb),
        summary(lows, " dB"),
        misses(countIf(lows, [](double v)
                       { return v < realRanges::lows40to80MinDb - 3 || v > realRanges::lows40to80MaxDb + 3; }),
               static_cast<int>(lows.size()), "outside by 3 dB"),
        realOf(&Figures::lows40to80, " dB"));
    row(text("   low corner (target: at most 4 more than 1/3 octave outside %g-%g Hz)", realRanges::lowCornerMinHz,
             realRanges::lowCornerMaxHz),
        summary(corners, " Hz"),
        misses(countIf(corners, [third](double v)
                       { return v < realRanges::lowCornerMinHz / third || v > realRanges::lowCornerMaxHz * third; }),
               static_cast<int>(corners.size()), "outside by 1/3 octave"),
        realOf(&Figures::lowCornerHz, " Hz"));

    const auto ripple = collect(all, like, [](const Entry& e) { return e.fig.ripple; });
    row(text("like for like: 1-5 kHz ripple (target: median >= %g dB)", realRanges::rippleMedianMinDb),
        summary(ripple, " dB"),
        misses(countIf(ripple, [](double v) { return v < 4.8; }), static_cast<int>(ripple.size()), "below 4.8 dB"),
        realOf(&Figures::ripple, " dB"));

    const auto shape = collect(all, like, [](const Entry& e) { return e.fig.shape; });
    const auto rise = collect(all, like, [](const Entry& e) { return e.fig.rise; });
    row(text("like for like: 1-5 kHz shape about a line (target: at most 4 below %g dB)", realRanges::shapeMinDb),
        summary(shape, " dB"),
        misses(countIf(shape, [](double v) { return v < realRanges::shapeMinDb; }), static_cast<int>(shape.size()),
               text("below %g dB", realRanges::shapeMinDb)),
        realOf(&Figures::shape, " dB"));
    row("   rise from 1 kHz to 2.5 kHz", summary(rise, " dB"), "", realOf(&Figures::rise, " dB"));

    const auto after = collect(all, [](const Entry& e) { return e.close(); }, [](const Entry& e) { return e.fig.energyAfter50ms; });
    const auto decay = collect(all, [](const Entry& e) { return e.close(); }, [](const Entry& e) { return e.fig.decayTo40Ms; });
    row(text("every Close response: energy after 50 ms (target: at least 95 %% within %g..%g dB)",
             realRanges::energyAfter50msMinDb, realRanges::energyAfter50msMaxDb),
        summary(after, " dB"),
        misses(countIf(after, [](double v)
                       { return v < realRanges::energyAfter50msMinDb || v > realRanges::energyAfter50msMaxDb; }),
               static_cast<int>(after.size()),
               text("outside %g..%g dB", realRanges::energyAfter50msMinDb, realRanges::energyAfter50msMaxDb)),
        realOf(&Figures::energyAfter50ms, " dB"));
    row("   decay to -40 dB", summary(decay, " ms"), "", realOf(&Figures::decayTo40Ms, " ms"));
    for (int d = 0; d < 3; ++d)
    {
        const auto drr = collect(all, [d](const Entry& e) { return e.placement % 3 == d; }, [](const Entry& e) { return e.fig.directToReverberant; });
        row(d == 0 ? "   direct-to-reverberant above 500 Hz, Close" : d == 1 ? "   direct-to-reverberant above 500 Hz, Mid" : "   direct-to-reverberant above 500 Hz, Far",
            summary(drr, " dB"), "", d == 0 ? realOf(&Figures::directToReverberant, " dB") : "");
    }
    int orderMisses = 0;
    for (size_t i = 0; i + 2 < all.size(); i += 3)
        if (!(all[i].fig.energyAfter50ms < all[i + 1].fig.energyAfter50ms && all[i + 1].fig.energyAfter50ms < all[i + 2].fig.energyAfter50ms))
            ++orderMisses;
    std::printf("   energy after 50 ms grows Close < Mid < Far: %d of %zu triples do not\n", orderMisses, all.size() / 3);

    std::vector<double> offAxis;
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].guitar() && !all[i].onAxis())
            offAxis.push_back(all[i].fig.air8to16 - all[i - 3].fig.air8to16);
    row(text("guitar cabinets: Off Axis minus On Axis at 8-16 kHz (target: median within %g..%g dB)",
             realRanges::offAxisAirMinDb, realRanges::offAxisAirMaxDb),
        summary(offAxis, " dB"),
        misses(countIf(offAxis,
                       [](double v) { return v < realRanges::offAxisAirMinDb || v > realRanges::offAxisAirMaxDb; }),
               static_cast<int>(offAxis.size()),
               text("outside %g..%g dB", realRanges::offAxisAirMinDb, realRanges::offAxisAirMaxDb)),
        "");
    const auto air = collect(all, like, [](const Entry& e) { return e.fig.air8to16; });
    const auto top = collect(all, like, [](const Entry& e) { return e.fig.top16to20; });
    row("   like for like: 8-16 kHz level", summary(air, " dB"), "", realOf(&Figures::air8to16, " dB"));
    row("   like for like: 16-20 kHz level", summary(top, " dB"), "", realOf(&Figures::top16to20, " dB"));

    const auto guitarTop = collect(all, [](const Entry& e) { return e.guitar(); }, [](const Entry& e) { return e.fig.top16to20; });
    const auto guitarAir = collect(all, [](const Entry& e) { return e.guitar(); }, [](const Entry& e) { return e.fig.air8to16; });
    auto loudest = [&all](double Figures::*field) {
        const Entry* best = nullptr;
        for (const Entry& e : all)
            if (e.guitar() && (best == nullptr || e.fig.*field > best->fig.*field))
                best = &e;
        return "; highest: " + responseName((best->cabinet * microphoneCount + best->microphone) * placementCount + best->placement);
    };
    row("   every guitar response: 16-20 kHz level", summary(guitarTop, " dB"), loudest(&Figures::top16to20), "");
    row("   every guitar response: 8-16 kHz level", summary(guitarAir, " dB"), loudest(&Figures::air8to16), "");

    std::vector<const Figures*> likeSet;
    std::vector<int> groups;
    for (const Entry& e : all)
        if (e.likeForLike())
        {
            likeSet.push_back(&e.fig);
            groups.push_back(e.microphone);
        }
    const auto nearest = nearestOthers(likeSet, groups);
    std::vector<const Figures*> realSet;
    for (const Figures& f : real)
        realSet.push_back(&f);
    const auto realNearest = nearestOthers(realSet, std::vector<int>(real.size(), 0));
    row(text("like for like: nearest other cabinet under the same microphone (target: min >= %g dB, median >= %g dB)",
             realRanges::nearestOtherMinDb, realRanges::nearestOtherMedianMinDb),
        summary(nearest, " dB"),
        misses(countIf(nearest, [](double v) { return v < realRanges::nearestOtherMinDb; }),
               static_cast<int>(nearest.size()), text("below %g dB", realRanges::nearestOtherMinDb)),
        real.empty() ? "" : summary(realNearest, " dB"));

    // Bass cabinets: plausible beside the guitar cabinets at the same placement.
    const auto bassLows = collect(all, [](const Entry& e) { return !e.guitar() && e.close() && e.onAxis(); },
                                  [](const Entry& e) { return e.fig.lows40to80; });
    const auto guitarLows = collect(all, [](const Entry& e) { return e.guitar() && e.close() && e.onAxis(); },
                                    [](const Entry& e) { return e.fig.lows40to80; });
    row("bass cabinets, Close On Axis: 40-80 Hz level", summary(bassLows, " dB"), "; guitar " + summary(guitarLows, " dB"), "");
    const auto bassCorner = collect(all, [](const Entry& e) { return !e.guitar() && !e.onAxis(); }, [](const Entry& e) { return e.fig.highCornerHz; });
    row("bass cabinets, Off Axis: high corner (-10 dB re mids; not below 3 kHz)", summary(bassCorner, " Hz"),
        misses(countIf(bassCorner, [](double v) { return v < 3000; }), static_cast<int>(bassCorner.size()), "below 3 kHz"), "");

    printEarlyTable(all, realEarly, real, realClosed);

    if (perCabinet)
    {
        std::printf("\nper cabinet, like for like medians:\n%-10s %6s %6s %6s %6s %6s %6s %6s %6s %6s %6s %6s\n", "cabinet", "40-80", "80-160",
                    "hump", "humpHz", "corner", "ripple", "shape", "rise", "8-16k", "16-20k", "after50");
        for (int c = 0; c < cabinetCount; ++c)
        {
            auto pick = [c](const Entry& e) { return e.cabinet == c && e.dynamic() && e.close() && e.onAxis(); };
            auto m = [&](double Figures::*field) { return median(collect(all, pick, [field](const Entry& e) { return e.fig.*field; })); };
            std::printf("%-10s %6.1f %6.1f %6.1f %6.0f %6.0f %6.1f %6.1f %6.1f %6.1f %6.1f %6.1f\n", cabinetVoices[c].name,
                        m(&Figures::lows40to80), m(&Figures::lows80to160), m(&Figures::humpDb), m(&Figures::humpHz),
                        m(&Figures::lowCornerHz), m(&Figures::ripple), m(&Figures::shape), m(&Figures::rise), m(&Figures::air8to16),
                        m(&Figures::top16to20), m(&Figures::energyAfter50ms));
        }
        for (size_t i = 0; i < real.size(); ++i)
        {
            const Figures& f = real[i];
            std::printf("%-10s %6.1f %6.1f %6.1f %6.0f %6.0f %6.1f %6.1f %6.1f %6.1f %6.1f %6.1f\n", realNames[i].c_str(), f.lows40to80,
                        f.lows80to160, f.humpDb, f.humpHz, f.lowCornerHz, f.ripple, f.shape, f.rise, f.air8to16, f.top16to20,
                        f.energyAfter50ms);
        }
    }
    return 0;
}
