#pragma once
#include <juce_core/juce_core.h>

namespace morvane3
{
// What one cabinet channel has selected: four codes (multiples of 10), their
// names ("" for codes outside the vocabulary) and the impulse-response name
// built from them. Message thread only.
struct ChannelSelection
{
    int cabinetCode = 10, microphoneCode = 10, positionCode = 10, distanceCode = 10;
    juce::String cabinetName, microphoneName, positionName, distanceName, irName;
};
} // namespace morvane3
