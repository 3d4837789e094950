#pragma once
// The editor's 43 controls, one row each, in creation order (later rows lie on
// top of earlier ones). The editor builds itself from this table, and the
// handlers find each control's parameter and channel here.

#include <array>

namespace morvane3
{
enum class ControlKind
{
    selectionBox,
    filmStripKnob,
    muteButton,
    textButton,
    stepControl,
    bypassButton
};

enum class TooltipRule
{
    fixed,     // the text as it stands (selection boxes, buttons)
    frequency, // prefix + value + " Hz"
    gain,      // prefix + value + " dB"
    level,     // prefix + decibel text of a linear gain
    none       // step controls carry no tooltip
};

enum class SelectionList
{
    none,
    cabinet,
    microphone,
    position,
    distance
};

// Which setting of a channel a selection box or its step control chooses.
enum SelectorSlot
{
    cabinetSlot = 0,
    microphoneSlot,
    positionSlot,
    distanceSlot,
    numSelectorSlots
};

struct ControlSpec
{
    const char* identifier;
    ControlKind kind;
    int x, y, width, height;
    TooltipRule rule;
    const char* tooltip;         // fixed text, rule prefix, or a bypass button's "enabled" text
    const char* bypassedTooltip; // bypass buttons only
    const char* buttonText;      // mute and text buttons
    const char* strip;           // filmstrip picture of a knob
    double minimum, maximum, interval, doubleClickValue; // knobs
    SelectionList list;          // selection boxes and step controls
    int parameterIndex;          // -1 for the preset buttons
    int channel;                 // 0 = C1, 1 = C2, -1 = the whole plug-in
};

constexpr int numControls = 43;

const std::array<ControlSpec, numControls>& controlTable() noexcept;

// Row of `identifier`, or -1.
int findControlRow(const char* identifier) noexcept;

// Slot of a selection list (cabinet, microphone, position, distance).
int slotOfList(SelectionList list) noexcept;
} // namespace morvane3
