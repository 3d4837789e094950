#pragma once
// The graph's entry for the host's input samples: one output per input
// channel. The block callback hands each channel's pointer in before every
// pass (setInputPointer); compute copies them and forgets the pointers, so an
// output whose pointer was not handed in keeps its previous block.
#include "dsp/ProxyGroup.h"

namespace tovdsp
{
class RawInputTovDSPInternal : public ProxyOwnerTovDSPInternal
{
public:
    explicit RawInputTovDSPInternal(int channels);
    ~RawInputTovDSPInternal() override;

    void compute(unsigned char* doneFlag, int position, int channel) override;
    bool setInputPointer(float* pointer, int index) override;

    float** pointers; // one per output, null until handed in for the block
};

// A raw input of n >= 1 channels (fewer are taken as 1): node 0 the owner,
// node i proxy i.
TovDSPArray RawInput(int channels);
} // namespace tovdsp
