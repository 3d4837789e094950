#include "editor/CatalogueAccess.h"

#include "catalogue/ResourceLookup.h"
#include "catalogue/Vocabulary.h"

namespace morvane3
{
namespace
{
const std::vector<VocabularyEntry>* entriesOf(SelectionList list)
{
    switch (list)
    {
    case SelectionList::cabinet: return &cabinets();
    case SelectionList::microphone: return &microphones();
    case SelectionList::position: return &positions();
    case SelectionList::distance: return &distances();
    case SelectionList::none: break;
    }
    return nullptr;
}
} // namespace

std::vector<SelectionEntry> selectionItems(SelectionList list)
{
    std::vector<SelectionEntry> items;
    const auto* entries = entriesOf(list);
    if (entries == nullptr)
        return items;

    // A heading opens each display group; positions and distances have none.
    juce::String group;
    for (const auto& entry : *entries)
    {
        const juce::String entryGroup(entry.displayGroup);
        if (entryGroup.isNotEmpty() && entryGroup != group)
            items.push_back({0, entryGroup});
        group = entryGroup;
        items.push_back({entry.code, entry.name});
    }
    return items;
}

int countSelectionItems(SelectionList list)
{
    const auto* entries = entriesOf(list);
    return entries != nullptr ? (int) entries->size() : 0;
}

juce::String irNameFromTexts(const juce::String& cabinet, const juce::String& microphone, const juce::String& position,
                             const juce::String& distance)
{
    return makeIRName(cabinet, microphone, position, distance);
}

std::pair<const unsigned char*, int> channelPicture(const juce::String& name)
{
    const auto picture = findPicture(name);
    return {static_cast<const unsigned char*>(picture.first), picture.second};
}
} // namespace morvane3
