#include "editor/Morvane3AudioProcessorEditor.h"

#include "editor/CatalogueAccess.h"
#include "editor/PresetFiles.h"
#include "editor/ScaledPictures.h"
#include "editor/TooltipText.h"
#include "editor/WindowScale.h"
#include "processor/ParameterTable.h"
#include "resources/ResourceTable.h"

using morvane3::ControlKind;
using morvane3::ControlSpec;
using morvane3::SelectionList;
using morvane3::TooltipRule;

namespace
{
// A compiled-in picture through the process-wide image cache (keyed by the data
// address, so each picture is decoded once per process). Missing data gives an
// empty image, which draws nothing.
juce::Image pictureFromCache(std::pair<const unsigned char*, int> resource)
{
    if (resource.first == nullptr || resource.second <= 0)
        return {};
    return juce::ImageCache::getFromMemory(resource.first, resource.second);
}

juce::Image editorPicture(const char* key)
{
    return pictureFromCache(morvane3::findResource(morvane3::editorPictureTable, key));
}

// The button pictures are decoded once per editor. A missing picture becomes
// an empty drawable so the button still toggles.
std::unique_ptr<juce::Drawable> buttonDrawable(const char* key)
{
    const auto resource = morvane3::findResource(morvane3::editorPictureTable, key);
    std::unique_ptr<juce::Drawable> drawable;
    if (resource.first != nullptr && resource.second > 0)
        drawable = juce::Drawable::createFromImageData(resource.first, (size_t) resource.second);
    if (drawable == nullptr)
        drawable = std::make_unique<juce::DrawableImage>();
    return drawable;
}

void setDefaultLookAndFeelColours()
{
    auto& lf = juce::LookAndFeel::getDefaultLookAndFeel();
    lf.setColour(juce::TextButton::buttonColourId, juce::Colour(0xff636363));
    lf.setColour(juce::TextButton::buttonOnColourId, juce::Colour(0xffff0000));
    lf.setColour(juce::TextButton::textColourOnId, juce::Colour(0xffdddddd));
    lf.setColour(juce::TextButton::textColourOffId, juce::Colour(0xffffffff));
    lf.setColour(juce::ComboBox::backgroundColourId, juce::Colour(0xff636363));
    lf.setColour(juce::ComboBox::buttonColourId, juce::Colour(0xff636363));
    lf.setColour(juce::ComboBox::arrowColourId, juce::Colour(0xffe5e5e5)); // grey level 0.9
    lf.setColour(juce::ComboBox::textColourId, juce::Colour(0xffffffff));
}

// Editors open in this process (message thread only): the pictures drawn for
// larger sizes are kept while a window may show them.
int openEditors = 0;

// Knob rows in the order the timer refreshes them.
constexpr const char* channelKnobOrder[2][7] = {
    {"C1HPF", "C1LPF", "C1LMF", "C1HMF", "C1LMLevel", "C1HMLevel", "C1Level"},
    {"C2HPF", "C2LPF", "C2LMF", "C2HMF", "C2LMLevel", "C2HMLevel", "C2Level"},
};
constexpr const char* switchOrder[] = {"C1Mute", "C2Mute", "C1HPFBypass", "C1LMFBypass", "C1HMFBypass", "C1LPFBypass",
                                       "C2HPFBypass", "C2LMFBypass", "C2HMFBypass", "C2LPFBypass"};
} // namespace

Morvane3AudioProcessorEditor::Morvane3AudioProcessorEditor(Morvane3AudioProcessor& owner)
    : juce::AudioProcessorEditor(owner),
      processor(owner),
      tooltipWindow(std::make_unique<juce::TooltipWindow>(nullptr, 700))
{
    ++openEditors;
    setSize(810, 600);
    setFocusContainerType(juce::Component::FocusContainerType::keyboardFocusContainer);
    setMouseClickGrabsKeyboardFocus(false);

    presetsFolder = morvane3::defaultPresetsFolder();
    morvane3::preparePresetsFolder(presetsFolder);

    setDefaultLookAndFeelColours();

    background = editorPicture("editorBackground");
    eqPanel = editorPicture("eqPanel");

    muteOffPicture = buttonDrawable("muteButtonOff");
    muteOnPicture = buttonDrawable("muteButtonOn");
    ledLitPicture = buttonDrawable("bypassLedLit");
    ledDarkPicture = buttonDrawable("bypassLedDark");

    for (int row = 0; row < morvane3::numControls; ++row)
        createControl(row, *muteOffPicture, *muteOnPicture, *ledLitPicture, *ledDarkPicture);

    for (int row = 0; row < morvane3::numControls; ++row)
    {
        const auto& spec = morvane3::controlTable()[(size_t) row];
        controls[row]->setBounds(spec.x, spec.y, spec.width, spec.height);
    }

    // The size the user left the last editor at; without one, the desktop's
    // scale, as far as the framework does not apply it to the window already
    // (it does in the stand-alone application, and from a screen's own pixel
    // density everywhere).
    const auto remembered = morvane3::readRememberedScale(morvane3::windowSettingsFile());
    float initialScale = 1.0f;
    if (remembered.has_value())
        initialScale = *remembered;
    else if (processor.wrapperType != juce::AudioProcessor::wrapperType_Standalone)
    {
        double frameworkScale = 1.0;
        if (const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
            frameworkScale = juce::jmax(1.0, display->scale);
        initialScale = morvane3::clampWindowScale(morvane3::desktopScale() / frameworkScale);
    }

    windowConstrainer.setFixedAspectRatio((double) morvane3::layoutWidth / morvane3::layoutHeight);
    updateSizeLimits();
    setConstrainer(&windowConstrainer);
    setResizable(true, true);
    setSize(morvane3::toWindowPixels(morvane3::layoutWidth, initialScale), morvane3::toWindowPixels(morvane3::layoutHeight, initialScale));
    constructed = true;

    startTimer(refreshTimerId, refreshPeriodMs);
}

Morvane3AudioProcessorEditor::~Morvane3AudioProcessorEditor()
{
    stopTimer(refreshTimerId);
    if (sizeChangedByUser)
        morvane3::writeRememberedScale(morvane3::windowSettingsFile(), getWindowScale() * hostScale);
    chooser.reset();
    controls.clear(true);
    tooltipWindow.reset();
    if (--openEditors == 0)
        morvane3::scaled::clearCache();
}

void Morvane3AudioProcessorEditor::createControl(int row, const juce::Drawable& muteOff, const juce::Drawable& muteOn,
                                                 const juce::Drawable& ledLit, const juce::Drawable& ledDark)
{
    const auto& spec = morvane3::controlTable()[(size_t) row];
    const juce::String identifier(spec.identifier);
    juce::Component* control = nullptr;

    switch (spec.kind)
    {
    case ControlKind::selectionBox:
    {
        auto* box = new juce::ComboBox(identifier);
        box->setTooltip(spec.tooltip);
        box->setEditableText(false);
        box->setJustificationType(juce::Justification::centredLeft);
        box->setTextWhenNothingSelected({});
        box->setTextWhenNoChoicesAvailable("(no choices)");
        fillSelectionBox(*box, spec.list);
        box->setWantsKeyboardFocus(true);
        box->setMouseClickGrabsKeyboardFocus(true);
        box->addListener(this);
        boxes[(size_t) spec.channel][(size_t) morvane3::slotOfList(spec.list)] = box;
        control = box;
        break;
    }
    case ControlKind::filmStripKnob:
    {
        const auto strip = morvane3::findResource(morvane3::editorPictureTable, spec.strip);
        auto* knob = new FilmStripKnob(identifier, strip.first, strip.second);
        knob->setRange(spec.minimum, spec.maximum, spec.interval);
        refreshKnobTooltip(*knob, spec);
        knob->setSliderStyle(juce::Slider::RotaryVerticalDrag);
        knob->addListener(this);
        knob->setDoubleClickReturnValue(true, spec.doubleClickValue);
        // While dragged, the knob shows its value beside it in the tooltip's
        // words; the framework removes the bubble when the mouse is released.
        knob->textFromValueFunction = [specPointer = &spec](double value) { return knobText(*specPointer, value); };
        knob->setPopupDisplayEnabled(true, false, this);
        knob->scaledFrameSource = [stripKey = juce::String(spec.strip)](int frame, float scale) {
            return morvane3::scaled::knobFrame(stripKey, frame, scale);
        };
        knobsByParameter[(size_t) spec.parameterIndex] = knob;
        control = knob;
        break;
    }
    case ControlKind::muteButton:
    {
        auto* button = new juce::DrawableButton(identifier, juce::DrawableButton::ImageRaw);
        button->setImages(&muteOff, &muteOff, &muteOff, &muteOff, &muteOn, &muteOn, &muteOn, &muteOn);
        button->setClickingTogglesState(true);
        button->setButtonText(spec.buttonText);
        button->setTooltip(spec.tooltip);
        button->setRepaintsOnMouseActivity(true);
        button->addListener(this);
        switchesByParameter[(size_t) spec.parameterIndex] = button;
        control = button;
        break;
    }
    case ControlKind::textButton:
    {
        auto* button = new juce::TextButton(identifier, {});
        button->setTooltip(spec.tooltip);
        button->setButtonText(spec.buttonText);
        // Load sits left of Save; the pair is drawn as one joined block.
        button->setConnectedEdges(identifier == "SaveAsButton" ? juce::Button::ConnectedOnLeft : juce::Button::ConnectedOnRight);
        button->addListener(this);
        control = button;
        break;
    }
    case ControlKind::stepControl:
    {
        auto* stepper = new juce::Slider(identifier);
        const int items = morvane3::countSelectionItems(spec.list);
        stepper->setRange(10.0, 10.0 * juce::jmax(1, items), 10.0);
        stepper->setSliderStyle(juce::Slider::IncDecButtons);
        stepper->setTextBoxStyle(juce::Slider::NoTextBox, true, 80, 20);
        stepper->setScrollWheelEnabled(false);
        stepper->addListener(this);
        steps[(size_t) spec.channel][(size_t) morvane3::slotOfList(spec.list)] = stepper;
        control = stepper;
        break;
    }
    case ControlKind::bypassButton:
    {
        auto* button = new juce::DrawableButton(identifier, juce::DrawableButton::ImageRaw);
        button->setImages(&ledLit, nullptr, nullptr, nullptr, &ledDark);
        button->setClickingTogglesState(true);
        button->setTooltip(spec.tooltip);
        button->setRepaintsOnMouseActivity(true);
        button->setColour(juce::DrawableButton::backgroundColourId, transparentColour);
        button->setColour(juce::DrawableButton::backgroundOnColourId, transparentColour);
        button->addListener(this);
        switchesByParameter[(size_t) spec.parameterIndex] = button;
        control = button;
        break;
    }
    }

    // The identifier doubles as component ID so a control can be found by it
    // even where the component name carries a suffix (the knobs).
    control->setComponentID(identifier);
    controls.add(control);
    addAndMakeVisible(control);
}

void Morvane3AudioProcessorEditor::fillSelectionBox(juce::ComboBox& box, SelectionList list)
{
    // Headings are not selectable and are not counted by the step controls.
    for (const auto& entry : morvane3::selectionItems(list))
    {
        if (entry.code == 0)
            box.addSectionHeading(entry.text);
        else
            box.addItem(entry.text, entry.code);
    }
}

//==============================================================================
void Morvane3AudioProcessorEditor::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colours::black);
    const float windowScale = getWindowScale();
    if (std::abs(windowScale - 1.0f) > 0.0001f)
        g.addTransform(juce::AffineTransform::scale(windowScale));

    g.setColour(juce::Colours::white);
    g.setFont(12.0f);

    drawPicture(g, background, [](float scale) { return morvane3::scaled::editorBackground(scale); }, 0, 0, 810, 600);
    for (const int x : {10, 410})
        drawPicture(g, eqPanel, [](float scale) { return morvane3::scaled::eqPanel(scale); }, x, 441, 390, 149);

    paintChannelPictures(g, 0, 11);
    paintChannelPictures(g, 1, 411);

    g.setColour(juce::Colours::white);
    g.drawFittedText(versionText(), 270, 0, 100, 40, juce::Justification::centredLeft, 1, 0.7f);
}

// Draws a picture into (x, y, w, h) of the layout. At 100 % that is the
// compiled-in picture, pixel for pixel; larger, the picture drawn for the
// screen's pixels, placed on whole screen pixels so it is not resampled.
void Morvane3AudioProcessorEditor::drawPicture(juce::Graphics& g, const juce::Image& original,
                                               const std::function<juce::Image(float)>& scaledPicture, int x, int y, int w,
                                               int h)
{
    const float pixelScale = g.getInternalContext().getPhysicalPixelScaleFactor();
    if (std::abs(pixelScale - 1.0f) <= 0.001f || scaledPicture == nullptr)
    {
        if (original.isValid())
            g.drawImage(original, x, y, w, h, 0, 0, w, h);
        return;
    }
    const auto picture = scaledPicture(pixelScale);
    if (!picture.isValid())
        return;
    const auto toPixel = [pixelScale](int v) { return morvane3::toWindowPixels(v, pixelScale); };
    const juce::Rectangle<int> target(toPixel(x), toPixel(y), toPixel(x + w) - toPixel(x), toPixel(y + h) - toPixel(y));
    juce::Graphics::ScopedSaveState state(g);
    g.addTransform(juce::AffineTransform::scale(1.0f / pixelScale));
    // Sizes that round differently from the edges still fit within a pixel.
    if (std::abs(picture.getWidth() - target.getWidth()) <= 1 && std::abs(picture.getHeight() - target.getHeight()) <= 1)
    {
        // The transform back to screen pixels is the identity only to within
        // float rounding; at this quality the framework rounds the position
        // to the nearest pixel and copies the picture unchanged.
        g.setImageResamplingQuality(juce::Graphics::lowResamplingQuality);
        g.drawImageAt(picture, target.getX(), target.getY());
    }
    else // drawn at the next step up, a little larger than the screen needs
    {
        g.setImageResamplingQuality(juce::Graphics::highResamplingQuality);
        g.drawImage(picture, target.toFloat());
    }
}

void Morvane3AudioProcessorEditor::paintChannelPictures(juce::Graphics& g, int channel, int x)
{
    const auto& b = boxes[(size_t) channel];
    const juce::String cabinet = b[morvane3::cabinetSlot]->getText();
    const juce::String microphone = b[morvane3::microphoneSlot]->getText();
    const juce::String position = b[morvane3::positionSlot]->getText();
    const juce::String distance = b[morvane3::distanceSlot]->getText();
    const juce::String irName = morvane3::irNameFromTexts(cabinet, microphone, position, distance);

    // Held until the next paint: the image cache drops pictures nobody holds
    // after a few seconds, and an idle window should not decode them again.
    auto& photograph = channelPictures[(size_t) channel][0];
    auto& placement = channelPictures[(size_t) channel][1];
    photograph = pictureFromCache(morvane3::channelPicture(cabinet));
    placement = pictureFromCache(morvane3::channelPicture(irName));

    if (photograph.isValid())
        drawPicture(g, photograph, [&](float scale) { return morvane3::scaled::cabinetPhotograph(cabinet, scale); }, x, 79, 388, 252);
    if (placement.isValid())
        drawPicture(g, placement,
                    [&](float scale) { return morvane3::scaled::placementPicture(cabinet, microphone, position, distance, scale); },
                    x, 79, 388, 252);
}

//==============================================================================
float Morvane3AudioProcessorEditor::getWindowScale() const noexcept
{
    return (float) getWidth() / (float) morvane3::layoutWidth;
}

float Morvane3AudioProcessorEditor::getPixelScale() const
{
    return juce::Component::getApproximateScaleFactorForComponent(this) * getWindowScale();
}

void Morvane3AudioProcessorEditor::updateSizeLimits()
{
    // 100 % to 200 % of the layout on screen, the host's scale included.
    const float lowest = morvane3::minimumWindowScale / hostScale, highest = morvane3::maximumWindowScale / hostScale;
    windowConstrainer.setSizeLimits(juce::roundToInt(morvane3::layoutWidth * lowest), juce::roundToInt(morvane3::layoutHeight * lowest),
                                    juce::roundToInt(morvane3::layoutWidth * highest),
                                    juce::roundToInt(morvane3::layoutHeight * highest));
}

void Morvane3AudioProcessorEditor::resized()
{
    // Each control keeps its 100 % bounds and is scaled about the window's
    // origin; the shift puts its corner on a whole pixel, so the pictures it
    // draws for its size land on screen pixels.
    const float scale = getWindowScale();
    const bool identity = std::abs(scale - 1.0f) <= 0.0001f;
    for (int row = 0; row < controls.size(); ++row)
    {
        const auto& spec = morvane3::controlTable()[(size_t) row];
        if (identity)
        {
            controls[row]->setTransform({});
            continue;
        }
        const float shiftX = (float) morvane3::toWindowPixels(spec.x, scale) - (float) spec.x * scale;
        const float shiftY = (float) morvane3::toWindowPixels(spec.y, scale) - (float) spec.y * scale;
        controls[row]->setTransform(juce::AffineTransform::scale(scale).translated(shiftX, shiftY));
    }
    if (constructed && !resizingForHost)
        sizeChangedByUser = true;
    refreshButtonPictures();
    repaint();

    // Some wrappers restore the previous size after a host's change of scale,
    // past the range that scale allows: bring it back once the call is over.
    if (getWidth() < windowConstrainer.getMinimumWidth() || getWidth() > windowConstrainer.getMaximumWidth())
        juce::MessageManager::callAsync([safeThis = juce::Component::SafePointer<Morvane3AudioProcessorEditor>(this)] {
            if (safeThis != nullptr)
                safeThis->setBoundsConstrained(safeThis->getBounds());
        });
}

void Morvane3AudioProcessorEditor::setScaleFactor(float newScale)
{
    hostScale = newScale > 0.0f && std::isfinite(newScale) ? newScale : 1.0f;
    {
        const juce::ScopedValueSetter<bool> hostResize(resizingForHost, true);
        updateSizeLimits();
        // A host that sets its own scale decides the size; the window then
        // opens at exactly that scale.
        if (std::abs(hostScale - 1.0f) > 0.001f)
            setSize(morvane3::layoutWidth, morvane3::layoutHeight);
        juce::AudioProcessorEditor::setScaleFactor(hostScale);
    }
    refreshButtonPictures();
}

// The mute keys and bypass lights show pictures drawn for their pixels: the
// same drawables, with a finer picture in the same 100 % box.
void Morvane3AudioProcessorEditor::refreshButtonPictures()
{
    const float pixelScale = getPixelScale();
    if (std::abs(pixelScale - buttonPictureScale) <= 0.001f || muteOffPicture == nullptr)
        return;
    buttonPictureScale = pixelScale;
    const bool original = std::abs(pixelScale - 1.0f) <= 0.001f;

    const auto picture = [&](const std::unique_ptr<juce::Drawable>& fallback, const juce::Image& scaled, float w,
                             float h) -> std::unique_ptr<juce::Drawable> {
        if (original || !scaled.isValid())
            return fallback->createCopy();
        auto drawable = std::make_unique<juce::DrawableImage>(scaled);
        drawable->setBoundingBox(juce::Rectangle<float>(0.0f, 0.0f, w, h));
        return drawable;
    };
    const auto muteOff = picture(muteOffPicture, morvane3::scaled::muteButton(false, pixelScale), 24.0f, 15.0f);
    const auto muteOn = picture(muteOnPicture, morvane3::scaled::muteButton(true, pixelScale), 24.0f, 15.0f);
    const auto ledLit = picture(ledLitPicture, morvane3::scaled::bypassLight(true, pixelScale), 11.0f, 11.0f);
    const auto ledDark = picture(ledDarkPicture, morvane3::scaled::bypassLight(false, pixelScale), 11.0f, 11.0f);

    for (int row = 0; row < controls.size(); ++row)
    {
        auto* button = dynamic_cast<juce::DrawableButton*>(controls[row]);
        if (button == nullptr)
            continue;
        if (morvane3::controlTable()[(size_t) row].kind == ControlKind::muteButton)
            button->setImages(muteOff.get(), muteOff.get(), muteOff.get(), muteOff.get(), muteOn.get(), muteOn.get(),
                              muteOn.get(), muteOn.get());
        else
            button->setImages(ledLit.get(), nullptr, nullptr, nullptr, ledDark.get());
    }
}

juce::String Morvane3AudioProcessorEditor::versionText()
{
#ifdef JucePlugin_VersionString
    return juce::String("v ") + JucePlugin_VersionString;
#else
    return "v 3.0.4";
#endif
}

//==============================================================================
const ControlSpec* Morvane3AudioProcessorEditor::specOf(const juce::Component* control) const
{
    const int row = controls.indexOf(control);
    return row >= 0 ? &morvane3::controlTable()[(size_t) row] : nullptr;
}

void Morvane3AudioProcessorEditor::setParameter(int index, float value)
{
    processor.setParameterValueNotifyingHost(index, value);
}

std::atomic<float>* Morvane3AudioProcessorEditor::liveValueFor(int index)
{
    using namespace morvane3;
    auto& live = processor.getLiveValues();
    auto& c1 = live.channels[0];
    auto& c2 = live.channels[1];
    switch (index)
    {
    case outputLevel: return &live.outputLevel;
    case c1HPF: return &c1.hpfHz;
    case c1LMF: return &c1.lmfHz;
    case c1LMLevel: return &c1.lmGainDb;
    case c1HMF: return &c1.hmfHz;
    case c1HMLevel: return &c1.hmGainDb;
    case c1LPF: return &c1.lpfHz;
    case c1Level: return &c1.level;
    case c2HPF: return &c2.hpfHz;
    case c2LMF: return &c2.lmfHz;
    case c2LMLevel: return &c2.lmGainDb;
    case c2HMF: return &c2.hmfHz;
    case c2HMLevel: return &c2.hmGainDb;
    case c2LPF: return &c2.lpfHz;
    case c2Level: return &c2.level;
    case c1Mute: return &c1.mute;
    case c2Mute: return &c2.mute;
    case c1HPFBypass: return &c1.hpfBypass;
    case c1LMFBypass: return &c1.lmfBypass;
    case c1HMFBypass: return &c1.hmfBypass;
    case c1LPFBypass: return &c1.lpfBypass;
    case c2HPFBypass: return &c2.hpfBypass;
    case c2LMFBypass: return &c2.lmfBypass;
    case c2HMFBypass: return &c2.hmfBypass;
    case c2LPFBypass: return &c2.lpfBypass;
    default: return nullptr;
    }
}

juce::String Morvane3AudioProcessorEditor::knobText(const ControlSpec& spec, double value)
{
    switch (spec.rule)
    {
    case TooltipRule::frequency: return morvane3::frequencyTooltip(spec.tooltip, value);
    case TooltipRule::gain: return morvane3::gainTooltip(spec.tooltip, value);
    case TooltipRule::level: return morvane3::levelTooltip(spec.tooltip, value);
    case TooltipRule::fixed:
    case TooltipRule::none: break;
    }
    return juce::String(value);
}

void Morvane3AudioProcessorEditor::refreshKnobTooltip(FilmStripKnob& knob, const ControlSpec& spec)
{
    if (spec.rule == TooltipRule::frequency || spec.rule == TooltipRule::gain || spec.rule == TooltipRule::level)
        knob.setTooltip(knobText(spec, knob.getValue()));
}

//==============================================================================
void Morvane3AudioProcessorEditor::sliderValueChanged(juce::Slider* slider)
{
    const auto* spec = specOf(slider);
    if (spec == nullptr)
        return;

    if (spec->kind == ControlKind::filmStripKnob)
    {
        auto* knob = static_cast<FilmStripKnob*>(slider);
        const float value = (float) knob->getValue();
        setParameter(spec->parameterIndex, scaler.normalise((float) spec->maximum, (float) spec->minimum, value));
        if (auto* live = liveValueFor(spec->parameterIndex))
            live->store(value, std::memory_order_relaxed);
        refreshKnobTooltip(*knob, *spec);
    }
    else if (spec->kind == ControlKind::stepControl)
    {
        auto* box = boxes[(size_t) spec->channel][(size_t) morvane3::slotOfList(spec->list)];
        box->setSelectedId((int) slider->getValue(), juce::sendNotification);
        setParameter(spec->parameterIndex, scaler.codeToNormalised(box->getSelectedId()));
    }
}

void Morvane3AudioProcessorEditor::comboBoxChanged(juce::ComboBox* box)
{
    const auto* spec = specOf(box);
    if (spec == nullptr || spec->kind != ControlKind::selectionBox)
        return;

    const int channel = spec->channel;
    const int selected = box->getSelectedId();
    setParameter(spec->parameterIndex, scaler.codeToNormalised(selected));

    // The step control follows every box, also the second box of a channel
    // whose name was already requested in the same burst of notifications.
    steps[(size_t) channel][(size_t) morvane3::slotOfList(spec->list)]->setValue(selected, juce::dontSendNotification);

    const auto& b = boxes[(size_t) channel];
    const juce::String name = morvane3::irNameFromTexts(b[morvane3::cabinetSlot]->getText(), b[morvane3::microphoneSlot]->getText(),
                                                   b[morvane3::positionSlot]->getText(), b[morvane3::distanceSlot]->getText());
    if (name == loadedIrName[channel])
        return;

    loadedIrName[channel] = name;
    ++loadRequests[channel];
    processor.loadImpulseResponse(channel, name);
    repaint();
}

void Morvane3AudioProcessorEditor::buttonClicked(juce::Button* button)
{
    const auto* spec = specOf(button);
    if (spec == nullptr)
        return;

    const float state = button->getToggleState() ? 1.0f : 0.0f;
    switch (spec->kind)
    {
    case ControlKind::muteButton:
        setParameter(spec->parameterIndex, state);
        if (auto* live = liveValueFor(spec->parameterIndex))
            live->store(state, std::memory_order_relaxed);
        repaint(spec->x, spec->y, spec->width, spec->height);
        break;
    case ControlKind::bypassButton:
        if (auto* live = liveValueFor(spec->parameterIndex))
            live->store(state, std::memory_order_relaxed);
        button->setTooltip(state != 0.0f ? spec->bypassedTooltip : spec->tooltip);
        setParameter(spec->parameterIndex, state);
        break;
    case ControlKind::textButton:
        if (juce::String(spec->identifier) == "SaveAsButton")
            saveWithChooser();
        else
            loadWithChooser();
        break;
    case ControlKind::selectionBox:
    case ControlKind::filmStripKnob:
    case ControlKind::stepControl:
        break;
    }
}

//==============================================================================
void Morvane3AudioProcessorEditor::refreshSelector(int channel, int slot)
{
    const int index = morvane3::selectorParameterIndex(channel, (morvane3::SelectorField) slot);
    const int code = scaler.normalisedToCode(processor.getParameterValue(index));
    // The first refresh only shows what the processor already plays: a
    // notification would write the parameter back to the host and reload the
    // channel's response (the fresh convolution would cut ringing notes).
    boxes[(size_t) channel][(size_t) slot]->setSelectedId(code, firstRefreshDone ? juce::sendNotification
                                                                                 : juce::dontSendNotification);
    steps[(size_t) channel][(size_t) slot]->setValue(code, juce::dontSendNotification);
}

// After the first refresh the boxes show the processor's selections; the name
// they make is the one the channel plays, unless a host change of a selection
// is still on its way, which is loaded as any host change is.
void Morvane3AudioProcessorEditor::adoptProcessorSelections()
{
    for (int channel = 0; channel < 2; ++channel)
    {
        const auto& b = boxes[(size_t) channel];
        const juce::String name = morvane3::irNameFromTexts(b[morvane3::cabinetSlot]->getText(), b[morvane3::microphoneSlot]->getText(),
                                                       b[morvane3::positionSlot]->getText(), b[morvane3::distanceSlot]->getText());
        loadedIrName[channel] = name;
        if (name != processor.getLoadedImpulseResponseName(channel))
        {
            ++loadRequests[channel];
            processor.loadImpulseResponse(channel, name);
        }
    }
    repaint();
}

void Morvane3AudioProcessorEditor::refreshKnob(int parameterIndex)
{
    auto* knob = knobsByParameter[(size_t) parameterIndex];
    const auto* spec = specOf(knob);
    if (knob == nullptr || spec == nullptr)
        return;
    knob->setValue(scaler.denormalise((float) spec->maximum, (float) spec->minimum, processor.getParameterValue(parameterIndex)),
                   juce::dontSendNotification);
    refreshKnobTooltip(*knob, *spec);
}

void Morvane3AudioProcessorEditor::timerCallback(int timerId)
{
    if (timerId != refreshTimerId)
        return;

    const auto parameterOf = [](const char* identifier) {
        return morvane3::controlTable()[(size_t) morvane3::findControlRow(identifier)].parameterIndex;
    };

    for (int slot = 0; slot < morvane3::numSelectorSlots; ++slot)
        refreshSelector(0, slot);
    for (const char* id : channelKnobOrder[0])
        refreshKnob(parameterOf(id));
    for (const char* id : channelKnobOrder[1])
        refreshKnob(parameterOf(id));
    for (int slot = 0; slot < morvane3::numSelectorSlots; ++slot)
        refreshSelector(1, slot);
    refreshKnob(morvane3::outputLevel);

    for (const char* id : switchOrder)
    {
        const int index = parameterOf(id);
        auto* button = switchesByParameter[(size_t) index];
        const bool on = processor.getParameterValue(index) != 0.0f;
        if (firstRefreshDone)
        {
            button->setToggleState(on, juce::sendNotification);
            continue;
        }
        // The live value already follows the parameter; only the button's
        // picture and tooltip catch up.
        button->setToggleState(on, juce::dontSendNotification);
        if (const auto* spec = specOf(button); spec != nullptr && spec->kind == ControlKind::bypassButton)
            button->setTooltip(on ? spec->bypassedTooltip : spec->tooltip);
    }

    if (!firstRefreshDone)
    {
        firstRefreshDone = true;
        adoptProcessorSelections();
    }
}

//==============================================================================
void Morvane3AudioProcessorEditor::applyPresetValue(int index, float value)
{
    using morvane3::ParameterKind;
    if (!morvane3::isValidParameterIndex(index))
        return;
    const auto& info = morvane3::parameterInfo(index);

    switch (info.kind)
    {
    case ParameterKind::Selector:
    {
        auto* box = boxes[(size_t) info.channel][(size_t) info.selector];
        box->setSelectedId(scaler.normalisedToCode(value), juce::sendNotification);
        setParameter(index, scaler.codeToNormalised(box->getSelectedId()));
        break;
    }
    case ParameterKind::Continuous:
    case ParameterKind::Gain:
    {
        auto* knob = knobsByParameter[(size_t) index];
        const auto* spec = specOf(knob);
        if (knob == nullptr || spec == nullptr)
            return;
        const float maximum = (float) spec->maximum, minimum = (float) spec->minimum;
        knob->setValue(scaler.denormalise(maximum, minimum, value), juce::dontSendNotification);
        const float knobValue = (float) knob->getValue();
        setParameter(index, scaler.normalise(maximum, minimum, knobValue));
        if (auto* live = liveValueFor(index))
            live->store(knobValue, std::memory_order_relaxed);
        break;
    }
    case ParameterKind::Switch:
        if (auto* button = switchesByParameter[(size_t) index])
            button->setToggleState(value != 0.0f, juce::sendNotification);
        break;
    case ParameterKind::SampleRate:
        break;
    }
}

//==============================================================================
void Morvane3AudioProcessorEditor::saveWithChooser()
{
    chooser = std::make_unique<juce::FileChooser>("Save preset to the desired location...", presetsFolder, "*.mv3");
    const int chooserFlags = juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                      | juce::FileBrowserComponent::warnAboutOverwriting;
    chooser->launchAsync(chooserFlags, [safeThis = juce::Component::SafePointer<Morvane3AudioProcessorEditor>(this)](const juce::FileChooser& fc) {
        const auto file = fc.getResult();
        if (safeThis != nullptr && file != juce::File())
            safeThis->saveChosenFile(file);
    });
}

void Morvane3AudioProcessorEditor::saveChosenFile(const juce::File& chosen)
{
    // The chooser warned about the name as typed; the extension rule may lead
    // to another file ("Crunch" becomes "Crunch.mv3"), which must not be
    // replaced without asking either.
    const auto target = morvane3::withPresetExtension(chosen);
    if (target != chosen && target.existsAsFile())
    {
        juce::AlertWindow::showOkCancelBox(
            juce::MessageBoxIconType::QuestionIcon, "Replace preset?",
            "There is already a preset called \"" + target.getFileName() + "\". Replace it?", "Replace", "Cancel", this,
            juce::ModalCallbackFunction::create([safeThis = juce::Component::SafePointer<Morvane3AudioProcessorEditor>(this), chosen](int result) {
                if (safeThis != nullptr && result != 0)
                    safeThis->writePresetOrReport(chosen);
            }));
        return;
    }
    writePresetOrReport(chosen);
}

void Morvane3AudioProcessorEditor::writePresetOrReport(const juce::File& chosen)
{
    if (!morvane3::savePreset(processor, chosen))
        juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon, "Preset not saved",
                                               "The preset could not be written to\n"
                                                   + morvane3::withPresetExtension(chosen).getFullPathName());
}

void Morvane3AudioProcessorEditor::loadWithChooser()
{
    chooser = std::make_unique<juce::FileChooser>("Select the preset you want to load...", presetsFolder, "*.mv3");
    const int chooserFlags = juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles;
    chooser->launchAsync(chooserFlags, [safeThis = juce::Component::SafePointer<Morvane3AudioProcessorEditor>(this)](const juce::FileChooser& fc) {
        const auto file = fc.getResult();
        if (safeThis != nullptr && file != juce::File())
            safeThis->loadChosenFile(file);
    });
}

void Morvane3AudioProcessorEditor::loadChosenFile(const juce::File& chosen)
{
    if (morvane3::loadPreset(*this, chosen))
        return;
    const bool readable = chosen.existsAsFile() && chosen.hasReadAccess();
    juce::AlertWindow::showMessageBoxAsync(
        juce::MessageBoxIconType::WarningIcon, "Preset not loaded",
        (readable ? "\"" + chosen.getFileName() + "\" is not a Morvane 3 preset."
                  : "\"" + chosen.getFileName() + "\" could not be read.")
            + " Nothing was changed.\n" + chosen.getFullPathName(),
        {}, this);
}

//==============================================================================
juce::Component* Morvane3AudioProcessorEditor::getControl(int row) const
{
    return controls[row];
}

juce::Component* Morvane3AudioProcessorEditor::findControl(const juce::String& identifier) const
{
    return getControl(morvane3::findControlRow(identifier.toRawUTF8()));
}

juce::ComboBox& Morvane3AudioProcessorEditor::getSelectionBox(int channel, int slot) const
{
    return *boxes[(size_t) juce::jlimit(0, 1, channel)][(size_t) juce::jlimit(0, morvane3::numSelectorSlots - 1, slot)];
}

juce::Slider& Morvane3AudioProcessorEditor::getStepControl(int channel, int slot) const
{
    return *steps[(size_t) juce::jlimit(0, 1, channel)][(size_t) juce::jlimit(0, morvane3::numSelectorSlots - 1, slot)];
}

FilmStripKnob* Morvane3AudioProcessorEditor::getKnobForParameter(int index) const
{
    return morvane3::isValidParameterIndex(index) ? knobsByParameter[(size_t) index] : nullptr;
}

juce::Button* Morvane3AudioProcessorEditor::getSwitchForParameter(int index) const
{
    return morvane3::isValidParameterIndex(index) ? switchesByParameter[(size_t) index] : nullptr;
}

const juce::String& Morvane3AudioProcessorEditor::getLoadedIrName(int channel) const
{
    return loadedIrName[juce::jlimit(0, 1, channel)];
}

int Morvane3AudioProcessorEditor::getLoadRequestCount(int channel) const
{
    return loadRequests[juce::jlimit(0, 1, channel)];
}
