#pragma once
// The catalogue's vocabulary: the cabinets, microphones, positions and
// distances with their selector codes (10, 20, 30 ...), the names the host,
// the editor and the impulse-response names use, the editor's display groups
// and the sets of cabinets that share microphone-placement pictures.
//
// Constant data: any thread may call these; nothing allocates except building
// the juce::String results.

#include <juce_core/juce_core.h>

#include <vector>

namespace morvane3
{
struct VocabularyEntry
{
    int code;                 // 10, 20, 30 ...
    const char* name;         // e.g. "1960", "U87", "Off Axis", "Far"
    const char* displayGroup; // section in the editor's box, "" for positions and distances
    const char* overlaySet;   // cabinets: "A", "B", or "" when the cabinet has pictures of its own
};

// In code order, as the editor lists them.
const std::vector<VocabularyEntry>& cabinets();
const std::vector<VocabularyEntry>& microphones();
const std::vector<VocabularyEntry>& positions();
const std::vector<VocabularyEntry>& distances();

// Name of a code; "" for a code that has no name.
juce::String cabinetName(int code);
juce::String microphoneName(int code);
juce::String positionName(int code);
juce::String distanceName(int code);

// Code of a name; 0 for a name that is not in the vocabulary.
int cabinetCode(const juce::String& name);
int microphoneCode(const juce::String& name);
int positionCode(const juce::String& name);
int distanceCode(const juce::String& name);

// Display group of a cabinet or microphone code ("4x12 Cabinets", "Dynamic
// Microphones" ...); "" for unknown codes.
juce::String cabinetDisplayGroup(int code);
juce::String microphoneDisplayGroup(int code);

// The set whose placement pictures the cabinet uses: "A", "B", or the
// cabinet's own name; "" for unknown codes.
juce::String cabinetOverlaySet(int code);

// Cabinet, microphone, position and distance names joined with single
// spaces: makeIRName("1960", "121", "On Axis", "Close") == "1960 121 On Axis Close".
juce::String makeIRName(const juce::String& cabinet, const juce::String& microphone, const juce::String& position,
                        const juce::String& distance);

// The same from selector codes; "" when any code has no name.
juce::String makeIRNameFromCodes(int cabinetCode, int microphoneCode, int positionCode, int distanceCode);
} // namespace morvane3
