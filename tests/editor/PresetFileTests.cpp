#include "EditorFixture.h"
#include "PresetValues.h"

#include "editor/PresetFiles.h"
#include "processor/ParameterScaler.h"
#include "processor/ParameterTable.h"
#include "processor/SettingsDocument.h"

#include <cstring>

using namespace morvane3;

namespace
{
bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof(float)) == 0;
}

juce::File writeText(const juce::File& file, const juce::String& text)
{
    file.replaceWithText(text);
    return file;
}
} // namespace

class PresetFiles : public EditorFixture
{
protected:
    juce::File folder = editortest::freshFolder("presets");

    void SetUp() override { tick(); }
    void TearDown() override
    {
        EditorFixture::TearDown();
        folder.deleteRecursively();
    }

    void applyToProcessor(const ParameterValues& values)
    {
        for (int index = 0; index < numParameters; ++index)
            if (index != sampleRateIndex)
                processor->setParameterValue(index, values[(size_t) index]);
        tick();
        tick();
    }

    ParameterValues processorValues() const
    {
        ParameterValues values {};
        for (int index = 0; index < numParameters; ++index)
            values[(size_t) index] = processor->getParameterValue(index);
        return values;
    }
};

TEST_F(PresetFiles, SaveReplacesAnyExtensionWithMv3)
{
    ASSERT_TRUE(savePreset(*processor, folder.getChildFile("mine.txt")));
    EXPECT_TRUE(folder.getChildFile("mine.mv3").existsAsFile());
    EXPECT_FALSE(folder.getChildFile("mine.txt").exists());

    ASSERT_TRUE(savePreset(*processor, folder.getChildFile("plain")));
    EXPECT_TRUE(folder.getChildFile("plain.mv3").existsAsFile());
    EXPECT_EQ(withPresetExtension(juce::File("/a/b.c.d")).getFullPathName(), "/a/b.c.mv3");
}

TEST_F(PresetFiles, SavedFileIsTheSettingsElementWithoutTheSampleRate)
{
    applyToProcessor(distinctiveValues());
    const auto file = folder.getChildFile("doc.mv3");
    ASSERT_TRUE(savePreset(*processor, file));

    const auto text = file.loadFileAsString();
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << text;
    EXPECT_FALSE(text.contains("sampleRate"));

    const auto saved = juce::XmlDocument::parse(file);
    const auto reference = makeSettingsElement(*processor, false);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->getTagName(), "MORVANESETTINGS");
    ASSERT_EQ(saved->getNumAttributes(), 33);
    ASSERT_EQ(reference->getNumAttributes(), 33);
    for (int i = 0; i < 33; ++i)
    {
        EXPECT_EQ(saved->getAttributeName(i), reference->getAttributeName(i)) << i;
        EXPECT_EQ(saved->getAttributeValue(i), reference->getAttributeValue(i)) << i;
    }
}

TEST_F(PresetFiles, RoundTripRestoresEveryControlAndParameterButTheSampleRate)
{
    const auto values = distinctiveValues();
    applyToProcessor(values);
    const auto file = folder.getChildFile("round.mv3");
    ASSERT_TRUE(savePreset(*processor, file));

    // A fresh plug-in instance with its window open.
    editor.reset();
    processor = std::make_unique<Morvane3AudioProcessor>();
    processor->prepareToPlay(48000.0, 256);
    editor = std::make_unique<Morvane3AudioProcessorEditor>(*processor);
    tick();
    const int loadsBefore[2] = {editor->getLoadRequestCount(0), editor->getLoadRequestCount(1)};

    ASSERT_TRUE(loadPreset(*editor, file));
    tick();
    tick();

    for (int index = 0; index < numParameters; ++index)
    {
        if (index != sampleRateIndex)
        {
            EXPECT_TRUE(sameBits(parameter(index), values[(size_t) index]))
                << parameterInfo(index).name << " " << parameter(index) << " != " << values[(size_t) index];
        }
    }
    EXPECT_EQ(parameter(sampleRateIndex), 48000.0f);

    EXPECT_EQ(control<juce::ComboBox>("C1Cabinet").getText(), "Top Boost");
    EXPECT_EQ(control<juce::ComboBox>("C1Microphone").getText(), "i5");
    EXPECT_EQ(control<juce::ComboBox>("C2Cabinet").getText(), "Damien");
    EXPECT_EQ(control<juce::Slider>("C2MicIncDec").getValue(), 70.0);
    EXPECT_EQ(control<FilmStripKnob>("C1LPF").getValue(), 8123.0);
    EXPECT_EQ(control<FilmStripKnob>("C2HMLevel").getValue(), -6.0);
    EXPECT_EQ(control<FilmStripKnob>("OutputLevel").getValue(), 0.73);
    EXPECT_TRUE(control<juce::DrawableButton>("C2Mute").getToggleState());
    EXPECT_TRUE(control<juce::DrawableButton>("C2LPFBypass").getToggleState());
    EXPECT_FALSE(control<juce::DrawableButton>("C1LPFBypass").getToggleState());

    const auto& live = processor->getLiveValues();
    EXPECT_EQ(live.channels[0].hpfHz.load(), 75.0f);
    EXPECT_EQ(live.channels[1].lmfHz.load(), 101.0f);
    EXPECT_EQ(live.channels[1].mute.load(), 1.0f);
    EXPECT_EQ(live.outputLevel.load(), 0.73f);

    // One load per channel, with the complete new names.
    EXPECT_EQ(editor->getLoadRequestCount(0), loadsBefore[0] + 1);
    EXPECT_EQ(editor->getLoadRequestCount(1), loadsBefore[1] + 1);
    EXPECT_EQ(editor->getLoadedIrName(0), "Top Boost i5 Off Axis Far");
    EXPECT_EQ(editor->getLoadedIrName(1), "Damien Reference On Axis Mid");
}

TEST_F(PresetFiles, FilesThatAreNotPresetsChangeNothing)
{
    applyToProcessor(distinctiveValues());
    const auto before = processorValues();
    const int loads = editor->getLoadRequestCount(0);

    const juce::File bad[] = {
        writeText(folder.getChildFile("text.mv3"), "just some words"),
        writeText(folder.getChildFile("other.mv3"), "<OTHERSETTINGS outputLevel=\"0\" c1Cabinet=\"0.2\"/>"),
        writeText(folder.getChildFile("empty.mv3"), ""),
        writeText(folder.getChildFile("truncated.mv3"), "<MORVANESETTINGS outputLevel=\"0\" c1HPF=\"0."),
        folder.getChildFile("missing.mv3"),
        folder,
    };
    for (const auto& file : bad)
    {
        EXPECT_FALSE(loadPreset(*editor, file)) << file.getFileName();
        tick();
        const auto after = processorValues();
        for (int index = 0; index < numParameters; ++index)
            EXPECT_TRUE(sameBits(after[(size_t) index], before[(size_t) index])) << file.getFileName() << " " << index;
    }
    EXPECT_EQ(editor->getLoadRequestCount(0), loads);
}

TEST_F(PresetFiles, Utf16AndDeclaredLatin1PresetsLoadWhileBrokenTextStaysRefused)
{
    const ParameterScaler scaler;
    // An accented name ahead of the values: read as UTF-8, the Latin-1 byte
    // would swallow the characters after it.
    const juce::String preset = juce::String::fromUTF8("<MORVANESETTINGS name=\"Cr\xc3\xa8me\" c1HPF=\"0.25\" c2Cabinet=\"0.2\"/>\n");
    const auto writeBytes = [&](const char* name, const juce::MemoryBlock& bytes) {
        const auto file = folder.getChildFile(name);
        file.replaceWithData(bytes.getData(), bytes.getSize());
        return file;
    };
    const auto utf16 = [&](bool bigEndian) {
        const juce::String text = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n" + preset;
        juce::MemoryOutputStream out;
        out.writeByte(bigEndian ? (char) 0xfe : (char) 0xff);
        out.writeByte(bigEndian ? (char) 0xff : (char) 0xfe);
        for (auto p = text.toUTF16(); !p.isEmpty(); ++p)
            bigEndian ? out.writeShortBigEndian((short) *p) : out.writeShort((short) *p);
        return out.getMemoryBlock();
    };
    const auto latin1 = [](const juce::String& text) {
        juce::MemoryOutputStream out;
        for (auto p = text.getCharPointer(); !p.isEmpty(); ++p)
            out.writeByte((char) (juce::uint8) *p);
        return out.getMemoryBlock();
    };

    const juce::File readable[] = {
        writeBytes("le.mv3", utf16(false)),
        writeBytes("be.mv3", utf16(true)),
        writeBytes("latin1.mv3", latin1("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + preset)),
    };
    for (const auto& file : readable)
    {
        control<FilmStripKnob>("C1HPF").setValue(20.0, juce::sendNotificationSync);
        control<juce::ComboBox>("C2Cabinet").setSelectedId(10, juce::sendNotificationSync);
        ASSERT_EQ(parameter(c1HPF), 0.0f);
        EXPECT_TRUE(loadPreset(*editor, file)) << file.getFileName();
        deliver();
        EXPECT_EQ(parameter(c1HPF), 0.25f) << file.getFileName();
        EXPECT_EQ(control<FilmStripKnob>("C1HPF").getValue(), 45.0) << file.getFileName();
        EXPECT_EQ(parameter(c2Cabinet), scaler.codeToNormalised(200)) << file.getFileName();
        EXPECT_EQ(editor->getLoadedIrName(1), "Motown 121 On Axis Close") << file.getFileName();
    }

    // The guards stay: Latin-1 bytes without the declaration, and a processing
    // instruction inside the element of a declared Latin-1 file.
    const float before = parameter(c1HPF);
    const juce::File refused[] = {
        writeBytes("undeclared.mv3", latin1(preset)),
        writeBytes("instruction.mv3",
                   latin1(juce::String::fromUTF8("<?xml version=\"1.0\" encoding=\"latin1\"?>\n"
                                                 "<MORVANESETTINGS name=\"\xc3\xa8\" c1HPF=\"0.9<?x ?>\"/>"))),
    };
    for (const auto& file : refused)
    {
        EXPECT_FALSE(loadPreset(*editor, file)) << file.getFileName();
        EXPECT_EQ(parameter(c1HPF), before) << file.getFileName();
    }
}

TEST_F(PresetFiles, MissingOrNonFiniteAttributesLeaveTheirControlsAlone)
{
    control<FilmStripKnob>("OutputLevel").setValue(0.8, juce::sendNotificationSync);
    control<FilmStripKnob>("C1HPF").setValue(50.0, juce::sendNotificationSync);
    control<FilmStripKnob>("C1LPF").setValue(9000.0, juce::sendNotificationSync);
    const auto file = writeText(folder.getChildFile("partial.mv3"),
                                "<?xml version=\"1.0\"?>\n<morvanesettings C2CABINET=\"0.2\" c1HPF=\"nan\" c1LPF=\"inf\"\n"
                                "  c1LMLevel=\"1e300\" sampleRate=\"96000\"/>");
    ASSERT_TRUE(loadPreset(*editor, file));
    tick();

    EXPECT_EQ(control<FilmStripKnob>("OutputLevel").getValue(), 0.8);
    EXPECT_EQ(parameter(outputLevel), 0.8f);
    EXPECT_EQ(processor->getLiveValues().outputLevel.load(), 0.8f);
    EXPECT_EQ(control<FilmStripKnob>("C1HPF").getValue(), 50.0);
    EXPECT_EQ(control<FilmStripKnob>("C1LPF").getValue(), 9000.0);
    EXPECT_EQ(control<FilmStripKnob>("C1LMLevel").getValue(), 0.0);
    EXPECT_EQ(control<juce::ComboBox>("C2Cabinet").getText(), "Motown");
    EXPECT_EQ(parameter(c2Cabinet), 0.2f);
    EXPECT_EQ(editor->getLoadedIrName(1), "Motown 121 On Axis Close");
    EXPECT_EQ(processor->getStoredSampleRate(), 44100.0);
}

TEST_F(PresetFiles, OutOfRangeValuesAreClampedByTheKnobs)
{
    const auto file = writeText(folder.getChildFile("wild.mv3"),
                                "<MORVANESETTINGS c1HPF=\"2\" c2LPF=\"-1\" c1Mute=\"0.5\"/>");
    ASSERT_TRUE(loadPreset(*editor, file));
    EXPECT_EQ(control<FilmStripKnob>("C1HPF").getValue(), 120.0);
    EXPECT_EQ(parameter(c1HPF), 1.0f);
    EXPECT_EQ(processor->getLiveValues().channels[0].hpfHz.load(), 120.0f);
    EXPECT_EQ(control<FilmStripKnob>("C2LPF").getValue(), 7000.0);
    EXPECT_EQ(parameter(c2LPF), 0.0f);
    EXPECT_TRUE(control<juce::DrawableButton>("C1Mute").getToggleState());
    EXPECT_EQ(parameter(c1Mute), 1.0f);
}

TEST_F(PresetFiles, SavingIntoNewFoldersCreatesThemAndAnImpossiblePathWritesNothing)
{
    const auto target = folder.getChildFile("new folder").getChildFile("deeper").getChildFile("preset.txt");
    ASSERT_TRUE(savePreset(*processor, target));
    const auto saved = target.withFileExtension("mv3");
    ASSERT_TRUE(saved.existsAsFile());
    const auto element = juce::XmlDocument::parse(saved);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->getStringAttribute("outputLevel"), formatSettingsNumber(parameter(outputLevel)));

    // A plain file stands where a folder would have to be made.
    const auto plainFile = writeText(folder.getChildFile("plain"), "not a folder");
    const auto impossible = plainFile.getChildFile("sub").getChildFile("preset.mv3");
    EXPECT_FALSE(savePreset(*processor, impossible));
    EXPECT_TRUE(plainFile.existsAsFile());
    EXPECT_EQ(plainFile.loadFileAsString(), "not a folder");

    // The name the extension rule gives is taken by a folder.
    ASSERT_TRUE(folder.getChildFile("taken.mv3").createDirectory());
    EXPECT_FALSE(savePreset(*processor, folder.getChildFile("taken.txt")));
    EXPECT_TRUE(folder.getChildFile("taken.mv3").isDirectory());
}

TEST_F(PresetFiles, FactoryPresetsLoadToExactlyTheirValues)
{
    ASSERT_EQ(numFactoryPresets(), 5);
    const juce::StringArray expectedNames = {"Modern Metal Tight", "British Crunch", "Vintage Blues Combo", "Clean Jazz",
                                             "Bass DI Blend"};
    for (int preset = 0; preset < numFactoryPresets(); ++preset)
    {
        EXPECT_EQ(factoryPresetName(preset), expectedNames[preset]);
        const auto values = factoryPresetValues(preset);
        const auto file = folder.getChildFile(factoryPresetName(preset) + ".mv3");
        ASSERT_TRUE(writePresetFile(*makePresetElement(values), file));
        ASSERT_TRUE(loadPreset(*editor, file)) << preset;
        tick();
        for (int index = 0; index < numParameters; ++index)
        {
            if (index != sampleRateIndex)
            {
                EXPECT_TRUE(sameBits(parameter(index), values[(size_t) index])) << factoryPresetName(preset) << " "
                                                                               << parameterInfo(index).name;
            }
        }
        // Every selection names a real response.
        EXPECT_EQ(processor->getLoadedImpulseResponseName(0), editor->getLoadedIrName(0)) << preset;
        EXPECT_EQ(processor->getLoadedImpulseResponseName(1), editor->getLoadedIrName(1)) << preset;
    }
}

TEST_F(PresetFiles, FactoryPresetsAreInstalledOnlyWhenTheFolderIsNew)
{
    const auto presets = folder.getChildFile("Morvane3Presets");
    ASSERT_TRUE(preparePresetsFolder(presets));
    juce::StringArray names;
    for (const auto& file : presets.findChildFiles(juce::File::findFiles, false, "*.mv3"))
        names.add(file.getFileNameWithoutExtension());
    names.sort(false);
    EXPECT_EQ(names, juce::StringArray({"Bass DI Blend", "British Crunch", "Clean Jazz", "Modern Metal Tight", "Vintage Blues Combo"}));

    ASSERT_TRUE(presets.getChildFile("Clean Jazz.mv3").deleteFile());
    EXPECT_FALSE(preparePresetsFolder(presets));
    EXPECT_FALSE(presets.getChildFile("Clean Jazz.mv3").exists());
    EXPECT_EQ(presets.getNumberOfChildFiles(juce::File::findFiles), 4);
}
