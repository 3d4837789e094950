#pragma once
// The processor's view of the catalogue: names of selector codes, the
// impulse-response name they make, and the compiled-in response for a name.
#include "processor/ParameterTable.h"

#include <juce_core/juce_core.h>

namespace morvane3
{
// "" for a code outside the field's vocabulary.
juce::String selectionName(SelectorField field, int code);

struct ImpulseResponseResource
{
    const void* data = nullptr;
    int size = 0;
};
ImpulseResponseResource lookUpImpulseResponse(const juce::String& irName); // null for unknown names
} // namespace morvane3
