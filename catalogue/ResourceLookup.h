#pragma once
// Name-keyed access to the compiled-in impulse responses and pictures.
// The tables are constant; any thread may look up. (nullptr, 0) for a name
// that is not a key.

#include <juce_core/juce_core.h>

#include <utility>

namespace morvane3
{
// The WAV file of an impulse-response name, e.g. "1960 121 On Axis Close".
std::pair<const void*, int> findImpulseResponse(const juce::String& name);

// The PNG of a cabinet name (photograph) or an impulse-response name
// (microphone-placement picture).
std::pair<const void*, int> findPicture(const juce::String& name);
} // namespace morvane3
