#pragma once
// A rotary slider that draws itself from a filmstrip: one PNG picture holding
// every position of a photographed knob as equal frames stacked top to bottom.
// Everything but painting (dragging, snapping, listeners, tooltips) is the
// framework slider's. Message thread only, like every component.

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class FilmStripKnob : public juce::Slider
{
public:
    // `imageData` is compiled-in PNG data that outlives the process' image cache;
    // a null pointer or undecodable data leaves an empty strip (the knob then
    // paints nothing but still works as a control).
    FilmStripKnob(const juce::String& name, const void* imageData, int imageDataSize);
    ~FilmStripKnob() override;

    void paint(juce::Graphics& g) override;

    // Frame shown for `value` on a scale from `minimum` to `maximum`: the
    // position times (numFrames - 1), truncated toward zero, never rounded up.
    // Values outside the scale pin to the end frames; an empty scale shows frame 0.
    static int frameIndexFor(double value, double minimum, double maximum, int numFrames) noexcept;

    int getFrameIndex() const noexcept;
    int getNumFrames() const noexcept { return numFrames; }
    int getFrameWidth() const noexcept { return frameWidth; }
    int getFrameHeight() const noexcept { return frameHeight; }
    const juce::Image& getFilmStrip() const noexcept { return filmStrip; }

    // Where frames come from when the knob is shown larger than 100 %: the
    // frame at the given index drawn `pixelScale` times as fine. Without it
    // (or when it has no picture) the strip's frame is stretched.
    std::function<juce::Image(int frameIndex, float pixelScale)> scaledFrameSource;

private:
    juce::Image filmStrip;
    int numFrames = 127;
    bool stripIsHorizontal = false;
    int frameWidth = 0;
    int frameHeight = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(FilmStripKnob)
};
