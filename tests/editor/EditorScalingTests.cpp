// The editor at sizes other than 100 %: where every control stands, whether
// the pictures are drawn for their pixels or enlarged, the remembered size,
// and the mouse.
#include "EditorFixture.h"

#include "editor/ControlTable.h"
#include "editor/ScaledPictures.h"
#include "editor/WindowScale.h"
#include "processor/ParameterTable.h"
#include "resources/ResourceTable.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cmath>
#include <cstdlib>
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
    return juce::ImageFileFormat::loadFrom(resource.first, (size_t)resource.second);
}

struct Likeness
{
    double meanAbsoluteDifference; // per colour channel, 0..255
    double psnr;                   // dB
};

Likeness compare(const juce::Image& a, const juce::Image& b)
{
    double sumAbs = 0.0, sumSquares = 0.0;
    long count = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt(x, y), q = b.getPixelAt(x, y);
            for (const int d : {p.getRed() - q.getRed(), p.getGreen() - q.getGreen(), p.getBlue() - q.getBlue()})
            {
                sumAbs += std::abs(d);
                sumSquares += (double)d * d;
                ++count;
            }
        }
    const double mse = sumSquares / (double)count;
    return {sumAbs / (double)count, mse > 0.0 ? 10.0 * std::log10(255.0 * 255.0 / mse) : 99.0};
}

// `source` enlarged by `scale` the way a host's zoom of a fixed window does it.
juce::Image enlarged(const juce::Image& source, int width, int height)
{
    juce::Image image(juce::Image::ARGB, width, height, true);
    juce::Graphics g(image);
    g.setImageResamplingQuality(juce::Graphics::highResamplingQuality);
    g.drawImage(source, 0, 0, width, height, 0, 0, source.getWidth(), source.getHeight());
    return image;
}

juce::Image composed(std::initializer_list<juce::Image> layers, int width, int height)
{
    juce::Image image(juce::Image::ARGB, width, height, true);
    juce::Graphics g(image);
    g.fillAll(juce::Colours::black);
    for (const auto& layer : layers)
        g.drawImageAt(layer, 0, 0);
    return image;
}

juce::Rectangle<int> scaledBounds(const ControlSpec& spec, float scale)
{
    return {juce::roundToInt(spec.x * scale), juce::roundToInt(spec.y * scale), juce::roundToInt(spec.width * scale),
            juce::roundToInt(spec.height * scale)};
}
} // namespace

class EditorScaling : public EditorFixture
{
  protected:
    void SetUp() override { tick(); }
    void TearDown() override
    {
        editor.reset();
        windowSettingsFile().deleteFile();
        EditorFixture::TearDown();
    }

    void setScale(float scale)
    {
        editor->setSize(juce::roundToInt(layoutWidth * scale), juce::roundToInt(layoutHeight * scale));
    }
};

TEST_F(EditorScaling, EveryControlStandsAtItsLayoutBoundsTimesTheScale)
{
    for (const float asked : {1.0f, 1.5f, 2.0f, 1.234f})
    {
        setScale(asked);
        // The window is whole pixels wide, so the scale is its width over 810.
        const float scale = editor->getWindowScale();
        EXPECT_NEAR(scale, asked, 0.001f);
        for (int row = 0; row < numControls; ++row)
        {
            const auto& spec = controlTable()[(size_t)row];
            auto* control = editor->getControl(row);
            const auto actual = editor->getLocalArea(control, control->getLocalBounds().toFloat());
            const auto expected = scaledBounds(spec, scale);
            if (scale == 1.0f)
            {
                EXPECT_EQ(control->getBoundsInParent(), expected) << spec.identifier;
            }
            const std::pair<float, int> edges[] = {
                {actual.getX(), expected.getX()},
                {actual.getY(), expected.getY()},
                {actual.getRight(), juce::roundToInt((spec.x + spec.width) * scale)},
                {actual.getBottom(), juce::roundToInt((spec.y + spec.height) * scale)}};
            for (const auto& [edge, rounded] : edges)
                EXPECT_LE(std::abs(edge - (float)rounded), 1.001f) << spec.identifier << " at " << scale;
        }
    }
    // The corner handle keeps the proportions and the range.
    editor->setBoundsConstrained({0, 0, 3000, 900});
    EXPECT_EQ(editor->getWidth(), 1620);
    EXPECT_EQ(editor->getHeight(), 1200);
    editor->setBoundsConstrained({0, 0, 500, 600});
    EXPECT_EQ(editor->getWidth(), 810);
}

// Screenshots of a cabinet picture and of a knob at 150 % and 200 % set
// against the picture drawn for that size and against the 100 % picture
// enlarged; the figures are printed for the record.
TEST_F(EditorScaling, PicturesAreDrawnForTheirSizeNotEnlarged)
{
    const juce::String cabinet = "1960", irName = "1960 121 On Axis Close";
    // The channel level knob: no other control lies over it.
    const auto& knob = controlTable()[(size_t)findControlRow("C1Level")];
    const int frame = control<FilmStripKnob>("C1Level").getFrameIndex();
    const auto photoAt100 = composed({decode(pictureTable, cabinet), decode(pictureTable, irName)}, 388, 252);

    for (const float scale : {1.0f, 1.5f, 2.0f})
    {
        setScale(scale);
        scaled::clearCache();
        const auto shot = editor->createComponentSnapshot(editor->getLocalBounds(), true, 1.0f);
        const auto shotFile = editortest::artefactFolder().getChildFile(
            "editor-at-" + juce::String(juce::roundToInt(scale * 100)) + ".png");
        shotFile.deleteFile();
        if (juce::FileOutputStream out(shotFile); out.openedOk())
            juce::PNGImageFormat().writeImageToStream(shot, out);

        // The photograph: the screenshot's pixels where the editor put it.
        const int pw = juce::roundToInt(388 * scale), ph = juce::roundToInt(252 * scale);
        const auto photoShot =
            shot.getClippedImage({juce::roundToInt(11 * scale), juce::roundToInt(79 * scale), pw, ph});
        const auto photoDrawn = scale == 1.0f
                                    ? photoAt100
                                    : composed({scaled::cabinetPhotograph(cabinet, scale),
                                                scaled::placementPicture(cabinet, "121", "On Axis", "Close", scale)},
                                               pw, ph);
        const auto photoEnlarged = enlarged(photoAt100, pw, ph);

        // The knob: its frame over the panel beneath it.
        const auto area = scaledBounds(knob, scale);
        const auto knobShot = shot.getClippedImage(area);
        const auto panelAt = [&](float s)
        {
            const auto panel = s == 1.0f ? decode(editorPictureTable, "eqPanel") : scaled::eqPanel(s);
            const int px = juce::roundToInt(10 * s), py = juce::roundToInt(441 * s);
            return panel.getClippedImage(area.translated(-px, -py));
        };
        const auto frameAt100 =
            decode(editorPictureTable, knob.strip).getClippedImage({0, frame * knob.height, knob.width, knob.height});
        const auto knobAt100 = composed({panelAt(1.0f), frameAt100}, knob.width, knob.height);
        const auto knobDrawn = scale == 1.0f
                                   ? knobAt100
                                   : composed({panelAt(scale), enlarged(scaled::knobFrame(knob.strip, frame, scale),
                                                                        area.getWidth(), area.getHeight())},
                                              area.getWidth(), area.getHeight());
        const auto knobEnlarged = enlarged(knobAt100, area.getWidth(), area.getHeight());

        const auto photoVsDrawn = compare(photoShot, photoDrawn), photoVsEnlarged = compare(photoShot, photoEnlarged);
        const auto knobVsDrawn = compare(knobShot, knobDrawn), knobVsEnlarged = compare(knobShot, knobEnlarged);
        std::cout << "at " << scale * 100 << " %: cabinet picture vs drawn at size: MAD "
                  << photoVsDrawn.meanAbsoluteDifference << ", PSNR " << photoVsDrawn.psnr
                  << " dB; vs 100 % enlarged: MAD " << photoVsEnlarged.meanAbsoluteDifference << ", PSNR "
                  << photoVsEnlarged.psnr << " dB" << std::endl;
        std::cout << "at " << scale * 100 << " %: knob vs drawn at size: MAD " << knobVsDrawn.meanAbsoluteDifference
                  << ", PSNR " << knobVsDrawn.psnr << " dB; vs 100 % enlarged: MAD "
                  << knobVsEnlarged.meanAbsoluteDifference << ", PSNR " << knobVsEnlarged.psnr << " dB" << std::endl;

        if (scale == 1.0f)
        {
            EXPECT_EQ(photoVsDrawn.meanAbsoluteDifference, 0.0);
            EXPECT_EQ(knobVsDrawn.meanAbsoluteDifference, 0.0);
            continue;
        }
        EXPECT_GT(photoVsDrawn.psnr, 40.0) << scale;
        EXPECT_GT(photoVsDrawn.psnr, photoVsEnlarged.psnr + 15.0) << scale;
        EXPECT_GT(knobVsDrawn.psnr, 35.0) << scale;
        EXPECT_GT(knobVsDrawn.psnr, knobVsEnlarged.psnr + 10.0) << scale;
    }
}

TEST_F(EditorScaling, TheLastSizeIsRememberedAndADamagedSettingsFileGives100Percent)
{
    setScale(1.5f);
    editor.reset(); // closing saves the size
    editor = std::make_unique<Morvane3AudioProcessorEditor>(*processor);
    EXPECT_EQ(editor->getWidth(), 1215);
    EXPECT_EQ(editor->getHeight(), 900);

    // Opening and closing without resizing leaves the remembered size alone,
    // and so does a host that sets its own scale, which decides the size.
    editor->setScaleFactor(2.0f);
    EXPECT_EQ(editor->getWidth(), 810);
    EXPECT_NEAR(editor->getPixelScale(), 2.0f, 0.001f);
    editor.reset();
    editor = std::make_unique<Morvane3AudioProcessorEditor>(*processor);
    EXPECT_EQ(editor->getWidth(), 1215);
    editor.reset();

    for (const char* damaged :
         {"", "\x01\x02garbage", "<MORVANE3WINDOW scale=\"abc\"/>", "<MORVANE3WINDOW scale=\"7\"/>",
          "<OTHER scale=\"1.5\"/>", "<MORVANE3WINDOW scale=\"nan\"/>"})
    {
        ASSERT_TRUE(windowSettingsFile().replaceWithText(damaged));
        editor = std::make_unique<Morvane3AudioProcessorEditor>(*processor);
        EXPECT_EQ(editor->getWidth(), 810) << damaged;
        EXPECT_EQ(editor->getHeight(), 600) << damaged;
    }
}

TEST_F(EditorScaling, MouseWorksAt150PercentAsAt100Percent)
{
    // Drags and clicks arrive in window pixels, as a screen delivers them.
    const auto dragKnob = [&](const char* identifier, float windowPixels)
    {
        auto& knob = control<FilmStripKnob>(identifier);
        const auto start = editor->getLocalPoint(&knob, knob.getLocalBounds().getCentre().toFloat());
        const auto now = juce::Time::getCurrentTime();
        const auto event = [&](juce::Point<float> at, bool dragged)
        {
            return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), at,
                                    juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier), 0.0f, 0.0f, 0.0f, 0.0f,
                                    0.0f, editor.get(), editor.get(), now, start, now, 1, dragged)
                .getEventRelativeTo(&knob);
        };
        const double before = knob.getValue();
        knob.mouseDown(event(start, false));
        knob.mouseDrag(event(start.translated(0.0f, -windowPixels), true));
        // The value readout shows the knob's text beside the knob, in the window.
        const auto* readout = knob.getCurrentPopupDisplay();
        const bool readoutShown = readout != nullptr && readout->isVisible() &&
                                  readout->getParentComponent() == editor.get() &&
                                  readout->getBounds().expanded(4).intersects(knob.getBoundsInParent()) &&
                                  knob.getTextFromValue(knob.getValue()) == knob.getTooltip();
        knob.mouseUp(event(start.translated(0.0f, -windowPixels), true));
        return std::pair{knob.getValue() - before, readoutShown};
    };

    const auto at100 = dragKnob("C1HPF", 40.0f);
    const auto levelAt100 = dragKnob("C2Level", 30.0f);
    ASSERT_GT(at100.first, 5.0);
    EXPECT_TRUE(at100.second);
    control<FilmStripKnob>("C1HPF").setValue(20.0, juce::sendNotificationSync);
    control<FilmStripKnob>("C2Level").setValue(0.5, juce::sendNotificationSync);

    setScale(1.5f);
    editor->setVisible(true);
    const auto at150 = dragKnob("C1HPF", 60.0f);
    const auto levelAt150 = dragKnob("C2Level", 45.0f);
    EXPECT_DOUBLE_EQ(at150.first, at100.first);
    EXPECT_DOUBLE_EQ(levelAt150.first, levelAt100.first);
    EXPECT_TRUE(at150.second);
    EXPECT_TRUE(levelAt150.second);
    EXPECT_EQ(parameter(c1HPF), processor->getParameterValue(c1HPF));
    EXPECT_EQ(processor->getLiveValues().channels[0].hpfHz.load(), (float)control<FilmStripKnob>("C1HPF").getValue());

    // Every control, the preset buttons among them, is the one under the
    // mouse at the centre of its scaled bounds.
    for (int row = 0; row < numControls; ++row)
    {
        const auto& spec = controlTable()[(size_t)row];
        const auto centre = scaledBounds(spec, 1.5f).getCentre();
        auto* hit = editor->getComponentAt(centre);
        while (hit != nullptr && hit->getParentComponent() != editor.get())
            hit = hit->getParentComponent();
        EXPECT_EQ(hit, editor->getControl(row)) << spec.identifier;
    }
}

namespace
{
// Publishes X resources on the display, as a desktop's settings daemon does.
void setXResources(const char* resources)
{
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Atom property = XInternAtom(display, "RESOURCE_MANAGER", False);
    if (resources == nullptr)
        XDeleteProperty(display, DefaultRootWindow(display), property);
    else
        XChangeProperty(display, DefaultRootWindow(display), property, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(resources), (int)std::strlen(resources));
    XCloseDisplay(display);
}
} // namespace

TEST_F(EditorScaling, WithoutARememberedSizeTheDesktopsScaleIsHonoured)
{
    editor.reset();
    ASSERT_FALSE(windowSettingsFile().exists());
    for (const auto& [resources, width] : {std::pair{"Xft.dpi:\t144\n", 1215},
                                           {"Xcursor.size:\t24\nXft.dpi:\t192\n", 1620},
                                           {"Xft.antialias:\t1\n", 810}})
    {
        setXResources(resources);
        editor = std::make_unique<Morvane3AudioProcessorEditor>(*processor);
        EXPECT_EQ(editor->getWidth(), width) << resources;
        editor.reset();
    }
    setXResources(nullptr);
    ::setenv("GDK_SCALE", "2", 1);
    editor = std::make_unique<Morvane3AudioProcessorEditor>(*processor);
    ::unsetenv("GDK_SCALE");
    EXPECT_EQ(editor->getWidth(), 1620);
    EXPECT_EQ(editor->getHeight(), 1200);
}
