#include "editor/TooltipText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace morvane3
{
juce::String formatKnobNumber(double value)
{
    char text[40];
    std::snprintf(text, sizeof(text), "%.9g", value);
    return juce::String(text);
}

juce::String decibelText(double linearGain)
{
    constexpr double minusInfinityDb = -100.0;
    const double decibels = linearGain > 0.0 ? std::max(minusInfinityDb, 20.0 * std::log10(linearGain)) : minusInfinityDb;
    if (decibels <= minusInfinityDb)
        return "-INF dB";

    // Tenths rounded half up in magnitude; the sign comes from the unrounded
    // value, so -0.04 dB reads "-0.0 dB".
    const double tenths = std::floor(std::abs(decibels) * 10.0 + 0.5);
    const long long whole = (long long) tenths / 10;
    const int fraction = (int) ((long long) tenths % 10);
    juce::String text(decibels >= 0.0 ? "+" : "-");
    text << juce::String(whole) << "." << juce::String(fraction) << " dB";
    return text;
}

juce::String frequencyTooltip(const juce::String& prefix, double hertz)
{
    return prefix + formatKnobNumber(hertz) + " Hz";
}

juce::String gainTooltip(const juce::String& prefix, double decibels)
{
    return prefix + formatKnobNumber(decibels) + " dB";
}

juce::String levelTooltip(const juce::String& prefix, double linearGain)
{
    return prefix + decibelText(linearGain);
}
} // namespace morvane3
