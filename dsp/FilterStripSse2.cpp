// The strip's loop for processors without AVX: every sample goes through all
// four stages before the next, the two channels in the two lanes of one
// register.
#include "dsp/FilterStripLoops.h"

#include <emmintrin.h>

namespace tovdsp::filterstrip
{
void runSse2(const Coefficients& c, State& state, const float* in0, const float* in1, float* out0, float* out1,
             int n)
{
    __m128d f1[4], f2[4], c0[4], c1[4], c2[4], s1[4], s2[4];
    __m128 dry[4], wet[4];
    for (int s = 0; s < 4; ++s)
    {
        f1[s] = _mm_loadu_pd(c.feedback1 + 2 * s);
        f2[s] = _mm_loadu_pd(c.feedback2 + 2 * s);
        c0[s] = _mm_loadu_pd(c.b0 + 2 * s);
        c1[s] = _mm_loadu_pd(c.b1 + 2 * s);
        c2[s] = _mm_loadu_pd(c.b2 + 2 * s);
        s1[s] = _mm_loadu_pd(state.state1 + 2 * s);
        s2[s] = _mm_loadu_pd(state.state2 + 2 * s);
        dry[s] = _mm_set1_ps(c.dry[2 * s]);
        wet[s] = _mm_set1_ps(c.wet[2 * s]);
    }
    const __m128 level = _mm_set1_ps(c.level);

    // Every operation is the filter node's or the mix node's, in the same
    // order, on both channels at once (float products and sums of floats are
    // the mix nodes' double ones, rounded).
    for (int i = 0; i < n; ++i)
    {
        __m128 signal = _mm_setr_ps(in0[i], in1[i], 0.0f, 0.0f);
        for (int s = 0; s < 4; ++s)
        {
            const __m128d x = _mm_cvtps_pd(signal);
            const __m128d w = _mm_add_pd(_mm_add_pd(_mm_mul_pd(s1[s], f1[s]), x), _mm_mul_pd(f2[s], s2[s]));
            const __m128d y = _mm_add_pd(_mm_add_pd(_mm_mul_pd(c0[s], w), _mm_mul_pd(c1[s], s1[s])),
                                         _mm_mul_pd(c2[s], s2[s]));
            s2[s] = s1[s];
            s1[s] = w;
            __m128 stage = _mm_cvtpd_ps(y);
            __m128 through = signal;
            if (s == 3)
            {
                stage = _mm_mul_ps(stage, level);
                through = _mm_mul_ps(through, level);
            }
            signal = _mm_add_ps(_mm_mul_ps(stage, wet[s]), _mm_mul_ps(through, dry[s]));
        }
        _mm_store_ss(out0 + i, signal);
        if (out1 != nullptr)
            _mm_store_ss(out1 + i, _mm_shuffle_ps(signal, signal, 1));
    }

    for (int s = 0; s < 4; ++s)
    {
        _mm_storeu_pd(state.state1 + 2 * s, s1[s]);
        _mm_storeu_pd(state.state2 + 2 * s, s2[s]);
    }
}
} // namespace tovdsp::filterstrip
