#pragma once
// The head of an impulse response by direct convolution: no latency at all,
// where a partitioned segment of partition length L plays L samples late. The
// chain's first FFT segment starts at directTaps, its own partition length,
// so the two together play the response exactly from its first sample.
//
// Like PartConvolve the output is one quarter of the convolution (the taps
// are scaled by 1/4, exactly), and it is the same for any split of the input
// into blocks: every output sample sums its 32 products in one fixed order.
//
// Threads: construction and channelNode allocate (message thread); compute
// runs on the audio thread and allocates nothing, takes no lock and makes no
// system call.
#include "dsp/Buffer.h"
#include "dsp/TovDSPArray.h"
#include "dsp/TovDSPInternal.h"

namespace tovdsp
{
class DirectConvolveTovDSPInternal : public TovDSPInternal
{
public:
    static constexpr int directTaps = 32;
    static constexpr int history = directTaps - 1;
    // Blocks shorter than this are computed whole from the history line; in
    // longer ones only the first directTaps samples are, the rest in place.
    static constexpr int lineOutputs = 48;

    // taps: up to directTaps samples of one response channel, read from `from`.
    DirectConvolveTovDSPInternal(const float* responseChannel, int length, const TovDSPArray& input);

    void compute(unsigned char* doneFlag, int position, int channel) override;
    TovDSPInternal* channelNode(int channel) override;

    // Tests run the kernel for processors without fused multiply-add here too.
    static bool forcePlainKernel;

    alignas(32) float taps[directTaps];  // response samples 0..31, times 1/4, zero past the response
    // The last `history` input samples, then the start of the block, with
    // room for the kernel's whole vectors reading past it.
    alignas(32) float line[history + lineOutputs + 8] = {};
    alignas(32) float result[lineOutputs + 8];
};

// One node per channel (max of response channels and input width), each
// convolving input i mod width with the first directTaps samples of response
// channel i mod channels, scaled by 1/4.
TovDSPArray DirectConvolve(const Buffer& ir, const TovDSPArray& input);
} // namespace tovdsp
