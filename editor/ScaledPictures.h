#pragma once
// The editor's pictures drawn for editors larger than 100 %: the same drawing
// code that made the compiled-in 100 % pictures runs here at the pixel scale
// the screen needs, so nothing on screen is an enlarged bitmap. Only what is
// shown is drawn, once per scale, and kept in a small process-wide cache.
//
// Message thread only (like every component). Every function returns an
// empty image for a name the catalogue lacks or when drawing fails.

#include <juce_graphics/juce_graphics.h>

namespace morvane3::scaled
{
// Pictures are drawn in steps of 5 %, at the step at or above the screen's
// scale, so dragging the window's corner redraws them now and then rather
// than at every pixel; between steps they are scaled down a little.
float pictureScale(float pixelScale);

// Each picture at pictureScale(pixelScale) times its 100 % size (rounded to
// whole pixels).
juce::Image editorBackground(float pixelScale);
juce::Image eqPanel(float pixelScale);
juce::Image cabinetPhotograph(const juce::String& cabinet, float pixelScale);
juce::Image placementPicture(const juce::String& cabinet, const juce::String& microphone, const juce::String& position,
                             const juce::String& distance, float pixelScale);
juce::Image knobFrame(const juce::String& stripKey, int frameIndex, float pixelScale);
juce::Image muteButton(bool on, float pixelScale);
juce::Image bypassLight(bool lit, float pixelScale);

// Drops every cached picture (tests, and the bench's cold openings).
void clearCache();
} // namespace morvane3::scaled
