#include "dsp/DirectConvolve.h"

#include "dsp/Simd.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tovdsp
{
namespace
{
constexpr int taps = DirectConvolveTovDSPInternal::directTaps;

// y[j] = sum over k = 0..31 of h[k] * x[j - k] for j in [0, count), count at
// least one vector; x[-31] must be readable. Each lane accumulates the taps in
// the same order, so a sample's value does not depend on where it falls in a
// vector; a count that is not a whole number of vectors ends with one vector
// that overlaps the one before and writes the same values again.
#if TOVDSP_HAVE_AVX
__attribute__((target("avx,fma"))) void convolveFused(const float* h, const float* x, float* y, int count)
{
    int j = 0;
    for (; j + 32 <= count; j += 32)
    {
        __m256 a0 = _mm256_setzero_ps(), a1 = a0, a2 = a0, a3 = a0;
        for (int k = 0; k < taps; ++k)
        {
            const __m256 c = _mm256_broadcast_ss(h + k);
            const float* p = x + j - k;
            a0 = _mm256_fmadd_ps(c, _mm256_loadu_ps(p), a0);
            a1 = _mm256_fmadd_ps(c, _mm256_loadu_ps(p + 8), a1);
            a2 = _mm256_fmadd_ps(c, _mm256_loadu_ps(p + 16), a2);
            a3 = _mm256_fmadd_ps(c, _mm256_loadu_ps(p + 24), a3);
        }
        _mm256_storeu_ps(y + j, a0);
        _mm256_storeu_ps(y + j + 8, a1);
        _mm256_storeu_ps(y + j + 16, a2);
        _mm256_storeu_ps(y + j + 24, a3);
    }
    while (j < count)
    {
        j = std::min(j, count - 8);
        __m256 a = _mm256_setzero_ps();
        for (int k = 0; k < taps; ++k)
            a = _mm256_fmadd_ps(_mm256_broadcast_ss(h + k), _mm256_loadu_ps(x + j - k), a);
        _mm256_storeu_ps(y + j, a);
        j += 8;
    }
}

const bool fusedPresent = __builtin_cpu_supports("avx") && __builtin_cpu_supports("fma");
#else
const bool fusedPresent = false;
#endif

// Processors without fused multiply-add: a product and a sum per tap.
void convolvePlain(const float* h, const float* x, float* y, int count)
{
#if TOVDSP_HAVE_SSE
    int j = 0;
    for (; j + 8 <= count; j += 8)
    {
        __m128 a0 = _mm_setzero_ps(), a1 = a0;
        for (int k = 0; k < taps; ++k)
        {
            const __m128 c = _mm_set1_ps(h[k]);
            a0 = _mm_add_ps(a0, _mm_mul_ps(c, _mm_loadu_ps(x + j - k)));
            a1 = _mm_add_ps(a1, _mm_mul_ps(c, _mm_loadu_ps(x + j - k + 4)));
        }
        _mm_storeu_ps(y + j, a0);
        _mm_storeu_ps(y + j + 4, a1);
    }
    while (j < count)
    {
        j = std::min(j, count - 4);
        __m128 a = _mm_setzero_ps();
        for (int k = 0; k < taps; ++k)
            a = _mm_add_ps(a, _mm_mul_ps(_mm_set1_ps(h[k]), _mm_loadu_ps(x + j - k)));
        _mm_storeu_ps(y + j, a);
        j += 4;
    }
#else
    for (int j = 0; j < count; ++j)
    {
        float a = 0.0f;
        for (int k = 0; k < taps; ++k)
            a += h[k] * x[j - k];
        y[j] = a;
    }
#endif
}

void convolve(const float* h, const float* x, float* y, int count)
{
#if TOVDSP_HAVE_AVX
    if (fusedPresent && !DirectConvolveTovDSPInternal::forcePlainKernel)
        return convolveFused(h, x, y, count);
#endif
    convolvePlain(h, x, y, count);
}
} // namespace

bool DirectConvolveTovDSPInternal::forcePlainKernel = false;

DirectConvolveTovDSPInternal::DirectConvolveTovDSPInternal(const float* responseChannel, int length,
                                                           const TovDSPArray& input)
    : TovDSPInternal(1)
{
    setInput(0, input);
    const int count = responseChannel != nullptr ? std::clamp(length, 0, directTaps) : 0;
    for (int k = 0; k < directTaps; ++k)
        taps[k] = k < count ? responseChannel[k] * 0.25f : 0.0f;
}

void DirectConvolveTovDSPInternal::compute(unsigned char* doneFlag, int position, int channel)
{
    const float* in = inputs[0].pull(channel, doneFlag, position);
    float* out = output.data;
    const int n = output.length;
    if (n <= 0 || out == nullptr)
        return;
    if (in == nullptr)
    {
        std::memset(out, 0, sizeof(float) * static_cast<size_t>(n));
        return;
    }
    // The first samples reach back into the previous block: they are computed
    // from the history line, whole vectors into `result`. The rest read the
    // block in place and are written straight to the output.
    const int headCount = n < lineOutputs ? n : directTaps;
    std::memcpy(line + history, in, sizeof(float) * static_cast<size_t>(headCount));
    convolve(taps, line + history, result, (headCount + 7) & ~7);
    std::memcpy(out, result, sizeof(float) * static_cast<size_t>(headCount));
    if (headCount < n)
        convolve(taps, in + headCount, out + headCount, n - headCount);

    if (n >= history)
        std::memcpy(line, in + n - history, sizeof(float) * history);
    else
        std::memmove(line, line + n, sizeof(float) * history);
}

TovDSPInternal* DirectConvolveTovDSPInternal::channelNode(int channel)
{
    if (channel < 0 || inputs[0].width < 2)
        return retainNode();
    // The taps already hold one response channel; they are copied unscaled back.
    auto* node = new DirectConvolveTovDSPInternal(nullptr, 0, inputs[0].channel(channel));
    std::memcpy(node->taps, taps, sizeof taps);
    return node;
}

TovDSPArray DirectConvolve(const Buffer& ir, const TovDSPArray& input)
{
    const int count = std::max<int>(ir.channelCount, static_cast<int>(input.width));
    if (count <= 0 || ir.channelCount <= 0)
        return TovDSPArray();
    std::vector<TovDSPInternal*> nodes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        nodes[static_cast<size_t>(i)] =
            new DirectConvolveTovDSPInternal(ir.channelSamples(i % ir.channelCount), ir.length, input);
    return TovDSPArray(nodes.data(), count);
}
} // namespace tovdsp
