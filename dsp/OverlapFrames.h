#pragma once
// Where an overlap-save convolution of partition length L = N/2 writes its
// input: two frames of N samples that both receive every sample, one of them
// completing every L samples. writeB stays L samples ahead of writeA modulo
// N, and a frame's write position returns to 0 one period before it
// completes, so a completing frame holds the newest L samples in its first
// half and the L before them in its second: the last N samples rotated by L.
// Convolution nodes and the spectrum feeds that share their transforms frame
// their input alike, which is what lets a node follow a feed.
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tovdsp
{
struct OverlapFrames
{
    int32_t samplesToFrame = 0; // T: input samples still to come before the next frame completes
    int32_t writeA = 0;         // write position in frameA, samples
    int32_t writeB = 0;         // write position in frameB, samples
    int32_t nextFrame = 0;      // H: 0 when frameA completes next, 1 when frameB does

    // The framing at reset with start phase h (in groups of four samples):
    // the first frame completes after 4h samples, and writeB is L ahead of
    // writeA as in the steady state, so those samples also reach the older
    // half of frameB.
    static OverlapFrames atStartPhase(int h, int halfSize)
    {
        return {4 * h, halfSize - 4 * h, (2 * halfSize - 4 * h) % (2 * halfSize), 0};
    }

    // How many of the remaining samples go in before the next frame completes.
    int chunk(int remaining) const { return std::min(remaining, samplesToFrame); }

    void write(float* frameA, float* frameB, const float* in, int count) const
    {
        const size_t bytes = sizeof(float) * static_cast<size_t>(count);
        std::memcpy(frameA + writeA, in, bytes);
        std::memcpy(frameB + writeB, in, bytes);
    }

    void advance(int count)
    {
        writeA += count;
        writeB += count;
        samplesToFrame -= count;
    }

    bool frameComplete() const { return samplesToFrame == 0; }

    const float* completing(const float* frameA, const float* frameB) const
    {
        return nextFrame == 0 ? frameA : frameB;
    }

    // Once the completing frame is transformed: the other frame completes
    // next, L samples on, and this one starts over.
    void startNextFrame(int halfSize)
    {
        samplesToFrame = halfSize;
        if (nextFrame == 1)
            writeA = 0;
        else
            writeB = 0;
        nextFrame = 1 - nextFrame;
    }
};
} // namespace tovdsp
