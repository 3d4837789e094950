#pragma once
// Uniformly partitioned overlap-save convolution of one impulse-response
// segment, with a frequency-domain delay line. The node's latency is exactly
// its partition length L = N/2 and its output is one quarter of the
// convolution, so segments whose starts equal their partition lengths can be
// summed into a zero-latency non-uniform convolution.
//
// Three things differ from the textbook form: the products of the older
// partitions are spread over the host blocks between two frames; every node
// starts its frame schedule at a pseudo-random phase so that nodes of one size
// complete their frames in different blocks; and input frames are kept rotated
// by half a frame, so that the valid half of each inverse transform is its
// first half.
//
// Threads: construction and channelNode allocate and may plan FFTs (the first
// engine of a size in the process), destruction frees (message thread;
// destruction must be deferred off the audio thread).
// compute runs on the audio thread and allocates nothing, takes no lock and
// never reaches the FFTW planner; it accepts any block length. The shared
// partition spectra are only read, so sibling nodes may run concurrently.

#include "dsp/Buffer.h"
#include "dsp/FFTEngine.h"
#include "dsp/OverlapFrames.h"
#include "dsp/PartitionedIR.h"
#include "dsp/SpectrumFeed.h"
#include "dsp/StartPhase.h"
#include "dsp/TovDSPArray.h"
#include "dsp/TovDSPInternal.h"

#include <cstdint>

namespace tovdsp
{
class PartConvolveTovDSPInternal : public TovDSPInternal
{
public:
    PartConvolveTovDSPInternal(const PartitionedIR& segment, const TovDSPArray& input);
    // A reader of feeds (one SpectrumFeed node per input channel) instead of
    // an input. It starts as a node of its own would, on the feed's framing
    // and from silence, and reads the feed's spectra from the first frame
    // whose partitions all lie after its start: from then on it makes no
    // forward transforms.
    PartConvolveTovDSPInternal(const PartitionedIR& segment, const TovDSPArray& feeds, bool readsFeeds);
    ~PartConvolveTovDSPInternal() override;

    void compute(unsigned char* doneFlag, int position, int channel) override;
    TovDSPInternal* channelNode(int channel) override;

    PartitionedIR ir;             // shares the spectra with sibling nodes
    int32_t fdlWriteSlot = 0;     // F: slot receiving the next input spectrum
    int32_t partitionsDone = 0;   // D: older partitions accumulated since the last frame
    int32_t chunkCount = 0;       // J: chunks processed since the last frame
    int32_t fdlReadSlot = 0;      // R: slot paired with the next older partition
    int32_t validSlots = 1;       // V: 1 + frames transformed since reset, at most P
    FFTEngineInternal* engine = nullptr; // owned, size N
    float* frameA = nullptr;      // N samples each, regions of `frames`
    float* frameB = nullptr;
    float* outputRing = nullptr;
    OverlapFrames framing;        // T, writeA, writeB and H
    int32_t fftSize = 0;          // N
    int32_t log2Size = 0;
    int32_t halfSize = 0;         // L
    int32_t quarterSize = 0;      // N/4
    int32_t spectrumLength = 0;   // e
    int32_t partitionCount = 0;   // P
    int32_t resetPending = 1;     // until the first block
    int32_t startPhase = 0;       // h, in 4-sample groups, drawn at reset
    double outputScale = 0.0;     // 1/(4N)
    float outputScaleFloat = 0.0f;
    Buffer fdl;                   // 2e floats: re of slot j at j*L, im e further on
    Buffer frames;                // 3N floats: frameA, frameB, outputRing (the inverse goes straight to the ring)
    Buffer accumulator;           // N + 2 floats: re in [0, L), im in [L, 2L)

    bool readsFeeds = false;
    bool onFeed = false;         // reading the feed's spectra
    int32_t framesSinceStart = 0; // counted until onFeed

private:
    struct DelayLine
    {
        const float* re; // slot j at re + j * L
        const float* im;
        int slots;
    };
    DelayLine ownDelayLine() const;
    void reset();
    // The frame schedule from the given framing, with nothing accumulated.
    void startSchedule(const OverlapFrames& from);
    // The products of the next count older partitions with their delay-line
    // slots, advancing the schedule as accumulating them would.
    void gatherOlder(int count, int spectraChannel, const DelayLine& line, SpectrumProduct* into);
    void accumulateOlder(int count, int spectraChannel, const DelayLine& line);
    int gatherRestOfFrame(int spectraChannel, const DelayLine& line, SpectrumProduct* into);
    void spreadOlder(int blockLength, int spectraChannel, const DelayLine& line);
    void completeFrame(int spectraChannel, SpectrumProduct* products, int olderCount);
    void finishFrame(int spectraChannel, SpectrumProduct* products, int olderCount, const float* newestRe,
                     const float* newestIm);

    // Products summed by the pass that ends a frame, the newest included.
    static constexpr int maxFrameProducts = 16;
};

// count = max(ir channels, input width) nodes made from one partitioning of
// [start, end) of ir; node i is meant to be pulled for channel i and
// convolves input channel i mod width with response channel i mod count.
TovDSPArray PartConvolve(const Buffer& ir, const TovDSPArray& input, int start, int end, int log2Size);

// PartConvolve over the feeds' input, sharing their transforms; a segment
// with more partitions than the feeds hold gets nodes of its own instead.
TovDSPArray PartConvolveFromFeeds(const Buffer& ir, const TovDSPArray& feeds, int start, int end);
} // namespace tovdsp
