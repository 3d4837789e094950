#pragma once
// Preset files: the settings element without the sample rate, as XML text in a
// file with the extension "mv3". Saving and loading take a File so they can run
// without the choosers; the editor's buttons only open a chooser and call them.
// Message thread.

#include <juce_core/juce_core.h>

#include "processor/ParameterTable.h"

#include <array>
#include <memory>

class Morvane3AudioProcessor;
class Morvane3AudioProcessorEditor;

namespace morvane3
{
using ParameterValues = std::array<float, numParameters>;

// "Morvane3Presets" in the user's application-data folder.
juce::File defaultPresetsFolder();

// Creates `folder` when it is missing and fills it with the factory presets.
// An existing folder is left alone, so presets the user deleted stay deleted.
// Returns true when the folder was created by this call.
bool preparePresetsFolder(const juce::File& folder);

// The chosen file with whatever follows its last dot replaced by "mv3".
juce::File withPresetExtension(const juce::File& chosen);

// The preset element for a full set of parameter values (row 25 is not written).
std::unique_ptr<juce::XmlElement> makePresetElement(const ParameterValues& values);

// Writes `element` with an XML declaration into a temporary file that then
// replaces `target`, so a failed write never leaves a half-written preset.
// Missing folders on the way to `target` are created.
bool writePresetFile(const juce::XmlElement& element, const juce::File& target);

// Saves the processor's current parameter values to `chosen` with the "mv3"
// extension. False when the file could not be written.
bool savePreset(const Morvane3AudioProcessor& processor, const juce::File& chosen);

// Applies a preset file through the editor's controls, with the values
// presets/PresetReader.h reads from it (the encodings it takes, clamping,
// missing and non-finite attributes leaving their controls as they are). A
// file the reader refuses changes nothing and gives false.
bool loadPreset(Morvane3AudioProcessorEditor& editor, const juce::File& file);

// The order in which a preset's attributes reach the controls.
const std::array<int, numParameters - 1>& presetApplyOrder() noexcept;

// The presets shipped with the plug-in.
int numFactoryPresets() noexcept;
juce::String factoryPresetName(int preset);
ParameterValues factoryPresetValues(int preset);
bool installFactoryPresets(const juce::File& folder);
} // namespace morvane3
