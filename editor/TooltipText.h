#pragma once
// Texts of the knob tooltips. They are rebuilt on every timer tick for every
// knob, so they are plain functions of the value with no state.

#include <juce_core/juce_core.h>

namespace morvane3
{
// `value` with up to nine significant digits and no trailing zeros ("%.9g").
juce::String formatKnobNumber(double value);

// "-INF dB" at or below -100 dB, else a sign ("+" from 0 dB up), one decimal
// place rounded half up in magnitude, and " dB".
juce::String decibelText(double linearGain);

juce::String frequencyTooltip(const juce::String& prefix, double hertz); // "High Pass Filter: 20 Hz"
juce::String gainTooltip(const juce::String& prefix, double decibels);   // "Low Mid Level: -1.5 dB"
juce::String levelTooltip(const juce::String& prefix, double linearGain); // "Channel 1 Level: -6.0 dB"
} // namespace morvane3
