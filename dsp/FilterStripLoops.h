#pragma once
// The per-sample loops of the filter strip (see FilterStrip.h), one per
// instruction set. Each computes the same operations in the same order with
// the same roundings, so all give the same bits. Lane 2 * stage + channel of
// every array belongs to that stage and channel. No allocation, no locks.
namespace tovdsp::filterstrip
{
struct Coefficients
{
    double feedback1[8], feedback2[8], b0[8], b1[8], b2[8];
    float dry[8];  // bypass
    float wet[8];  // 1 - bypass
    float level;   // scales the last stage and its input
};

struct State
{
    double state1[8] = {}; // w[n-1]
    double state2[8] = {}; // w[n-2]
};

// Runs n samples of both channels (in1 may equal in0; out1 may be null).
void runSse2(const Coefficients& c, State& state, const float* in0, const float* in1, float* out0, float* out1,
             int n);
#if defined(__x86_64__)
void runAvx(const Coefficients& c, State& state, const float* in0, const float* in1, float* out0, float* out1,
            int n);
bool haveAvx();
#endif
} // namespace tovdsp::filterstrip
