#pragma once
// Turns a compiled-in WAV impulse response into one channel of float samples
// at the processor's working sample rate.
//
// Message thread only: decoding allocates (about 77 kB at 44100 Hz, 330 kB at
// 192000 Hz) and the decoder is not safe for concurrent use.

#include "catalogue/SampleRates.h"
#include "dsp/Buffer.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace morvane3
{
class ImpulseResponseDecoder
{
public:
    // The response in `data` (a complete WAV file of `size` bytes, read in
    // place) at workingSampleRate (see atRate). No normalisation, trimming or
    // fading. Null, empty or unreadable bytes give an empty buffer. The
    // decoder keeps the result until the next call.
    tovdsp::Buffer decode(const void* data, int size, double workingSampleRate);

    // A 44100 Hz response at `rate`, (rate / 44100) x length samples long,
    // truncated: by linear interpolation above 44100 Hz, band-limited below
    // it. Rates outside 8000..768000 Hz leave it at 44100-rate samples.
    // Sample values keep their scale. Allocates.
    static tovdsp::Buffer atRate(const tovdsp::Buffer& response, double rate);

    const tovdsp::Buffer& current() const { return currentBuffer; }

    static constexpr double catalogueRate = catalogueSampleRate;

private:
    juce::WavAudioFormat wavFormat;
    tovdsp::Buffer currentBuffer;
};
} // namespace morvane3
