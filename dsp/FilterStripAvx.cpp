// The strip's loop with the four stages skewed in time: in iteration i, stage
// s works on sample i - skew * s. The stages of one iteration then depend on
// nothing computed in that iteration, and the four stages of both channels
// share two 4-lane double registers (their mixes two 4-lane float ones). A
// stage's result reaches the next stage `skew` iterations later, so the
// hand-over (conversions, mix, shuffle) overlaps the iterations between and
// mostly each stage's own recursion bounds the loop. A block is run to its
// end: the pipeline fills at its start and drains at its end, so no output
// sample is delayed to the next block.
#include "dsp/FilterStripLoops.h"

#if defined(__x86_64__)
#include <immintrin.h>

namespace tovdsp::filterstrip
{
namespace
{
// Iterations between a stage's result and the next stage's use of it. One
// leaves the hand-over's latency in every iteration; two hides most of it;
// more costs registers and a longer fill and drain for little gain.
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
__attribute__((target("avx"), always_inline)) inline Halves step(Registers& r, Halves signal, const __m256d* active,
                                                                 __m128& last)
{
    Halves mixed;
    // Unrolled, the halves' states stay in registers instead of memory.
#pragma GCC unroll 2
    for (int h = 0; h < 2; ++h)
    {
        // The filter node's operations in its order: w = (s1 f1 + x) + f2 s2,
        // y = (b0 w + b1 s1) + b2 s2.
        const __m256d x = _mm256_cvtps_pd(signal.h[h]);
        const __m256d w =
            _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(r.s1[h], r.f1[h]), x), _mm256_mul_pd(r.f2[h], r.s2[h]));
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
        const __m128 filtered = _mm256_cvtpd_ps(y);
        mixed.h[h] = _mm_add_ps(_mm_mul_ps(filtered, r.wet[h]), _mm_mul_ps(signal.h[h], r.dry[h]));
        if (h == 1)
        {
            // The last stage's mix again with the level (its lanes 2-3 are
            // the output, and only stage 2's lanes are handed over from the
            // mix above), kept apart so that the level's products stay off
            // the path from stage 2 to stage 3.
            last = _mm_add_ps(_mm_mul_ps(_mm_mul_ps(filtered, r.level), r.wet[h]),
                              _mm_mul_ps(_mm_mul_ps(signal.h[h], r.level), r.dry[h]));
        }
    }
    return mixed;
}

// The next iteration's stage inputs: the new input sample pair for stage 0,
// the mixes of stages 0-2 of an earlier iteration for stages 1-3.
__attribute__((target("avx"), always_inline)) inline Halves handOver(__m128 input, Halves mixed)
{
    Halves next;
    next.h[0] = _mm_movelh_ps(input, mixed.h[0]);
    next.h[1] = _mm_shuffle_ps(mixed.h[0], mixed.h[1], _MM_SHUFFLE(1, 0, 3, 2));
    return next;
}

__attribute__((target("avx"), always_inline)) inline __m128 inputPair(const float* in0, const float* in1, int i)
{
    return _mm_unpacklo_ps(_mm_load_ss(in0 + i), _mm_load_ss(in1 + i));
}

__attribute__((target("avx"), always_inline)) inline void storeOutput(__m128 last, float* out0, float* out1, int i)
{
    _mm_store_ss(out0 + i, _mm_movehl_ps(last, last));
    if (out1 != nullptr)
        _mm_store_ss(out1 + i, _mm_shuffle_ps(last, last, 3));
}

// Lanes of the stages whose sample i - skew * s is inside the block (all bits set).
__attribute__((target("avx"), always_inline)) inline void activeLanes(int i, int n, __m256d* active)
{
    const __m256d iteration = _mm256_set1_pd(i);
    const __m256d length = _mm256_set1_pd(n);
    for (int h = 0; h < 2; ++h)
    {
        const double first = 2 * h * skew, second = (2 * h + 1) * skew;
        const __m256d sample = _mm256_sub_pd(iteration, _mm256_setr_pd(first, first, second, second));
        active[h] = _mm256_and_pd(_mm256_cmp_pd(sample, _mm256_setzero_pd(), _CMP_GE_OQ),
                                  _mm256_cmp_pd(sample, length, _CMP_LT_OQ));
    }
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
    __m128 last;
    const Halves mixed = step<masked>(r, handOver(input, recent[skew - 1]), active, last);
    for (int k = skew - 1; k > 0; --k)
        recent[k] = recent[k - 1];
    recent[0] = mixed;
    if (!masked || i >= latency)
        storeOutput(last, out0, out1, i - latency);
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
        m.h[0] = m.h[1] = _mm_setzero_ps();
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
