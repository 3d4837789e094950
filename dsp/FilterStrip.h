#pragma once
// A four-stage filter strip run as one node: high-pass, two peaking stages and
// a low-pass, each mixed with its own input by a bypass switch, the last mix
// scaled by a level. It computes exactly what this tree of graph nodes does
//
//   s1 = SwitchMix(BHiPass(x, f0, q0), x, bypass0)
//   s2 = SwitchMix(BPeakEQ(s1, f1, q1, g1), s1, bypass1)
//   s3 = SwitchMix(BPeakEQ(s2, f2, q2, g2), s2, bypass2)
//   out = SwitchMix(BLowPass(s3, f3, q3), s3, bypass3, level)
//
// bit for bit, but in one pass over the block with the four stages and both
// channels side by side in SIMD lanes (FilterStripLoops.h), so the four
// recursions (each a chain of dependent double-precision operations) overlap
// in the processor instead of running one after the other. Each stage keeps
// the filter node's rules: coefficients are recomputed when a parameter
// differs from the one they were made from, and the delay values are
// sanitised at the end of the block.
//
// The fused node needs one or two signal channels and parameters that are
// constant over a block (constants and variables); otherwise the factory
// builds the tree itself.
#include "dsp/Biquad.h"
#include "dsp/FilterStripLoops.h"
#include "dsp/ProxyGroup.h"

namespace tovdsp
{
struct FilterStripParameters
{
    TovDSPArray frequency[4]; // Hz: high-pass, low peak, high peak, low-pass
    TovDSPArray inverseQ[4];
    TovDSPArray gainDb[2];    // the two peaking stages
    TovDSPArray bypass[4];    // 0 = stage in, 1 = bypassed
    TovDSPArray level;        // scales the low-pass stage and its bypass
};

// Inputs: 0 signal, 1-4 frequencies, 5-8 inverse Qs, 9-10 peak gains,
// 11-14 bypasses, 15 level. Output k is channel k.
class FilterStripTovDSPInternal : public ProxyOwnerTovDSPInternal
{
public:
    FilterStripTovDSPInternal(const TovDSPArray& signal, const FilterStripParameters& parameters);
    ~FilterStripTovDSPInternal() override;

    void compute(unsigned char* doneFlag, int position, int channel) override;

    static constexpr int numInputs = 16;

    // Runs the two-lane loop even where the wide one is available, so tests
    // can compare the two (not for use while audio runs).
    static bool forceSse2;

private:
    void prime();

    BEQBaseTovDSPInternal* filters[4]; // coefficients and their parameters, one set for both channels
    filterstrip::State state;
    int channels;
};

// The fused node when it can serve the arguments, else the tree above.
TovDSPArray FilterStrip(const TovDSPArray& signal, const FilterStripParameters& parameters);
} // namespace tovdsp
