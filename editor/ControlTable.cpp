#include "editor/ControlTable.h"

#include <cstring>

namespace morvane3
{
namespace
{
constexpr ControlSpec box(const char* id, int x, int y, const char* tooltip, SelectionList list, int parameter, int channel)
{
    return {id, ControlKind::selectionBox, x, y, 140, 20, TooltipRule::fixed, tooltip, nullptr, nullptr, nullptr, 0, 0, 0, 0, list, parameter, channel};
}

constexpr ControlSpec knob(const char* id, int x, int y, int w, int h, TooltipRule rule, const char* prefix, const char* strip,
                           double minimum, double maximum, double interval, double doubleClick, int parameter, int channel)
{
    return {id, ControlKind::filmStripKnob, x, y, w, h, rule, prefix, nullptr, nullptr, strip, minimum, maximum, interval, doubleClick, SelectionList::none, parameter, channel};
}

constexpr ControlSpec mute(const char* id, int x, const char* tooltip, int parameter, int channel)
{
    return {id, ControlKind::muteButton, x, 56, 24, 15, TooltipRule::fixed, tooltip, nullptr, "Mute", nullptr, 0, 0, 0, 0, SelectionList::none, parameter, channel};
}

constexpr ControlSpec textButton(const char* id, int x, const char* tooltip, const char* text)
{
    return {id, ControlKind::textButton, x, 8, 64, 22, TooltipRule::fixed, tooltip, nullptr, text, nullptr, 0, 0, 0, 0, SelectionList::none, -1, -1};
}

constexpr ControlSpec step(const char* id, int x, int y, SelectionList list, int parameter, int channel)
{
    return {id, ControlKind::stepControl, x, y, 30, 20, TooltipRule::none, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, list, parameter, channel};
}

constexpr ControlSpec bypass(const char* id, int x, int y, const char* enabled, const char* bypassed, int parameter, int channel)
{
    return {id, ControlKind::bypassButton, x, y, 11, 11, TooltipRule::fixed, enabled, bypassed, nullptr, nullptr, 0, 0, 0, 0, SelectionList::none, parameter, channel};
}

using R = TooltipRule;
using L = SelectionList;

// Knobs sit exactly on their frame size, over the scales of the equaliser panel.
const std::array<ControlSpec, numControls> table{{
    box("C1Cabinet", 25, 355, "Cabinet 1", L::cabinet, 1, 0),
    box("C1Microphone", 215, 355, "Microphone", L::microphone, 2, 0),
    box("C1MicPos", 25, 400, "Mic Position", L::position, 3, 0),
    box("C1MicDistance", 215, 400, "Mic Distance", L::distance, 4, 0),
    knob("C1HPF", 19, 442, 80, 72, R::frequency, "High Pass Filter: ", "knobHPF", 20, 120, 1, 20, 5, 0),
    knob("C1LPF", 19, 514, 80, 75, R::frequency, "Low Pass Filter: ", "knobLPF", 7000, 14000, 1, 14000, 10, 0),
    knob("C1LMF", 112, 442, 83, 72, R::frequency, "Low Mid Frequency: ", "knobLMF", 100, 600, 1, 300, 6, 0),
    knob("C1HMF", 219, 442, 63, 72, R::frequency, "High Mid Frequency: ", "knobHMF", 500, 10000, 1, 4000, 8, 0),
    knob("C1LMLevel", 120, 519, 69, 65, R::gain, "Low Mid Level: ", "knobLMGain", -6, 6, 0.5, 0, 7, 0),
    knob("C1HMLevel", 214, 519, 72, 65, R::gain, "High Mid Level: ", "knobHMGain", -6, 6, 0.5, 0, 9, 0),
    knob("C1Level", 305, 505, 78, 84, R::level, "Channel 1 Level: ", "knobChannelLevel", 0, 1, 0.01, 0.5, 11, 0),
    knob("C2HPF", 419, 442, 80, 72, R::frequency, "High Pass Filter: ", "knobHPF", 20, 120, 1, 20, 16, 1),
    knob("C2LPF", 419, 514, 80, 75, R::frequency, "Low Pass Filter: ", "knobLPF", 7000, 14000, 1, 14000, 21, 1),
    knob("C2LMF", 512, 442, 83, 72, R::frequency, "Low Mid Frequency: ", "knobLMF", 100, 600, 1, 300, 17, 1),
    knob("C2HMF", 619, 442, 63, 72, R::frequency, "High Mid Frequency: ", "knobHMF", 500, 10000, 1, 4000, 19, 1),
    knob("C2LMLevel", 520, 519, 69, 65, R::gain, "Low Mid Level: ", "knobLMGain", -6, 6, 0.5, 0, 18, 1),
    knob("C2HMLevel", 614, 519, 72, 65, R::gain, "High Mid Level: ", "knobHMGain", -6, 6, 0.5, 0, 20, 1),
    knob("C2Level", 705, 505, 78, 84, R::level, "Channel 2 Level: ", "knobChannelLevel", 0, 1, 0.01, 0.5, 22, 1),
    box("C2Cabinet", 427, 355, "Cabinet 2", L::cabinet, 12, 1),
    box("C2Microphone", 617, 355, "Microphone", L::microphone, 13, 1),
    box("C2MicPos", 427, 400, "Mic Position", L::position, 14, 1),
    box("C2MicDistance", 617, 400, "Mic Distance", L::distance, 15, 1),
    knob("OutputLevel", 773, 6, 26, 26, R::level, "Master Level: ", "knobOutputLevel", 0, 1, 0.01, 0.5, 0, -1),
    mute("C1Mute", 370, "Channel 1 Mute", 23, 0),
    mute("C2Mute", 770, "Channel 2 Mute", 24, 1),
    textButton("SaveAsButton", 406, "Save Preset", "Save"),
    textButton("LoadButton", 341, "Load Preset", "Load"),
    step("C1CabinetIncDec", 170, 355, L::cabinet, 1, 0),
    step("C1MicIncDec", 360, 355, L::microphone, 2, 0),
    step("C1MicPosIncDec", 170, 400, L::position, 3, 0),
    step("C1MicDistIncDec", 360, 400, L::distance, 4, 0),
    step("C2CabinetIncDec", 572, 355, L::cabinet, 12, 1),
    step("C2MicIncDec", 762, 355, L::microphone, 13, 1),
    step("C2MicPosIncDec", 572, 400, L::position, 14, 1),
    step("C2MicDistIncDec", 762, 400, L::distance, 15, 1),
    bypass("C1HPFBypass", 66, 503, "High Pass Filter Enabled", "High Pass Filter Bypassed", 26, 0),
    bypass("C1LPFBypass", 69, 576, "Low Pass Filter Enabled", "Low Pass Filter Bypassed", 29, 0),
    bypass("C1LMFBypass", 162, 503, "Low Mid EQ Enabled", "Low Mid EQ Bypassed", 27, 0),
    bypass("C1HMFBypass", 262, 503, "High Mid EQ Enabled", "High Mid EQ Bypassed", 28, 0),
    bypass("C2HPFBypass", 466, 503, "High Pass Filter Enabled", "High Pass Filter Bypassed", 30, 1),
    bypass("C2LPFBypass", 469, 576, "Low Pass Filter Enabled", "Low Pass Filter Bypassed", 33, 1),
    bypass("C2LMFBypass", 562, 503, "Low Mid EQ Enabled", "Low Mid EQ Bypassed", 31, 1),
    bypass("C2HMFBypass", 662, 503, "High Mid EQ Enabled", "High Mid EQ Bypassed", 32, 1),
}};
} // namespace

const std::array<ControlSpec, numControls>& controlTable() noexcept
{
    return table;
}

int findControlRow(const char* identifier) noexcept
{
    if (identifier == nullptr)
        return -1;
    for (int row = 0; row < numControls; ++row)
        if (std::strcmp(table[(size_t) row].identifier, identifier) == 0)
            return row;
    return -1;
}

int slotOfList(SelectionList list) noexcept
{
    switch (list)
    {
    case SelectionList::cabinet: return cabinetSlot;
    case SelectionList::microphone: return microphoneSlot;
    case SelectionList::position: return positionSlot;
    case SelectionList::distance: return distanceSlot;
    case SelectionList::none: break;
    }
    return -1;
}
} // namespace morvane3
