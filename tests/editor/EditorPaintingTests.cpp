#include "EditorFixture.h"

#include "editor/ControlTable.h"
#include "resources/ResourceTable.h"

#include <cstring>
#include <iostream>

using namespace morvane3;

namespace
{
juce::Image decode(const ResourceTable& table, const juce::String& name)
{
    const auto resource = findResource(table, name.toRawUTF8());
    if (resource.first == nullptr)
        return {};
    return juce::ImageFileFormat::loadFrom(resource.first, (size_t) resource.second);
}

// True when (x, y) lies inside no control but `except`.
bool onlyCoveredBy(int x, int y, const char* except)
{
    for (const auto& spec : controlTable())
        if (std::strcmp(spec.identifier, except) != 0 && juce::Rectangle<int>(spec.x, spec.y, spec.width, spec.height).contains(x, y))
            return false;
    return true;
}

bool insideAnyControl(int x, int y)
{
    return !onlyCoveredBy(x, y, "");
}

// Share of the pixels of `area` where `actual` and `expected` differ by more
// than `tolerance` in some channel, counting only pixels `use` accepts.
template <typename Filter>
double mismatchShare(const juce::Image& actual, const juce::Image& expected, juce::Rectangle<int> area, int tolerance, Filter use)
{
    int counted = 0, different = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            if (!use(x, y))
                continue;
            ++counted;
            if (editortest::colourDistance(actual.getPixelAt(x, y), expected.getPixelAt(x, y)) > tolerance)
                ++different;
        }
    return counted == 0 ? 1.0 : (double) different / counted;
}
} // namespace

class EditorPainting : public EditorFixture
{
protected:
    juce::Image background = decode(editorPictureTable, "editorBackground");
    juce::Image panel = decode(editorPictureTable, "eqPanel");

    void SetUp() override
    {
        ASSERT_TRUE(background.isValid()) << "editor pictures are not built";
        ASSERT_TRUE(panel.isValid());
    }

    juce::Image snapshot(const juce::String& artefactName)
    {
        auto image = editor->createComponentSnapshot(editor->getLocalBounds(), true, 1.0f);
        const auto file = editortest::artefactFolder().getChildFile(artefactName);
        file.deleteFile();
        juce::FileOutputStream out(file);
        if (out.openedOk() && juce::PNGImageFormat().writeImageToStream(image, out))
            std::cout << "editor snapshot: " << file.getFullPathName() << std::endl;
        return image;
    }

    // What the window must show beneath its controls, composed here from the
    // source pictures: background, two panels, each channel's photograph and
    // placement picture.
    juce::Image expectedPanels(const juce::String (&irNames)[2], const juce::String (&cabinets)[2]) const
    {
        juce::Image expected(juce::Image::ARGB, 810, 600, true);
        juce::Graphics g(expected);
        g.fillAll(juce::Colours::black);
        g.drawImageAt(background, 0, 0);
        g.drawImageAt(panel, 10, 441);
        g.drawImageAt(panel, 410, 441);
        for (int ch = 0; ch < 2; ++ch)
        {
            g.drawImageAt(decode(pictureTable, cabinets[ch]), 11 + 400 * ch, 79);
            g.drawImageAt(decode(pictureTable, irNames[ch]), 11 + 400 * ch, 79);
        }
        return expected;
    }
};

TEST_F(EditorPainting, WindowShowsBackgroundPanelsAndBothChannelsPictures)
{
    tick();
    control<juce::ComboBox>("C2Cabinet").setSelectedId(200, juce::sendNotification);
    control<juce::ComboBox>("C2Microphone").setSelectedId(80, juce::sendNotification);
    deliver();
    tick();
    ASSERT_EQ(editor->getLoadedIrName(1), "Motown U87 On Axis Close");

    const juce::String names[2] = {"1960 121 On Axis Close", "Motown U87 On Axis Close"};
    const juce::String cabinets[2] = {"1960", "Motown"};
    ASSERT_TRUE(decode(pictureTable, "Motown").isValid());
    ASSERT_TRUE(decode(pictureTable, names[1]).isValid());

    const auto actual = snapshot("editor-snapshot.png");
    const auto expected = expectedPanels(names, cabinets);
    const auto free = [](int x, int y) { return !insideAnyControl(x, y) && !juce::Rectangle<int>(270, 0, 100, 40).contains(x, y); };

    // Background, panels and both channels' pictures, outside the controls.
    EXPECT_LT(mismatchShare(actual, expected, {0, 0, 810, 79}, 2, free), 0.001);
    EXPECT_LT(mismatchShare(actual, expected, {11, 79, 388, 252}, 2, free), 0.001);
    EXPECT_LT(mismatchShare(actual, expected, {411, 79, 388, 252}, 2, free), 0.001);
    EXPECT_LT(mismatchShare(actual, expected, {10, 441, 790, 149}, 2, free), 0.001);

    // Channel 2's pictures really changed: the Motown photograph differs from the 1960's.
    const juce::String defaults[2] = {names[0], names[0]};
    const juce::String defaultCabinets[2] = {"1960", "1960"};
    EXPECT_GT(mismatchShare(actual, expectedPanels(defaults, defaultCabinets), {411, 79, 388, 252}, 2, free), 0.05);
}

TEST_F(EditorPainting, KnobFramesFollowTheirValues)
{
    tick();
    control<FilmStripKnob>("C1HPF").setValue(70.0, juce::sendNotificationSync);      // frame 63
    control<FilmStripKnob>("C2LMLevel").setValue(6.0, juce::sendNotificationSync);   // frame 126
    control<FilmStripKnob>("OutputLevel").setValue(0.0, juce::sendNotificationSync); // frame 0
    const auto actual = snapshot("editor-knobs-snapshot.png");

    struct Case
    {
        const char* id;
        const char* strip;
        int frame;
    };
    for (const auto& c : {Case{"C1HPF", "knobHPF", 63}, Case{"C2LMLevel", "knobLMGain", 126}, Case{"OutputLevel", "knobOutputLevel", 0},
                          Case{"C1LPF", "knobLPF", 126}, Case{"C2LMF", "knobLMF", 50}})
    {
        // 300 Hz on 100..600 is frame 50 (200 / 500 * 126 = 50.4).
        const auto strip = decode(editorPictureTable, c.strip);
        ASSERT_TRUE(strip.isValid()) << c.strip;
        const auto bounds = editor->findControl(c.id)->getBounds();
        const int frameHeight = strip.getHeight() / 127;
        ASSERT_EQ(bounds.getWidth(), strip.getWidth()) << c.id;
        ASSERT_EQ(bounds.getHeight(), frameHeight) << c.id;

        // Expected: whatever the window shows beneath the knob, with the frame over it.
        juce::Image expected = actual.createCopy();
        {
            juce::Graphics g(expected);
            g.setColour(juce::Colours::black);
            g.fillRect(bounds);
            g.drawImageAt(background.getClippedImage(bounds), bounds.getX(), bounds.getY());
            if (bounds.getY() >= 441)
                g.drawImageAt(panel.getClippedImage(bounds.translated(bounds.getX() < 410 ? -10 : -410, -441)), bounds.getX(), bounds.getY());
            g.drawImage(strip, bounds.getX(), bounds.getY(), bounds.getWidth(), bounds.getHeight(), 0, c.frame * frameHeight,
                        bounds.getWidth(), frameHeight);
        }
        const auto mine = [id = c.id](int x, int y) { return onlyCoveredBy(x, y, id); };
        EXPECT_LT(mismatchShare(actual, expected, bounds, 2, mine), 0.001) << c.id;

        // And it is not some other frame.
        juce::Image wrong = expected.createCopy();
        {
            juce::Graphics g(wrong);
            g.drawImage(strip, bounds.getX(), bounds.getY(), bounds.getWidth(), bounds.getHeight(), 0,
                        (c.frame < 63 ? 126 : 0) * frameHeight, bounds.getWidth(), frameHeight);
        }
        EXPECT_GT(mismatchShare(actual, wrong, bounds, 2, mine), 0.01) << c.id;
    }
}

TEST_F(EditorPainting, VersionTextIsDrawnInTheTitleStrip)
{
    EXPECT_EQ(Morvane3AudioProcessorEditor::versionText(), "v 3.0.4");
    const auto actual = snapshot("editor-title-snapshot.png");
    // The text is white over the picture: some pixels of its box are whiter than the background there.
    int brighter = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 270; x < 370; ++x)
            if (!insideAnyControl(x, y) && actual.getPixelAt(x, y).getBrightness() > background.getPixelAt(x, y).getBrightness() + 0.3f)
                ++brighter;
    EXPECT_GT(brighter, 10);
}
