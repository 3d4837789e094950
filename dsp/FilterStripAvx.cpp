// The strip's loop with the four stages skewed in time: in iteration i, stage
// s works on sample i - skew * s. The stages of one iteration then depend on
// nothing computed in that iteration, so only each stage's own recursion
// bounds the loop, and all four stages of both channels share two 4-lane
// double registers (and one 8-lane float register for the mixes). A block is
// run to its end: the pipeline fills at its start and drains at its end, so
// no output sample is delayed to the next block.
#include "dsp/FilterStripLoops.h"

#if defined(__x86_64__)
#include <immintrin.h>

namespace tovdsp::filterstrip
{
namespace
{
// A stage's output reaches the next stage this many iterations later, which
// gives the hand-over (conversions, mix, lane shift) time to complete.
constexpr int skew = 2;

const bool avxPresent = __builtin_cpu_supports("avx");

struct Registers
{
    __m256d f1[2], f2[2], c0[2], c1[2], c2[2];
    __m256d s1[2], s2[2];
    __m128 wet[2], dry[2], level;
};

// The stage inputs and results of one iteration in float: half 0 holds
// stages 0 and 1, half 1 stages 2 and 3, each stage as a channel pair.
struct Halves
{
    __m128 h[2];
};

// One iteration. Masked iterations fill or drain the pipeline: a stage whose
// sample is outside the block keeps its state (its output is garbage, which
// only reaches stages that are outside the block too).
template <bool masked>
__attribute__((target("avx"), always_inline)) inline Halves step(Registers& r, Halves signal, const __m256d* active)
{
    Halves mixed;
#pragma GCC unroll 2
    for (int h = 0; h < 2; ++h)
    {
        // The filter node's operations in its order: w = (s1 f1 + x) + f2 s2
        // rounded to float, y = (b0 w + b1 s1) + b2 s2.
        const __m256d x = _mm256_cvtps_pd(signal.h[h]);
        const __m256d sum = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(r.s1[h], r.f1[h]), x),
                                          _mm256_mul_pd(r.f2[h], r.s2[h]));
        const __m256d w = _mm256_cvtps_pd(_mm256_cvtpd_ps(sum));
        const __m256d y = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(r.c0[h], w), _mm256_mul_pd(r.c1[h], r.s1[h])),
                                        _mm256_mul_pd(r.c2[h], r.s2[h]));
        if (masked)
        {
            r.s2[h] = _mm256_blendv_pd(r.s2[h], r.s1[h], active[h]);
            r.s1[h] = _mm256_blendv_pd(r.s1[h], w, active[h]);
        }
        else
        {
            r.s2[h] = r.s1[h];
            r.s1[h] = w;
        }
        __m128 filtered = _mm256_cvtpd_ps(y);
        __m128 through = signal.h[h];
        if (h == 1)
        {
            // The level scales only the last stage's lanes; the others are
            // left as they are rather than multiplied by 1, which would
            // differ for flushed denormals and signalling NaNs.
            filtered = _mm_blend_ps(filtered, _mm_mul_ps(filtered, r.level), 0xC);
            through = _mm_blend_ps(through, _mm_mul_ps(through, r.level), 0xC);
        }
        mixed.h[h] = _mm_add_ps(_mm_mul_ps(filtered, r.wet[h]), _mm_mul_ps(through, r.dry[h]));
    }
    return mixed;
}

// The next iteration's stage inputs: the new input sample pair for stage 0,
// the mixes of stages 0-2 of an earlier iteration for stages 1-3.
__attribute__((target("avx"), always_inline)) inline Halves handOver(__m128 input, Halves mixed)
{
    return { { _mm_movelh_ps(input, mixed.h[0]), _mm_shuffle_ps(mixed.h[0], mixed.h[1], _MM_SHUFFLE(1, 0, 3, 2)) } };
}

__attribute__((target("avx"), always_inline)) inline __m128 inputPair(const float* in0, const float* in1, int i)
{
    return _mm_unpacklo_ps(_mm_load_ss(in0 + i), _mm_load_ss(in1 + i));
}

__attribute__((target("avx"), always_inline)) inline void storeOutput(Halves mixed, float* out0, float* out1, int i)
{
    const __m128 last = mixed.h[1];
    _mm_store_ss(out0 + i, _mm_movehl_ps(last, last));
    if (out1 != nullptr)
        _mm_store_ss(out1 + i, _mm_shuffle_ps(last, last, 3));
}

// Lanes of the stages whose sample i - skew * s is inside the block (sign bit set).
__attribute__((target("avx"))) void activeLanes(int i, int n, __m256d* active)
{
    double lane[4];
    for (int s = 0; s < 4; ++s)
    {
        const int sample = i - skew * s;
        lane[s] = sample >= 0 && sample < n ? -1.0 : 1.0;
    }
    active[0] = _mm256_setr_pd(lane[0], lane[0], lane[1], lane[1]);
    active[1] = _mm256_setr_pd(lane[2], lane[2], lane[3], lane[3]);
}

// One iteration of the pipeline, with the results of the last `skew`
// iterations it hands over from.
template <bool masked>
__attribute__((target("avx"), always_inline)) inline void advance(Registers& r, Halves* recent, const float* in0,
                                                                  const float* in1, float* out0, float* out1, int i,
                                                                  int n)
{
    constexpr int latency = 3 * skew; // iterations from a sample's first stage to its last
    __m256d active[2];
    __m128 input;
    if (masked)
    {
        activeLanes(i, n, active);
        input = i < n ? inputPair(in0, in1, i) : _mm_setzero_ps();
    }
    else
        input = inputPair(in0, in1, i);
    const Halves mixed = step<masked>(r, handOver(input, recent[skew - 1]), active);
    for (int k = skew - 1; k > 0; --k)
        recent[k] = recent[k - 1];
    recent[0] = mixed;
    if (!masked || i >= latency)
        storeOutput(mixed, out0, out1, i - latency);
}
} // namespace

__attribute__((target("avx"))) void runAvx(const Coefficients& c, State& state, const float* in0, const float* in1,
                                           float* out0, float* out1, int n)
{
    Registers r;
    for (int h = 0; h < 2; ++h)
    {
        r.f1[h] = _mm256_loadu_pd(c.feedback1 + 4 * h);
        r.f2[h] = _mm256_loadu_pd(c.feedback2 + 4 * h);
        r.c0[h] = _mm256_loadu_pd(c.b0 + 4 * h);
        r.c1[h] = _mm256_loadu_pd(c.b1 + 4 * h);
        r.c2[h] = _mm256_loadu_pd(c.b2 + 4 * h);
        r.s1[h] = _mm256_loadu_pd(state.state1 + 4 * h);
        r.s2[h] = _mm256_loadu_pd(state.state2 + 4 * h);
    }
    for (int h = 0; h < 2; ++h)
    {
        r.wet[h] = _mm_loadu_ps(c.wet + 4 * h);
        r.dry[h] = _mm_loadu_ps(c.dry + 4 * h);
    }
    r.level = _mm_set1_ps(c.level);

    constexpr int latency = 3 * skew;
    Halves recent[skew]; // recent[k]: the result of the iteration k + 1 back
    for (auto& m : recent)
        m = { { _mm_setzero_ps(), _mm_setzero_ps() } };
    int i = 0;
    for (; i < latency && i < n; ++i)
        advance<true>(r, recent, in0, in1, out0, out1, i, n);
    for (; i < n; ++i)
        advance<false>(r, recent, in0, in1, out0, out1, i, n);
    for (; i < n + latency; ++i)
        advance<true>(r, recent, in0, in1, out0, out1, i, n);

    for (int h = 0; h < 2; ++h)
    {
        _mm256_storeu_pd(state.state1 + 4 * h, r.s1[h]);
        _mm256_storeu_pd(state.state2 + 4 * h, r.s2[h]);
    }
    _mm256_zeroupper();
}

bool haveAvx()
{
    return avxPresent;
}
} // namespace tovdsp::filterstrip
#endif
