// The editor at sizes other than 100 %: where every control stands, the
// remembered size, the desktop's scale and the mouse. (The pictures at each
// size are checked on screen through the plug-in binary, tests/hosts.)
#include "EditorFixture.h"

#include "editor/ControlTable.h"
#include "editor/WindowScale.h"
#include "processor/ParameterTable.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>

using namespace morvane3;

namespace
{
juce::Rectangle<int> scaledBounds(const ControlSpec& spec, float scale)
{
    return {toWindowPixels(spec.x, scale), toWindowPixels(spec.y, scale), toWindowPixels(spec.width, scale),
            toWindowPixels(spec.height, scale)};
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
        editor->setSize(toWindowPixels(layoutWidth, scale), toWindowPixels(layoutHeight, scale));
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
            const std::pair<float, int> edges[] = {{actual.getX(), expected.getX()},
                                                   {actual.getY(), expected.getY()},
                                                   {actual.getRight(), toWindowPixels(spec.x + spec.width, scale)},
                                                   {actual.getBottom(), toWindowPixels(spec.y + spec.height, scale)}};
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
