#pragma once
#include <juce_core/juce_core.h>

#include <memory>

class Morvane3AudioProcessor;

namespace morvane3
{
// "%.9g": nine significant digits, shortest of fixed and exponent form.
juce::String formatSettingsNumber(double value);

// The "MORVANESETTINGS" element with one attribute per parameter in document
// order; "sampleRate" (the working rate) only when includeSampleRate is set,
// which preset files leave out. Message thread.
std::unique_ptr<juce::XmlElement> makeSettingsElement(const Morvane3AudioProcessor& processor, bool includeSampleRate);

// The state chunk: "VC2!", int32 length, one-line XML without declaration, zero byte.
juce::MemoryBlock makeStateChunk(const Morvane3AudioProcessor& processor);

// Restores parameter values, live values and selections from a state chunk
// and reloads both impulse responses. Anything that does not decode to a
// "MORVANESETTINGS" element changes nothing and returns false. Message thread.
bool restoreFromStateChunk(Morvane3AudioProcessor& processor, const void* data, int size);

// Applies a parsed settings element (tag checked without regard to case).
// Parses a settings document from UTF-8 text, or nullptr when the text is no
// document. The framework's XML parser reads past the end of text that is not
// valid UTF-8 and can loop for ever on processing instructions inside an
// element, so such text is refused before it reaches the parser. When
// `rejectRecoveredErrors` is set, text the parser could only partly read (a
// truncated file yields its first attributes) is refused as well.
std::unique_ptr<juce::XmlElement> parseSettingsText(const char* utf8, size_t bytes, bool rejectRecoveredErrors);

bool restoreFromSettingsElement(Morvane3AudioProcessor& processor, const juce::XmlElement& element);
} // namespace morvane3
