#pragma once
// The complex product of two packed spectra added to a sum, one definition
// for every width. Accumulating products across host blocks
// (multiplyAccumulate) and summing them in the pass that ends a frame
// (HalfSizeSpectrum) must give the same bits, or the convolution would depend
// on the host's block length; so both use these. The order is fixed: each
// part of the product is formed and rounded (ar br - ai bi, ai br + ar bi),
// then added to the sum. No fused multiply-adds (the library builds with
// -ffp-contract=off), so every width gives every lane the same bits.
#include "dsp/Simd.h"

namespace tovdsp
{
// a * b, with a and b packed spectra (re and im arrays).
struct SpectrumProduct
{
    const float* aRe;
    const float* aIm;
    const float* bRe;
    const float* bIm;
};

inline void addProduct(float& re, float& im, const SpectrumProduct& p, int i)
{
    re = re + (p.aRe[i] * p.bRe[i] - p.aIm[i] * p.bIm[i]);
    im = im + (p.aIm[i] * p.bRe[i] + p.aRe[i] * p.bIm[i]);
}

#if TOVDSP_HAVE_SSE
inline void addProduct4(__m128& re, __m128& im, const SpectrumProduct& p, int i)
{
    const __m128 ar = _mm_loadu_ps(p.aRe + i), ai = _mm_loadu_ps(p.aIm + i);
    const __m128 br = _mm_loadu_ps(p.bRe + i), bi = _mm_loadu_ps(p.bIm + i);
    re = _mm_add_ps(re, _mm_sub_ps(_mm_mul_ps(ar, br), _mm_mul_ps(ai, bi)));
    im = _mm_add_ps(im, _mm_add_ps(_mm_mul_ps(ai, br), _mm_mul_ps(ar, bi)));
}
#endif

#if TOVDSP_HAVE_AVX
__attribute__((target("avx"), always_inline)) inline void addProduct8(__m256& re, __m256& im,
                                                                      const SpectrumProduct& p, int i)
{
    const __m256 ar = _mm256_loadu_ps(p.aRe + i), ai = _mm256_loadu_ps(p.aIm + i);
    const __m256 br = _mm256_loadu_ps(p.bRe + i), bi = _mm256_loadu_ps(p.bIm + i);
    re = _mm256_add_ps(re, _mm256_sub_ps(_mm256_mul_ps(ar, br), _mm256_mul_ps(ai, bi)));
    im = _mm256_add_ps(im, _mm256_add_ps(_mm256_mul_ps(ai, br), _mm256_mul_ps(ar, bi)));
}
#endif
} // namespace tovdsp
