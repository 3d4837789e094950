#pragma once
// The command line of morvane3-render.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace morvane3::render
{

// A command line that cannot be run as written; the message says why.
struct UsageError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

struct SettingArgument
{
    enum class Kind { set, channel1, channel2 };
    Kind kind;
    std::string text; // NAME=VALUE for set, a catalogue name for the channels
};

struct Options
{
    std::string input, output;           // the render job, empty when there is none
    bool demo = false;                   // input is the built-in phrase
    std::optional<std::string> plotPath, statePath, presetPath, saveStatePath, pluginPath;
    std::vector<SettingArgument> settings; // --set, --c1, --c2 in command-line order
    int blockSize = 512;
    double tailSeconds = 0.5;
    std::optional<std::uint64_t> randomBlockSeed;
    bool quiet = false, list = false, info = false, help = false, version = false;

    bool hasRender() const { return ! output.empty(); }
};

// Throws UsageError.
Options parseOptions(const std::vector<std::string>& arguments);

std::string usageText();

} // namespace morvane3::render
