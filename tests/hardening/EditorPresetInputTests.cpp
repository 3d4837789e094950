// Preset files the fuzzer found: bytes the framework's XML parser must never
// see (it reads past their end or never returns). Loading them is refused and changes nothing.
#include "support/HardeningSupport.h"

#include "editor/Morvane3AudioProcessorEditor.h"
#include "editor/PresetFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace morvane3;

namespace
{
// The editor creates its presets folder in the user's application-data
// folder: keep that inside a temporary home.
void useTemporaryHome()
{
    static const juce::File home = [] {
        auto folder = juce::File::getSpecialLocation(juce::File::tempDirectory)
                          .getNonexistentChildFile("hardening-home", "", false);
        folder.createDirectory();
        setenv("HOME", folder.getFullPathName().toRawUTF8(), 1);
        return folder;
    }();
    (void) home;
}
} // namespace

TEST(EditorPresetInput, FilesThatAreNotUtf8AreRefusedWithoutReadingPastTheirEnd)
{
    useTemporaryHome();
    hardening::ensureJuceRuntime();
    Morvane3AudioProcessor processor;
    Morvane3AudioProcessorEditor editor(processor);

    // An XML declaration broken by bytes that announce longer UTF-8 sequences
    // than the file holds (found by the preset fuzzer).
    std::string brokenDeclaration = "<?xm" + std::string(125, '\xff') + "l version=\"1.0\" encoding=\"UTF-8\"?>";
    const std::string cases[] = {
        brokenDeclaration,
        "<MORVANESETTINGS c1HPF=\"0.9\"/>\xf0",         // a four-byte lead at the very end
        "<MORVANESETTINGS c1HPF=\"0.9\" c2Level=\"\xe2\x82\"/>", // a sequence cut short inside
        // Processing instructions inside an element, on which the parser loops
        // for ever (found by the preset fuzzer, minimised).
        "<PRESET name=\"x\"><PARAM id=\"PRESE<?xml vers0\" encodi/\"?>#ETTE<?xml\"?>#ETT",
    };
    const float before = processor.getParameterValue(c1HPF);
    for (const auto& bytes : cases)
    {
        const auto file = juce::File::createTempFile("mv3");
        ASSERT_TRUE(file.replaceWithData(bytes.data(), bytes.size()));
        EXPECT_FALSE(loadPreset(editor, file));
        EXPECT_EQ(processor.getParameterValue(c1HPF), before);
        file.deleteFile();
    }

    // The same settings in valid UTF-8 still load.
    const auto file = juce::File::createTempFile("mv3");
    ASSERT_TRUE(file.replaceWithText("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<MORVANESETTINGS c1HPF=\"0.75\"/>\n"));
    EXPECT_TRUE(loadPreset(editor, file));
    EXPECT_EQ(processor.getParameterValue(c1HPF), 0.75f);
    file.deleteFile();
}

TEST(EditorPresetInput, ValuesOutOfRangeActAsTheirClampedValues)
{
    useTemporaryHome();
    hardening::ensureJuceRuntime();
    const char* wild[] = { "1e30", "-1e30", "7", "-3", "3.4e38", "-0.5", "1.0001", "-1e-30" };
    juce::XmlElement wildPreset("MORVANESETTINGS"), clampedPreset("MORVANESETTINGS");
    int next = 0;
    for (const int index : presetApplyOrder())
    {
        const char* text = wild[next++ % 8];
        const double value = std::strtod(text, nullptr);
        wildPreset.setAttribute(parameterInfo(index).name, text);
        clampedPreset.setAttribute(parameterInfo(index).name, value > 1.0 ? "1" : (value < 0.0 ? "0" : text));
    }

    Morvane3AudioProcessor fromWild, fromClamped;
    Morvane3AudioProcessorEditor wildEditor(fromWild), clampedEditor(fromClamped);
    const auto load = [](Morvane3AudioProcessorEditor& editor, const juce::XmlElement& preset) {
        const auto file = juce::File::createTempFile("mv3");
        EXPECT_TRUE(preset.writeTo(file));
        EXPECT_TRUE(loadPreset(editor, file));
        file.deleteFile();
    };
    load(wildEditor, wildPreset);
    load(clampedEditor, clampedPreset);

    for (int index = 0; index < numParameters; ++index)
    {
        const float value = fromWild.getParameterValue(index);
        EXPECT_EQ(value, fromClamped.getParameterValue(index)) << parameterInfo(index).name;
        EXPECT_TRUE(value >= 0.0f && (value <= 1.0f || index == sampleRateIndex)) << parameterInfo(index).name;
    }
    const auto& a = fromWild.getLiveValues();
    const auto& b = fromClamped.getLiveValues();
    EXPECT_EQ(a.outputLevel.load(), b.outputLevel.load());
    for (int channel = 0; channel < 2; ++channel)
    {
        const auto& x = a.channels[channel];
        const auto& y = b.channels[channel];
        const std::atomic<float>* wildLive[] = { &x.hpfHz, &x.lmfHz, &x.lmGainDb, &x.hmfHz, &x.hmGainDb, &x.lpfHz, &x.level,
                                                 &x.mute, &x.hpfBypass, &x.lmfBypass, &x.hmfBypass, &x.lpfBypass };
        const std::atomic<float>* clampedLive[] = { &y.hpfHz, &y.lmfHz, &y.lmGainDb, &y.hmfHz, &y.hmGainDb, &y.lpfHz, &y.level,
                                                    &y.mute, &y.hpfBypass, &y.lmfBypass, &y.hmfBypass, &y.lpfBypass };
        for (size_t i = 0; i < 12; ++i)
            EXPECT_EQ(wildLive[i]->load(), clampedLive[i]->load()) << "channel " << channel << ", live value " << i;
    }
}
