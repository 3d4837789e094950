#include "EditorFixture.h"

#include "editor/ControlTable.h"

#include <array>
#include <vector>

namespace
{
const std::array<const char*, 43> creationOrder = {
    "C1Cabinet", "C1Microphone", "C1MicPos", "C1MicDistance", "C1HPF", "C1LPF", "C1LMF", "C1HMF", "C1LMLevel",
    "C1HMLevel", "C1Level", "C2HPF", "C2LPF", "C2LMF", "C2HMF", "C2LMLevel", "C2HMLevel", "C2Level", "C2Cabinet",
    "C2Microphone", "C2MicPos", "C2MicDistance", "OutputLevel", "C1Mute", "C2Mute", "SaveAsButton", "LoadButton",
    "C1CabinetIncDec", "C1MicIncDec", "C1MicPosIncDec", "C1MicDistIncDec", "C2CabinetIncDec", "C2MicIncDec",
    "C2MicPosIncDec", "C2MicDistIncDec", "C1HPFBypass", "C1LPFBypass", "C1LMFBypass", "C1HMFBypass", "C2HPFBypass",
    "C2LPFBypass", "C2LMFBypass", "C2HMFBypass"};

struct MenuEntry
{
    bool heading;
    int id;
    juce::String text;
};

std::vector<MenuEntry> menuOf(juce::ComboBox& box)
{
    std::vector<MenuEntry> entries;
    for (juce::PopupMenu::MenuItemIterator it(*box.getRootMenu()); it.next();)
    {
        const auto& item = it.getItem();
        EXPECT_FALSE(item.isSeparator) << box.getName().toStdString();
        entries.push_back({item.isSectionHeader, item.itemID, item.text});
    }
    return entries;
}
} // namespace

using EditorLayout = EditorFixture;

TEST_F(EditorLayout, WindowOpensAt810By600AndResizesInItsProportionsUpToTwice)
{
    EXPECT_EQ(editor->getWidth(), 810);
    EXPECT_EQ(editor->getHeight(), 600);
    EXPECT_TRUE(editor->isResizable());
    auto* constrainer = editor->getConstrainer();
    ASSERT_NE(constrainer, nullptr);
    EXPECT_EQ(constrainer->getMinimumWidth(), 810);
    EXPECT_EQ(constrainer->getMaximumWidth(), 1620);
    EXPECT_DOUBLE_EQ(constrainer->getFixedAspectRatio(), 810.0 / 600.0);
    EXPECT_FALSE(editor->getMouseClickGrabsKeyboardFocus());
    EXPECT_TRUE(editor->isKeyboardFocusContainer());
}

TEST_F(EditorLayout, ControlsAreChildrenInCreationOrderNamedByIdentifier)
{
    // The 43 controls, then the framework's resize handle.
    ASSERT_EQ(editor->getNumChildComponents(), 44);
    EXPECT_NE(dynamic_cast<juce::ResizableCornerComponent*>(editor->getChildComponent(43)), nullptr);
    for (int i = 0; i < 43; ++i)
    {
        const auto* child = editor->getChildComponent(i);
        const juce::String id = creationOrder[(size_t) i];
        EXPECT_EQ(child->getComponentID(), id);
        EXPECT_EQ(child->getName(), dynamic_cast<const FilmStripKnob*>(child) != nullptr ? id + " FilmStripKnob" : id);
        EXPECT_TRUE(child->isVisible()) << id;
        EXPECT_EQ(editor->findControl(id), child);
    }
}

TEST_F(EditorLayout, SampledBoundsMatchTheLayout)
{
    const std::vector<std::pair<const char*, juce::Rectangle<int>>> expected = {
        {"C1Cabinet", {25, 355, 140, 20}},      {"C2MicDistance", {617, 400, 140, 20}}, {"C1HPF", {19, 442, 80, 72}},
        {"C1LPF", {19, 514, 80, 75}},           {"C2HMF", {619, 442, 63, 72}},          {"C2Level", {705, 505, 78, 84}},
        {"OutputLevel", {773, 6, 26, 26}},      {"C1Mute", {370, 56, 24, 15}},          {"C2Mute", {770, 56, 24, 15}},
        {"SaveAsButton", {406, 8, 64, 22}},     {"LoadButton", {341, 8, 64, 22}},       {"C1CabinetIncDec", {170, 355, 30, 20}},
        {"C2MicDistIncDec", {762, 400, 30, 20}}, {"C1LPFBypass", {69, 576, 11, 11}},    {"C2HMFBypass", {662, 503, 11, 11}},
    };
    for (const auto& [id, bounds] : expected)
        EXPECT_EQ(editor->findControl(id)->getBounds(), bounds) << id;
}

TEST_F(EditorLayout, KnobsAreRotaryWithTheirRangesAndDoubleClickValues)
{
    struct Expected
    {
        const char* id;
        double minimum, maximum, interval, doubleClick;
    };
    for (const auto& e : {Expected{"C1HPF", 20, 120, 1, 20}, Expected{"C2LPF", 7000, 14000, 1, 14000},
                          Expected{"C1LMF", 100, 600, 1, 300}, Expected{"C2HMF", 500, 10000, 1, 4000},
                          Expected{"C1LMLevel", -6, 6, 0.5, 0}, Expected{"C2HMLevel", -6, 6, 0.5, 0},
                          Expected{"C1Level", 0, 1, 0.01, 0.5}, Expected{"OutputLevel", 0, 1, 0.01, 0.5}})
    {
        auto& knob = control<FilmStripKnob>(e.id);
        EXPECT_EQ(knob.getMinimum(), e.minimum) << e.id;
        EXPECT_EQ(knob.getMaximum(), e.maximum) << e.id;
        EXPECT_EQ(knob.getInterval(), e.interval) << e.id;
        EXPECT_TRUE(knob.isDoubleClickReturnEnabled()) << e.id;
        EXPECT_EQ(knob.getDoubleClickReturnValue(), e.doubleClick) << e.id;
        EXPECT_EQ(knob.getSliderStyle(), juce::Slider::RotaryVerticalDrag) << e.id;
        EXPECT_TRUE(knob.isScrollWheelEnabled()) << e.id;
    }
}

TEST_F(EditorLayout, StepControlsCountItemsNotHeadings)
{
    const std::vector<std::pair<const char*, double>> maxima = {
        {"C1CabinetIncDec", 200}, {"C1MicIncDec", 80}, {"C1MicPosIncDec", 20}, {"C1MicDistIncDec", 30},
        {"C2CabinetIncDec", 200}, {"C2MicIncDec", 80}, {"C2MicPosIncDec", 20}, {"C2MicDistIncDec", 30}};
    for (const auto& [id, maximum] : maxima)
    {
        auto& step = control<juce::Slider>(id);
        EXPECT_EQ(step.getMinimum(), 10.0) << id;
        EXPECT_EQ(step.getMaximum(), maximum) << id;
        EXPECT_EQ(step.getInterval(), 10.0) << id;
        EXPECT_EQ(step.getSliderStyle(), juce::Slider::IncDecButtons) << id;
        EXPECT_FALSE(step.isScrollWheelEnabled()) << id;
        EXPECT_TRUE(step.getTooltip().isEmpty()) << id;
    }
}

TEST_F(EditorLayout, CabinetListHasFourHeadingsAndTwentyItemsInOrder)
{
    const std::vector<MenuEntry> expected = {
        {true, 0, "4x12 Cabinets"}, {false, 10, "1960"}, {false, 20, "Angora"}, {false, 30, "Eagle"},
        {false, 40, "Excel"}, {false, 50, "Green"}, {false, 60, "Igor"}, {false, 70, "Ogre"}, {false, 80, "Oversize"},
        {false, 90, "Sterling"}, {false, 100, "Tangerine"}, {true, 0, "2x12 Cabinets"}, {false, 110, "Damien"},
        {false, 120, "Genzie"}, {true, 0, "Vintage Combos"}, {false, 130, "Blackface"}, {false, 140, "Chordal"},
        {false, 150, "Dazed"}, {false, 160, "Top Boost"}, {false, 170, "Tweed"}, {false, 180, "Zodiac"},
        {true, 0, "Bass Cabinets"}, {false, 190, "Manatee"}, {false, 200, "Motown"}};
    for (const char* id : {"C1Cabinet", "C2Cabinet"})
    {
        const auto entries = menuOf(control<juce::ComboBox>(id));
        ASSERT_EQ(entries.size(), expected.size()) << id;
        for (size_t i = 0; i < expected.size(); ++i)
        {
            EXPECT_EQ(entries[i].heading, expected[i].heading) << id << " " << i;
            EXPECT_EQ(entries[i].text, expected[i].text) << id << " " << i;
            if (!expected[i].heading)
            {
                EXPECT_EQ(entries[i].id, expected[i].id) << id << " " << i;
            }
        }
        EXPECT_EQ(control<juce::ComboBox>(id).getNumItems(), 20);
    }
}

TEST_F(EditorLayout, MicrophonePositionAndDistanceLists)
{
    const auto mics = menuOf(control<juce::ComboBox>("C2Microphone"));
    ASSERT_EQ(mics.size(), 10u);
    EXPECT_TRUE(mics[0].heading);
    EXPECT_EQ(mics[0].text, "Dynamic Microphones");
    EXPECT_EQ(mics[6].text, "i5");
    EXPECT_EQ(mics[6].id, 60);
    EXPECT_TRUE(mics[7].heading);
    EXPECT_EQ(mics[7].text, "Condenser Microphones");
    EXPECT_EQ(mics[9].text, "U87");
    EXPECT_EQ(mics[9].id, 80);

    auto& position = control<juce::ComboBox>("C1MicPos");
    ASSERT_EQ(position.getNumItems(), 2);
    EXPECT_EQ(position.getItemText(1), "Off Axis");
    EXPECT_EQ(position.getItemId(1), 20);
    auto& distance = control<juce::ComboBox>("C1MicDistance");
    ASSERT_EQ(distance.getNumItems(), 3);
    EXPECT_EQ(distance.getItemText(2), "Far");
    EXPECT_EQ(distance.getItemId(2), 30);
    EXPECT_EQ(menuOf(distance).size(), 3u); // no heading
}

TEST_F(EditorLayout, BoxesStartEmptyAndAreNotEditable)
{
    auto& box = control<juce::ComboBox>("C1Cabinet");
    EXPECT_EQ(box.getSelectedId(), 0);
    EXPECT_TRUE(box.getText().isEmpty());
    EXPECT_FALSE(box.isTextEditable());
    EXPECT_EQ(box.getTextWhenNoChoicesAvailable(), "(no choices)");
    EXPECT_EQ(box.getJustificationType().getFlags(), juce::Justification::centredLeft);
}

TEST_F(EditorLayout, ButtonsHaveTheirStylesTextsAndJoinedEdges)
{
    for (const char* id : {"C1Mute", "C2Mute", "C1HPFBypass", "C2LMFBypass"})
    {
        auto& button = control<juce::DrawableButton>(id);
        EXPECT_EQ(button.getStyle(), juce::DrawableButton::ImageRaw) << id;
        EXPECT_TRUE(button.getClickingTogglesState()) << id;
        EXPECT_FALSE(button.getToggleState()) << id;
    }
    EXPECT_EQ(control<juce::DrawableButton>("C1Mute").getButtonText(), "Mute");
    auto& led = control<juce::DrawableButton>("C1HMFBypass");
    EXPECT_EQ(led.findColour(juce::DrawableButton::backgroundColourId), juce::Colour(0x00000000));
    EXPECT_EQ(led.findColour(juce::DrawableButton::backgroundOnColourId), juce::Colour(0x00000000));

    auto& save = control<juce::TextButton>("SaveAsButton");
    auto& load = control<juce::TextButton>("LoadButton");
    EXPECT_EQ(save.getButtonText(), "Save");
    EXPECT_EQ(load.getButtonText(), "Load");
    EXPECT_EQ(save.getConnectedEdgeFlags(), juce::Button::ConnectedOnLeft);
    EXPECT_EQ(load.getConnectedEdgeFlags(), juce::Button::ConnectedOnRight);
}

TEST_F(EditorLayout, DefaultLookAndFeelCarriesTheEditorColours)
{
    const auto& lf = juce::LookAndFeel::getDefaultLookAndFeel();
    EXPECT_EQ(lf.findColour(juce::TextButton::buttonColourId), juce::Colour(0xff636363));
    EXPECT_EQ(lf.findColour(juce::TextButton::buttonOnColourId), juce::Colour(0xffff0000));
    EXPECT_EQ(lf.findColour(juce::TextButton::textColourOnId), juce::Colour(0xffdddddd));
    EXPECT_EQ(lf.findColour(juce::TextButton::textColourOffId), juce::Colour(0xffffffff));
    EXPECT_EQ(lf.findColour(juce::ComboBox::backgroundColourId), juce::Colour(0xff636363));
    EXPECT_EQ(lf.findColour(juce::ComboBox::buttonColourId), juce::Colour(0xff636363));
    EXPECT_EQ(lf.findColour(juce::ComboBox::arrowColourId), juce::Colour(0xffe5e5e5));
    EXPECT_EQ(lf.findColour(juce::ComboBox::textColourId), juce::Colour(0xffffffff));

    // The colours outlive the editor: a second window finds them set.
    editor.reset();
    EXPECT_EQ(juce::LookAndFeel::getDefaultLookAndFeel().findColour(juce::ComboBox::backgroundColourId), juce::Colour(0xff636363));
}

TEST_F(EditorLayout, TooltipsFollowTheirRules)
{
    EXPECT_EQ(control<juce::ComboBox>("C1Cabinet").getTooltip(), "Cabinet 1");
    EXPECT_EQ(control<juce::ComboBox>("C2Cabinet").getTooltip(), "Cabinet 2");
    EXPECT_EQ(control<juce::ComboBox>("C2MicPos").getTooltip(), "Mic Position");
    EXPECT_EQ(control<juce::DrawableButton>("C2Mute").getTooltip(), "Channel 2 Mute");
    EXPECT_EQ(control<juce::TextButton>("LoadButton").getTooltip(), "Load Preset");
    EXPECT_EQ(control<juce::DrawableButton>("C1LMFBypass").getTooltip(), "Low Mid EQ Enabled");

    // Construction state: every knob at 0, or at its range minimum when 0 is outside.
    EXPECT_EQ(control<FilmStripKnob>("C1HPF").getTooltip(), "High Pass Filter: 20 Hz");
    EXPECT_EQ(control<FilmStripKnob>("C1LMLevel").getTooltip(), "Low Mid Level: 0 dB");
    EXPECT_EQ(control<FilmStripKnob>("C2Level").getTooltip(), "Channel 2 Level: -INF dB");

    tick(); // the processor's defaults arrive
    EXPECT_EQ(control<FilmStripKnob>("C1Level").getTooltip(), "Channel 1 Level: -6.0 dB");
    EXPECT_EQ(control<FilmStripKnob>("OutputLevel").getTooltip(), "Master Level: -6.0 dB");
    EXPECT_EQ(control<FilmStripKnob>("C2HMF").getTooltip(), "High Mid Frequency: 4000 Hz");
    EXPECT_EQ(control<FilmStripKnob>("C1LMLevel").getTooltip(), "Low Mid Level: 0 dB");

    control<FilmStripKnob>("C1LMLevel").setValue(-1.5, juce::sendNotificationSync);
    EXPECT_EQ(control<FilmStripKnob>("C1LMLevel").getTooltip(), "Low Mid Level: -1.5 dB");
}

TEST_F(EditorLayout, PresetsFolderIsCreatedInTheApplicationDataFolder)
{
    const auto expected = editortest::configFolder().getChildFile("Morvane3Presets");
    EXPECT_EQ(editor->getPresetsFolder(), expected);
    EXPECT_TRUE(expected.isDirectory());
}
