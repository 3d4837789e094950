#pragma once
// The host's own copy of the impulse-response vocabulary: the selector codes and
// names, so that a user can pick a response by its catalogue name and the tool can
// name what a channel is set to. The plug-in is only ever reached through its
// parameters, never linked.
#include <optional>
#include <string>
#include <vector>

namespace morvane3::render
{

struct SelectorEntry
{
    int code;
    const char* name;
};

const std::vector<SelectorEntry>& cabinets();
const std::vector<SelectorEntry>& microphones();
const std::vector<SelectorEntry>& positions();
const std::vector<SelectorEntry>& distances();

struct IrSelection
{
    int cabinet = 10;
    int microphone = 10;
    int position = 10;
    int distance = 10;
};

// Every catalogue name in code order: cabinet, microphone, position, distance,
// joined with single spaces.
std::vector<std::string> allIrNames();

// The four codes of a catalogue name; nothing when the name is not in the catalogue.
std::optional<IrSelection> findIrSelection(const std::string& irName);

// The catalogue name of four codes; empty when a code has no name.
std::string irNameOf(const IrSelection& selection);

// The selector value a host writes for a code (code / 1000, rounded to float), and
// the code a selector value stands for (truncated, after rounding the product to float).
float codeToNormalised(int code);
int normalisedToCode(float value);

} // namespace morvane3::render
