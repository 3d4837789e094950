#include "tools/render/Options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace morvane3::render
{
namespace
{

long long parseInteger(const std::string& option, const std::string& text, long long low, long long high)
{
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high)
        throw UsageError(option + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high)
                         + ", not '" + text + "'");
    return value;
}

double parseSeconds(const std::string& option, const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || ! std::isfinite(value) || value < 0.0 || value > 3600.0)
        throw UsageError(option + " needs a number of seconds from 0 to 3600, not '" + text + "'");
    return value;
}

} // namespace

Options parseOptions(const std::vector<std::string>& arguments)
{
    Options options;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < arguments.size(); ++i)
    {
        std::string arg = arguments[i];
        std::optional<std::string> attached;
        if (arg.rfind("--", 0) == 0)
        {
            const std::size_t eq = arg.find('=');
            // "--set NAME=VALUE" also accepts "--set=NAME=VALUE".
            if (eq != std::string::npos)
            {
                attached = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
            }
        }
        auto value = [&]() -> std::string {
            if (attached)
                return *attached;
            if (i + 1 >= arguments.size())
                throw UsageError(arg + " needs a value");
            return arguments[++i];
        };
        auto noValue = [&]() {
            if (attached)
                throw UsageError(arg + " takes no value");
        };

        if (arg == "--help" || arg == "-h") { noValue(); options.help = true; }
        else if (arg == "--version") { noValue(); options.version = true; }
        else if (arg == "--list") { noValue(); options.list = true; }
        else if (arg == "--info") { noValue(); options.info = true; }
        else if (arg == "--quiet" || arg == "-q") { noValue(); options.quiet = true; }
        else if (arg == "--demo") { options.demo = true; options.output = value(); }
        else if (arg == "--plot") options.plotPath = value();
        else if (arg == "--state") options.statePath = value();
        else if (arg == "--preset") options.presetPath = value();
        else if (arg == "--save-state") options.saveStatePath = value();
        else if (arg == "--plugin") options.pluginPath = value();
        else if (arg == "--block") options.blockSize = static_cast<int>(parseInteger(arg, value(), 1, 65536));
        else if (arg == "--tail") options.tailSeconds = parseSeconds(arg, value());
        else if (arg == "--random-blocks")
            options.randomBlockSeed = static_cast<std::uint64_t>(parseInteger(arg, value(), 0, 9223372036854775807LL));
        else if (arg == "--set")
        {
            const std::string text = value();
            if (text.find('=') == std::string::npos || text.front() == '=')
                throw UsageError("--set needs NAME=VALUE, not '" + text + "'");
            options.settings.push_back({SettingArgument::Kind::set, text});
        }
        else if (arg == "--c1") options.settings.push_back({SettingArgument::Kind::channel1, value()});
        else if (arg == "--c2") options.settings.push_back({SettingArgument::Kind::channel2, value()});
        else if (arg.size() > 1 && arg[0] == '-')
            throw UsageError("unknown option '" + arg + "'");
        else
            positional.push_back(arg);
    }

    if (options.demo)
    {
        if (! positional.empty())
            throw UsageError("--demo renders the built-in phrase; it takes no input file (got '" + positional.front() + "')");
    }
    else if (positional.size() == 2)
    {
        options.input = positional[0];
        options.output = positional[1];
    }
    else if (positional.size() == 1)
        throw UsageError("an output file is needed after the input file '" + positional[0] + "'");
    else if (positional.size() > 2)
        throw UsageError("too many files: give one input and one output");

    if (! options.help && ! options.version && ! options.list && ! options.info && ! options.hasRender() && ! options.plotPath
        && ! options.saveStatePath)
        throw UsageError("nothing to do: give INPUT.wav OUTPUT.wav, --demo OUTPUT.wav, --plot, --info, --list or --save-state");
    return options;
}

std::string usageText()
{
    return R"(Usage: morvane3-render [options] INPUT.wav OUTPUT.wav
  or:  morvane3-render --demo OUTPUT.wav [options]
  or:  morvane3-render --list | --info [options]

Runs audio through the Morvane 3 plug-in binary, loaded as a DAW loads it.

Rendering
  INPUT.wav OUTPUT.wav  process a mono or stereo WAV (PCM 8/16/24/32-bit or
                        float 32/64-bit) into a 32-bit float WAV
  --demo OUTPUT.wav     render a built-in 10-second guitar phrase instead
  --block N             host block size in samples (default 512)
  --random-blocks SEED  irregular block lengths between 1 and --block
  --tail SECONDS        silence processed after the input (default 0.5)

Settings (applied before playback starts, in this order)
  --state FILE          a state chunk as a host stores it
  --preset FILE.mv3     a preset file saved by the plug-in's editor
  --set NAME=VALUE      a parameter by name, normalised value (repeatable)
  --c1 "IR NAME"        channel 1's impulse response by catalogue name
  --c2 "IR NAME"        channel 2's, e.g. --c2 "Motown 57 On Axis Close"
                        (--set, --c1 and --c2 apply in command-line order)

Other
  --plot OUTPUT.png     draw both channels' magnitude responses
  --save-state FILE     write the plug-in's state chunk after the settings
  --list                print the 960 impulse-response names
  --info                print what a host sees (identity, parameters)
  --plugin PATH         use another plug-in binary
  --quiet               print nothing unless something goes wrong
  --help                this text
  --version             the version of this program

The output file is written only when it is complete and never replaces the
input file; its folder must exist.
)";
}

} // namespace morvane3::render
