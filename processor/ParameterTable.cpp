#include "processor/ParameterTable.h"
#include "processor/ParameterScaler.h"
#include "catalogue/SampleRates.h"

#include <cmath>
#include <cstdio>

namespace morvane3
{
namespace
{
using K = ParameterKind;
using S = SelectorField;

const ParameterInfo rows[numParameters] = {
    { outputLevel, "outputLevel", K::Gain, 0.0f, 1.0f, 0.5f, -1, S::none },
    { c1Cabinet, "c1Cabinet", K::Selector, 0.0f, 0.0f, 10.0f, 0, S::cabinet },
    { c1Microphone, "c1Microphone", K::Selector, 0.0f, 0.0f, 10.0f, 0, S::microphone },
    { c1MicPos, "c1MicPos", K::Selector, 0.0f, 0.0f, 10.0f, 0, S::position },
    { c1MicDistance, "c1MicDistance", K::Selector, 0.0f, 0.0f, 10.0f, 0, S::distance },
    { c1HPF, "c1HPF", K::Continuous, 20.0f, 120.0f, 20.0f, 0, S::none },
    { c1LMF, "c1LMF", K::Continuous, 100.0f, 600.0f, 300.0f, 0, S::none },
    { c1LMLevel, "c1LMLevel", K::Continuous, -6.0f, 6.0f, 0.0f, 0, S::none },
    { c1HMF, "c1HMF", K::Continuous, 500.0f, 10000.0f, 4000.0f, 0, S::none },
    { c1HMLevel, "c1HMLevel", K::Continuous, -6.0f, 6.0f, 0.0f, 0, S::none },
    { c1LPF, "c1LPF", K::Continuous, 7000.0f, 14000.0f, 14000.0f, 0, S::none },
    { c1Level, "c1Level", K::Gain, 0.0f, 1.0f, 0.5f, 0, S::none },
    { c2Cabinet, "c2Cabinet", K::Selector, 0.0f, 0.0f, 10.0f, 1, S::cabinet },
    { c2Microphone, "c2Microphone", K::Selector, 0.0f, 0.0f, 10.0f, 1, S::microphone },
    { c2MicPos, "c2MicPos", K::Selector, 0.0f, 0.0f, 10.0f, 1, S::position },
    { c2MicDistance, "c2MicDistance", K::Selector, 0.0f, 0.0f, 10.0f, 1, S::distance },
    { c2HPF, "c2HPF", K::Continuous, 20.0f, 120.0f, 20.0f, 1, S::none },
    { c2LMF, "c2LMF", K::Continuous, 100.0f, 600.0f, 300.0f, 1, S::none },
    { c2LMLevel, "c2LMLevel", K::Continuous, -6.0f, 6.0f, 0.0f, 1, S::none },
    { c2HMF, "c2HMF", K::Continuous, 500.0f, 10000.0f, 4000.0f, 1, S::none },
    { c2HMLevel, "c2HMLevel", K::Continuous, -6.0f, 6.0f, 0.0f, 1, S::none },
    { c2LPF, "c2LPF", K::Continuous, 7000.0f, 14000.0f, 14000.0f, 1, S::none },
    { c2Level, "c2Level", K::Gain, 0.0f, 1.0f, 0.5f, 1, S::none },
    { c1Mute, "c1Mute", K::Switch, 0.0f, 0.0f, 0.0f, 0, S::none },
    { c2Mute, "c2Mute", K::Switch, 0.0f, 0.0f, 0.0f, 1, S::none },
    { sampleRateIndex, "sampleRate", K::SampleRate, 0.0f, 0.0f, 44100.0f, -1, S::none },
    { c1HPFBypass, "c1HPFBypass", K::Switch, 0.0f, 0.0f, 0.0f, 0, S::none },
    { c1LMFBypass, "c1LMFBypass", K::Switch, 0.0f, 0.0f, 0.0f, 0, S::none },
    { c1HMFBypass, "c1HMFBypass", K::Switch, 0.0f, 0.0f, 0.0f, 0, S::none },
    { c1LPFBypass, "c1LPFBypass", K::Switch, 0.0f, 0.0f, 0.0f, 0, S::none },
    { c2HPFBypass, "c2HPFBypass", K::Switch, 0.0f, 0.0f, 0.0f, 1, S::none },
    { c2LMFBypass, "c2LMFBypass", K::Switch, 0.0f, 0.0f, 0.0f, 1, S::none },
    { c2HMFBypass, "c2HMFBypass", K::Switch, 0.0f, 0.0f, 0.0f, 1, S::none },
    { c2LPFBypass, "c2LPFBypass", K::Switch, 0.0f, 0.0f, 0.0f, 1, S::none },
};

const ParameterInfo emptyRow { -1, "", K::Gain, 0.0f, 0.0f, 0.0f, -1, S::none };
} // namespace

bool isValidParameterIndex(int index)
{
    return index >= 0 && index < numParameters;
}

const ParameterInfo& parameterInfo(int index)
{
    return isValidParameterIndex(index) ? rows[index] : emptyRow;
}

float defaultParameterValue(int index)
{
    const auto& row = parameterInfo(index);
    const ParameterScaler scaler;
    switch (row.kind)
    {
    case K::Continuous: return scaler.normalise(row.max, row.min, row.defaultLive);
    case K::Selector: return scaler.codeToNormalised((int) row.defaultLive);
    case K::Switch: return 0.0f;
    case K::Gain: return row.index < 0 ? 0.0f : row.defaultLive;
    case K::SampleRate: return row.defaultLive;
    }
    return 0.0f;
}

double clampSampleRate(double rate)
{
    if (rate != rate)
        return rate;
    return rate < lowestPreparedRate ? lowestPreparedRate : (rate > highestPreparedRate ? highestPreparedRate : rate);
}

float clampParameterValue(int index, float value)
{
    if (index == sampleRateIndex)
        return (float) clampSampleRate((double) value);
    if (value != value)
        return value;
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

int selectorParameterIndex(int channel, SelectorField field)
{
    if (channel < 0 || channel > 1 || field == SelectorField::none)
        return -1;
    return (channel == 0 ? c1Cabinet : c2Cabinet) + (int) field;
}

ParameterText formatParameterText(float value)
{
    ParameterText result {};
    const double v = (double) value;
    if (! std::isfinite(v) || std::fabs(v) >= 1.0e15)
    {
        std::snprintf(result.text, sizeof(result.text), "%.2f", v);
        return result;
    }
    const auto hundredths = (unsigned long long) (std::fabs(v) * 100.0 + 0.5);
    std::snprintf(result.text, sizeof(result.text), "%s%llu.%02llu", v < 0.0 ? "-" : "",
                  hundredths / 100ull, hundredths % 100ull);
    return result;
}
} // namespace morvane3
