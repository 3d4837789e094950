#include "ProcessorTestSupport.h"

#include "processor/HostParameter.h"
#include "processor/ParameterScaler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <set>

using namespace morvane3;

namespace
{
// The host's names in index order, written out independently of the table.
const char* const expectedNames[numParameters] = {
    "outputLevel", "c1Cabinet", "c1Microphone", "c1MicPos", "c1MicDistance", "c1HPF", "c1LMF", "c1LMLevel",
    "c1HMF", "c1HMLevel", "c1LPF", "c1Level", "c2Cabinet", "c2Microphone", "c2MicPos", "c2MicDistance",
    "c2HPF", "c2LMF", "c2LMLevel", "c2HMF", "c2HMLevel", "c2LPF", "c2Level", "c1Mute",
    "c2Mute", "sampleRate", "c1HPFBypass", "c1LMFBypass", "c1HMFBypass", "c1LPFBypass", "c2HPFBypass", "c2LMFBypass",
    "c2HMFBypass", "c2LPFBypass"
};

const std::vector<std::vector<const char*>> vocabulary = {
    { "1960", "Angora", "Eagle", "Excel", "Green", "Igor", "Ogre", "Oversize", "Sterling", "Tangerine", "Damien",
      "Genzie", "Blackface", "Chordal", "Dazed", "Top Boost", "Tweed", "Zodiac", "Manatee", "Motown" },
    { "121", "409", "421", "545", "57", "i5", "Reference", "U87" },
    { "On Axis", "Off Axis" },
    { "Close", "Mid", "Far" },
};

juce::MemoryBlock chunkOf(Morvane3AudioProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation(block);
    return block;
}

class ParameterTest : public ::testing::Test
{
protected:
    void SetUp() override { proctest::ensureJuceRuntime(); }
};
} // namespace

TEST(ParameterScaler, RoundsAtTheStatedPointsAndRoundTripsEverySelectorCode)
{
    const ParameterScaler scaler;
    EXPECT_EQ(scaler.codeToNormalised(10), 0.00999999978f);
    EXPECT_EQ((double) scaler.codeToNormalised(10), (double) (float) 0.01);
    for (int code = 10; code <= 200; code += 10)
        EXPECT_EQ(scaler.normalisedToCode(scaler.codeToNormalised(code)), code) << code;
    EXPECT_EQ(scaler.normalisedToCode(0.015f), 15);
    EXPECT_EQ(scaler.normalisedToCode(-0.0199f), -19); // toward zero
    EXPECT_EQ(scaler.normalisedToCode(std::nanf("")), 0);
    EXPECT_EQ(scaler.normalisedToCode(1.0e30f), 2147483647);

    EXPECT_EQ(scaler.normalise(600.0f, 100.0f, 300.0f), 0.4f);
    EXPECT_EQ(scaler.normalise(10000.0f, 500.0f, 4000.0f), (float) (3500.0 / 9500.0));
    EXPECT_EQ(scaler.denormalise(120.0f, 20.0f, 2.0f), 220.0f);
    EXPECT_EQ(scaler.denormalise(6.0f, -6.0f, 0.5f), 0.0f);
    // Every default live value survives normalise then denormalise.
    for (int index = 0; index < numParameters; ++index)
    {
        const auto& row = parameterInfo(index);
        if (row.kind == ParameterKind::Continuous)
        {
            EXPECT_EQ(scaler.denormalise(row.max, row.min, scaler.normalise(row.max, row.min, row.defaultLive)),
                      row.defaultLive)
                << row.name;
        }
    }
}

TEST_F(ParameterTest, FreshProcessorReportsTheTableNamesDefaultsAndTexts)
{
    Morvane3AudioProcessor processor;
    ASSERT_EQ(processor.getParameters().size(), 34);
    std::set<juce::String> ids;
    for (int index = 0; index < numParameters; ++index)
    {
        EXPECT_EQ(processor.getParameterNameForIndex(index), expectedNames[index]);
        auto* parameter = dynamic_cast<juce::AudioProcessorParameterWithID*>(processor.getParameters()[index]);
        ASSERT_NE(parameter, nullptr);
        EXPECT_EQ(parameter->getName(64), expectedNames[index]);
        EXPECT_EQ(parameter->getParameterIndex(), index);
        EXPECT_LE(parameter->getName(64).length(), 15);
        ids.insert(parameter->getParameterID());
    }
    EXPECT_EQ(ids.size(), 34u);

    const float selectorDefault = 0.00999999978f;
    const float expected[numParameters] = { 0.5f, selectorDefault, selectorDefault, selectorDefault, selectorDefault,
                                            0.0f, 0.400000006f, 0.5f, 0.368421048f, 0.5f, 1.0f, 0.5f,
                                            selectorDefault, selectorDefault, selectorDefault, selectorDefault,
                                            0.0f, 0.400000006f, 0.5f, 0.368421048f, 0.5f, 1.0f, 0.5f, 0.0f, 0.0f,
                                            44100.0f, 0, 0, 0, 0, 0, 0, 0, 0 };
    for (int index = 0; index < numParameters; ++index)
    {
        EXPECT_EQ(processor.getParameterValue(index), expected[index]) << expectedNames[index];
        EXPECT_EQ(processor.getParameters()[index]->getValue(), expected[index]) << expectedNames[index];
    }

    EXPECT_EQ(processor.getParameterText(outputLevel), "0.50");
    EXPECT_EQ(processor.getParameterText(c1HPF), "0.00");
    EXPECT_EQ(processor.getParameterText(c1Cabinet), "0.01");
    EXPECT_EQ(processor.getParameterText(c1HMF), "0.37");
    EXPECT_EQ(processor.getParameterText(sampleRateIndex), "44100.00");
    EXPECT_EQ(processor.getParameters()[c1LMF]->getCurrentValueAsText(), "0.40");
    EXPECT_EQ(processor.getParameters()[sampleRateIndex]->getCurrentValueAsText(), "44100.00");

    const auto& live = processor.getLiveValues();
    EXPECT_EQ(live.outputLevel.load(), 0.5f);
    for (const auto& channel : live.channels)
    {
        EXPECT_EQ(channel.hpfHz.load(), 20.0f);
        EXPECT_EQ(channel.lmfHz.load(), 300.0f);
        EXPECT_EQ(channel.hmfHz.load(), 4000.0f);
        EXPECT_EQ(channel.lpfHz.load(), 14000.0f);
        EXPECT_EQ(channel.lmGainDb.load(), 0.0f);
        EXPECT_EQ(channel.level.load(), 0.5f);
        EXPECT_EQ(channel.mute.load(), 0.0f);
    }
    for (int channel = 0; channel < 2; ++channel)
        EXPECT_EQ(processor.getSelection(channel).irName, "1960 121 On Axis Close");
}

TEST(ParameterText, RoundsHalfUpInMagnitudeWithTwoDecimals)
{
    EXPECT_STREQ(formatParameterText(0.125f).text, "0.13");  // exactly half: up
    EXPECT_STREQ(formatParameterText(-0.125f).text, "-0.13"); // in magnitude
    EXPECT_STREQ(formatParameterText(0.005f).text, "0.00");   // the float lies just below 0.005
    EXPECT_STREQ(formatParameterText(0.994f).text, "0.99");
    EXPECT_STREQ(formatParameterText(0.996f).text, "1.00");
    EXPECT_STREQ(formatParameterText(-3.256f).text, "-3.26");
    EXPECT_STREQ(formatParameterText(48000.0f).text, "48000.00");
    EXPECT_STREQ(formatParameterText(2.0f).text, "2.00");
}

TEST_F(ParameterTest, BadIndicesAreIgnored)
{
    Morvane3AudioProcessor processor;
    EXPECT_EQ(processor.getParameterNameForIndex(34), "");
    EXPECT_EQ(processor.getParameterNameForIndex(-1), "");
    EXPECT_EQ(processor.getParameterValue(-1), 0.0f);
    EXPECT_EQ(processor.getParameterValue(34), 0.0f);
    const auto before = chunkOf(processor);
    processor.setParameterValue(34, 0.7f);
    processor.setParameterValue(-1, 0.7f);
    processor.setParameterValueNotifyingHost(1000, 0.7f);
    EXPECT_EQ(chunkOf(processor), before);
}

TEST_F(ParameterTest, EverySelectorCodeDerivesItsNameAndUnknownCodesHaveNone)
{
    Morvane3AudioProcessor processor;
    const ParameterScaler scaler;
    for (int channel = 0; channel < 2; ++channel)
    {
        for (int field = 0; field < 4; ++field)
        {
            const int index = (channel == 0 ? c1Cabinet : c2Cabinet) + field;
            const auto& names = vocabulary[(size_t) field];
            for (size_t i = 0; i < names.size(); ++i)
            {
                const int code = 10 * (int) (i + 1);
                processor.setParameterValue(index, scaler.codeToNormalised(code));
                processor.deriveSelection(channel);
                const auto& selection = processor.getSelection(channel);
                const int codes[4] = { selection.cabinetCode, selection.microphoneCode, selection.positionCode,
                                       selection.distanceCode };
                const juce::String selected[4] = { selection.cabinetName, selection.microphoneName,
                                                   selection.positionName, selection.distanceName };
                EXPECT_EQ(codes[field], code);
                EXPECT_EQ(selected[field], names[i]);
                EXPECT_EQ(selection.irName, selection.cabinetName + " " + selection.microphoneName + " "
                                                + selection.positionName + " " + selection.distanceName);
            }
            processor.setParameterValue(index, scaler.codeToNormalised(10));
        }
    }

    processor.setParameterValue(c1Cabinet, 0.2f);
    processor.deriveSelection(0);
    EXPECT_EQ(processor.getSelection(0).cabinetCode, 200);
    EXPECT_EQ(processor.getSelection(0).irName, "Motown 121 On Axis Close");

    processor.setParameterValue(c1Cabinet, 0.015f);
    processor.setParameterValue(c1MicPos, 0.03f); // one past the last position
    processor.deriveSelection(0);
    EXPECT_EQ(processor.getSelection(0).cabinetCode, 15);
    EXPECT_EQ(processor.getSelection(0).cabinetName, "");
    EXPECT_EQ(processor.getSelection(0).positionName, "");
}

TEST_F(ParameterTest, HostWritesReachTheLiveValues)
{
    Morvane3AudioProcessor processor;
    auto& parameters = processor.getParameters();
    auto& c1 = processor.getLiveValues().channels[0];
    auto& c2 = processor.getLiveValues().channels[1];

    parameters[c1HPF]->setValueNotifyingHost(1.0f);
    EXPECT_EQ(processor.getParameterValue(c1HPF), 1.0f);
    EXPECT_EQ(c1.hpfHz.load(), 120.0f);
    parameters[c2LMLevel]->setValue(0.25f);
    EXPECT_EQ(c2.lmGainDb.load(), -3.0f);
    parameters[c2LPF]->setValue(0.5f);
    EXPECT_EQ(c2.lpfHz.load(), 10500.0f);
    parameters[c1Mute]->setValue(1.0f);
    EXPECT_EQ(c1.mute.load(), 1.0f);
    parameters[c2HMFBypass]->setValue(1.0f);
    EXPECT_EQ(c2.hmfBypass.load(), 1.0f);
    parameters[c1Level]->setValue(0.125f);
    EXPECT_EQ(c1.level.load(), 0.125f);
    parameters[outputLevel]->setValue(0.75f);
    EXPECT_EQ(processor.getLiveValues().outputLevel.load(), 0.75f);
    EXPECT_EQ(c2.hpfHz.load(), 20.0f); // the other channel untouched

    // A selector write changes no selection until the message thread applies it.
    processor.setParameterValue(c2Cabinet, 0.2f);
    EXPECT_EQ(processor.getSelection(1).cabinetName, "1960");
    processor.applyPendingSelectionChanges();
    EXPECT_EQ(processor.getSelection(1).cabinetName, "Motown");
    EXPECT_EQ(processor.getLoadedImpulseResponseName(1), "Motown 121 On Axis Close");
    EXPECT_EQ(processor.getSelection(0).cabinetName, "1960");
}

TEST_F(ParameterTest, SampleRateRowReadsTheWorkingRateAndStoresTheFallback)
{
    Morvane3AudioProcessor processor;
    processor.setParameterValue(sampleRateIndex, 96000.0f);
    EXPECT_EQ(processor.getStoredSampleRate(), 96000.0);
    EXPECT_EQ(processor.getParameterValue(sampleRateIndex), 44100.0f);

    processor.prepareToPlay(48000.0, 256);
    EXPECT_EQ(processor.getParameterValue(sampleRateIndex), 48000.0f);
    EXPECT_EQ(processor.getParameterText(sampleRateIndex), "48000.00");

    processor.prepareToPlay(22050.0, 256); // any believable host rate is worked at
    EXPECT_EQ(processor.getWorkingSampleRate(), 22050.0);
    EXPECT_EQ(processor.getParameterValue(sampleRateIndex), 22050.0f);
    EXPECT_EQ(processor.getStoredSampleRate(), 96000.0);

    processor.prepareToPlay(4000.0, 256); // beyond belief: the stored rate is used
    EXPECT_EQ(processor.getWorkingSampleRate(), 96000.0);
    EXPECT_EQ(processor.getParameterValue(sampleRateIndex), 96000.0f);

    // Writes beyond the rates worked at are clamped to them; no number is no write.
    const std::pair<float, double> writes[] = { { 1.0e30f, 768000.0 }, { -5.0f, 8000.0 }, { 0.5f, 8000.0 },
                                                { 176400.0f, 176400.0 },
                                                { std::numeric_limits<float>::quiet_NaN(), 176400.0 },
                                                { std::numeric_limits<float>::infinity(), 176400.0 } };
    for (const auto& [written, stored] : writes)
    {
        processor.setParameterValue(sampleRateIndex, written);
        EXPECT_EQ(processor.getStoredSampleRate(), stored) << written;
    }
}

TEST_F(ParameterTest, NormalisedFormatsSeeTheSampleRateScaledAndTheSameText)
{
    Morvane3AudioProcessor processor;
    HostParameter normalised(processor, sampleRateIndex, true);
    HostParameter raw(processor, sampleRateIndex, false);
    HostParameter level(processor, outputLevel, true);

    EXPECT_EQ(raw.getValue(), 44100.0f);
    EXPECT_FLOAT_EQ(normalised.getValue(), (float) (44100.0 / HostParameter::maxSampleRateValue));
    EXPECT_GE(normalised.getValue(), 0.0f);
    EXPECT_LE(normalised.getValue(), 1.0f);
    EXPECT_EQ(normalised.getText(normalised.getValue(), 100), "44100.00");
    EXPECT_EQ(normalised.getCurrentValueAsText(), raw.getCurrentValueAsText());
    EXPECT_FLOAT_EQ(normalised.getDefaultValue() * (float) HostParameter::maxSampleRateValue, 44100.0f);

    normalised.setValue(0.125f);
    EXPECT_EQ(processor.getStoredSampleRate(), 96000.0);
    EXPECT_FLOAT_EQ(normalised.getValueForText("192000"), 0.25f);
    // The highest rate worked at is the top of the normalised range.
    processor.prepareToPlay(768000.0, 64);
    EXPECT_EQ(normalised.getValue(), 1.0f);
    EXPECT_EQ(level.getValue(), 0.5f); // only row 25 is scaled
    EXPECT_FLOAT_EQ(level.getValueForText("0.75"), 0.75f);
}

TEST_F(ParameterTest, TheTimerLoadsAutomatedSelectionsOncePerBurst)
{
    Morvane3AudioProcessor processor;
    processor.prepareToPlay(44100.0, 256);
    auto& parameters = processor.getParameters();
    // A burst of writes, as a host's automation lane sends them.
    for (float value : { 0.05f, 0.06f, 0.07f, 0.18f })
        parameters[c1Cabinet]->setValue(value);
    parameters[c2MicDistance]->setValue(0.03f);
    EXPECT_EQ(processor.getLoadedImpulseResponseName(0), "1960 121 On Axis Close");

    juce::MessageManager::getInstance()->runDispatchLoopUntil(300);
    EXPECT_EQ(processor.getLoadedImpulseResponseName(0), "Zodiac 121 On Axis Close");
    EXPECT_EQ(processor.getLoadedImpulseResponseName(1), "1960 121 On Axis Far");
    EXPECT_EQ(processor.getSelection(0).cabinetCode, 180);
}
