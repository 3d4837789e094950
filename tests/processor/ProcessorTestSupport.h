#pragma once
// Shared helpers of the processor tests: the framework runtime, an independent
// double-precision model of the cabinet sound, and block-wise driving of a processor.
#include "processor/Morvane3AudioProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <vector>

namespace proctest
{
// The framework's message manager (needed by timers and parameter objects),
// created once for the whole test program.
void ensureJuceRuntime();

// The catalogue's impulse response decoded here with the framework's WAV
// reader, converted to `rate` by end-aligned linear interpolation when rate is
// one of the supported higher rates.
std::vector<double> referenceImpulseResponse(const char* irName, double rate);

// Cookbook biquads (double precision throughout).
struct Biquad
{
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    static Biquad highPass(double frequency, double inverseQ, double rate);
    static Biquad lowPass(double frequency, double inverseQ, double rate);
    static Biquad peak(double frequency, double inverseQ, double gainDb, double rate);
    std::vector<double> run(const std::vector<double>& x) const;
};

// What one cabinet channel contributes to a unit impulse after the plug's
// fade: a quarter of the response, on time from its first sample, then
// the strip's filters at their default settings (high-pass hpfHz, peaks at
// 0 dB are skipped, low-pass lpfHz), times level.
std::vector<double> channelImpulseResponse(const std::vector<double>& ir, double rate, double hpfHz, double lpfHz,
                                           double level, bool filtersBypassed = false);

// Runs `input` (per channel) through the processor in host blocks of
// `blockSize` samples, holding the callback lock like a host, and returns the output.
std::vector<std::vector<float>> run(Morvane3AudioProcessor& processor, const std::vector<std::vector<float>>& input,
                                    int blockSize);

// Silence of `length` samples on `channels` channels.
std::vector<std::vector<float>> silence(int channels, int length);

double maxAbsDifference(const std::vector<float>& actual, const std::vector<double>& expected, size_t offset,
                        size_t count);
double peak(const std::vector<double>& x);
} // namespace proctest
