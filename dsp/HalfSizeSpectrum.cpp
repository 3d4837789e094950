#include "dsp/HalfSizeSpectrum.h"

#include "dsp/Simd.h"

#include <cmath>
#include <vector>

namespace tovdsp
{
std::vector<float> halfSizeTwiddleTable(int log2Size)
{
    const int n = 1 << log2Size;
    const size_t count = static_cast<size_t>(n / 4 + 1);
    std::vector<float> table(2 * count);
    for (size_t k = 0; k < count; ++k)
    {
        const double angle = 2.0 * M_PI * static_cast<double>(k) / n;
        const bool quarter = 4 * k == static_cast<size_t>(n); // exactly i, so the middle bin pairs with itself
        table[k] = quarter ? 1.0f : static_cast<float>(std::sin(angle));
        table[count + k] = quarter ? 0.0f : static_cast<float>(std::cos(angle));
    }
    return table;
}

namespace
{
struct Bin
{
    float re, im;
};

// Bins k and M - k of X from Z[k] = lower and Z[M - k] = upper.
void unpackPair(Bin lower, Bin upper, float s, float c, Bin& outLower, Bin& outUpper)
{
    const float dr = lower.re - upper.re, di = lower.im + upper.im;
    const float p = lower.re + upper.re, q = lower.im - upper.im;
    const float r = c * di - s * dr;
    const float t = -(s * di + c * dr);
    outLower = {0.5f * (p + r), 0.5f * (q + t)};
    outUpper = {0.5f * (p - r), 0.5f * (t - q)};
}

// Bins k and M - k of Z' from X[k] = lower and X[M - k] = upper.
void packPair(Bin lower, Bin upper, float s, float c, Bin& outLower, Bin& outUpper)
{
    const float dr = lower.re - upper.re, di = lower.im + upper.im;
    const float p = lower.re + upper.re, q = lower.im - upper.im;
    const float r = -(s * dr + c * di);
    const float t = c * dr - s * di;
    outLower = {p + r, q + t};
    outUpper = {p - r, t - q};
}

// What the packing pass reads: the spectrum (accRe, accIm) plus the
// products in order, clearing acc when asked.
struct PackSource
{
    float* accRe;
    float* accIm;
    const SpectrumProduct* products;
    int productCount;
    bool clear;

    Bin load(int i) const
    {
        Bin sum = {accRe[i], accIm[i]};
        for (int j = 0; j < productCount; ++j)
            addProduct(sum.re, sum.im, products[j], i);
        if (clear)
            accRe[i] = accIm[i] = 0.0f;
        return sum;
    }
};

#if TOVDSP_HAVE_AVX
// Eight pairs at a time. Sizes with fewer than eight pairs, and processors
// without AVX, take the scalar loop, whose arithmetic every lane repeats.
__attribute__((target("avx"), always_inline)) inline __m256 reversed8(__m256 v)
{
    const __m256 withinHalves = _mm256_permute_ps(v, _MM_SHUFFLE(0, 1, 2, 3));
    return _mm256_permute2f128_ps(withinHalves, withinHalves, 1);
}

// Eight interleaved bins from z + 2i as real and imaginary parts in order.
__attribute__((target("avx"), always_inline)) inline void deinterleave8(const float* z, __m256& re, __m256& im)
{
    const __m256 lo = _mm256_loadu_ps(z), hi = _mm256_loadu_ps(z + 8);
    const __m256 x0 = _mm256_permute2f128_ps(lo, hi, 0x20), x1 = _mm256_permute2f128_ps(lo, hi, 0x31);
    re = _mm256_shuffle_ps(x0, x1, _MM_SHUFFLE(2, 0, 2, 0));
    im = _mm256_shuffle_ps(x0, x1, _MM_SHUFFLE(3, 1, 3, 1));
}

__attribute__((target("avx"), always_inline)) inline void interleave8(__m256 re, __m256 im, float* z)
{
    const __m256 u0 = _mm256_unpacklo_ps(re, im), u1 = _mm256_unpackhi_ps(re, im);
    _mm256_storeu_ps(z, _mm256_permute2f128_ps(u0, u1, 0x20));
    _mm256_storeu_ps(z + 8, _mm256_permute2f128_ps(u0, u1, 0x31));
}

__attribute__((target("avx"), always_inline)) inline void load8(const PackSource& from, int i, __m256& xr, __m256& xi)
{
    xr = _mm256_loadu_ps(from.accRe + i);
    xi = _mm256_loadu_ps(from.accIm + i);
    for (int j = 0; j < from.productCount; ++j)
        addProduct8(xr, xi, from.products[j], i);
}

__attribute__((target("avx"), always_inline)) inline void clear8(const PackSource& from, int i)
{
    if (!from.clear)
        return;
    _mm256_storeu_ps(from.accRe + i, _mm256_setzero_ps());
    _mm256_storeu_ps(from.accIm + i, _mm256_setzero_ps());
}

// Pairs from k on, eight at a time; returns the first pair left. When M/2 is
// a multiple of eight the last block of each end reaches the middle bin M/2,
// which both then compute alike, and nothing is left.
__attribute__((target("avx"))) int unpackPairs8(const float* z, float* re, float* im, int m, HalfSizeTwiddles tw,
                                                int k)
{
    const __m256 half = _mm256_set1_ps(0.5f), sign = _mm256_set1_ps(-0.0f);
    for (; k + 7 <= m / 2; k += 8)
    {
        const int j = m - k - 7;
        __m256 a, b, c, d;
        deinterleave8(z + 2 * k, a, b);
        deinterleave8(z + 2 * j, c, d);
        c = reversed8(c);
        d = reversed8(d);
        const __m256 s = _mm256_loadu_ps(tw.sine + k), co = _mm256_loadu_ps(tw.cosine + k);
        const __m256 dr = _mm256_sub_ps(a, c), di = _mm256_add_ps(b, d);
        const __m256 p = _mm256_add_ps(a, c), q = _mm256_sub_ps(b, d);
        const __m256 r = _mm256_sub_ps(_mm256_mul_ps(co, di), _mm256_mul_ps(s, dr));
        const __m256 t = _mm256_xor_ps(_mm256_add_ps(_mm256_mul_ps(s, di), _mm256_mul_ps(co, dr)), sign);
        _mm256_storeu_ps(re + k, _mm256_mul_ps(half, _mm256_add_ps(p, r)));
        _mm256_storeu_ps(im + k, _mm256_mul_ps(half, _mm256_add_ps(q, t)));
        _mm256_storeu_ps(re + j, reversed8(_mm256_mul_ps(half, _mm256_sub_ps(p, r))));
        _mm256_storeu_ps(im + j, reversed8(_mm256_mul_ps(half, _mm256_sub_ps(t, q))));
    }
    _mm256_zeroupper();
    return k;
}

__attribute__((target("avx"))) int packPairs8(const PackSource& from, float* z, int m, HalfSizeTwiddles tw, int k)
{
    const __m256 sign = _mm256_set1_ps(-0.0f);
    for (; k + 7 <= m / 2; k += 8)
    {
        const int j = m - k - 7;
        __m256 a, b, c, d;
        load8(from, k, a, b);
        load8(from, j, c, d); // the middle bin may be in both: cleared after both reads
        clear8(from, k);
        clear8(from, j);
        c = reversed8(c);
        d = reversed8(d);
        const __m256 s = _mm256_loadu_ps(tw.sine + k), co = _mm256_loadu_ps(tw.cosine + k);
        const __m256 dr = _mm256_sub_ps(a, c), di = _mm256_add_ps(b, d);
        const __m256 p = _mm256_add_ps(a, c), q = _mm256_sub_ps(b, d);
        const __m256 r = _mm256_xor_ps(_mm256_add_ps(_mm256_mul_ps(s, dr), _mm256_mul_ps(co, di)), sign);
        const __m256 t = _mm256_sub_ps(_mm256_mul_ps(co, dr), _mm256_mul_ps(s, di));
        interleave8(_mm256_add_ps(p, r), _mm256_add_ps(q, t), z + 2 * k);
        interleave8(reversed8(_mm256_sub_ps(p, r)), reversed8(_mm256_sub_ps(t, q)), z + 2 * j);
    }
    _mm256_zeroupper();
    return k;
}

const bool haveAvx = __builtin_cpu_supports("avx");
#endif

void pack(const PackSource& from, float dc, float nyquist, float* z, int m, HalfSizeTwiddles tw)
{
    z[0] = dc + nyquist;
    z[1] = dc - nyquist;
    int k = 1;
#if TOVDSP_HAVE_AVX
    if (haveAvx)
        k = packPairs8(from, z, m, tw, k);
#endif
    for (; k <= m / 2; ++k)
    {
        const int u = m - k;
        const Bin lower = from.load(k);
        const Bin upper = u == k ? lower : from.load(u);
        Bin zl, zu;
        packPair(lower, upper, tw.sine[k], tw.cosine[k], zl, zu);
        z[2 * k] = zl.re;
        z[2 * k + 1] = zl.im;
        z[2 * u] = zu.re;
        z[2 * u + 1] = zu.im;
    }
}
} // namespace

void unpackHalfSizeSpectrum(const float* z, float* re, float* im, int m, HalfSizeTwiddles tw)
{
    if (m <= 0)
        return;
    re[0] = z[0] + z[1];
    im[0] = z[0] - z[1];
    int k = 1;
#if TOVDSP_HAVE_AVX
    if (haveAvx)
        k = unpackPairs8(z, re, im, m, tw, k);
#endif
    for (; k <= m / 2; ++k)
    {
        const int u = m - k;
        Bin lower, upper;
        unpackPair({z[2 * k], z[2 * k + 1]}, {z[2 * u], z[2 * u + 1]}, tw.sine[k], tw.cosine[k], lower, upper);
        re[k] = lower.re;
        im[k] = lower.im;
        re[u] = upper.re;
        im[u] = upper.im;
    }
}

void packHalfSizeSpectrum(const float* re, const float* im, float* z, int m, HalfSizeTwiddles tw)
{
    if (m <= 0)
        return;
    // Only read: the pointers are not const because the same source clears
    // an accumulator in the other use.
    const PackSource from = {const_cast<float*>(re), const_cast<float*>(im), nullptr, 0, false};
    pack(from, re[0], im[0], z, m, tw);
}

void packHalfSizeSpectrumOfSum(float* accRe, float* accIm, const SpectrumProduct* products, int productCount,
                               float* z, int m, HalfSizeTwiddles tw)
{
    if (m <= 0)
        return;
    // Bin 0 holds two real values, DC and Nyquist, each a sum of real products.
    float dc = accRe[0], nyquist = accIm[0];
    for (int j = 0; j < productCount; ++j)
    {
        dc = dc + products[j].aRe[0] * products[j].bRe[0];
        nyquist = nyquist + products[j].aIm[0] * products[j].bIm[0];
    }
    accRe[0] = accIm[0] = 0.0f;
    pack({accRe, accIm, products, productCount, true}, dc, nyquist, z, m, tw);
}
} // namespace tovdsp
