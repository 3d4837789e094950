#include "editor/CatalogueAccess.h"

#include "processor/SelectionNames.h"
#include "resources/ResourceTable.h"

namespace morvane3
{
namespace
{
struct Group
{
    const char* heading; // nullptr: no heading
    int firstCode, lastCode;
};

std::vector<Group> groupsOf(SelectionList list)
{
    switch (list)
    {
    case SelectionList::cabinet:
        return {{"4x12 Cabinets", 10, 100}, {"2x12 Cabinets", 110, 120}, {"Vintage Combos", 130, 180}, {"Bass Cabinets", 190, 200}};
    case SelectionList::microphone: return {{"Dynamic Microphones", 10, 60}, {"Condenser Microphones", 70, 80}};
    case SelectionList::position: return {{nullptr, 10, 20}};
    case SelectionList::distance: return {{nullptr, 10, 30}};
    case SelectionList::none: break;
    }
    return {};
}

SelectorField fieldOf(SelectionList list)
{
    switch (list)
    {
    case SelectionList::cabinet: return SelectorField::cabinet;
    case SelectionList::microphone: return SelectorField::microphone;
    case SelectionList::position: return SelectorField::position;
    case SelectionList::distance: return SelectorField::distance;
    case SelectionList::none: break;
    }
    return SelectorField::none;
}
} // namespace

std::vector<SelectionEntry> selectionItems(SelectionList list)
{
    std::vector<SelectionEntry> entries;
    for (const auto& group : groupsOf(list))
    {
        if (group.heading != nullptr)
            entries.push_back({0, group.heading});
        for (int code = group.firstCode; code <= group.lastCode; code += 10)
            entries.push_back({code, selectionName(fieldOf(list), code)});
    }
    return entries;
}

int countSelectionItems(SelectionList list)
{
    int items = 0;
    for (const auto& entry : selectionItems(list))
        items += entry.code != 0 ? 1 : 0;
    return items;
}

juce::String irNameFromTexts(const juce::String& cabinet, const juce::String& microphone, const juce::String& position,
                             const juce::String& distance)
{
    return impulseResponseName(cabinet, microphone, position, distance);
}

std::pair<const unsigned char*, int> channelPicture(const juce::String& name)
{
    return findResource(pictureTable, name.toRawUTF8());
}
} // namespace morvane3
