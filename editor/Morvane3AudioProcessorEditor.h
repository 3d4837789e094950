#pragma once
// The plug-in window: an 810 x 600 panel with two cabinet channels, a master
// level and preset buttons, shown at any size from 100 % to 200 % (corner
// handle, host resizing, the host's or the desktop's scale). Every control
// keeps its 100 % bounds and is scaled by a transform, so mouse handling is
// the same at every size; pictures are drawn for the pixels they cover. It owns no audio state: every change goes to
// the processor as a parameter value (telling the host), a live value, or an
// impulse-response load. A 50 ms timer keeps the controls in step with the
// processor, so host automation and restored state show up here.
//
// Everything runs on the message thread, one callback at a time; no locks.

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/ControlTable.h"
#include "editor/FilmStripKnob.h"
#include "processor/Morvane3AudioProcessor.h"
#include "processor/ParameterScaler.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>

class Morvane3AudioProcessorEditor : public juce::AudioProcessorEditor,
                                     public juce::ComboBox::Listener,
                                     public juce::Slider::Listener,
                                     public juce::Button::Listener,
                                     public juce::MultiTimer
{
public:
    static constexpr int refreshTimerId = 1;
    static constexpr int refreshPeriodMs = 50;

    explicit Morvane3AudioProcessorEditor(Morvane3AudioProcessor& processor);
    ~Morvane3AudioProcessorEditor() override;

    void paint(juce::Graphics& g) override;
    void resized() override;
    // The host's scale (VST3 content scale, VST2 vendor call): the window opens
    // at it instead of the remembered size.
    void setScaleFactor(float newScale) override;

    // The window's size against the 810 x 600 layout (the host's scale not counted).
    float getWindowScale() const noexcept;
    // Screen pixels per layout pixel: the window's and the host's scale together.
    float getPixelScale() const;

    void sliderValueChanged(juce::Slider* slider) override;
    void comboBoxChanged(juce::ComboBox* box) override;
    void buttonClicked(juce::Button* button) override;
    void timerCallback(int timerId) override;

    // Applies one value of a preset through the control bound to
    // `parameterIndex`, as if the user had set it: selectors select with
    // notification, knobs write parameter and live value, switches toggle with
    // notification. Indices without a control are ignored.
    void applyPresetValue(int parameterIndex, float value);

    // Open the native choosers; the chosen file goes to savePreset/loadPreset.
    void saveWithChooser();
    void loadWithChooser();

    // What the save chooser does with the chosen file: save it under the
    // "mv3" name, asking first when that replaces another file, and telling
    // the user when the write fails.
    void saveChosenFile(const juce::File& chosen);

    // What the load chooser does with the chosen file: apply it, or tell the
    // user in a message box naming the file that it is no preset and that
    // nothing changed.
    void loadChosenFile(const juce::File& chosen);

    // Controls, for the preset code and for tests.
    juce::Component* getControl(int row) const;              // row of the control table
    juce::Component* findControl(const juce::String& identifier) const;
    juce::ComboBox& getSelectionBox(int channel, int slot) const;
    juce::Slider& getStepControl(int channel, int slot) const;
    FilmStripKnob* getKnobForParameter(int parameterIndex) const;
    juce::Button* getSwitchForParameter(int parameterIndex) const;

    Morvane3AudioProcessor& getProcessor() const noexcept { return processor; }
    const juce::File& getPresetsFolder() const noexcept { return presetsFolder; }
    const juce::String& getLoadedIrName(int channel) const;
    // How many impulse-response loads this editor has asked the processor for.
    int getLoadRequestCount(int channel) const;

    // "v 3.0.4" as painted in the title strip.
    static juce::String versionText();

private:
    struct Binding
    {
        int row = -1;
        const morvane3::ControlSpec* spec = nullptr;
    };

    void createControl(int row, const juce::Drawable& muteOff, const juce::Drawable& muteOn,
                       const juce::Drawable& ledLit, const juce::Drawable& ledDark);
    void fillSelectionBox(juce::ComboBox& box, morvane3::SelectionList list);
    // A knob's tooltip rule applied to `value`.
    static juce::String knobText(const morvane3::ControlSpec& spec, double value);
    void refreshKnobTooltip(FilmStripKnob& knob, const morvane3::ControlSpec& spec);
    void refreshSelector(int channel, int slot);
    void adoptProcessorSelections();
    void refreshKnob(int parameterIndex);
    std::atomic<float>* liveValueFor(int parameterIndex);
    void paintChannelPictures(juce::Graphics& g, int channel, int x);
    const morvane3::ControlSpec* specOf(const juce::Component* control) const;
    void setParameter(int index, float value);
    void writePresetOrReport(const juce::File& chosen);
    void updateSizeLimits();
    void refreshButtonPictures();
    void drawPicture(juce::Graphics& g, const juce::Image& original, const std::function<juce::Image(float)>& scaledPicture,
                     int x, int y, int w, int h);

    Morvane3AudioProcessor& processor;
    juce::File presetsFolder;
    juce::String loadedIrName[2];
    int loadRequests[2] = {0, 0};
    const juce::Colour transparentColour { 0x00000000 };
    morvane3::ParameterScaler scaler;
    std::unique_ptr<juce::TooltipWindow> tooltipWindow;

    juce::OwnedArray<juce::Component> controls; // one per control-table row
    std::array<std::array<juce::ComboBox*, morvane3::numSelectorSlots>, 2> boxes {};
    std::array<std::array<juce::Slider*, morvane3::numSelectorSlots>, 2> steps {};
    std::array<FilmStripKnob*, morvane3::numParameters> knobsByParameter {};
    std::array<juce::Button*, morvane3::numParameters> switchesByParameter {};

    std::unique_ptr<juce::FileChooser> chooser;

    // Size: the corner handle and host resizing keep the layout's proportions.
    juce::ComponentBoundsConstrainer windowConstrainer;
    float hostScale = 1.0f;
    bool constructed = false;       // resizes after construction are the user's
    bool resizingForHost = false;
    bool sizeChangedByUser = false; // only then is the size remembered
    float buttonPictureScale = 1.0f;
    bool firstRefreshDone = false;

    // The 100 % button pictures, kept to restore them after a larger size.
    std::unique_ptr<juce::Drawable> muteOffPicture, muteOnPicture, ledLitPicture, ledDarkPicture;

    // Pictures the window paints, held so the image cache keeps them decoded.
    juce::Image background, eqPanel;
    std::array<std::array<juce::Image, 2>, 2> channelPictures; // [channel][photograph, placement]

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(Morvane3AudioProcessorEditor)
};
