#include "dsp/Buffer.h"

#include "dsp/Settings.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

namespace tovdsp
{
namespace
{
// Cache-line alignment lets FFTW pick its widest codelets and keeps the
// spectral loops on aligned loads.
constexpr std::align_val_t sampleAlignment{64};

float* allocateSamples(int32_t length)
{
    if (length <= 0)
        return nullptr;
    return static_cast<float*>(::operator new[](sizeof(float) * static_cast<size_t>(length), sampleAlignment));
}
} // namespace

BufferChannelInternal::BufferChannelInternal(int32_t lengthToUse, bool zeroFill)
    : samples(allocateSamples(lengthToUse)), length(std::max<int32_t>(0, lengthToUse)),
      allocatedLength(samples != nullptr ? length : 0)
{
    if (zeroFill && samples != nullptr)
        std::memset(samples, 0, sizeof(float) * static_cast<size_t>(length));
}

BufferChannelInternal::BufferChannelInternal(int32_t lengthToUse, const float* source, int32_t count)
    : BufferChannelInternal(lengthToUse, false)
{
    const int32_t copied = source != nullptr ? std::clamp<int32_t>(count, 0, length) : 0;
    if (copied > 0)
        std::memcpy(samples, source, sizeof(float) * static_cast<size_t>(copied));
    if (length > copied)
        std::memset(samples + copied, 0, sizeof(float) * static_cast<size_t>(length - copied));
}

BufferChannelInternal::~BufferChannelInternal()
{
    if (allocatedLength != 0)
        ::operator delete[](samples, sampleAlignment);
}

Buffer::Buffer(BufferChannelInternal* channel)
{
    if (channel == nullptr)
        return;
    channels = new BufferChannelInternal*[1];
    channels[0] = retained(channel);
    channelCount = 1;
    length = channel->length;
}

Buffer::Buffer(const Buffer& other) : channelCount(other.channelCount), length(other.length)
{
    if (channelCount > 0)
    {
        channels = new BufferChannelInternal*[static_cast<size_t>(channelCount)];
        for (int32_t i = 0; i < channelCount; ++i)
            channels[i] = retained(other.channels[i]);
    }
}

Buffer::Buffer(Buffer&& other) noexcept
    : channelCount(other.channelCount), length(other.length), channels(other.channels)
{
    other.channelCount = 0;
    other.length = 0;
    other.channels = nullptr;
}

Buffer& Buffer::operator=(const Buffer& other)
{
    if (this == &other)
        return *this;
    BufferChannelInternal** fresh = nullptr;
    if (other.channelCount > 0)
    {
        fresh = new BufferChannelInternal*[static_cast<size_t>(other.channelCount)];
        for (int32_t i = 0; i < other.channelCount; ++i)
            fresh[i] = retained(other.channels[i]);
    }
    // New references are taken before the old ones go, so overlapping buffers stay alive.
    releaseChannels();
    channels = fresh;
    channelCount = other.channelCount;
    length = other.length;
    return *this;
}

Buffer& Buffer::operator=(Buffer&& other) noexcept
{
    if (this == &other)
        return *this;
    releaseChannels();
    channels = other.channels;
    channelCount = other.channelCount;
    length = other.length;
    other.channels = nullptr;
    other.channelCount = 0;
    other.length = 0;
    return *this;
}

Buffer::~Buffer()
{
    releaseChannels();
}

void Buffer::releaseChannels()
{
    for (int32_t i = 0; i < channelCount; ++i)
        if (channels[i] != nullptr)
            channels[i]->release();
    delete[] channels;
    channels = nullptr;
    channelCount = 0;
}

Buffer makeBuffer(const BufferSpec& spec)
{
    Buffer result;
    if (spec.channelCount <= 0)
        return result;
    result.channels = new BufferChannelInternal*[static_cast<size_t>(spec.channelCount)];
    result.channelCount = spec.channelCount;
    result.length = std::max<int32_t>(0, spec.length);
    for (int32_t i = 0; i < spec.channelCount; ++i)
        result.channels[i] = new BufferChannelInternal(result.length, spec.zeroFill);
    return result;
}

Buffer makeZeroedBuffer(int32_t channelCount, int32_t length)
{
    return makeBuffer({channelCount, length, true});
}

Buffer makeUninitialisedBuffer(int32_t channelCount, int32_t length)
{
    return makeBuffer({channelCount, length, false});
}

Buffer bufferFromSamples(int32_t length, const float* samples)
{
    auto* channel = new BufferChannelInternal(length, samples, length);
    Buffer result(channel);
    channel->release(); // the buffer holds the only reference now
    return result;
}

Buffer wrapChannel(BufferChannelInternal* channel)
{
    return Buffer(channel);
}

Buffer resampleBuffer(const Buffer& source, int32_t newLength)
{
    const int32_t m = source.length;
    if (m == 0 || newLength == m)
        return source;

    Buffer result = makeUninitialisedBuffer(source.channelCount, newLength);
    if (newLength <= 0)
        return result;

    const double step = 1.0 / static_cast<double>(newLength - 1); // infinite for one sample: clamped below
    for (int32_t ch = 0; ch < source.channelCount; ++ch)
    {
        const float* in = source.channels[ch]->samples;
        float* out = result.channels[ch]->samples;
        for (int32_t j = 0; j < newLength; ++j)
        {
            double p = static_cast<double>(j) * step;
            if (!(p > 0.0)) // also catches NaN (0 times infinity)
                p = 0.0;
            else if (p > 1.0)
                p = 1.0;
            const float x = static_cast<float>(static_cast<double>(m - 1) * p);
            const int32_t i = static_cast<int32_t>(x);
            const int32_t neighbour = i + 1 < m ? i + 1 : 0;
            const float f = static_cast<float>(static_cast<double>(x) - static_cast<double>(i));
            const float oneMinusF = static_cast<float>(1.0 - static_cast<double>(f));
            out[j] = static_cast<float>(static_cast<double>(oneMinusF) * static_cast<double>(in[i])
                                        + static_cast<double>(in[neighbour]) * static_cast<double>(f));
        }
    }
    return result;
}

Buffer convertBufferRate(const Buffer& source, double targetRate, double sourceRate)
{
    if (targetRate == 0.0)
        targetRate = settings::sampleRate;
    if (sourceRate == targetRate)
        return source;
    const double stretched = (targetRate / sourceRate) * static_cast<double>(source.length);
    // Rates that give no usable length (zero, negative, NaN) leave the buffer as it is.
    if (!(stretched >= 0.0 && stretched < 2147483647.0))
        return source;
    return resampleBuffer(source, static_cast<int32_t>(stretched));
}
} // namespace tovdsp
