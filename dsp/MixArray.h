#pragma once
// Sums a list of arrays channel by channel. One computation fills every
// output; a mono entry contributes to every output, and a null entry at an
// existing channel is skipped.
#include "dsp/ArrayList.h"
#include "dsp/ProxyGroup.h"

namespace tovdsp
{
class MixArrayTovDSPInternal : public ProxyOwnerTovDSPInternal
{
public:
    // Takes one reference to `entries` (not null); outputs = its largest width (at least 1).
    explicit MixArrayTovDSPInternal(ArrayList* entries);
    ~MixArrayTovDSPInternal() override;

    void cascadeA() override;
    void cascadeB() override;
    void prepareExtra(int blockSize, int position, int channel) override;
    void compute(unsigned char* doneFlag, int position, int channel) override;
    float currentValue(int channel) const override;

    ArrayList* list;
};

// The mixer's outputs, each starting from the sum of the entries' current
// values. A missing list (nullptr, as concatenate gives for no entries) yields
// the null array.
TovDSPArray MixArray(ArrayList* list);
} // namespace tovdsp
