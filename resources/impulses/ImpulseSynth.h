#pragma once
// Synthesis of one catalogue impulse response from the voicing in
// SoundTable.h: a direct sound built from the cabinet, the microphone, the
// placement and the proximity effect (minimum phase, then spread over the
// first tenths of a millisecond by the cone, ConeArrival.h), the other drivers and
// first-order room reflections as delayed filtered copies, the inverted rear
// wave of open backs, and a decaying octave-band room tail. Deterministic: every
// random choice comes from a generator seeded by the response's (or its
// cabinet's) name.

#include "RealFft.h"

#include <memory>
#include <string>
#include <vector>

namespace morvane3::irsynth
{
constexpr int sampleRate = 44100;
constexpr int responseLength = 19404;

// Index order: cabinet, then microphone, then position, then distance.
std::string responseName(int index);

struct Response
{
    std::string name;
    std::vector<double> samples; // responseLength samples at equal loudness (not yet at catalogue gain)
    std::string parameters;      // "key=value" lines describing how it was made
};

// One per thread: owns its transforms and work arrays.
class Synthesiser
{
public:
    Synthesiser();
    ~Synthesiser();
    Response synthesise(int index);

private:
    struct Work;
    std::unique_ptr<Work> work;
};

// 24-bit PCM WAV of 59588 bytes: the samples times `gain`, rounded and
// clipped to the 24-bit range, then a trailing "AFAn" chunk with `text`.
std::vector<unsigned char> encodeWav(const std::vector<double>& samples, double gain, const std::string& text);

constexpr int wavFileSize = 59588;
constexpr int parameterChunkSize = 1323;
} // namespace morvane3::irsynth
