#include "dsp/SwitchMix.h"

#include <algorithm>
#include <vector>

#include <xmmintrin.h>

namespace tovdsp
{
namespace
{
bool constantOverBlock(const TovDSPArray& array, int channel)
{
    return array.width > 0 && array.nodes[static_cast<unsigned int>(channel) % array.width]->isBlockConstant();
}

// The arithmetic nodes' two-operand steps: formed in double, rounded to float.
float mul(float x, float y)
{
    return static_cast<float>(static_cast<double>(x) * static_cast<double>(y));
}

float add(float x, float y)
{
    return static_cast<float>(static_cast<double>(x) + static_cast<double>(y));
}

float complement(float x)
{
    return static_cast<float>(1.0 - static_cast<double>(x));
}

float mutedSum(float a, float b, float muteA, float muteB, float level)
{
    return mul(add(mul(a, complement(muteA)), mul(b, complement(muteB))), level);
}
} // namespace

float switchMix(float a, float b, float s, float gain, bool hasGain)
{
    if (hasGain)
    {
        a = mul(a, gain);
        b = mul(b, gain);
    }
    return add(mul(a, complement(s)), mul(b, s));
}

SwitchMixTovDSPInternal::SwitchMixTovDSPInternal(const TovDSPArray& a, const TovDSPArray& b,
                                                 const TovDSPArray& switchValue, const TovDSPArray& gain)
    : TovDSPInternal(4)
{
    setInput(0, a);
    setInput(1, b);
    setInput(2, switchValue);
    setInput(3, gain);
}

void SwitchMixTovDSPInternal::compute(unsigned char* doneFlag, int position, int channel)
{
    const float* a = inputs[0].pull(channel, doneFlag, position);
    const float* b = inputs[1].pull(channel, doneFlag, position);
    const float* s = inputs[2].pull(channel, doneFlag, position);
    const bool hasGain = !inputs[3].isNull();
    const float* g = hasGain ? inputs[3].pull(channel, doneFlag, position) : nullptr;
    float* out = output.data;
    const int n = output.length;
    if (n <= 0 || a == nullptr || b == nullptr || s == nullptr || (hasGain && g == nullptr))
        return;

    if (!constantOverBlock(inputs[2], channel) || (hasGain && !constantOverBlock(inputs[3], channel)))
    {
        for (int i = 0; i < n; ++i)
            out[i] = switchMix(a[i], b[i], s[i], hasGain ? g[i] : 1.0f, hasGain);
        return;
    }

    const __m128 sv = _mm_set1_ps(s[0]);
    const __m128 cv = _mm_set1_ps(complement(s[0]));
    const __m128 gv = _mm_set1_ps(hasGain ? g[0] : 1.0f);
    int i = 0;
    for (; i + 4 <= n; i += 4)
    {
        __m128 x = _mm_loadu_ps(a + i);
        __m128 y = _mm_loadu_ps(b + i);
        if (hasGain)
        {
            x = _mm_mul_ps(x, gv);
            y = _mm_mul_ps(y, gv);
        }
        _mm_storeu_ps(out + i, _mm_add_ps(_mm_mul_ps(x, cv), _mm_mul_ps(y, sv)));
    }
    for (; i < n; ++i)
        out[i] = switchMix(a[i], b[i], s[0], hasGain ? g[0] : 1.0f, hasGain);
}

float SwitchMixTovDSPInternal::currentValue(int channel) const
{
    const bool hasGain = !inputs[3].isNull();
    return switchMix(inputs[0].currentValue(channel), inputs[1].currentValue(channel), inputs[2].currentValue(channel),
                     hasGain ? inputs[3].currentValue(channel) : 1.0f, hasGain);
}

TovDSPInternal* SwitchMixTovDSPInternal::channelNode(int channel)
{
    return new SwitchMixTovDSPInternal(inputs[0].channel(channel), inputs[1].channel(channel),
                                       inputs[2].channel(channel),
                                       inputs[3].isNull() ? TovDSPArray() : inputs[3].channel(channel));
}

MutedSumTovDSPInternal::MutedSumTovDSPInternal(const TovDSPArray& a, const TovDSPArray& b, const TovDSPArray& muteA,
                                               const TovDSPArray& muteB, const TovDSPArray& level)
    : TovDSPInternal(5)
{
    setInput(0, a);
    setInput(1, b);
    setInput(2, muteA);
    setInput(3, muteB);
    setInput(4, level);
}

void MutedSumTovDSPInternal::compute(unsigned char* doneFlag, int position, int channel)
{
    const float* in[5];
    for (unsigned int k = 0; k < 5; ++k)
        in[k] = inputs[k].pull(channel, doneFlag, position);
    float* out = output.data;
    const int n = output.length;
    if (n <= 0 || std::any_of(in, in + 5, [](const float* p) { return p == nullptr; }))
        return;

    if (!constantOverBlock(inputs[2], channel) || !constantOverBlock(inputs[3], channel)
        || !constantOverBlock(inputs[4], channel))
    {
        for (int i = 0; i < n; ++i)
            out[i] = mutedSum(in[0][i], in[1][i], in[2][i], in[3][i], in[4][i]);
        return;
    }

    const __m128 ca = _mm_set1_ps(complement(in[2][0]));
    const __m128 cb = _mm_set1_ps(complement(in[3][0]));
    const __m128 lv = _mm_set1_ps(in[4][0]);
    int i = 0;
    for (; i + 4 <= n; i += 4)
    {
        const __m128 sum = _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(in[0] + i), ca), _mm_mul_ps(_mm_loadu_ps(in[1] + i), cb));
        _mm_storeu_ps(out + i, _mm_mul_ps(sum, lv));
    }
    for (; i < n; ++i)
        out[i] = mutedSum(in[0][i], in[1][i], in[2][0], in[3][0], in[4][0]);
}

float MutedSumTovDSPInternal::currentValue(int channel) const
{
    return mutedSum(inputs[0].currentValue(channel), inputs[1].currentValue(channel), inputs[2].currentValue(channel),
                    inputs[3].currentValue(channel), inputs[4].currentValue(channel));
}

TovDSPInternal* MutedSumTovDSPInternal::channelNode(int channel)
{
    return new MutedSumTovDSPInternal(inputs[0].channel(channel), inputs[1].channel(channel),
                                      inputs[2].channel(channel), inputs[3].channel(channel),
                                      inputs[4].channel(channel));
}

TovDSPArray SwitchMix(const TovDSPArray& givenA, const TovDSPArray& givenB, const TovDSPArray& switchValue,
                      const TovDSPArray& gain)
{
    const TovDSPArray& a = givenA.orNull();
    const TovDSPArray& b = givenB.orNull();
    const unsigned int width = std::max(a.width, b.width);
    std::vector<TovDSPInternal*> made(width);
    for (unsigned int i = 0; i < width; ++i)
    {
        made[i] = new SwitchMixTovDSPInternal(a, b, switchValue.orNull(), gain);
        made[i]->setCurrentValue(made[i]->currentValue(static_cast<int>(i)));
    }
    return TovDSPArray(made.data(), static_cast<int>(width));
}

TovDSPArray MutedSum(const TovDSPArray& givenA, const TovDSPArray& givenB, const TovDSPArray& muteA,
                     const TovDSPArray& muteB, const TovDSPArray& level)
{
    const TovDSPArray& a = givenA.orNull();
    const TovDSPArray& b = givenB.orNull();
    const unsigned int width = std::max(a.width, b.width);
    std::vector<TovDSPInternal*> made(width);
    for (unsigned int i = 0; i < width; ++i)
    {
        made[i] = new MutedSumTovDSPInternal(a, b, muteA.orNull(), muteB.orNull(), level.orNull());
        made[i]->setCurrentValue(made[i]->currentValue(static_cast<int>(i)));
    }
    return TovDSPArray(made.data(), static_cast<int>(width));
}
} // namespace tovdsp
