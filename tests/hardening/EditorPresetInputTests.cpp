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
