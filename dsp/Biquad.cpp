#include "dsp/Biquad.h"

#include "dsp/Arithmetic.h"
#include "dsp/Settings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace tovdsp
{
namespace
{
const double twoPi = 2.0 * std::acos(-1.0);

float fl(double x)
{
    return static_cast<float>(x);
}

double d(float x)
{
    return static_cast<double>(x);
}

uint32_t bitsOf(float x)
{
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

// The end of the run of samples from `begin` whose parameters are bit for
// bit those of sample `begin`: coefficients are a function of the three
// values, so one computation serves the whole run.
int endOfRun(const float* frequency, const float* inverseQ, const float* gain, int begin, int n)
{
    const uint32_t f = bitsOf(frequency[begin]), q = bitsOf(inverseQ[begin]), g = bitsOf(gain[begin]);
    int end = begin + 1;
    while (end < n && bitsOf(frequency[end]) == f && bitsOf(inverseQ[end]) == q && bitsOf(gain[end]) == g)
        ++end;
    return end;
}
} // namespace

BEQBaseTovDSPInternal::BEQBaseTovDSPInternal(const TovDSPArray& signal, const TovDSPArray& frequency,
                                             const TovDSPArray& inverseQ, const TovDSPArray& gain)
    : TovDSPInternal(4), sampleDuration(settings::sampleDuration)
{
    setInput(0, signal);
    setInput(1, frequency);
    setInput(2, inverseQ);
    setInput(3, gain);
}

double BEQBaseTovDSPInternal::sanitise(double value)
{
    const double magnitude = std::fabs(value);
    return (magnitude > d(1e-15f) && magnitude < d(1e15f)) ? value : 0.0;
}

double BEQBaseTovDSPInternal::clampedFrequency(float frequency) const
{
    const double highest = 0.49 / sampleDuration;
    const double f = d(frequency);
    if (!(f >= 1.0)) // NaN too
        return 1.0;
    return f > highest ? highest : f;
}

BEQBaseTovDSPInternal::Angle BEQBaseTovDSPInternal::angle(float frequency, float inverseQ) const
{
    const double w0 = clampedFrequency(frequency) * twoPi * sampleDuration;
    const double sw = std::sin(w0);
    return { std::cos(w0), sw, sw * 0.5 * d(inverseQ) };
}

void BEQBaseTovDSPInternal::setCurrentValue(float value)
{
    value = fl(sanitise(value));
    TovDSPInternal::setCurrentValue(value);
    state1 = d(value);
    state2 = d(value);
}

void BEQBaseTovDSPInternal::useParameters(float frequency, float inverseQ, float gain)
{
    if (frequency == lastFrequency && inverseQ == lastInverseQ && gain == lastGain)
        return;
    setCoefficients(frequency, inverseQ, gain);
    lastFrequency = frequency;
    lastInverseQ = inverseQ;
    lastGain = gain;
}

void BEQBaseTovDSPInternal::filter(const float* in, float* out, int begin, int end)
{
    for (int i = begin; i < end; ++i)
    {
        const double w = (state1 * feedback1 + d(in[i])) + feedback2 * state2;
        out[i] = fl((b0 * w + b1 * state1) + b2 * state2);
        state2 = state1;
        state1 = w;
    }
}

void BEQBaseTovDSPInternal::compute(unsigned char* doneFlag, int position, int channel)
{
    const float* in = inputs[0].pull(channel, doneFlag, position);
    const float* frequency = inputs[1].pull(channel, doneFlag, position);
    const float* inverseQ = inputs[2].pull(channel, doneFlag, position);
    const float* gain = inputs[3].pull(channel, doneFlag, position);
    float* out = output.data;
    const int n = output.length;
    if (n <= 0)
        return;

    if (frequency[0] == lastFrequency && inverseQ[0] == lastInverseQ && gain[0] == lastGain)
    {
        filter(in, out, 0, n);
    }
    else
    {
        for (int begin = 0; begin < n;)
        {
            const int end = endOfRun(frequency, inverseQ, gain, begin, n);
            setCoefficients(frequency[begin], inverseQ[begin], gain[begin]);
            filter(in, out, begin, end);
            begin = end;
        }
        lastFrequency = frequency[n - 1];
        lastInverseQ = inverseQ[n - 1];
        lastGain = gain[n - 1];
    }
    state1 = sanitise(state1);
    state2 = sanitise(state2);
}

BLowPassTovDSPInternal::BLowPassTovDSPInternal(const TovDSPArray& signal, const TovDSPArray& frequency,
                                               const TovDSPArray& inverseQ)
    : BEQBaseTovDSPInternal(signal, frequency, inverseQ, TovDSPArray(0.0f))
{
}

TovDSPInternal* BLowPassTovDSPInternal::channelNode(int channel)
{
    auto* clone = new BLowPassTovDSPInternal(inputs[0].channel(channel), inputs[1].channel(channel), inputs[2].channel(channel));
    clone->sampleDuration = sampleDuration;
    return clone;
}

void BLowPassTovDSPInternal::setCoefficients(float frequency, float inverseQ, float)
{
    const Angle a = angle(frequency, inverseQ);
    const double k = 1.0 / (1.0 + a.alpha);
    const double e = 1.0 - a.cw;
    b0 = b2 = e * 0.5 * k;
    b1 = e * k;
    feedback1 = a.cw * 2.0 * k;
    feedback2 = (1.0 - a.alpha) * -k;
}

BHiPassTovDSPInternal::BHiPassTovDSPInternal(const TovDSPArray& signal, const TovDSPArray& frequency,
                                             const TovDSPArray& inverseQ)
    : BEQBaseTovDSPInternal(signal, frequency, inverseQ, TovDSPArray(0.0f))
{
}

TovDSPInternal* BHiPassTovDSPInternal::channelNode(int channel)
{
    auto* clone = new BHiPassTovDSPInternal(inputs[0].channel(channel), inputs[1].channel(channel), inputs[2].channel(channel));
    clone->sampleDuration = sampleDuration;
    return clone;
}

void BHiPassTovDSPInternal::setCoefficients(float frequency, float inverseQ, float)
{
    const Angle a = angle(frequency, inverseQ);
    const double k = 1.0 / (1.0 + a.alpha);
    const double e = 1.0 + a.cw;
    b0 = b2 = e * 0.5 * k;
    b1 = -e * k;
    feedback1 = a.cw * 2.0 * k;
    feedback2 = (1.0 - a.alpha) * -k;
}

BPeakEQTovDSPInternal::BPeakEQTovDSPInternal(const TovDSPArray& signal, const TovDSPArray& frequency,
                                             const TovDSPArray& inverseQ, const TovDSPArray& gain)
    : BEQBaseTovDSPInternal(signal, frequency, inverseQ, gain)
{
}

TovDSPInternal* BPeakEQTovDSPInternal::channelNode(int channel)
{
    auto* clone = new BPeakEQTovDSPInternal(inputs[0].channel(channel), inputs[1].channel(channel),
                                            inputs[2].channel(channel), inputs[3].channel(channel));
    clone->sampleDuration = sampleDuration;
    return clone;
}

void BPeakEQTovDSPInternal::setCoefficients(float frequency, float inverseQ, float gain)
{
    const Angle a = angle(frequency, inverseQ);
    const double amplitude = std::pow(10.0, d(gain) * 0.025); // 10^(gain / 40)
    const double alphaA = a.alpha * amplitude;
    const double alphaD = a.alpha / amplitude;
    const double k = 1.0 / (1.0 + alphaD);
    b0 = (1.0 + alphaA) * k;
    feedback1 = a.cw * (2.0 * k);
    b1 = -feedback1;
    b2 = (1.0 - alphaA) * k;
    feedback2 = (1.0 - alphaD) * -k;
}

namespace
{
enum class Kind
{
    lowPass,
    hiPass,
    peak
};

TovDSPArray buildFilters(Kind kind, const TovDSPArray& givenSignal, const TovDSPArray& givenFrequency,
                         const TovDSPArray& givenInverseQ, const TovDSPArray& givenGain)
{
    const TovDSPArray& signal = givenSignal.orNull();
    const TovDSPArray& frequency = givenFrequency.orNull();
    const TovDSPArray& inverseQ = givenInverseQ.orNull();
    const TovDSPArray& gain = givenGain.orNull();
    unsigned int width = std::max(std::max(signal.width, frequency.width), inverseQ.width);
    if (kind == Kind::peak)
        width = std::max(width, gain.width);
    std::vector<TovDSPInternal*> made(width);
    for (unsigned int i = 0; i < width; ++i)
    {
        BEQBaseTovDSPInternal* node = nullptr;
        const float signalValue = signal.currentValue(i);
        if (kind == Kind::peak)
        {
            node = new BPeakEQTovDSPInternal(signal, frequency, inverseQ, gain);
            const float gainValue = gain.currentValue(i);
            node->setCoefficients(frequency.currentValue(i), inverseQ.currentValue(i), gainValue);
            node->setCurrentValue(fl(d(gainValue) * d(signalValue)));
        }
        else
        {
            if (kind == Kind::lowPass)
                node = new BLowPassTovDSPInternal(signal, frequency, inverseQ);
            else
                node = new BHiPassTovDSPInternal(signal, frequency, inverseQ);
            node->setCoefficients(frequency.currentValue(i), inverseQ.currentValue(i), 1.0f);
            node->setCurrentValue(signalValue);
        }
        made[i] = node;
    }
    return TovDSPArray(made.data(), static_cast<int>(width));
}
} // namespace

TovDSPArray BLowPass(const TovDSPArray& signal, const TovDSPArray& frequency, const TovDSPArray& inverseQ,
                     const TovDSPArray& mul, const TovDSPArray& add)
{
    return applyMulAdd(buildFilters(Kind::lowPass, signal, frequency, inverseQ, TovDSPArray::null()), mul, add);
}

TovDSPArray BHiPass(const TovDSPArray& signal, const TovDSPArray& frequency, const TovDSPArray& inverseQ,
                    const TovDSPArray& mul, const TovDSPArray& add)
{
    return applyMulAdd(buildFilters(Kind::hiPass, signal, frequency, inverseQ, TovDSPArray::null()), mul, add);
}

TovDSPArray BPeakEQ(const TovDSPArray& signal, const TovDSPArray& frequency, const TovDSPArray& inverseQ,
                    const TovDSPArray& gain, const TovDSPArray& mul, const TovDSPArray& add)
{
    return applyMulAdd(buildFilters(Kind::peak, signal, frequency, inverseQ, gain), mul, add);
}
} // namespace tovdsp
