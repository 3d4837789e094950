#include "editor/FilmStripKnob.h"

#include <cmath>

FilmStripKnob::FilmStripKnob(const juce::String& name, const void* imageData, int imageDataSize)
    : juce::Slider(name + " FilmStripKnob")
{
    // The cache is keyed by the data address, so a strip shared by the knobs of
    // both channels is decoded once per process.
    if (imageData != nullptr && imageDataSize > 0)
        filmStrip = juce::ImageCache::getFromMemory(imageData, imageDataSize);

    numFrames = 127;
    stripIsHorizontal = false;
    setTextBoxStyle(juce::Slider::NoTextBox, false, 0, 0);

    if (filmStrip.isValid())
    {
        if (stripIsHorizontal)
        {
            frameHeight = filmStrip.getHeight();
            frameWidth = filmStrip.getWidth() / numFrames;
        }
        else
        {
            frameWidth = filmStrip.getWidth();
            frameHeight = filmStrip.getHeight() / numFrames;
        }
    }
}

FilmStripKnob::~FilmStripKnob()
{
    filmStrip = juce::Image();
}

int FilmStripKnob::frameIndexFor(double value, double minimum, double maximum, int frames) noexcept
{
    if (!(maximum > minimum) || frames <= 0)
        return 0;
    const double position = (value - minimum) / (maximum - minimum) * (double) (frames - 1);
    if (!(position > 0.0))
        return 0;
    if (position >= (double) (frames - 1))
        return frames - 1;
    return (int) position;
}

int FilmStripKnob::getFrameIndex() const noexcept
{
    return frameIndexFor(getValue(), getMinimum(), getMaximum(), numFrames);
}

void FilmStripKnob::paint(juce::Graphics& g)
{
    if (frameWidth <= 0 || frameHeight <= 0)
        return;

    const int index = getFrameIndex();
    const float pixelScale = g.getInternalContext().getPhysicalPixelScaleFactor();
    if (scaledFrameSource != nullptr && std::abs(pixelScale - 1.0f) > 0.001f)
    {
        const auto frame = scaledFrameSource(index, pixelScale);
        if (frame.isValid())
        {
            // A frame drawn for these very pixels is copied as it is (the
            // framework then rounds its place to the nearest pixel); one a
            // little off the size, from rounding or the next step of scale,
            // is resampled smoothly.
            const bool fits = std::abs((float) frame.getWidth() - (float) getWidth() * pixelScale) <= 0.002f * (float) frame.getWidth()
                           && std::abs((float) frame.getHeight() - (float) getHeight() * pixelScale) <= 0.002f * (float) frame.getHeight();
            g.setImageResamplingQuality(fits ? juce::Graphics::lowResamplingQuality : juce::Graphics::highResamplingQuality);
            g.drawImage(frame, 0, 0, getWidth(), getHeight(), 0, 0, frame.getWidth(), frame.getHeight(), false);
            return;
        }
    }
    const int sourceX = stripIsHorizontal ? index * frameWidth : 0;
    const int sourceY = stripIsHorizontal ? 0 : index * frameHeight;
    g.drawImage(filmStrip, 0, 0, getWidth(), getHeight(), sourceX, sourceY, frameWidth, frameHeight, false);
}
