#include "ProcessorTestSupport.h"

#include "processor/SettingsDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

using namespace morvane3;

namespace
{
const char* const freshText =
    "<MORVANESETTINGS outputLevel=\"0.5\" c1Cabinet=\"0.00999999978\" c1Microphone=\"0.00999999978\" "
    "c1MicPos=\"0.00999999978\" c1MicDistance=\"0.00999999978\" c1HPF=\"0\" c1LMF=\"0.400000006\" "
    "c1LMLevel=\"0.5\" c1HMF=\"0.368421048\" c1HMLevel=\"0.5\" c1LPF=\"1\" c1Level=\"0.5\" "
    "c2Cabinet=\"0.00999999978\" c2Microphone=\"0.00999999978\" c2MicPos=\"0.00999999978\" "
    "c2MicDistance=\"0.00999999978\" c2HPF=\"0\" c2LMF=\"0.400000006\" c2LMLevel=\"0.5\" "
    "c2HMF=\"0.368421048\" c2HMLevel=\"0.5\" c2LPF=\"1\" c2Level=\"0.5\" c1Mute=\"0\" c2Mute=\"0\" "
    "sampleRate=\"44100\" c1HPFBypass=\"0\" c1LMFBypass=\"0\" c1HMFBypass=\"0\" c1LPFBypass=\"0\" "
    "c2HPFBypass=\"0\" c2LMFBypass=\"0\" c2HMFBypass=\"0\" c2LPFBypass=\"0\"/>";

juce::MemoryBlock chunkOf(Morvane3AudioProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation(block);
    return block;
}

// A chunk around arbitrary text, in the layout a host stores.
juce::MemoryBlock chunkAround(const std::string& text, juce::uint32 magic = 0x21324356, int lengthAdjust = 0)
{
    juce::MemoryBlock block(8 + text.size() + 1, true);
    auto* bytes = static_cast<unsigned char*>(block.getData());
    const juce::uint32 length = (juce::uint32) ((int) text.size() + lengthAdjust);
    for (int i = 0; i < 4; ++i)
    {
        bytes[i] = (unsigned char) (magic >> (8 * i));
        bytes[4 + i] = (unsigned char) (length >> (8 * i));
    }
    std::memcpy(bytes + 8, text.data(), text.size());
    return block;
}

std::vector<float> allValues(const Morvane3AudioProcessor& processor)
{
    std::vector<float> values;
    for (int index = 0; index < numParameters; ++index)
        values.push_back(processor.getParameterValue(index));
    values.push_back((float) processor.getStoredSampleRate());
    return values;
}

class StateTest : public ::testing::Test
{
protected:
    void SetUp() override { proctest::ensureJuceRuntime(); }
};
} // namespace

TEST(SettingsNumber, FormatsLikePercentPointNineG)
{
    EXPECT_EQ(formatSettingsNumber(0.5), "0.5");
    EXPECT_EQ(formatSettingsNumber((double) 0.01f), "0.00999999978");
    EXPECT_EQ(formatSettingsNumber((double) 0.4f), "0.400000006");
    EXPECT_EQ(formatSettingsNumber(44100.0), "44100");
    EXPECT_EQ(formatSettingsNumber(1.0), "1");
    EXPECT_EQ(formatSettingsNumber(0.0), "0");
    EXPECT_EQ(formatSettingsNumber(1.0e-7), "1e-07");
    EXPECT_EQ(formatSettingsNumber(-2.5), "-2.5");
    // Against the C library on values of every magnitude.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> exponent(-12.0, 12.0);
    for (int i = 0; i < 500; ++i)
    {
        const double value = (double) (float) std::pow(10.0, exponent(random)) * (i % 2 ? -1.0 : 1.0);
        char expected[64];
        std::snprintf(expected, sizeof(expected), "%.9g", value);
        EXPECT_EQ(formatSettingsNumber(value), expected);
    }
}

TEST_F(StateTest, FreshChunkHasTheExactBytes)
{
    Morvane3AudioProcessor processor;
    const auto chunk = chunkOf(processor);
    const auto textLength = std::strlen(freshText);
    ASSERT_EQ(chunk.getSize(), 8 + textLength + 1);
    const auto* bytes = static_cast<const unsigned char*>(chunk.getData());
    EXPECT_EQ(std::memcmp(bytes, "VC2!", 4), 0);
    EXPECT_EQ(bytes[4] | bytes[5] << 8 | bytes[6] << 16 | bytes[7] << 24, (int) textLength);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 8), textLength), freshText);
    EXPECT_EQ(bytes[8 + textLength], 0);

    // The framework reads it too.
    const auto xml = juce::AudioProcessor::getXmlFromBinary(chunk.getData(), (int) chunk.getSize());
    ASSERT_NE(xml, nullptr);
    EXPECT_EQ(xml->getTagName(), "MORVANESETTINGS");
    EXPECT_EQ(xml->getNumAttributes(), 34);

    // Preset documents leave the sample rate out and keep the order.
    const auto preset = makeSettingsElement(processor, false);
    EXPECT_EQ(preset->getNumAttributes(), 33);
    EXPECT_FALSE(preset->hasAttribute("sampleRate"));
    EXPECT_EQ(preset->getAttributeName(25), "c1HPFBypass");
}

TEST_F(StateTest, RoundTripReproducesEveryValueBitForBit)
{
    Morvane3AudioProcessor source, target;
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int index = 0; index < numParameters; ++index)
    {
        if (index != sampleRateIndex && parameterInfo(index).kind != ParameterKind::Selector)
            source.setParameterValue(index, unit(random));
    }
    source.setParameterValue(c1Cabinet, 0.2f);
    source.setParameterValue(c2Microphone, 0.08f);
    source.prepareToPlay(96000.0, 128);

    const auto chunk = chunkOf(source);
    target.setStateInformation(chunk.getData(), (int) chunk.getSize());
    for (int index = 0; index < numParameters; ++index)
    {
        if (index == sampleRateIndex)
            continue;
        const float restored = target.getParameterValue(index), original = source.getParameterValue(index);
        EXPECT_EQ(std::memcmp(&restored, &original, sizeof(float)), 0) << parameterInfo(index).name;
    }
    EXPECT_EQ(target.getStoredSampleRate(), 96000.0);
    EXPECT_EQ(target.getWorkingSampleRate(), 44100.0); // restoring never changes the prepared rate
    EXPECT_EQ(chunkOf(target).getSize(), chunk.getSize());

    // Live values and selections follow the restored parameters.
    const ParameterScaler scaler;
    EXPECT_EQ(target.getLiveValues().channels[1].hmfHz.load(),
              scaler.denormalise(10000.0f, 500.0f, source.getParameterValue(c2HMF)));
    EXPECT_EQ(target.getLiveValues().channels[0].mute.load(), source.getParameterValue(c1Mute));
    EXPECT_EQ(target.getSelection(0).irName, "Motown 121 On Axis Close");
    EXPECT_EQ(target.getSelection(1).irName, "1960 U87 On Axis Close");
    EXPECT_EQ(target.getLoadedImpulseResponseName(0), "Motown 121 On Axis Close");
}

TEST_F(StateTest, PartialChunkChangesOnlyWhatItCarries)
{
    Morvane3AudioProcessor processor;
    processor.setParameterValue(c1HPF, 0.3f);
    processor.setStoredSampleRate(96000.0);
    auto before = allValues(processor);

    const auto chunk = chunkAround("<MORVANESETTINGS c2Cabinet=\"0.2\"/>");
    processor.setStateInformation(chunk.getData(), (int) chunk.getSize());
    const auto after = allValues(processor);
    for (int index = 0; index < numParameters; ++index)
    {
        if (index != c2Cabinet)
        {
            EXPECT_EQ(after[(size_t) index], before[(size_t) index]) << parameterInfo(index).name;
        }
    }
    EXPECT_EQ(processor.getParameterValue(c2Cabinet), 0.2f);
    EXPECT_EQ(processor.getStoredSampleRate(), 44100.0); // absent rate: the default
    EXPECT_EQ(processor.getSelection(1).cabinetName, "Motown");
    EXPECT_EQ(processor.getSelection(0).cabinetName, "1960");
}

TEST_F(StateTest, LetterCaseDeclarationsAndOddNumbers)
{
    Morvane3AudioProcessor processor;
    // The framework's own form, with a declaration, a lower-case tag and an attribute in capitals.
    juce::XmlElement element("morvanesettings");
    element.setAttribute("C1HPF", "2");
    element.setAttribute("c1LMF", "nan");
    element.setAttribute("c2LMF", "inf");
    element.setAttribute("c2HMF", "1e60"); // finite, but not as a float
    element.setAttribute("c1Level", "loud");
    element.setAttribute("sampleRate", "-inf");
    juce::MemoryBlock chunk;
    juce::AudioProcessor::copyXmlToBinary(element, chunk);
    processor.setStateInformation(chunk.getData(), (int) chunk.getSize());

    EXPECT_EQ(processor.getParameterValue(c1HPF), 1.0f); // out of range: clamped
    EXPECT_EQ(processor.getLiveValues().channels[0].hpfHz.load(), 120.0f);
    EXPECT_EQ(processor.getParameterValue(c1LMF), 0.4f);   // non-finite: absent
    EXPECT_EQ(processor.getParameterValue(c2LMF), 0.4f);
    EXPECT_EQ(processor.getParameterValue(c2HMF), (float) (3500.0 / 9500.0));
    EXPECT_EQ(processor.getParameterValue(c1Level), 0.0f); // not a number: 0
    EXPECT_EQ(processor.getStoredSampleRate(), 44100.0);
}

TEST_F(StateTest, BrokenChunksChangeNothing)
{
    Morvane3AudioProcessor processor;
    processor.setParameterValue(c2LPF, 0.25f);
    const auto reference = chunkOf(processor);
    const auto expectUnchanged = [&](const juce::MemoryBlock& chunk, const char* what) {
        processor.setStateInformation(chunk.getData(), (int) chunk.getSize());
        EXPECT_EQ(chunkOf(processor), reference) << what;
        EXPECT_EQ(processor.getStoredSampleRate(), 44100.0) << what;
    };
    const std::string good = "<MORVANESETTINGS c1HPF=\"1\" sampleRate=\"96000\"/>";

    expectUnchanged(chunkAround(good, 0x21324357), "bad magic");
    expectUnchanged(chunkAround(good, 0x21324356, -(int) good.size()), "zero length");
    expectUnchanged(chunkAround(good, 0x21324356, -(int) good.size() - 5), "negative length");
    expectUnchanged(chunkAround("<OTHERSETTINGS c1HPF=\"1\"/>"), "wrong tag");
    expectUnchanged(chunkAround("c1HPF=\"1\""), "not XML");
    auto truncated = chunkAround(good);
    truncated.setSize(20);
    expectUnchanged(truncated, "truncated");
    expectUnchanged(juce::MemoryBlock("VC2!", 4), "header only");
    processor.setStateInformation(nullptr, 100);
    EXPECT_EQ(chunkOf(processor), reference);

    std::mt19937 random(3);
    for (int trial = 0; trial < 200; ++trial)
    {
        juce::MemoryBlock noise((size_t) (random() % 300), false);
        for (size_t i = 0; i < noise.getSize(); ++i)
            noise[i] = (char) random();
        if (trial % 2 == 0 && noise.getSize() >= 8)
            std::memcpy(noise.getData(), "VC2!", 4);
        expectUnchanged(noise, "random bytes");
    }
}
