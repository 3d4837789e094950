#include "EditorFixture.h"

#include "processor/ParameterTable.h"

using namespace morvane3;

namespace
{
// The "+" or "-" button of an increment/decrement slider.
juce::Button* stepButton(juce::Slider& step, const juce::String& text)
{
    for (auto* child : step.getChildren())
        if (auto* button = dynamic_cast<juce::Button*>(child))
            if (button->getButtonText() == text)
                return button;
    return nullptr;
}

juce::MouseEvent doubleClickOn(juce::Component& component)
{
    const auto now = juce::Time::getCurrentTime();
    const juce::Point<float> centre(component.getWidth() / 2.0f, component.getHeight() / 2.0f);
    return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), centre, juce::ModifierKeys(), 0.0f, 0.0f, 0.0f,
                            0.0f, 0.0f, &component, &component, now, centre, now, 2, false);
}
// A left-button event on `component`, `dy` pixels below where the press began.
juce::MouseEvent leftButtonAt(juce::Component& component, float dy, bool dragged)
{
    const auto now = juce::Time::getCurrentTime();
    const juce::Point<float> centre(component.getWidth() / 2.0f, component.getHeight() / 2.0f);
    return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), centre.translated(0.0f, dy),
                            juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier), 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                            &component, &component, now, centre, now, 1, dragged);
}
} // namespace

class EditorBehaviour : public EditorFixture
{
protected:
    void SetUp() override { tick(); } // the window as the user first sees it
};

TEST_F(EditorBehaviour, FirstRefreshShowsTheProcessorAndAsksOnlyForWhatIsNotLoadedYet)
{
    EXPECT_EQ(control<juce::ComboBox>("C1Cabinet").getText(), "1960");
    EXPECT_EQ(control<juce::ComboBox>("C2MicDistance").getText(), "Close");
    EXPECT_EQ(control<juce::Slider>("C1CabinetIncDec").getValue(), 10.0);
    EXPECT_EQ(control<FilmStripKnob>("C1LPF").getValue(), 14000.0);
    EXPECT_EQ(control<FilmStripKnob>("C2LMF").getValue(), 300.0);
    EXPECT_EQ(editor->getLoadedIrName(0), "1960 121 On Axis Close");
    EXPECT_EQ(editor->getLoadedIrName(1), "1960 121 On Axis Close");
    // This processor was never prepared, so it had loaded nothing yet.
    EXPECT_EQ(editor->getLoadRequestCount(0), 1);
    EXPECT_EQ(editor->getLoadRequestCount(1), 1);
    EXPECT_EQ(processor->getLoadedImpulseResponseName(0), "1960 121 On Axis Close");

    tick(); // an idle editor asks for nothing more
    EXPECT_EQ(editor->getLoadRequestCount(0), 1);
    EXPECT_EQ(editor->getLoadRequestCount(1), 1);
}

namespace
{
struct HostNotificationCounter : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged(juce::AudioProcessor*, int, float) override { ++writes; }
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails&) override {}
    int writes = 0;
};
} // namespace

TEST_F(EditorBehaviour, OpeningTheEditorAgainReloadsNothingAndTellsTheHostNothing)
{
    editor.reset();
    // Host writes while the window is closed: a switch and a selection.
    processor->setParameterValue(c1Mute, 1.0f);
    processor->setParameterValue(c2HPFBypass, 1.0f);
    processor->applyPendingSelectionChanges();
    HostNotificationCounter host;
    processor->addListener(&host);

    editor = std::make_unique<Morvane3AudioProcessorEditor>(*processor);
    tick();
    tick();
    EXPECT_EQ(editor->getLoadRequestCount(0), 0);
    EXPECT_EQ(editor->getLoadRequestCount(1), 0);
    EXPECT_EQ(host.writes, 0);
    EXPECT_TRUE(control<juce::DrawableButton>("C1Mute").getToggleState());
    EXPECT_TRUE(control<juce::DrawableButton>("C2HPFBypass").getToggleState());
    EXPECT_EQ(control<juce::DrawableButton>("C2HPFBypass").getTooltip(), "High Pass Filter Bypassed");
    EXPECT_EQ(editor->getLoadedIrName(1), "1960 121 On Axis Close");

    // A host change of a selection after opening still loads, once.
    processor->setParameterValue(c2Cabinet, 0.2f);
    tick();
    EXPECT_EQ(editor->getLoadRequestCount(1), 1);
    EXPECT_EQ(processor->getLoadedImpulseResponseName(1), "Motown 121 On Axis Close");
    processor->removeListener(&host);
}

TEST_F(EditorBehaviour, SelectingMotownWritesTheCodeAndLoadsItsResponseOnce)
{
    auto& box = control<juce::ComboBox>("C1Cabinet");
    box.setSelectedId(200, juce::sendNotification);
    deliver();
    EXPECT_EQ(parameter(c1Cabinet), 0.2f);
    EXPECT_EQ(editor->getLoadedIrName(0), "Motown 121 On Axis Close");
    EXPECT_EQ(editor->getLoadRequestCount(0), 2);
    EXPECT_EQ(editor->getLoadRequestCount(1), 1);
    EXPECT_EQ(control<juce::Slider>("C1CabinetIncDec").getValue(), 200.0);
    EXPECT_EQ(processor->getLoadedImpulseResponseName(0), "Motown 121 On Axis Close");

    tick(); // the value written comes back unchanged: no second load
    tick();
    EXPECT_EQ(box.getSelectedId(), 200);
    EXPECT_EQ(editor->getLoadRequestCount(0), 2);
}

TEST_F(EditorBehaviour, StepControlsClampAtTheirEndsAndNeverWrap)
{
    auto& step = control<juce::Slider>("C1CabinetIncDec");
    auto* increment = stepButton(step, "+");
    auto* decrement = stepButton(step, "-");
    ASSERT_NE(increment, nullptr);
    ASSERT_NE(decrement, nullptr);

    decrement->triggerClick(); // at 10 already
    deliver();
    EXPECT_EQ(step.getValue(), 10.0);
    EXPECT_EQ(control<juce::ComboBox>("C1Cabinet").getText(), "1960");

    increment->triggerClick();
    deliver();
    EXPECT_EQ(step.getValue(), 20.0);
    EXPECT_EQ(control<juce::ComboBox>("C1Cabinet").getText(), "Angora");
    EXPECT_EQ(parameter(c1Cabinet), 0.02f);

    step.setValue(200.0, juce::sendNotificationSync);
    deliver();
    increment->triggerClick();
    deliver();
    EXPECT_EQ(step.getValue(), 200.0);
    EXPECT_EQ(control<juce::ComboBox>("C1Cabinet").getText(), "Motown");
    EXPECT_EQ(parameter(c1Cabinet), 0.2f);
}

TEST_F(EditorBehaviour, SteppingTheMicrophoneLoadsTheNewMicrophone)
{
    auto& step = control<juce::Slider>("C1MicIncDec");
    stepButton(step, "+")->triggerClick();
    deliver();
    EXPECT_EQ(control<juce::ComboBox>("C1Microphone").getText(), "409");
    EXPECT_EQ(parameter(c1Microphone), 0.02f);
    EXPECT_EQ(editor->getLoadedIrName(0), "1960 409 On Axis Close");
    EXPECT_EQ(editor->getLoadRequestCount(0), 2);
}

TEST_F(EditorBehaviour, KnobsWriteNormalisedParameterAndLiveValue)
{
    control<FilmStripKnob>("C1HMF").setValue(2000.0, juce::sendNotificationSync);
    EXPECT_EQ(parameter(c1HMF), (float) (1500.0 / 9500.0));
    EXPECT_EQ(processor->getLiveValues().channels[0].hmfHz.load(), 2000.0f);
    EXPECT_EQ(control<FilmStripKnob>("C1HMF").getTooltip(), "High Mid Frequency: 2000 Hz");

    control<FilmStripKnob>("C2LMLevel").setValue(4.5, juce::sendNotificationSync);
    EXPECT_EQ(parameter(c2LMLevel), (float) (10.5 / 12.0));
    EXPECT_EQ(processor->getLiveValues().channels[1].lmGainDb.load(), 4.5f);

    control<FilmStripKnob>("OutputLevel").setValue(0.25, juce::sendNotificationSync);
    EXPECT_EQ(parameter(outputLevel), 0.25f);
    EXPECT_EQ(processor->getLiveValues().outputLevel.load(), 0.25f);

    tick(); // the refresh lands the knob where it already is
    EXPECT_EQ(control<FilmStripKnob>("C1HMF").getValue(), 2000.0);
    EXPECT_EQ(control<FilmStripKnob>("C2LMLevel").getValue(), 4.5);
}

TEST_F(EditorBehaviour, ADraggedKnobShowsItsValueTextBesideItUntilReleased)
{
    for (const char* identifier : {"C1HMF", "C2LMLevel", "OutputLevel"})
    {
        auto& knob = control<FilmStripKnob>(identifier);
        const double start = knob.getValue();
        EXPECT_EQ(knob.getCurrentPopupDisplay(), nullptr) << identifier;

        knob.mouseDown(leftButtonAt(knob, 0.0f, false));
        knob.mouseDrag(leftButtonAt(knob, -40.0f, true));
        auto* popup = knob.getCurrentPopupDisplay();
        ASSERT_NE(popup, nullptr) << identifier;
        EXPECT_GT(knob.getValue(), start) << identifier;
        EXPECT_TRUE(popup->isVisible()) << identifier;
        EXPECT_EQ(popup->getParentComponent(), editor.get()) << identifier;
        // Beside the knob, and wholly inside the window even at its corner: the
        // bubble is drawn within a 15-pixel margin of its component.
        EXPECT_TRUE(popup->getBounds().expanded(4).intersects(knob.getBounds())) << identifier;
        EXPECT_TRUE(editor->getLocalBounds().contains(popup->getBounds().reduced(15))) << identifier;
        // The bubble prints the knob's text for its value: the tooltip's text.
        EXPECT_EQ(knob.getTextFromValue(knob.getValue()), knob.getTooltip()) << identifier;
        EXPECT_NE(knob.getTextFromValue(start), knob.getTooltip()) << identifier;

        knob.mouseUp(leftButtonAt(knob, -40.0f, true));
        EXPECT_EQ(knob.getCurrentPopupDisplay(), nullptr) << identifier;
    }
    EXPECT_EQ(control<FilmStripKnob>("C1HMF").getTooltip(),
              "High Mid Frequency: " + juce::String(control<FilmStripKnob>("C1HMF").getValue()) + " Hz");
}

TEST_F(EditorBehaviour, DoubleClickReturnsTheLowPassKnobToItsTop)
{
    auto& knob = control<FilmStripKnob>("C1LPF");
    knob.setValue(9000.0, juce::sendNotificationSync);
    ASSERT_EQ(processor->getLiveValues().channels[0].lpfHz.load(), 9000.0f);

    knob.mouseDoubleClick(doubleClickOn(knob));
    EXPECT_EQ(knob.getValue(), 14000.0);
    EXPECT_EQ(parameter(c1LPF), 1.0f);
    EXPECT_EQ(processor->getLiveValues().channels[0].lpfHz.load(), 14000.0f);
}

TEST_F(EditorBehaviour, TheRunningTimerBringsHostChangesWithoutHelp)
{
    processor->setParameterValueNotifyingHost(c1HPF, 0.5f);
    processor->setParameterValueNotifyingHost(c1Mute, 1.0f);
    EXPECT_TRUE(editortest::pumpUntil([this] { return control<FilmStripKnob>("C1HPF").getValue() == 70.0; }, 2000));
    EXPECT_TRUE(editortest::pumpUntil([this] { return control<juce::DrawableButton>("C1Mute").getToggleState(); }, 2000));
}

TEST_F(EditorBehaviour, HostChangesReachTheKnobsWithinARefresh)
{
    processor->setParameterValueNotifyingHost(c1HPF, 1.0f);
    processor->setParameterValueNotifyingHost(c2Level, 0.25f);
    tick();
    EXPECT_EQ(control<FilmStripKnob>("C1HPF").getValue(), 120.0);
    EXPECT_EQ(control<FilmStripKnob>("C1HPF").getTooltip(), "High Pass Filter: 120 Hz");
    EXPECT_EQ(control<FilmStripKnob>("C2Level").getValue(), 0.25);
    EXPECT_EQ(control<FilmStripKnob>("C2Level").getTooltip(), "Channel 2 Level: -12.0 dB");
}

TEST_F(EditorBehaviour, HostMutesAndBypassesToggleTheButtonsAndTheLiveValues)
{
    processor->setParameterValue(c1Mute, 1.0f);
    processor->setParameterValue(c2HPFBypass, 1.0f);
    tick();
    EXPECT_TRUE(control<juce::DrawableButton>("C1Mute").getToggleState());
    EXPECT_FALSE(control<juce::DrawableButton>("C2Mute").getToggleState());
    EXPECT_EQ(processor->getLiveValues().channels[0].mute.load(), 1.0f);
    auto& bypass = control<juce::DrawableButton>("C2HPFBypass");
    EXPECT_TRUE(bypass.getToggleState());
    EXPECT_EQ(bypass.getTooltip(), "High Pass Filter Bypassed");
    EXPECT_EQ(processor->getLiveValues().channels[1].hpfBypass.load(), 1.0f);

    processor->setParameterValue(c2HPFBypass, 0.0f);
    tick();
    EXPECT_FALSE(bypass.getToggleState());
    EXPECT_EQ(bypass.getTooltip(), "High Pass Filter Enabled");
    EXPECT_EQ(processor->getLiveValues().channels[1].hpfBypass.load(), 0.0f);
}

TEST_F(EditorBehaviour, ClickingMuteAndBypassWritesParameterAndLiveValue)
{
    control<juce::DrawableButton>("C2Mute").triggerClick();
    deliver();
    EXPECT_EQ(parameter(c2Mute), 1.0f);
    EXPECT_EQ(processor->getLiveValues().channels[1].mute.load(), 1.0f);

    auto& lmf = control<juce::DrawableButton>("C1LMFBypass");
    lmf.triggerClick();
    deliver();
    EXPECT_EQ(parameter(c1LMFBypass), 1.0f);
    EXPECT_EQ(processor->getLiveValues().channels[0].lmfBypass.load(), 1.0f);
    EXPECT_EQ(lmf.getTooltip(), "Low Mid EQ Bypassed");

    tick(); // the refresh keeps what the user set
    EXPECT_TRUE(lmf.getToggleState());
    EXPECT_TRUE(control<juce::DrawableButton>("C2Mute").getToggleState());
}

TEST_F(EditorBehaviour, HostSelectorChangesSelectAndLoadOnce)
{
    processor->setParameterValueNotifyingHost(c2Microphone, 0.08f);
    tick();
    tick();
    EXPECT_EQ(control<juce::ComboBox>("C2Microphone").getText(), "U87");
    EXPECT_EQ(control<juce::Slider>("C2MicIncDec").getValue(), 80.0);
    EXPECT_EQ(editor->getLoadedIrName(1), "1960 U87 On Axis Close");
    EXPECT_EQ(editor->getLoadRequestCount(1), 2);
    EXPECT_EQ(editor->getLoadRequestCount(0), 1);
}

TEST_F(EditorBehaviour, ACodeWithoutAnItemEmptiesTheBoxAndWritesZero)
{
    processor->setParameterValue(c1MicPos, 0.015f);
    tick();
    auto& box = control<juce::ComboBox>("C1MicPos");
    EXPECT_EQ(box.getSelectedId(), 0);
    EXPECT_TRUE(box.getText().isEmpty());
    EXPECT_EQ(parameter(c1MicPos), 0.0f);
    EXPECT_EQ(editor->getLoadedIrName(0), "1960 121  Close");
}
