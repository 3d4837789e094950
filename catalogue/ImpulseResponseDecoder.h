#pragma once
// Turns a compiled-in WAV impulse response into one channel of float samples
// at the processor's working sample rate.
//
// Message thread only: decoding allocates (about 77 kB at 44100 Hz, 330 kB at
// 192000 Hz) and the decoder is not safe for concurrent use.

#include "dsp/Buffer.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace morvane3
{
class ImpulseResponseDecoder
{
public:
    // The response in `data` (a complete WAV file of `size` bytes, read in
    // place) at workingSampleRate: converted by linear interpolation from
    // 44100 Hz when the rate is 48000, 88200, 96000 or 192000, otherwise left
    // at 44100-rate samples. No normalisation, trimming or fading. Null,
    // empty or unreadable bytes give an empty buffer. The decoder keeps the
    // result until the next call.
    tovdsp::Buffer decode(const void* data, int size, double workingSampleRate);

    const tovdsp::Buffer& current() const { return currentBuffer; }

    static constexpr double catalogueRate = 44100.0;

private:
    juce::WavAudioFormat wavFormat;
    tovdsp::Buffer currentBuffer;
};
} // namespace morvane3
