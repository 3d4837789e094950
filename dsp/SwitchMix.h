#pragma once
// Fused crossfades for a signal chain's switches and levels. Each node does in
// one pass what a small tree of arithmetic nodes does in several, with the
// same result bit for bit:
//
//   SwitchMix:  Add(Multiply(Multiply(a, gain), Subtract(1, s)), Multiply(Multiply(b, gain), s))
//   MutedSum:   Multiply(Add(Multiply(a, Subtract(1, m)), Multiply(b, Subtract(1, n))), level)
//
// The arithmetic nodes form each sum, difference or product of two floats in
// double precision and round it to float. For these operations that equals
// the float operation itself (a product of two floats is exact in double, and
// rounding a double sum to float rounds as the float sum does), so the nodes
// here use float SIMD arithmetic and keep every rounding point of the tree.
// A multiplication by an absent gain is skipped: x * 1 is x.
//
// Switch, mute, gain and level inputs that are constant over a block are read
// once per block; any other input is read per sample. Factories allocate;
// compute allocates nothing.
#include "dsp/TovDSPArray.h"

namespace tovdsp
{
// Inputs: 0 a, 1 b, 2 switch s, 3 gain (the null array: no gain).
class SwitchMixTovDSPInternal : public TovDSPInternal
{
public:
    SwitchMixTovDSPInternal(const TovDSPArray& a, const TovDSPArray& b, const TovDSPArray& switchValue,
                            const TovDSPArray& gain);

    void compute(unsigned char* doneFlag, int position, int channel) override;
    float currentValue(int channel) const override;
    TovDSPInternal* channelNode(int channel) override;
};

// Inputs: 0 a, 1 b, 2 mute of a, 3 mute of b, 4 level.
class MutedSumTovDSPInternal : public TovDSPInternal
{
public:
    MutedSumTovDSPInternal(const TovDSPArray& a, const TovDSPArray& b, const TovDSPArray& muteA,
                           const TovDSPArray& muteB, const TovDSPArray& level);

    void compute(unsigned char* doneFlag, int position, int channel) override;
    float currentValue(int channel) const override;
    TovDSPInternal* channelNode(int channel) override;
};

// One sample of SwitchMix, with the tree's roundings (gain applies when hasGain).
float switchMix(float a, float b, float s, float gain, bool hasGain);

// One node per channel of the wider of a and b.
TovDSPArray SwitchMix(const TovDSPArray& a, const TovDSPArray& b, const TovDSPArray& switchValue,
                      const TovDSPArray& gain = TovDSPArray());
TovDSPArray MutedSum(const TovDSPArray& a, const TovDSPArray& b, const TovDSPArray& muteA, const TovDSPArray& muteB,
                     const TovDSPArray& level);
} // namespace tovdsp
