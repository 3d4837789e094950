#include "editor/ControlTable.h"
#include "processor/ParameterTable.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

using namespace morvane3;

namespace
{
// Frame sizes of the eight knob strips (picture height / 127).
const std::map<std::string, std::pair<int, int>> frameSizes = {
    {"knobHPF", {80, 72}}, {"knobLPF", {80, 75}}, {"knobLMF", {83, 72}}, {"knobHMF", {63, 72}},
    {"knobLMGain", {69, 65}}, {"knobHMGain", {72, 65}}, {"knobChannelLevel", {78, 84}}, {"knobOutputLevel", {26, 26}},
};

// The parameter a control writes, named the way the settings document names it.
std::string expectedParameterName(const ControlSpec& spec)
{
    std::string id = spec.identifier;
    if (spec.kind == ControlKind::stepControl)
    {
        static const std::map<std::string, std::string> boxOf = {
            {"CabinetIncDec", "Cabinet"}, {"MicIncDec", "Microphone"}, {"MicPosIncDec", "MicPos"}, {"MicDistIncDec", "MicDistance"}};
        id = id.substr(0, 2) + boxOf.at(id.substr(2));
    }
    id[0] = (char) std::tolower((unsigned char) id[0]);
    return id;
}
} // namespace

TEST(ControlTable, HoldsFortyThreeUniquelyNamedControlsInsideTheWindow)
{
    std::set<std::string> identifiers;
    for (const auto& spec : controlTable())
    {
        identifiers.insert(spec.identifier);
        EXPECT_GE(spec.x, 0);
        EXPECT_GE(spec.y, 0);
        EXPECT_LE(spec.x + spec.width, 810) << spec.identifier;
        EXPECT_LE(spec.y + spec.height, 600) << spec.identifier;
        EXPECT_EQ(findControlRow(spec.identifier), (int) identifiers.size() - 1);
    }
    EXPECT_EQ(identifiers.size(), 43u);
    EXPECT_EQ(findControlRow("NoSuchControl"), -1);
    EXPECT_EQ(findControlRow(nullptr), -1);
}

TEST(ControlTable, EveryControlWritesTheParameterOfItsName)
{
    for (const auto& spec : controlTable())
    {
        if (spec.kind == ControlKind::textButton)
        {
            EXPECT_EQ(spec.parameterIndex, -1);
            continue;
        }
        ASSERT_TRUE(isValidParameterIndex(spec.parameterIndex)) << spec.identifier;
        const auto& info = parameterInfo(spec.parameterIndex);
        EXPECT_EQ(std::string(info.name), expectedParameterName(spec)) << spec.identifier;
        EXPECT_EQ(info.channel, spec.channel) << spec.identifier;
    }
}

TEST(ControlTable, KnobsSitOnTheirFrameSizeAndShareTheParameterRange)
{
    int knobs = 0;
    for (const auto& spec : controlTable())
    {
        if (spec.kind != ControlKind::filmStripKnob)
            continue;
        ++knobs;
        const auto frame = frameSizes.at(spec.strip);
        EXPECT_EQ(spec.width, frame.first) << spec.identifier;
        EXPECT_EQ(spec.height, frame.second) << spec.identifier;
        const auto& info = parameterInfo(spec.parameterIndex);
        EXPECT_EQ((float) spec.minimum, info.min) << spec.identifier;
        EXPECT_EQ((float) spec.maximum, info.max) << spec.identifier;
        EXPECT_GE(spec.doubleClickValue, spec.minimum);
        EXPECT_LE(spec.doubleClickValue, spec.maximum);
        EXPECT_FLOAT_EQ((float) spec.doubleClickValue, info.defaultLive) << spec.identifier;
    }
    EXPECT_EQ(knobs, 15);
}

TEST(ControlTable, SecondChannelMirrorsTheFirst400PixelsToTheRight)
{
    for (const auto& spec : controlTable())
    {
        const std::string id = spec.identifier;
        if (id.rfind("C2", 0) != 0)
            continue;
        const int mirror = findControlRow(("C1" + id.substr(2)).c_str());
        ASSERT_GE(mirror, 0) << id;
        const auto& first = controlTable()[(size_t) mirror];
        // Boxes and step controls of channel 2 sit 402 to the right, everything else 400.
        const bool selectionRow = spec.kind == ControlKind::selectionBox || spec.kind == ControlKind::stepControl;
        EXPECT_EQ(spec.x - first.x, selectionRow ? 402 : 400) << id;
        EXPECT_EQ(spec.y, first.y) << id;
        EXPECT_EQ(spec.width, first.width) << id;
        EXPECT_EQ(spec.kind, first.kind) << id;
    }
}

TEST(ControlTable, PresetButtonsTouchAsOneBlock)
{
    const auto& load = controlTable()[(size_t) findControlRow("LoadButton")];
    const auto& save = controlTable()[(size_t) findControlRow("SaveAsButton")];
    EXPECT_EQ(load.x + load.width + 1, save.x);
    EXPECT_EQ(load.y, save.y);
}
