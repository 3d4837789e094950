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
        framing = OverlapFrames::atStartPhase(drawStartPhase(fftSize), halfSize);
        resetPending = false;
    }
    blockFraming = framing;

    float* frameA = frames.channelSamples(0);
    float* frameB = frameA + fftSize;
    int done = 0;
    while (done < n)
    {
        const int chunk = framing.chunk(n - done);
        if (chunk > 0)
            framing.write(frameA, frameB, in + done, chunk);
        framing.advance(chunk);
        done += chunk;
        if (framing.frameComplete())
        {
            forwardTransform(*engine, framing.completing(frameA, frameB), {slotRe(writeSlot), slotIm(writeSlot)});
            if (framesInBlock < maxFrames)
                frameSlots[framesInBlock++] = writeSlot;
            writeSlot = writeSlot == 0 ? slotCount - 1 : writeSlot - 1;
            framing.startNextFrame(halfSize);
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
