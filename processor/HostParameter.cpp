#include "processor/HostParameter.h"
#include "processor/Morvane3AudioProcessor.h"
#include "processor/ParameterTable.h"

namespace morvane3
{
HostParameter::HostParameter(Morvane3AudioProcessor& owner, int row, bool normaliseSampleRate)
    : juce::AudioProcessorParameterWithID(juce::ParameterID { parameterInfo(row).name, 1 }, parameterInfo(row).name),
      processor(owner),
      index(row),
      sampleRateNormalised(normaliseSampleRate && row == sampleRateIndex)
{
}

float HostParameter::toHostValue(float processorValue) const
{
    return sampleRateNormalised ? (float) ((double) processorValue / maxSampleRateValue) : processorValue;
}

float HostParameter::fromHostValue(float hostValue) const
{
    return sampleRateNormalised ? (float) ((double) hostValue * maxSampleRateValue) : hostValue;
}

float HostParameter::getValue() const
{
    return toHostValue(processor.getParameterValue(index));
}

void HostParameter::setValue(float newValue)
{
    processor.setParameterValue(index, fromHostValue(newValue));
}

float HostParameter::getDefaultValue() const
{
    return toHostValue(defaultParameterValue(index));
}

juce::String HostParameter::getText(float value, int maximumLength) const
{
    const juce::String text(formatParameterText(fromHostValue(value)).text);
    return maximumLength > 0 ? text.substring(0, maximumLength) : text;
}

float HostParameter::getValueForText(const juce::String& text) const
{
    return toHostValue(text.trim().getFloatValue());
}
} // namespace morvane3
