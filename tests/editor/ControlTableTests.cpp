#include "editor/ControlTable.h"
#include "processor/ParameterTable.h"

#include <gtest/gtest.h>

#include <map>
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
