#include "ImpulseSynth.h"

#include "ConeArrival.h"
#include "SoundTable.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace morvane3::irsynth
{
namespace
{
constexpr double pi = 3.14159265358979323846;
constexpr double speedOfSound = 343.0;
constexpr int bigSize = 1 << 17;  // fine grid for the cepstral minimum phase
constexpr int workSize = 1 << 15; // 0.74 s: holds the response, its paths and its tail
constexpr int fadeLength = 882;   // 20 ms
constexpr double rearCancellation = 1.1; // the dipole's path against the rear path: the box's sides and the floor lengthen it
constexpr double baffleStepDb = 5.0; // full space against half space, less what the floor gives back

// splitmix64: small, fast and the same everywhere.
class Rng
{
public:
    explicit Rng(const std::string& key)
    {
        std::uint64_t h = 1469598103934665603ull; // FNV-1a
        for (unsigned char c : key)
            h = (h ^ c) * 1099511628211ull;
        state = h;
    }
    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double symmetric() { return 2.0 * uniform() - 1.0; }
    double gaussian()
    {
        const double u1 = std::max(uniform(), 1e-300);
        const double u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * pi * u2);
    }

private:
    std::uint64_t state;
};

double db(double power) { return 10.0 * std::log10(std::max(power, 1e-30)); }

// |H|^2 of analogue prototypes; x = f / corner.
double highPass2(double x, double q)
{
    const double x2 = x * x;
    return x2 * x2 / ((1 - x2) * (1 - x2) + x2 / (q * q));
}
double lowPass2(double x, double q)
{
    const double x2 = x * x;
    return 1.0 / ((1 - x2) * (1 - x2) + x2 / (q * q));
}
double butterLowPass(double x, int order) { return 1.0 / (1.0 + std::pow(x, 2.0 * order)); }
double butterHighPass(double x, int order)
{
    const double p = std::pow(x, 2.0 * order);
    return p / (1.0 + p);
}
// Peaking equaliser (the analogue prototype of the cookbook biquad), in dB.
double peakDb(double f, const Peak& p)
{
    if (p.hz <= 0 || p.db == 0)
        return 0;
    const double a = std::exp(p.db * (std::log(10.0) / 40.0));
    const double x = f / p.hz;
    const double d = (1 - x * x) * (1 - x * x);
    return db((d + (x * a / p.q) * (x * a / p.q)) / (d + (x / (a * p.q)) * (x / (a * p.q))));
}

// Radiation of a rigid piston, (2 J1(x)/x)^2, averaged over a spread of radii
// because a real cone radiates from a shrinking area as frequency rises and has
// no sharp nulls. Tabulated once; x = k a sin(theta).
class DirectivityTables
{
public:
    static const DirectivityTables& get()
    {
        static const DirectivityTables tables;
        return tables;
    }
    double pistonPower(double x) const { return lookup(piston, x); }
    double capsule(double x) const { return lookup(capsuleGain, x); }

private:
    static constexpr double step = 0.01;
    static constexpr int count = 8001;
    std::vector<double> piston, capsuleGain;

    static double jinc(double x) { return x < 1e-9 ? 1.0 : 2.0 * std::cyl_bessel_j(1.0, x) / x; }

    DirectivityTables() : piston(count), capsuleGain(count)
    {
        const double scales[] = {0.7, 0.8, 0.9, 1.0, 1.1, 1.2, 1.3};
        for (int i = 0; i < count; ++i)
        {
            const double x = i * step;
            double p = 0;
            for (double s : scales)
                p += jinc(s * x) * jinc(s * x);
            piston[static_cast<size_t>(i)] = std::max(p / 7.0, std::pow(10.0, -1.8));
            double c = 0;
            for (double s : {0.9, 1.0, 1.1})
                c += std::fabs(jinc(s * x));
            capsuleGain[static_cast<size_t>(i)] = std::max(c / 3.0, 0.05);
        }
    }
    static double lookup(const std::vector<double>& t, double x)
    {
        const double pos = std::fabs(x) / step;
        if (pos >= count - 1)
            return t.back();
        const int i = static_cast<int>(pos);
        const double frac = pos - i;
        return t[static_cast<size_t>(i)] * (1 - frac) + t[static_cast<size_t>(i) + 1] * frac;
    }
};

struct Vec
{
    double x, y, z;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(Vec a) { return std::sqrt(dot(a, a)); }
double angleBetween(Vec a, Vec b) { return std::acos(std::clamp(dot(a, b) / (length(a) * length(b)), -1.0, 1.0)); }

// Every frequency-dependent choice of one response, after the random spread.
struct Voice
{
    const CabinetVoice* cab;
    const MicrophoneVoice* mic;
    const PlacementVoice* place;
    double lowHz, lowQ, trebleHz, fizzDb;
    std::vector<Peak> cabinetPeaks; // voicing, breakup fingerprint and box modes
    std::vector<Peak> micPeaks;
    std::array<double, 15> ripple; // dB at 1/3-octave points from 1 kHz
    std::array<double, 20> fizzRipple; // dB at 1/3-octave points from 6 kHz
    double distance, sourceAngle, micAngle, sourceRadius;
    double tailShelfDb, drrTarget, rtScale, mixingTime;
    double rearGain, rearPath;
    ConeArrivalShape arrival;
};

double interpolateLogGrid(const double* values, int count, double f, double firstHz, double pointsPerOctave)
{
    const double pos = std::log2(f / firstHz) * pointsPerOctave;
    if (pos <= 0 || pos >= count - 1)
        return 0;
    const int i = static_cast<int>(pos);
    const double t = 0.5 - 0.5 * std::cos(pi * (pos - i));
    return values[i] * (1 - t) + values[i + 1] * t;
}

Voice makeVoice(int index)
{
    const int cabinet = index / (microphoneCount * placementCount);
    const int microphone = (index / placementCount) % microphoneCount;
    const int placement = index % placementCount;
    Voice v;
    v.cab = &cabinetVoices[cabinet];
    v.mic = &microphoneVoices[microphone];
    v.place = &placementVoices[placement];

    // The speaker itself: the same spread for all 48 responses of a cabinet.
    Rng cabRng(std::string(catalogueVersion) + "|cabinet|" + v.cab->name);
    Rng rng(std::string(catalogueVersion) + "|" + responseName(index));

    v.lowHz = v.cab->lowHz * (1 + 0.05 * cabRng.symmetric());
    v.lowQ = v.cab->lowQ * (1 + 0.05 * cabRng.symmetric());
    v.trebleHz = v.cab->trebleHz * (1 + 0.06 * cabRng.symmetric()) * (1 + 0.01 * rng.symmetric());
    v.fizzDb = v.cab->fizzDb + cabRng.symmetric();

    auto jitter = [&rng](Peak p) {
        p.hz *= 1 + 0.025 * rng.symmetric();
        p.db += 0.6 * rng.symmetric();
        p.q *= 1 + 0.1 * rng.symmetric();
        return p;
    };
    for (const Peak& p : v.cab->voicing)
        if (p.hz > 0)
        {
            Peak c = p;
            c.hz *= 1 + 0.05 * cabRng.symmetric();
            v.cabinetPeaks.push_back(jitter(c));
        }
    // Cone breakup: narrow peaks and dips through the upper mids, each
    // cabinet with its own pattern; bass cones break up more gently.
    const bool bassCone = v.cab->construction == Construction::sealedBass || v.cab->construction == Construction::portedBass;
    const double breakupScale = bassCone ? cone.bassBreakupScale : 1.0;
    const int breakups = cone.breakupMin + static_cast<int>(cabRng.uniform() * (cone.breakupMax - cone.breakupMin + 1));
    for (int i = 0; i < breakups; ++i)
    {
        Peak p;
        p.hz = cone.breakupLowHz * std::pow(cone.breakupHighHz / cone.breakupLowHz, (i + cabRng.uniform()) / breakups);
        p.db = (i % 2 == 0 ? 1 : -1) * breakupScale * (cone.breakupMinDb + (cone.breakupMaxDb - cone.breakupMinDb) * cabRng.uniform());
        p.q = cone.breakupMinQ + (cone.breakupMaxQ - cone.breakupMinQ) * cabRng.uniform();
        v.cabinetPeaks.push_back(jitter(p));
    }
    if (!bassCone)
        v.cabinetPeaks.push_back(jitter(cone.upperMidRise));
    if (v.cab->construction == Construction::closedBack)
        v.cabinetPeaks.push_back(jitter(cone.closedBody));
    else if (v.cab->construction == Construction::openBack)
        v.cabinetPeaks.push_back(jitter({cone.closedBody.hz, cone.closedBody.db * cone.openBodyShare, cone.closedBody.q}));
    // The box's panels and the cone's lower modes colour the body of the sound.
    Rng bodyRng(std::string(catalogueVersion) + "|body|" + v.cab->name);
    const double firstBodySign = bodyRng.uniform() < 0.5 ? 1.0 : -1.0;
    for (int i = 0; i < (bassCone ? 0 : cone.bodyFeatures); ++i)
    {
        Peak p;
        p.hz = cone.bodyLowHz * std::pow(cone.bodyHighHz / cone.bodyLowHz, (i + bodyRng.uniform()) / cone.bodyFeatures);
        // Alternating, so that they shape the body without moving its overall level.
        p.db = (i % 2 == 0 ? firstBodySign : -firstBodySign) * (0.5 + 0.5 * bodyRng.uniform()) * cone.bodyDb;
        p.q = 1.2 + 1.3 * bodyRng.uniform();
        v.cabinetPeaks.push_back(jitter(p));
    }
    // Standing waves across and through a closed box: peak/dip pairs.
    if (v.cab->construction != Construction::openBack)
    {
        const double dims[] = {v.cab->width, v.cab->height, v.cab->depth};
        // Bass cabinets are lined with absorbent, which damps their standing
        // waves; guitar boxes are usually bare wood inside.
        const bool bass = v.cab->construction == Construction::sealedBass || v.cab->construction == Construction::portedBass;
        const double lining = bass ? 0.5 : 1.0;
        const int modes = 2 + static_cast<int>(cabRng.uniform() * 3);
        for (int i = 0; i < modes; ++i)
        {
            const double f = speedOfSound / (2 * dims[i % 3]) * (i >= 3 ? 2 : 1);
            const double level = (cone.boxModeMinDb + (cone.boxModeMaxDb - cone.boxModeMinDb) * cabRng.uniform()) * lining;
            const double q = cone.boxModeMinQ + (cone.boxModeMaxQ - cone.boxModeMinQ) * cabRng.uniform();
            v.cabinetPeaks.push_back(jitter({f, level, q}));
            v.cabinetPeaks.push_back(jitter({f * 1.07, -level, q}));
        }
    }
    for (const Peak& p : v.mic->presence)
        if (p.hz > 0)
            v.micPeaks.push_back(jitter(p));
    // The cone's small modes, each cabinet its own set. They draw from
    // streams of their own, so that retuning them leaves every other choice.
    Rng modeRng(std::string(catalogueVersion) + "|modes|" + v.cab->name);
    Rng modeJitter(std::string(catalogueVersion) + "|modes|" + responseName(index));
    const int coneModes = cone.modesMin + static_cast<int>(modeRng.uniform() * (cone.modesMax - cone.modesMin + 1));
    for (int i = 0; i < coneModes; ++i)
    {
        Peak p;
        const double u = std::pow((i + 0.5 + 0.35 * modeRng.symmetric()) / coneModes, cone.modesSkew);
        p.hz = cone.modesLowHz * std::pow(cone.modesHighHz / cone.modesLowHz, u) * (1 + 0.025 * modeJitter.symmetric());
        p.db = (i % 2 == 0 ? 1 : -1) * breakupScale * (cone.modesMinDb + (cone.modesMaxDb - cone.modesMinDb) * modeRng.uniform())
                   * std::pow(p.hz / cone.modesLowHz, cone.modesTilt)
               + 0.6 * modeJitter.symmetric();
        p.q = (cone.modesMinQ + (cone.modesMaxQ - cone.modesMinQ) * modeRng.uniform()) * std::pow(p.hz / cone.modesLowHz, cone.modesQTilt)
              * (1 + 0.1 * modeJitter.symmetric());
        v.cabinetPeaks.push_back(p);
    }

    for (double& r : v.ripple)
        r = 0.5 * rng.gaussian();
    for (double& r : v.fizzRipple)
        r = 5.0 * rng.symmetric();

    v.distance = v.place->metres * (1 + 0.08 * rng.symmetric());
    v.sourceAngle = v.place->sourceAngle > 0 ? v.place->sourceAngle + 3 * rng.symmetric() : 0;
    v.micAngle = v.place->microphoneAngle > 0 ? v.place->microphoneAngle + 3 * rng.symmetric() : 0;
    v.sourceRadius = v.cab->radiatingFraction * v.cab->coneRadius;
    v.tailShelfDb = 2.0 + 1.0 * rng.symmetric();
    // Directional microphones hear less of the diffuse field.
    v.drrTarget = v.place->directToReverb + 1.5 * rng.symmetric() + (v.mic->gradient - 0.5) * 4.0;
    v.rtScale = 1 + 0.1 * rng.symmetric();
    v.mixingTime = room.mixingTime * (1 + 0.1 * rng.symmetric());
    v.rearGain = v.place->rearWaveGain * (1 + 0.15 * rng.symmetric());
    v.rearPath = v.cab->rearPath * (1 + 0.05 * rng.symmetric());
    v.arrival = {v.cab->coneRadius, cone.depthPerRadius * v.cab->coneRadius, v.distance, cone.bendingSpeed * (1 + 0.15 * cabRng.symmetric()),
                 cone.centreShare * (1 + 0.2 * rng.symmetric()), cone.coneCornerHz * (1 + 0.1 * cabRng.symmetric()), cone.rimEchoGain * (1 + 0.3 * cabRng.symmetric()) * breakupScale,
                 cone.micBodyGain * (1 + 0.3 * rng.symmetric()), 0, 0, 0};
    if (v.cab->construction == Construction::closedBack)
    {
        // From the top-left driver's back: to the back panel, and to the
        // nearer of the top and side panels (walls 2 cm thick).
        const double inside = v.cab->depth - 0.04 - cone.depthPerRadius * v.cab->coneRadius;
        const double side = std::min(v.cab->width - (v.cab->columns - 1) * v.cab->spacing, v.cab->height - (v.cab->rows - 1) * v.cab->spacing) / 2 - 0.02;
        v.arrival.boxBackPath = 2 * inside * (1 + 0.05 * cabRng.symmetric());
        v.arrival.boxSidePath = 2 * std::hypot(side, inside / 2) * (1 + 0.05 * cabRng.symmetric());
        v.arrival.boxEchoGain = cone.boxEchoGain * (1 + 0.2 * cabRng.symmetric());
    }
    return v;
}

// Level of the cabinet and microphone alone, as the far field would hear it (dB).
double commonDb(const Voice& v, double f)
{
    const CabinetVoice& c = *v.cab;
    double power = 1;
    switch (c.construction)
    {
        case Construction::portedBass: power *= butterHighPass(f / v.lowHz, 4); break;
        case Construction::closedBack:
            power *= highPass2(f / v.lowHz, v.lowQ) * highPass2(f / cone.sealedFallHz, cone.sealedFallQ);
            break;
        case Construction::openBack:
            // The rear wave, a path `rearPath` longer and inverted, cancels the
            // front as a dipole does: 6 dB per octave below c / (2 pi d).
            power *= highPass2(f / v.lowHz, v.lowQ) * butterHighPass(f * 2 * pi * rearCancellation * v.rearPath / speedOfSound, 1);
            break;
        default: power *= highPass2(f / v.lowHz, v.lowQ); break;
    }
    // Treble: the cone's roll-off plus a band of fizz above it.
    const double treble = butterLowPass(f / v.trebleHz, c.trebleOrder);
    const double fizz = std::pow(10.0, (v.fizzDb + interpolateLogGrid(v.fizzRipple.data(), 20, f, 6000, 3)) / 10.0)
                        * highPass2(f / 7000, 0.7) * butterLowPass(f / 12000, 4);
    power *= treble + fizz;
    double level = db(power);
    for (const Peak& p : v.cabinetPeaks)
        level += peakDb(f, p);
    level += interpolateLogGrid(v.ripple.data(), 15, f, 1000, 3);

    const MicrophoneVoice& m = *v.mic;
    double micPower = lowPass2(f / m.topHz, m.topQ);
    if (m.lowCutHz > 0)
        micPower *= highPass2(f / m.lowCutHz, m.lowCutQ);
    level += db(micPower);
    for (const Peak& p : v.micPeaks)
        level += peakDb(f, p);
    return level;
}

// Gradient microphones rise in the bass near a source; r_eff keeps a cone
// from looking like a point source close up.
double proximityPower(const Voice& v, double f, double r)
{
    const double a = std::max(v.cab->coneRadius, v.cab->nearFieldRadius);
    const double reff = std::sqrt(r * r + a * a);
    const double t = v.mic->gradient * speedOfSound / (2 * pi * f * reff);
    return 1 + t * t;
}

// The rise flattens out near +12 dB: the microphone's own low-frequency
// roll-off and the finite cone keep the gradient from growing without bound.
double proximityDb(const Voice& v, double f)
{
    return 12.0 * std::tanh(db(proximityPower(v, f, v.distance)) / 12.0);
}

// How much of the baffle step a listener at distance r hears: none in the
// cone's near field, all of it once the box looks small.
double farnessOf(const Voice& v, double r)
{
    return r * r / (r * r + 0.25 * v.cab->width * v.cab->width);
}

// Amplitude of the cone's radiation at angle `theta` (radians) off its axis.
double sourceGain(const Voice& v, double f, double theta)
{
    const auto& tables = DirectivityTables::get();
    const double k = 2 * pi * f / speedOfSound;
    if (theta <= pi / 2)
    {
        // At the top the breaking-up cone radiates from its centre alone, a
        // small source: off axis the treble falls no further than a floor.
        const double floor = std::pow(10.0, cone.offAxisFloorDb / 10) * butterHighPass(f / cone.offAxisFloorHz, 4);
        return std::sqrt(floor + (1 - floor) * tables.pistonPower(k * v.sourceRadius * std::sin(theta)));
    }
    // Behind the baffle only the lows diffract round the box.
    return std::sqrt(tables.pistonPower(k * v.sourceRadius)) / std::sqrt(1 + (f / 300) * (f / 300));
}

// Signed amplitude of the microphone for sound arriving `theta` off its axis.
double microphoneGain(const Voice& v, double f, double theta)
{
    const double b = v.mic->gradient;
    const double k = 2 * pi * f / speedOfSound;
    return ((1 - b) + b * std::cos(theta)) * DirectivityTables::get().capsule(k * v.mic->diaphragmRadius * std::sin(theta));
}

// 1/z without the library's care for infinities, which costs a call per bin.
std::complex<double> reciprocal(std::complex<double> z)
{
    const double d = z.real() * z.real() + z.imag() * z.imag();
    return {z.real() / d, -z.imag() / d};
}

struct Path
{
    double distance; // metres travelled
    double level;    // broadband gain relative to the direct sound
    double emission; // angle off the cone's axis (radians)
    double arrival;  // angle off the microphone's axis (radians)
    double surfaceLowPassHz; // 0 = none
    bool rearWave;
    bool trapped = false; // walls and ceiling: the bass traps take the lows off
};

// Biquad high-pass (cookbook formula), used to weigh direct against reverberant energy.
std::vector<double> highPass500(const std::vector<double>& x)
{
    const double w = 2 * pi * 500.0 / sampleRate, alpha = std::sin(w) / (2 * std::sqrt(0.5));
    const double cw = std::cos(w), a0 = 1 + alpha;
    const double b0 = (1 + cw) / 2 / a0, b1 = -(1 + cw) / a0, b2 = b0, a1 = -2 * cw / a0, a2 = (1 - alpha) / a0;
    std::vector<double> y(x.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t i = 0; i < x.size(); ++i)
    {
        y[i] = b0 * x[i] + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x[i];
        y2 = y1;
        y1 = y[i];
    }
    return y;
}

// Minimum-phase spectrum on the working grid for levels (dB) given on it:
// interpolated onto the fine grid, the real cepstrum folded onto positive
// times, back to a spectrum, and every fourth bin kept (the response wrapped
// to the working length, which it fits).
void minimumPhase(RealFft& big, const std::vector<double>& levelDb, std::vector<std::complex<double>>& out)
{
    const int bins = static_cast<int>(levelDb.size());
    const int ratio = (big.size() / 2) / (bins - 1);
    for (int k = 0; k < big.bins(); ++k)
    {
        const int i = std::min(k / ratio, bins - 2);
        const double t = static_cast<double>(k - ratio * i) / ratio;
        const double level = std::max(levelDb[static_cast<size_t>(i)] * (1 - t) + levelDb[static_cast<size_t>(i) + 1] * t, -100.0);
        big.spectrum[k] = {level * (std::log(10.0) / 20.0), 0.0};
    }
    big.inverse(); // real cepstrum
    const int n = big.size();
    for (int i = 1; i < n / 2; ++i)
    {
        big.time[i] *= 2;
        big.time[n - i] = 0;
    }
    big.forward();
    for (int k = 0; k < bins; ++k)
        out[static_cast<size_t>(k)] = std::exp(big.spectrum[ratio * k]);
}
} // namespace

std::string responseName(int index)
{
    const int cabinet = index / (microphoneCount * placementCount);
    const int microphone = (index / placementCount) % microphoneCount;
    const PlacementVoice& p = placementVoices[index % placementCount];
    return std::string(cabinetVoices[cabinet].name) + " " + microphoneVoices[microphone].name + " " + p.position + " "
           + p.distance;
}

struct Synthesiser::Work
{
    RealFft big{bigSize};
    RealFft mid{workSize};
    std::vector<std::complex<double>> direct = std::vector<std::complex<double>>(workSize / 2 + 1);
    std::vector<std::complex<double>> shared = std::vector<std::complex<double>>(workSize / 2 + 1);
    std::vector<double> common = std::vector<double>(workSize / 2 + 1);
};

Synthesiser::Synthesiser() : work(std::make_unique<Work>())
{
    DirectivityTables::get();
}

Synthesiser::~Synthesiser() = default;

Response Synthesiser::synthesise(int index)
{
    Work& w = *work;
    const Voice v = makeVoice(index);
    Rng noiseRng(std::string(catalogueVersion) + "|tail|" + responseName(index));
    const double thetaS = v.sourceAngle * pi / 180, thetaM = v.micAngle * pi / 180;

    // 1. Direct sound: the level on the working grid (fine enough for the
    //    narrowest box mode), made minimum phase on the fine grid, then spread
    //    in time as the cone's rings reach the microphone. The other
    //    paths share the cabinet and microphone but not the proximity effect
    //    or the placement, so they get a minimum-phase spectrum of their own.
    const int bins = workSize / 2 + 1;
    const double binHz = static_cast<double>(sampleRate) / workSize;
    std::vector<double> directLevel(static_cast<size_t>(bins));
    // The cone's rings arrive spread in time. The voicing describes what the
    // microphone hears, so the minimum-phase part makes up the spread's
    // magnitude (all but its deepest dips, which would ring) and the spread
    // brings its timing. The short reflections are texture and stay as they are.
    const ConeArrival arrival(v.arrival);
    std::vector<std::complex<double>> late(static_cast<size_t>(bins));
    std::vector<double> spreadDb(static_cast<size_t>(bins));
    for (int k = 0; k < bins; ++k)
    {
        const double f = std::max(k, 1) * binHz;
        const std::complex<double> spread = arrival.spread(f);
        late[static_cast<size_t>(k)] = spread * arrival.echoes(f);
        spreadDb[static_cast<size_t>(k)] = std::max(db(std::norm(spread)), -cone.spreadMakeUpDb);
    }
    for (int k = 0; k < bins; ++k)
    {
        const double f = std::max(k, 1) * binHz;
        const double common = commonDb(v, f);
        const double pos = sourceGain(v, f, thetaS) * microphoneGain(v, f, thetaM);
        w.common[static_cast<size_t>(k)] = common;
        // Off the cap the microphone faces the slower outer cone: a little less of everything below 1 kHz.
        const double coneEdge = -v.place->coneEdgeDb * (1 - butterHighPass(f / 800, 1));
        // Baffle step: from a distance the lows spread round the box while the
        // treble stays in front of the baffle; close up the cone's near field hides it.
        const double stepHz = 115.0 / v.cab->width;
        const double baffleStep = -baffleStepDb * farnessOf(v, v.distance) * (1 - butterHighPass(f / stepHz, 1));
        directLevel[static_cast<size_t>(k)] = common + proximityDb(v, f) + db(pos * pos) + coneEdge + baffleStep - spreadDb[static_cast<size_t>(k)];
    }
    minimumPhase(w.big, directLevel, w.direct);
    for (int k = 0; k < bins; ++k)
        w.direct[static_cast<size_t>(k)] *= late[static_cast<size_t>(k)];
    minimumPhase(w.big, w.common, w.shared);

    // 2. Geometry: the cabinet in the room, the microphone in front of one driver.
    const CabinetVoice& c = *v.cab;
    const Vec baffle{room.cabinetX, room.backGap + c.depth, c.standHeight + c.height / 2};
    std::vector<Vec> drivers;
    drivers.reserve(static_cast<size_t>(c.rows * c.columns));
    for (int row = c.rows - 1; row >= 0; --row)
        for (int col = 0; col < c.columns; ++col)
            drivers.push_back(baffle + Vec{(col - (c.columns - 1) / 2.0) * c.spacing, 0, (row - (c.rows - 1) / 2.0) * c.spacing});
    const Vec s0 = drivers[0]; // the upper-left driver
    const double side = s0.x <= baffle.x ? -1.0 : 1.0; // off axis away from the other drivers
    const Vec micPos = s0 + Vec{side * v.distance * std::sin(thetaS), v.distance * std::cos(thetaS), 0};
    const Vec toSource = s0 - micPos;
    const Vec micAxis = Vec{toSource.x * std::cos(thetaM) - toSource.y * std::sin(thetaM) * side,
                            toSource.y * std::cos(thetaM) + toSource.x * std::sin(thetaM) * side, toSource.z};
    const Vec forward{0, 1, 0};
    // Close up a cone is no point source: its neighbours are weighed against
    // the level of the near field, not against 1/r at a few centimetres.
    const double nearLimit = std::max(v.distance, 0.08);
    const double neighbourLevel = 0.25; // tuned: grille, cloth and baffle edges shade the other cones

    std::vector<Path> paths;
    for (size_t i = 1; i < drivers.size(); ++i)
    {
        const Vec d = micPos - drivers[i];
        paths.push_back({length(d), neighbourLevel * nearLimit / length(d), angleBetween(d, forward), angleBetween(drivers[i] - micPos, micAxis), 0, false});
    }
    // First-order images of every driver in the six boundaries.
    struct Plane
    {
        int axis;
        double at, reflection, lowPassHz;
    };
    const Plane planes[] = {{2, 0.0, room.floorReflection, 9000},       {2, room.height, room.ceilingReflection, room.wallTrebleLossHz},
                            {0, 0.0, room.wallReflection, room.wallTrebleLossHz}, {0, room.width, room.wallReflection, room.wallTrebleLossHz},
                            {1, 0.0, room.wallReflection, room.wallTrebleLossHz}, {1, room.depth, room.wallReflection, room.wallTrebleLossHz}};
    auto component = [](Vec& p, int axis) -> double& { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; };
    for (const Plane& plane : planes)
        for (size_t i = 0; i < drivers.size(); ++i)
        {
            Vec image = drivers[i];
            component(image, plane.axis) = 2 * plane.at - component(image, plane.axis);
            Vec leaving = micPos - image;
            component(leaving, plane.axis) = -component(leaving, plane.axis);
            const double r = length(micPos - image);
            paths.push_back({r, (i == 0 ? 1.0 : neighbourLevel) * v.place->roomShade * v.distance / r * plane.reflection, angleBetween(leaving, forward),
                             angleBetween(image - micPos, micAxis), plane.lowPassHz, false, plane.axis != 2 || plane.at > 0});
        }
    if (c.construction == Construction::openBack)
    {
        // The back of the cone radiates inverted through the open back and
        // round the box; the wall behind the combo throws it back once more.
        const double r = v.distance + v.rearPath;
        paths.push_back({r, -v.rearGain, 0, thetaM, 1200, true});
        const double bounce = r + 2 * room.backGap;
        paths.push_back({bounce, -v.rearGain * r / bounce * room.wallReflection, 0, thetaM, 1000, true});
    }

    // 3. Sum of all paths in the frequency domain. Every filter on a path is
    //    causal (analogue prototypes) except the smooth directivity, so no path
    //    smears energy ahead of the direct sound.
    std::vector<std::complex<double>> sum(static_cast<size_t>(bins));
    const auto& tables = DirectivityTables::get();
    const double b = v.mic->gradient;
    for (const Path& p : paths)
    {
        const double tau = p.distance / speedOfSound;
        const std::complex<double> step = std::polar(1.0, -2 * pi * binHz * tau);
        std::complex<double> phasor = 1;
        const double micPattern = (1 - b) + b * std::cos(p.arrival);
        const double micX = 2 * pi / speedOfSound * v.mic->diaphragmRadius * std::sin(p.arrival);
        const bool behind = p.emission > pi / 2;
        const double srcX = 2 * pi / speedOfSound * v.sourceRadius * (behind ? 1.0 : std::sin(p.emission));
        const double reff = std::sqrt(p.distance * p.distance + v.cab->coneRadius * v.cab->coneRadius);
        const double proxHz = b * speedOfSound / (2 * pi * reff);
        // Sound leaving almost along the baffle grazes the grille cloth and the
        // frame: only the lows get round.
        const double grazingHz = p.emission > pi / 3 && !behind ? 2000 * std::cos(p.emission) : 0;
        // The same baffle step as the direct sound, for this path's length.
        const double stepHz = 115.0 / v.cab->width;
        const double stepGain = std::pow(10.0, -baffleStepDb * farnessOf(v, p.distance) / 20);
        for (int k = 0; k < bins; ++k, phasor *= step)
        {
            const double f = std::max(k, 1) * binHz;
            std::complex<double> gain = p.level * micPattern * tables.capsule(micX * f);
            if (p.rearWave)
            {
                const double x = f / p.surfaceLowPassHz;
                gain *= reciprocal({1 - x * x, x / 0.6});
            }
            else
            {
                gain *= std::sqrt(tables.pistonPower(srcX * f)) * std::complex<double>(1.0, -proxHz / f);
                if (behind)
                    gain *= reciprocal({1.0, f / 300});
                else if (grazingHz > 0)
                    gain *= reciprocal({1.0, f / grazingHz});
                if (p.surfaceLowPassHz > 0)
                    gain *= 0.3 + 0.7 * reciprocal({1.0, f / p.surfaceLowPassHz});
                gain *= std::complex<double>(stepGain * stepHz, f) * reciprocal({stepHz, f});
                if (p.trapped)
                    gain *= std::sqrt(0.1 + 0.9 * butterHighPass(f / room.bassTrapHz, 1));
            }
            sum[static_cast<size_t>(k)] += gain * phasor;
        }
    }
    for (int k = 0; k < bins; ++k)
    {
        const double tau = v.distance / speedOfSound;
        w.mid.spectrum[k] = w.direct[static_cast<size_t>(k)] * std::polar(1.0, -2 * pi * k * binHz * tau)
                            + w.shared[static_cast<size_t>(k)] * sum[static_cast<size_t>(k)];
    }
    w.mid.inverse();
    std::vector<double> early(w.mid.time, w.mid.time + responseLength);

    // 4. Room tail: noise coloured by the cabinet's power response, split into
    //    octave bands that each decay at their own rate. The cone beams, so the
    //    room hears its output averaged over the front half-space.
    std::vector<double> powerResponse(static_cast<size_t>(bins));
    for (int k = 0; k < bins; ++k)
    {
        const double ka = 2 * pi * std::max(k, 1) * binHz / speedOfSound * v.sourceRadius;
        double average = 0;
        for (int i = 0; i < 16; ++i)
        {
            const double theta = (i + 0.5) * (pi / 2) / 16;
            average += tables.pistonPower(ka * std::sin(theta)) * std::sin(theta) * (pi / 2) / 16;
        }
        powerResponse[static_cast<size_t>(k)] = db(average);
    }
    for (int n = 0; n < workSize; ++n)
        w.mid.time[n] = noiseRng.gaussian();
    w.mid.forward();
    std::vector<std::complex<double>> noise(w.mid.spectrum, w.mid.spectrum + bins);
    for (int k = 0; k < bins; ++k)
    {
        const double f = std::max(k, 1) * binHz;
        const double shelf = f <= 600 ? 0 : f >= 2500 ? 1 : 0.5 - 0.5 * std::cos(pi * std::log(f / 600) / std::log(2500.0 / 600));
        const double trapped = 10 * std::log10(butterHighPass(f / room.bassTrapHz, 1) * 0.9 + 0.1); // bass traps
        // The room hears the radiated power, so it gets the baffle step too, but
        // 3 dB less of it: below the step the box fills twice the solid angle.
        const double powerStep = -(baffleStepDb - 3.0) * (1 - butterHighPass(f / (115.0 / v.cab->width), 1));
        const double diffuseDb = w.common[static_cast<size_t>(k)] + powerResponse[static_cast<size_t>(k)] + trapped + powerStep
                                 - shelf * (v.tailShelfDb + 2 * v.mic->gradient);
        noise[static_cast<size_t>(k)] *= std::pow(10.0, std::max(diffuseDb, -100.0) / 20);
    }
    std::vector<double> tail(responseLength, 0.0);
    const double start = v.distance / speedOfSound + v.mixingTime;
    for (int band = 0; band < 7; ++band)
    {
        for (int k = 0; k < bins; ++k)
        {
            const double u = std::log2(std::max(k, 1) * binHz / 125.0) - band;
            double weight = std::fabs(u) < 1 ? std::cos(pi / 2 * u) * std::cos(pi / 2 * u) : 0;
            if ((band == 0 && u <= 0) || (band == 6 && u >= 0))
                weight = 1;
            w.mid.spectrum[k] = noise[static_cast<size_t>(k)] * weight;
        }
        w.mid.inverse();
        const double dbPerSecond = 60.0 / (room.rt60[band] * v.rtScale) + room.airDbPerSecond[band];
        for (int n = 0; n < responseLength; ++n)
        {
            const double t = static_cast<double>(n) / sampleRate - start;
            if (t <= 0)
                continue;
            const double rise = t >= room.onsetRamp ? 1 : 0.5 - 0.5 * std::cos(pi * t / room.onsetRamp);
            tail[static_cast<size_t>(n)] += w.mid.time[n] * rise * std::pow(10.0, -dbPerSecond * t / 20);
        }
    }

    // 5. Scale the tail to the placement's direct-to-reverberant ratio,
    //    measured above 500 Hz around the direct sound.
    const int onset = static_cast<int>(v.distance / speedOfSound * sampleRate);
    const int windowStart = std::max(0, onset - sampleRate / 2000), windowEnd = onset + sampleRate / 400;
    auto split = [&](const std::vector<double>& x, double& inside, double& outside) {
        const std::vector<double> y = highPass500(x);
        inside = outside = 0;
        for (int n = 0; n < responseLength; ++n)
            (n >= windowStart && n < windowEnd ? inside : outside) += y[static_cast<size_t>(n)] * y[static_cast<size_t>(n)];
    };
    double directIn, directOut, tailIn, tailOut;
    split(early, directIn, directOut);
    split(tail, tailIn, tailOut);
    const double ratio = std::pow(10.0, v.drrTarget / 10);
    const double numerator = directIn - ratio * directOut, denominator = ratio * tailOut - tailIn;
    double tailGain = numerator > 0 && denominator > 0 ? std::sqrt(numerator / denominator) : 0.0;
    // Close up, the direct sound's own ringing and the early reflections
    // already outweigh the target; the room is still there, at least the
    // placement's distance under the whole early response.
    double earlyEnergy = 0, tailEnergy = 0;
    for (int n = 0; n < responseLength; ++n)
    {
        earlyEnergy += early[static_cast<size_t>(n)] * early[static_cast<size_t>(n)];
        tailEnergy += tail[static_cast<size_t>(n)] * tail[static_cast<size_t>(n)];
    }
    // A closed box and its cone ring on, and the room with them.
    const double leastRoomDb = c.construction == Construction::closedBack ? std::max(v.place->leastRoomDb, v.place->closedRoomDb) : v.place->leastRoomDb;
    tailGain = std::max(tailGain, std::sqrt(std::pow(10.0, leastRoomDb / 10) * earlyEnergy / std::max(tailEnergy, 1e-30)));

    Response out;
    out.name = responseName(index);
    out.samples.resize(responseLength);
    for (int n = 0; n < responseLength; ++n)
        out.samples[static_cast<size_t>(n)] = early[static_cast<size_t>(n)] + tailGain * tail[static_cast<size_t>(n)];
    for (int n = 0; n < fadeLength; ++n)
        out.samples[static_cast<size_t>(responseLength - fadeLength + n)] *= 0.5 + 0.5 * std::cos(pi * (n + 1) / fadeLength);

    // 6. Equal loudness: the power in 100 Hz..5 kHz weighted by 1/f.
    std::fill(w.mid.time, w.mid.time + workSize, 0.0);
    std::copy(out.samples.begin(), out.samples.end(), w.mid.time);
    w.mid.forward();
    double weighted = 0, weights = 0;
    for (int k = 0; k < bins; ++k)
    {
        const double f = k * binHz;
        if (f < 100 || f > 5000)
            continue;
        weighted += std::norm(w.mid.spectrum[k]) / f;
        weights += 1 / f;
    }
    const double loudness = std::sqrt(weighted / weights);
    for (double& s : out.samples)
        s /= loudness;

    char text[1024];
    std::snprintf(text, sizeof text,
                  "name=%s\nversion=%s\nconstruction=%d\nlow_hz=%.2f\nlow_q=%.3f\ntreble_hz=%.1f\nfizz_db=%.1f\n"
                  "distance_m=%.4f\nonset_ms=%.4f\nsource_angle_deg=%.1f\nmic_angle_deg=%.1f\ngradient=%.2f\n"
                  "paths=%zu\nrear_gain=%.3f\ndrr_target_db=%.2f\ntail_gain=%.5g\nrt60_scale=%.3f\nloudness_db=%.3f\n",
                  out.name.c_str(), catalogueVersion, static_cast<int>(c.construction), v.lowHz, v.lowQ, v.trebleHz,
                  v.fizzDb, v.distance, v.distance / speedOfSound * 1000, v.sourceAngle, v.micAngle, v.mic->gradient,
                  paths.size(), c.construction == Construction::openBack ? v.rearGain : 0.0, v.drrTarget, tailGain,
                  v.rtScale, 20 * std::log10(loudness));
    out.parameters = text;
    return out;
}

std::vector<unsigned char> encodeWav(const std::vector<double>& samples, double gain, const std::string& text)
{
    std::vector<unsigned char> out;
    out.reserve(wavFileSize);
    auto tag = [&out](const char* t) { out.insert(out.end(), t, t + 4); };
    auto u32 = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    auto u16 = [&out](unsigned v) {
        out.push_back(static_cast<unsigned char>(v));
        out.push_back(static_cast<unsigned char>(v >> 8));
    };
    tag("RIFF");
    u32(wavFileSize - 8);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(sampleRate);
    u32(sampleRate * 3);
    u16(3);
    u16(24);
    tag("data");
    u32(responseLength * 3);
    for (int n = 0; n < responseLength; ++n)
    {
        const double x = n < static_cast<int>(samples.size()) ? samples[static_cast<size_t>(n)] * gain : 0.0;
        const long q = std::clamp(std::lround(x * 8388608.0), -8388608L, 8388607L);
        const auto bits = static_cast<std::uint32_t>(q);
        out.push_back(static_cast<unsigned char>(bits));
        out.push_back(static_cast<unsigned char>(bits >> 8));
        out.push_back(static_cast<unsigned char>(bits >> 16));
    }
    tag("AFAn");
    u32(parameterChunkSize);
    std::string chunk = text.substr(0, parameterChunkSize);
    chunk.resize(parameterChunkSize, ' ');
    out.insert(out.end(), chunk.begin(), chunk.end());
    out.push_back(0); // pad to an even chunk length
    return out;
}
} // namespace morvane3::irsynth
