#include "dsp/SpectrumFeed.h"
#include "dsp/StartPhase.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tovdsp
{
SpectrumFeedTovDSPInternal::SpectrumFeedTovDSPInternal(const TovDSPArray& input, int log2, int partitions,
                                                       int maxBlockSize)
    : TovDSPInternal(1), log2Size(log2), fftSize(1 << log2), halfSize(1 << (log2 - 1)),
      maxPartitions(std::max(1, partitions)), maxFrames(std::max(1, maxBlockSize) / (1 << (log2 - 1)) + 2),
      slotCount(maxPartitions + maxFrames), engine(new FFTEngineInternal(1 << log2)),
      spectra(makeZeroedBuffer(1, 2 * slotCount * halfSize)), frames(makeZeroedBuffer(1, 2 * fftSize))
{
    setInput(0, input);
    frameSlots = new int32_t[static_cast<size_t>(maxFrames)]();
}

SpectrumFeedTovDSPInternal::~SpectrumFeedTovDSPInternal()
{
    delete engine;
    delete[] frameSlots;
}

void SpectrumFeedTovDSPInternal::compute(unsigned char* doneFlag, int position, int channel)
{
    const float* in = inputs[0].pull(channel, doneFlag, position);
    const int n = output.length;
    float* out = output.data;
    framesInBlock = 0;
    if (n <= 0 || out == nullptr || in == nullptr)
        return;
    std::memcpy(out, in, sizeof(float) * static_cast<size_t>(n));
    if (resetPending)
    {
        // As a convolution node starts (see reset there).
        const int h = drawStartPhase(fftSize);
        samplesToFrame = 4 * h;
        writeA = halfSize - 4 * h;
        writeB = (fftSize - 4 * h) % fftSize;
        resetPending = false;
    }
    blockSamplesToFrame = samplesToFrame;
    blockWriteA = writeA;
    blockWriteB = writeB;
    blockNextFrame = nextFrame;

    float* frameA = frames.channelSamples(0);
    float* frameB = frameA + fftSize;
    int done = 0;
    while (done < n)
    {
        const int chunk = std::min(n - done, samplesToFrame);
        const size_t bytes = sizeof(float) * static_cast<size_t>(chunk);
        if (chunk > 0)
        {
            std::memcpy(frameA + writeA, in + done, bytes);
            std::memcpy(frameB + writeB, in + done, bytes);
        }
        writeA += chunk;
        writeB += chunk;
        samplesToFrame -= chunk;
        done += chunk;
        if (samplesToFrame == 0)
        {
            forwardTransform(*engine, nextFrame == 0 ? frameA : frameB, {slotRe(writeSlot), slotIm(writeSlot)});
            if (framesInBlock < maxFrames)
                frameSlots[framesInBlock++] = writeSlot;
            writeSlot = writeSlot == 0 ? slotCount - 1 : writeSlot - 1;
            samplesToFrame = halfSize;
            if (nextFrame == 1)
                writeA = 0;
            else
                writeB = 0;
            nextFrame = 1 - nextFrame;
        }
    }
}

TovDSPArray SpectrumFeeds(const TovDSPArray& input, int log2Size, int maxPartitions, int maxBlockSize)
{
    if (input.width == 0)
        return TovDSPArray();
    std::vector<TovDSPInternal*> feeds(input.width);
    for (unsigned int i = 0; i < input.width; ++i)
        feeds[i] = new SpectrumFeedTovDSPInternal(input.channel(static_cast<int>(i)), log2Size, maxPartitions,
                                                  maxBlockSize);
    return TovDSPArray(feeds.data(), static_cast<int>(input.width));
}
} // namespace tovdsp
