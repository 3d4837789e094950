#pragma once
// Threads: construction allocates and may plan an FFT (the first engine of
// its size in the process), destruction frees (message thread; destruction
// deferred off the audio thread). compute runs on the
// audio thread and allocates nothing, takes no lock and never reaches the
// FFTW planner.

#include "dsp/Buffer.h"
#include "dsp/FFTEngine.h"
#include "dsp/OverlapFrames.h"
#include "dsp/TovDSPArray.h"
#include "dsp/TovDSPInternal.h"

#include <cstdint>

namespace tovdsp
{
// The forward transforms of one input channel at one partition size, made
// once for every convolution node that reads the channel at that size (the
// two cabinet channels of a stereo chain, old and new responses during a
// crossfade). The feed frames its input as a convolution node would, from a
// start phase drawn at its first block, and keeps the newest spectra in a
// ring that its readers index; the readers follow its framing, so all of them
// complete their frames in the same blocks. Blocks must not exceed the
// maximum length given at construction.
class SpectrumFeedTovDSPInternal : public TovDSPInternal
{
public:
    // input: one channel. maxPartitions: the most partitions a reader may have.
    SpectrumFeedTovDSPInternal(const TovDSPArray& input, int log2Size, int maxPartitions, int maxBlockSize);
    ~SpectrumFeedTovDSPInternal() override;

    // Passes the input through and transforms every frame completed in the block.
    void compute(unsigned char* doneFlag, int position, int channel) override;

    float* slotRe(int slot) const { return spectra.channelSamples(0) + slot * halfSize; }
    float* slotIm(int slot) const { return spectra.channelSamples(0) + (slotCount + slot) * halfSize; }

    // The framing at the start of the block last computed, and the ring slots
    // its frames went to, in order.
    OverlapFrames blockFraming;
    int32_t framesInBlock = 0;
    int32_t* frameSlots = nullptr; // maxFrames entries

    const int32_t log2Size, fftSize, halfSize;
    const int32_t maxPartitions;
    const int32_t maxFrames; // frames one block of the maximum length can complete
    const int32_t slotCount; // maxPartitions + maxFrames: no reader's partitions are overwritten within a block

private:
    FFTEngineInternal* engine = nullptr; // owned
    Buffer spectra;                      // 2 * slotCount * L floats: the re parts of every slot, then the im parts
    Buffer frames;                       // 2N floats: frameA, frameB
    OverlapFrames framing;
    int32_t writeSlot = 0;
    bool resetPending = true;
};

// One feed per channel of input.
TovDSPArray SpectrumFeeds(const TovDSPArray& input, int log2Size, int maxPartitions, int maxBlockSize);
} // namespace tovdsp
