#pragma once
// What the editor needs from the catalogue, in one place: the entries of the
// selection boxes, the impulse-response name of four displayed texts and the
// channel pictures by name.

#include <juce_core/juce_core.h>

#include "editor/ControlTable.h"

#include <utility>
#include <vector>

namespace morvane3
{
struct SelectionEntry
{
    int code;         // selection code; 0 marks a section heading
    juce::String text;
};

// Headings and items of a box, in display order.
std::vector<SelectionEntry> selectionItems(SelectionList list);

// Items only (headings not counted).
int countSelectionItems(SelectionList list);

// The four texts joined by single blanks, as the catalogue names responses.
juce::String irNameFromTexts(const juce::String& cabinet, const juce::String& microphone,
                             const juce::String& position, const juce::String& distance);

// PNG data of a cabinet photograph or placement picture; (nullptr, 0) when unknown.
std::pair<const unsigned char*, int> channelPicture(const juce::String& name);
} // namespace morvane3
