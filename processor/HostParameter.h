#pragma once
#include <juce_audio_processors/juce_audio_processors.h>

class Morvane3AudioProcessor;

namespace morvane3
{
// One row of the parameter table as a framework parameter object. The value
// lives in the processor; this object only forwards, so the index-based API
// of the processor and the host see the same numbers.
//
// Row 25 ("sampleRate") is a rate in Hz. VST2 and the standalone build show it
// raw (44100.0); formats whose hosts insist on normalised values (VST3, LV2)
// see it divided by maxSampleRateValue instead, and its text still reads in Hz.
class HostParameter : public juce::AudioProcessorParameterWithID
{
public:
    HostParameter(Morvane3AudioProcessor& owner, int row, bool normaliseSampleRate);

    float getValue() const override;
    void setValue(float newValue) override; // any thread
    float getDefaultValue() const override;
    juce::String getText(float value, int maximumLength) const override;
    float getValueForText(const juce::String& text) const override;

    // Between the processor's units (Hz for row 25) and this object's values.
    float toHostValue(float processorValue) const;
    float fromHostValue(float hostValue) const;

    int getIndexInTable() const { return index; }

    // The highest rate the processor prepares responses for, so that every
    // rate it can report stays within 0..1.
    static constexpr double maxSampleRateValue = 768000.0;

private:
    Morvane3AudioProcessor& processor;
    const int index;
    const bool sampleRateNormalised;
};
} // namespace morvane3
