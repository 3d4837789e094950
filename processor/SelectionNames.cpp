#include "processor/SelectionNames.h"

#include "catalogue/ResourceLookup.h"
#include "catalogue/Vocabulary.h"

namespace morvane3
{
juce::String selectionName(SelectorField field, int code)
{
    switch (field)
    {
    case SelectorField::cabinet: return cabinetName(code);
    case SelectorField::microphone: return microphoneName(code);
    case SelectorField::position: return positionName(code);
    case SelectorField::distance: return distanceName(code);
    case SelectorField::none: break;
    }
    return {};
}

ImpulseResponseResource lookUpImpulseResponse(const juce::String& irName)
{
    const auto entry = findImpulseResponse(irName);
    return { entry.first, entry.second };
}
} // namespace morvane3
