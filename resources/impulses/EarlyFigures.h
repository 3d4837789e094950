#pragma once
// The figures of a response's first milliseconds, where a synthetic cabinet
// gives itself away against a real one: the fine texture of the spectrum, how
// the sound builds up after the first arrival and how fast it dies away.
//
// Every figure is measured on the response gated to 16 ms: from 0.5 ms before
// the onset (the first sample reaching 0.1 of the largest magnitude), the last
// 2 ms faded out by a half Hann window. Curves are those of ResponseFigures.h
// (1/48-octave grid, dB re the mean of the 1/3-octave curve over 500 Hz..2 kHz).

#include <vector>

namespace morvane3::irfigures
{
struct EarlyFigures
{
    double roughness = 0;   // RMS over 1..8 kHz of the 1/12-octave curve less the 1/3-octave curve (dB)
    int finePeaks = 0;      // peaks of the 1/12-octave curve over 1..8 kHz standing at least 1 dB above their surroundings
    double peakDelayMs = 0; // onset to the largest magnitude
    double minimumPhaseExcessDb = 0; // energy from 0.25 ms before to 1 ms after the onset, against the minimum-phase response's
    double decayAt2Ms = 0;  // backward-integrated energy 2 ms after the onset, dB re its value at the onset
    double decayAt4Ms = 0;
    double lowMids[4] = {}; // the 1/3-octave curve at lowMidsHz, dB re the mids
};

inline constexpr double lowMidsHz[4] = {200, 250, 315, 500};

EarlyFigures measureEarly(const std::vector<double>& samples, double sampleRate);

// The response from 0.5 ms before its onset, 16 ms long, with the fade; `onset`
// receives the onset's index in the gated samples.
std::vector<double> gate(const std::vector<double>& samples, double sampleRate, int& onset);

// How many peaks of `values` stand at least `minimum` above their surroundings
// by topographic prominence: from a local maximum (the middle of a flat top;
// never the first or last point), each side is searched up to the first higher
// point or the end, and the peak's height less the higher of the two lowest
// points found is its prominence.
int prominentPeaks(const std::vector<double>& values, double minimum);
} // namespace morvane3::irfigures
