#pragma once
// The processor's graph: raw inputs, one plug per cabinet channel fed by that
// channel's convolution, the filter strip of each channel, the muted sum and
// the output level.
//
// Threads: constructed, given new convolutions (makeConvolution) and destroyed
// on the message thread; switchConvolution must not overlap process (the
// processor holds the callback lock around it); process runs on the audio
// thread and allocates nothing for blocks up to getMaxBlockSize().
#include "dsp/Buffer.h"
#include "dsp/TovDSPArray.h"
#include "processor/LiveValues.h"

#include <cstdint>

namespace morvane3
{
class SignalChain
{
public:
    // Builds the graph with both plugs playing the dry input until a convolution arrives.
    SignalChain(int numChannels, int maxBlockSize, LiveValues& live);
    ~SignalChain();

    int getNumChannels() const { return numChannels; }
    int getMaxBlockSize() const { return maxBlockSize; }
    // What new convolutions read: the raw input, through per-channel taps.
    const tovdsp::TovDSPArray& getConvolutionInput() const { return convolutionInput; }

    // The response's head by direct convolution and five segments of the
    // rest, summed: a quarter of the convolution, with no latency. Made on getConvolutionInput(),
    // the segments read the forward transforms the chain makes once per input
    // channel and partition size; on any other input they make their own.
    // Message thread; allocates and plans FFTs.
    static tovdsp::TovDSPArray makeConvolution(const tovdsp::Buffer& ir, const tovdsp::TovDSPArray& input);

    // Makes `convolution` the channel's sound, crossfading over 10 ms once
    // blocks have run; before the first block it plays at once.
    void switchConvolution(int channel, const tovdsp::TovDSPArray& convolution);

    // One block of at most getMaxBlockSize() samples. The inputs are copied
    // before anything is written, so inputs and outputs may share memory.
    // Non-finite input samples enter as silence and absurd magnitudes are
    // limited, so a burst of garbage cannot stay in the convolution's spectra.
    void process(const float* const* inputs, int numInputs, float* const* outputs, int numOutputs,
                 int length, uint32_t position);

    static constexpr float replugFadeSeconds = 0.01f;

private:
    struct ChannelChain
    {
        tovdsp::TovDSPArray plug;
        tovdsp::TovDSPArray convolution;
        tovdsp::TovDSPArray output;
    };

    tovdsp::TovDSPArray buildStrip(const tovdsp::TovDSPArray& x, ChannelLiveValues& live);

    const int numChannels;
    const int maxBlockSize;
    tovdsp::Buffer inputStaging;  // numChannels x maxBlockSize
    tovdsp::Buffer outputParking; // the output nodes' memory whenever the host's is not lent
    tovdsp::TovDSPArray rawInputs;
    tovdsp::TovDSPArray convolutionInput;
    tovdsp::TovDSPArray spectrumFeeds; // every tap's, pulled on every block
    ChannelChain channels[2];
    tovdsp::TovDSPArray outputs;
};
} // namespace morvane3
