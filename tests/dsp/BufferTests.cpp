#include "dsp/Buffer.h"
#include "dsp/Settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace tovdsp;

namespace
{
// Counts what reaches the deleter, then deletes it as the default one does.
class CountingDeleter : public Deleter
{
public:
    void dispose(SmartPointer* object) override
    {
        ++disposed;
        Deleter::dispose(object);
    }
    int disposed = 0;
};

struct DeleterScope
{
    explicit DeleterScope(Deleter& d) { currentDeleter = &d; }
    ~DeleterScope() { currentDeleter = &defaultDeleter; }
};

std::vector<float> samplesOf(const Buffer& b, int channel = 0)
{
    const float* s = b.channelSamples(channel);
    return std::vector<float>(s, s + b.length);
}
} // namespace

TEST(BufferChannels, CreationZeroFillsOnRequestAndCopiesAtMostTheGivenCount)
{
    BufferChannelInternal zeroed(5, true);
    EXPECT_EQ(zeroed.length, 5);
    EXPECT_EQ(zeroed.allocatedLength, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(zeroed.samples[i], 0.0f);

    BufferChannelInternal empty(0, true);
    EXPECT_EQ(empty.samples, nullptr);
    EXPECT_EQ(empty.allocatedLength, 0);

    const float source[] = {1.0f, 2.0f, 3.0f};
    BufferChannelInternal padded(5, source, 3);
    EXPECT_EQ(std::vector<float>(padded.samples, padded.samples + 5), (std::vector<float>{1, 2, 3, 0, 0}));
    BufferChannelInternal truncated(2, source, 3);
    EXPECT_EQ(std::vector<float>(truncated.samples, truncated.samples + 2), (std::vector<float>{1, 2}));
}

TEST(BufferSharing, CopiesShareSamplesAndHoldOneReferenceEach)
{
    CountingDeleter deleter;
    DeleterScope scope(deleter);
    {
        Buffer a = makeZeroedBuffer(2, 8);
        ASSERT_EQ(a.channelCount, 2);
        ASSERT_EQ(a.length, 8);
        EXPECT_NE(a.channelSamples(0), a.channelSamples(1));
        EXPECT_EQ(a.channelSamples(2), nullptr);
        EXPECT_EQ(a.channelSamples(-1), nullptr);
        {
            Buffer b = a;
            b.channelSamples(1)[3] = 7.0f;
            EXPECT_EQ(a.channelSamples(1)[3], 7.0f);
            EXPECT_EQ(a.channels[0]->refCount, 2);
            Buffer c;
            c = b;
            EXPECT_EQ(a.channels[1]->refCount, 3);
            c = c; // self-assignment keeps everything
            EXPECT_EQ(a.channels[1]->refCount, 3);
            EXPECT_EQ(c.length, 8);
        }
        EXPECT_EQ(a.channels[0]->refCount, 1);
        EXPECT_EQ(deleter.disposed, 0);

        // Assigning over a buffer releases the channels it held.
        a = makeUninitialisedBuffer(1, 4);
        EXPECT_EQ(deleter.disposed, 2);
        EXPECT_EQ(a.channelCount, 1);
    }
    EXPECT_EQ(deleter.disposed, 3);
}

TEST(BufferSharing, WrappedChannelAndSamplesCopy)
{
    Buffer two = makeZeroedBuffer(2, 3);
    Buffer wrapped = wrapChannel(two.channels[1]);
    EXPECT_EQ(wrapped.channelCount, 1);
    EXPECT_EQ(wrapped.length, 3);
    EXPECT_EQ(wrapped.channelSamples(0), two.channelSamples(1));
    EXPECT_EQ(two.channels[1]->refCount, 2);
    EXPECT_EQ(wrapChannel(nullptr).channelCount, 0);

    std::vector<float> source{0.5f, -0.25f, 1.0f};
    Buffer copied = bufferFromSamples(3, source.data());
    source[0] = 9.0f;
    EXPECT_EQ(samplesOf(copied), (std::vector<float>{0.5f, -0.25f, 1.0f}));
    EXPECT_EQ(copied.channels[0]->refCount, 1);
}

TEST(Resampling, EndPointsAlignedAndLinearInBetween)
{
    const float two[] = {0.0f, 1.0f};
    EXPECT_EQ(samplesOf(resampleBuffer(bufferFromSamples(2, two), 3)), (std::vector<float>{0.0f, 0.5f, 1.0f}));

    // Against the interpolation worked out in double: x = (M - 1) j / (M' - 1).
    std::vector<float> source(100);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = std::sin(0.37f * static_cast<float>(i)) + 0.01f * static_cast<float>(i);
    const Buffer original = bufferFromSamples(100, source.data());
    for (int newLength : {1, 2, 37, 99, 101, 257})
    {
        const std::vector<float> out = samplesOf(resampleBuffer(original, newLength));
        ASSERT_EQ(static_cast<int>(out.size()), newLength);
        EXPECT_EQ(out.front(), source.front());
        if (newLength > 1)
        {
            EXPECT_EQ(out.back(), source.back()) << newLength;
        }
        for (int j = 1; j + 1 < newLength; ++j)
        {
            const double x = 99.0 * j / (newLength - 1);
            const int i = static_cast<int>(x);
            const double f = x - i;
            const double expected = (1.0 - f) * static_cast<double>(source[static_cast<size_t>(i)])
                                    + f * static_cast<double>(source[static_cast<size_t>(i) + 1]);
            EXPECT_NEAR(out[static_cast<size_t>(j)], expected, 2e-5) << newLength << " " << j;
        }
    }
}

TEST(Resampling, SameLengthOrEmptySourceSharesChannels)
{
    Buffer source = makeZeroedBuffer(2, 10);
    Buffer same = resampleBuffer(source, 10);
    same.channelSamples(1)[4] = 3.0f;
    EXPECT_EQ(source.channelSamples(1)[4], 3.0f);

    Buffer empty = makeZeroedBuffer(1, 0);
    Buffer fromEmpty = resampleBuffer(empty, 50);
    EXPECT_EQ(fromEmpty.length, 0);
    EXPECT_EQ(fromEmpty.channels[0], empty.channels[0]);

    Buffer stretched = resampleBuffer(source, 20);
    EXPECT_EQ(stretched.channelCount, 2);
    EXPECT_NE(stretched.channels[0], source.channels[0]);
}

TEST(RateConversion, LengthsFollowTheRateRatio)
{
    const Buffer response = makeZeroedBuffer(1, 19404);
    EXPECT_EQ(convertBufferRate(response, 48000.0, 44100.0).length, 21120);
    EXPECT_EQ(convertBufferRate(response, 96000.0, 44100.0).length, 42240);
    EXPECT_EQ(convertBufferRate(response, 88200.0, 44100.0).length, 38808);
    EXPECT_EQ(convertBufferRate(response, 22050.0, 44100.0).length, 9702);

    Buffer same = convertBufferRate(response, 44100.0, 44100.0);
    EXPECT_EQ(same.channels[0], response.channels[0]);

    // A target of 0 means the library's sample rate.
    const double saved = settings::sampleRate;
    settings::sampleRate = 48000.0;
    EXPECT_EQ(convertBufferRate(response, 0.0, 44100.0).length, 21120);
    settings::sampleRate = 44100.0;
    EXPECT_EQ(convertBufferRate(response, 0.0, 44100.0).channels[0], response.channels[0]);
    settings::sampleRate = saved;

    // A source rate of 0 gives no usable length: the buffer comes back unchanged.
    EXPECT_EQ(convertBufferRate(response, 48000.0, 0.0).channels[0], response.channels[0]);
}
