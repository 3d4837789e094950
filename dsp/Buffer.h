#pragma once
// Sample storage of the library: reference-counted channels of floats and the
// Buffer record that bundles equal-length channels. Copies of a Buffer share
// their samples; nothing here duplicates sample data except the explicit
// creation and conversion functions.
//
// Threads: creation, copying and conversion allocate and belong to the thread
// that builds graph parts. Reading and writing samples through an existing
// Buffer allocates nothing and may happen on the audio thread.

#include "dsp/SmartPointer.h"

#include <cstdint>

namespace tovdsp
{
// One run of float samples. Created holding one reference; the last release
// hands it to currentDeleter.
class BufferChannelInternal : public SmartPointer
{
public:
    BufferChannelInternal(int32_t length, bool zeroFill);
    // Copies min(length, count) samples from source, zero-fills the rest.
    BufferChannelInternal(int32_t length, const float* source, int32_t count);
    ~BufferChannelInternal() override;

    float* samples = nullptr;     // null when length is 0
    int32_t length = 0;           // number of samples
    int32_t allocatedLength = 0;  // floats owned; freed on destruction only when non-zero
};

struct BufferSpec
{
    int32_t channelCount = 0;
    int32_t length = 0;
    bool zeroFill = false;
};

class Buffer
{
public:
    Buffer() = default;
    // Wraps an existing channel: one channel, a new reference to it.
    explicit Buffer(BufferChannelInternal* channel);
    Buffer(const Buffer& other);
    Buffer(Buffer&& other) noexcept;
    Buffer& operator=(const Buffer& other);
    Buffer& operator=(Buffer&& other) noexcept;
    ~Buffer();

    // Samples of channel index, or null when the index is outside the buffer.
    // Inline: the convolution asks for spectra this way in its inner loops.
    float* channelSamples(int index) const
    {
        return index < 0 || index >= channelCount ? nullptr : channels[index]->samples;
    }

    int32_t channelCount = 0;
    int32_t length = 0;
    BufferChannelInternal** channels = nullptr; // each entry holds one reference

private:
    void releaseChannels();
};

Buffer makeBuffer(const BufferSpec& spec);
Buffer makeZeroedBuffer(int32_t channelCount, int32_t length);
Buffer makeUninitialisedBuffer(int32_t channelCount, int32_t length);

// A one-channel buffer holding a copy of length samples.
Buffer bufferFromSamples(int32_t length, const float* samples);

// A one-channel buffer sharing an existing channel.
Buffer wrapChannel(BufferChannelInternal* channel);

// Linear interpolation to newLength samples with the end points aligned
// (effective ratio (M - 1)/(M' - 1)); no anti-alias filtering. Returns shared
// channels when the source is empty or the length is unchanged.
Buffer resampleBuffer(const Buffer& source, int32_t newLength);

// Stretches from sourceRate to targetRate (0 means the library sampleRate);
// equal rates return shared channels.
Buffer convertBufferRate(const Buffer& source, double targetRate, double sourceRate);
} // namespace tovdsp
