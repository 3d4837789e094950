#pragma once
// Shared helpers for the editor tests: the JUCE GUI environment (set up once
// per test program, with HOME redirected into a fresh temporary folder so no
// test touches the user's real presets folder), message
// pumping, and picture helpers.

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace editortest
{
// Runs the message loop for `milliseconds`, so asynchronous notifications
// and timer callbacks arrive.
void pump(int milliseconds);

// Runs the message loop until `done` holds or `timeoutMs` passed; true when it holds.
bool pumpUntil(const std::function<bool()>& done, int timeoutMs);

// The folder that stands in for the user's application-data folder.
juce::File configFolder();

// A fresh empty folder below the temporary configuration folder.
juce::File freshFolder(const juce::String& name);

// PNG data of a vertical strip of `frames` frames of w x h, frame k filled with
// the opaque colour frameColour(k).
juce::MemoryBlock makeStripPng(int frameWidth, int frameHeight, int frames);
juce::Colour frameColour(int frame);

// Largest difference of one colour channel (alpha included).
int colourDistance(juce::Colour a, juce::Colour b);

// Where the test writes its picture artefacts (the working directory).
juce::File artefactFolder();
} // namespace editortest
