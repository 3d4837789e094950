#pragma once
// How large the editor opens: its scale against the 810 x 600 layout, from
// the user's last size (a small per-user settings file, kept apart from the
// host's state chunk), or else from the desktop's own scale. A host that sets
// a scale of its own overrides both (the editor handles that).
// Message thread only.

#include <juce_core/juce_core.h>

#include <optional>

namespace morvane3
{
constexpr int layoutWidth = 810;
constexpr int layoutHeight = 600;
constexpr float minimumWindowScale = 1.0f;
constexpr float maximumWindowScale = 2.0f;

// A length or position of the layout in window pixels at `scale`, halves
// rounded up (as the pictures' sizes are), so that a control and the picture
// beneath it land on the same pixel.
int toWindowPixels(double layoutValue, double scale);

// A scale brought into [minimumWindowScale, maximumWindowScale]; anything
// not finite becomes 1.
float clampWindowScale(double scale);

// The per-user file that remembers the editor's size.
juce::File windowSettingsFile();

// The remembered scale: nothing when there is no file; 1 when the file is
// damaged (unreadable, not ours, or a value that is no number).
std::optional<float> readRememberedScale(const juce::File& file);
// Writes the scale; failures are ignored (the next editor opens at the default).
void writeRememberedScale(const juce::File& file, float scale);

// The desktop's scale as X desktops publish it: GDK_SCALE when set, else the
// X resource Xft.dpi over 96. 1 where neither is available.
float desktopScale();
// Xft.dpi read from the text of the X resource database; 0 when absent.
double xftDpiFromResources(const juce::String& resources);
} // namespace morvane3
