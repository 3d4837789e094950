#pragma once
// A built-in guitar phrase so that a newcomer can hear the plug-in without an
// input file: plucked strings (chords, single notes, palm-muted chugs) through a
// small amplifier stage, the kind of signal an amplifier sends to a cabinet.
#include "tools/render/Wav.h"

namespace morvane3::render
{

constexpr double demoSampleRate = 44100.0;
constexpr double demoSeconds = 10.0;

// Deterministic: the same samples on every run. Stereo at 44100 Hz, peaks at -6 dBFS.
Audio makeDemoPhrase();

} // namespace morvane3::render
