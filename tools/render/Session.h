#pragma once
// Configuring an effect from the command line's settings and running audio
// through it.
#include "tools/render/VstHost.h"
#include "tools/render/Wav.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace morvane3::render
{

struct ParameterOverride
{
    std::string name; // as the user wrote it; matched to the plug-in's names ignoring case
    float value = 0.0f;
    std::string origin; // where it came from, for error messages ("--set", "preset.mv3")
};

struct EffectSettings
{
    std::vector<std::uint8_t> stateChunk;    // applied first when not empty
    std::vector<ParameterOverride> overrides; // then these, in order
};

// Applies a state chunk and then the parameter values. Host parameter writes alone
// only change what the host sees; the plug-in derives its working values from a
// restored state. So after writing the parameters the host reads the state back,
// writes the same values into it and restores it, as a DAW does when it reloads a
// project. Plug-ins whose chunk is not a settings document get the parameter
// writes only. Throws HostError for a name the plug-in does not report.
void applySettings(PluginInstance& instance, const EffectSettings& settings);

// A resumed effect with `channels` inputs and outputs where the plug-in accepts that
// layout (it may keep a wider one: the caller maps channels), prepared at the rate
// and block size, with the settings applied before the resume so the chain is built
// with them.
std::unique_ptr<PluginInstance> startEffect(const PluginLibrary& library, int channels, double sampleRate, int blockSize,
                                            const EffectSettings& settings);

struct ProcessOptions
{
    int blockSize = 512;
    double tailSeconds = 0.5;
    std::optional<std::uint64_t> randomBlockSeed; // irregular block lengths 1..blockSize
    std::function<void(double fraction)> progress; // called after each block
};

// Runs the whole input plus the tail of silence through the effect and returns as
// many channels as the input has.
Audio processAudio(PluginInstance& instance, const Audio& input, const ProcessOptions& options);

// Block lengths the host uses for `total` samples: all `blockSize` (the last one
// shorter) or, with a seed, pseudo-random lengths between 1 and blockSize.
std::vector<int> blockLengths(std::size_t total, int blockSize, std::optional<std::uint64_t> seed);

} // namespace morvane3::render
