#pragma once
// The processor's view of the catalogue: names of selector codes, the
// impulse-response name they make, and the decoded response for a name.
// Message thread (decoding allocates).
#include "dsp/Buffer.h"
#include "processor/ParameterTable.h"

#include <juce_core/juce_core.h>

namespace morvane3
{
// "" for a code outside the field's vocabulary.
juce::String selectionName(SelectorField field, int code);
juce::String impulseResponseName(const juce::String& cabinet, const juce::String& microphone,
                                 const juce::String& position, const juce::String& distance);

struct ImpulseResponseResource
{
    const void* data = nullptr;
    int size = 0;
};
ImpulseResponseResource lookUpImpulseResponse(const juce::String& irName); // null for unknown names
tovdsp::Buffer decodeImpulseResponse(const ImpulseResponseResource& resource, double workingSampleRate);
} // namespace morvane3
