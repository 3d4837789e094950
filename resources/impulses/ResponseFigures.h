#pragma once
// The figures that compare a cabinet response with real, close-miked ones,
// measured the same way for our catalogue and for any recorded WAV file.
//
// Spectra: the power spectrum of the whole response (zero-padded to at least
// 65536 points) smoothed by the mean power over a fractional-octave window,
// on a 1/48-octave grid, in dB relative to the mean power of the 1/3-octave
// curve over 500 Hz..2 kHz ("the mids"). Time: the onset is the first sample
// within 20 dB of the absolute peak; decay from the backward-integrated energy.

#include <string>
#include <vector>

namespace morvane3::irfigures
{
struct Figures
{
    double lows40to80 = 0;   // dB re mids, 1/3-octave curve
    double lows80to160 = 0;
    double humpDb = 0;       // highest point of the 1/3-octave curve over 60..300 Hz
    double humpHz = 0;
    double lowCornerHz = 0;  // going down from 500 Hz, first fall 10 dB under the mids
    double highCornerHz = 0; // going up from 1 kHz, first fall 10 dB under the mids
    double ripple = 0;       // 1/6-octave curve less its 1-octave running mean, 1..5 kHz, max - min
    double shape = 0;        // 1/6-octave curve less its best line in log f, 1..5 kHz, max - min
    double rise = 0;         // 1/3-octave curve at 2.5 kHz less at 1 kHz
    double air8to16 = 0;     // dB re mids
    double top16to20 = 0;
    double energyAfter50ms = 0; // dB re the whole response
    double decayTo40Ms = 0;  // onset to -40 dB of the backward-integrated energy (ms; -1 if never)
    double directToReverberant = 0; // after a 500 Hz high-pass: onset -0.5..+2.5 ms against the rest (dB)
    std::vector<double> sixth; // 1/6-octave curve re mids on gridHz()
};

// The 1/48-octave analysis grid, 20 Hz..20 kHz.
const std::vector<double>& gridHz();

// Power spectra of a response (zero-padded to at least 65536 points) smoothed
// over each of the given octave fractions on gridHz(), in power, with "the
// mids" of the 1/3-octave curve to refer them to.
struct SmoothedCurves
{
    std::vector<std::vector<double>> power; // one curve per requested fraction, in order
    double mids = 1;                        // mean of the 1/3-octave curve over 500 Hz..2 kHz
};
SmoothedCurves smoothedCurves(const std::vector<double>& samples, double sampleRate, const std::vector<double>& octaves);

// Index of the grid point nearest to hz.
size_t nearestGridPoint(double hz);

Figures measure(const std::vector<double>& samples, double sampleRate);

// RMS difference of two 1/6-octave curves over 100 Hz..6 kHz (dB).
double curveDistance(const Figures& a, const Figures& b);

// Mono samples of a PCM (16, 24 or 32-bit) or 32-bit float WAV file, the
// first channel if there are more; empty if the file cannot be read.
std::vector<double> readWav(const std::string& path, double& sampleRate);

double median(std::vector<double> values);
} // namespace morvane3::irfigures
