#pragma once

namespace morvane3
{
// The host's parameter indices. The order is the host's; the settings document
// writes the same rows in the same order (the sample rate is row 25).
enum ParameterIndex : int
{
    outputLevel = 0,
    c1Cabinet,
    c1Microphone,
    c1MicPos,
    c1MicDistance,
    c1HPF,
    c1LMF,
    c1LMLevel,
    c1HMF,
    c1HMLevel,
    c1LPF,
    c1Level,
    c2Cabinet,
    c2Microphone,
    c2MicPos,
    c2MicDistance,
    c2HPF,
    c2LMF,
    c2LMLevel,
    c2HMF,
    c2HMLevel,
    c2LPF,
    c2Level,
    c1Mute,
    c2Mute,
    sampleRateIndex, // 25: a rate in Hz, not a normalised value
    c1HPFBypass,
    c1LMFBypass,
    c1HMFBypass,
    c1LPFBypass,
    c2HPFBypass,
    c2LMFBypass,
    c2HMFBypass,
    c2LPFBypass // 33
};

constexpr int numParameters = 34;

enum class ParameterKind
{
    Gain,       // 0..1, the live value is the parameter value (linear gain)
    Selector,   // code / 1000
    Continuous, // live value = denormalise(max, min, parameter value)
    Switch,     // 0 or 1, the live value is the parameter value
    SampleRate  // Hz, not normalised
};

// Which selection a selector row belongs to.
enum class SelectorField
{
    none = -1,
    cabinet = 0,
    microphone,
    position,
    distance
};

struct ParameterInfo
{
    int index;              // -1 for the empty row returned for bad indices
    const char* name;       // the host's name, the settings attribute and the parameter ID
    ParameterKind kind;
    float min, max;         // continuous rows; gains 0 and 1; others 0 and 0
    float defaultLive;      // default live value (selector rows: the code)
    int channel;            // 0 = C1, 1 = C2, -1 = neither
    SelectorField selector; // selector rows only
};

bool isValidParameterIndex(int index);

// Row `index`; an empty row (name "", index -1) for any other index.
const ParameterInfo& parameterInfo(int index);

// The default parameter value as the host sees it (row 25: 44100).
float defaultParameterValue(int index);

// A value for row `index` brought into the row's range: 0..1 for every
// normalised row, 8000..768000 Hz for the sample rate. NaN stays NaN (callers
// treat it as no value at all); values in range come back bit for bit.
float clampParameterValue(int index, float value);
double clampSampleRate(double rate);

// Row index of channel `channel`'s selector `field`; -1 for bad arguments.
int selectorParameterIndex(int channel, SelectorField field);

// Two decimals, rounded half up in magnitude: 0.50, 0.01, 44100.00, -3.25.
// Returns a std::string-free buffer to stay usable without JUCE.
struct ParameterText
{
    char text[48];
};
ParameterText formatParameterText(float value);
} // namespace morvane3
