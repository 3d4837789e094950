// morvane3-render: hear and measure the plug-in from the shell. It loads the built
// VST 2 binary through its entry point and drives it as a DAW would.
#include "tools/render/Catalogue.h"
#include "tools/render/Demo.h"
#include "tools/render/Fft.h"
#include "tools/render/Options.h"
#include "tools/render/OutputFile.h"
#include "tools/render/Plot.h"
#include "tools/render/Session.h"
#include "tools/render/Settings.h"
#include "tools/render/VstHost.h"
#include "tools/render/Wav.h"

#include "presets/PresetReader.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#ifndef MORVANE3_VERSION
#define MORVANE3_VERSION "unknown"
#endif
#ifndef MORVANE3_RENDER_DEFAULT_PLUGIN
#define MORVANE3_RENDER_DEFAULT_PLUGIN "Morvane 3.so"
#endif

using namespace morvane3::render;

namespace
{
// The plug-in to play when --plugin is not given: the installed one when it
// is where the installation puts it (relative to this executable's folder
// unless installed to an absolute folder), else the one built with the tool.
std::string defaultPluginPath()
{
#ifdef MORVANE3_RENDER_INSTALLED_PLUGIN
    std::string candidate = MORVANE3_RENDER_INSTALLED_PLUGIN;
    if (! candidate.empty() && candidate.front() != '/')
    {
        char self[4096];
        const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
        const std::string executable = length > 0 ? std::string(self, static_cast<size_t>(length)) : std::string();
        const auto folderEnd = executable.rfind('/');
        candidate = folderEnd == std::string::npos ? std::string() : executable.substr(0, folderEnd + 1) + candidate;
    }
    if (char* resolved = realpath(candidate.c_str(), nullptr))
    {
        candidate = resolved;
        std::free(resolved);
        return candidate;
    }
#endif
    return MORVANE3_RENDER_DEFAULT_PLUGIN;
}

// What the tool is doing, for the message when a plug-in brings the process down.
const char* volatile currentStage = "starting";

void onFatalSignal(int signal)
{
    removePendingOutput();
    const char* prefix = "morvane3-render: error: crashed (signal ";
    char number[8];
    int n = 0;
    for (int s = signal; s > 0 && n < 7; s /= 10)
        number[n++] = static_cast<char>('0' + s % 10);
    ssize_t ignored = write(2, prefix, std::strlen(prefix));
    while (n > 0)
        ignored = write(2, &number[--n], 1);
    ignored = write(2, ") while ", 8);
    const char* stage = currentStage;
    ignored = write(2, stage, std::strlen(stage));
    ignored = write(2, "\n", 1);
    (void) ignored;
    _exit(70);
}

// Interrupted (Ctrl-C, a session ending, the file-size limit): no half-written
// output stays behind.
void onStopSignal(int signal)
{
    removePendingOutput();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void installCrashHandlers()
{
    for (int s : {SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        std::signal(s, onFatalSignal);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ})
        std::signal(s, onStopSignal);
}

// What the tool itself prints on standard output. The plug-in may write to the
// process's standard output too (a start-up line); that is not ours to pass
// on, so file descriptor 1 goes to /dev/null and the tool writes through a
// copy of the original descriptor.
FILE* toolOutput = stdout;

void keepPluginOutputAway()
{
    std::fflush(toolOutput);
    const int copy = dup(1);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    FILE* own = copy >= 0 ? fdopen(copy, "w") : nullptr;
    if (own == nullptr || null < 0 || dup2(null, 1) < 0)
    {
        if (own != nullptr)
            std::fclose(own);
        else if (copy >= 0)
            close(copy);
        if (null >= 0)
            close(null);
        return;
    }
    close(null);
    toolOutput = own;
}

class ProgressBar
{
public:
    ProgressBar(bool enabled, std::string label) : on(enabled), text(std::move(label)) {}
    ~ProgressBar() { finish(); }

    void update(double fraction)
    {
        if (! on)
            return;
        const int percent = static_cast<int>(fraction * 100.0);
        if (percent == shown)
            return;
        shown = percent;
        constexpr int width = 40;
        const int filled = percent * width / 100;
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.append(static_cast<std::size_t>(width - filled), '-');
        std::fprintf(stderr, "\r%s [%s] %3d%%", text.c_str(), bar.c_str(), percent);
        std::fflush(stderr);
    }
    void finish()
    {
        if (on && shown >= 0)
            std::fputc('\n', stderr);
        on = false;
    }

private:
    bool on;
    std::string text;
    int shown = -1;
};

double parseNumber(const std::string& text, const std::string& what)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || ! std::isfinite(value))
        throw UsageError(what + " is not a number: '" + text + "'");
    return value;
}

// Everything the settings options ask for, read and checked before the plug-in is
// loaded, so a typo costs no plug-in start-up.
EffectSettings collectSettings(const Options& options, bool quiet)
{
    EffectSettings settings;
    if (options.statePath)
    {
        settings.stateChunk = readFileBytes(*options.statePath);
        if (settings.stateChunk.empty())
            throw std::runtime_error("the state file '" + *options.statePath + "' is empty");
        const auto text = decodeStateChunk(settings.stateChunk);
        if (! text || ! parseFirstElement(*text))
        {
            if (! quiet)
                std::fprintf(stderr, "morvane3-render: warning: '%s' is not a settings chunk this tool can read; handing it to the plug-in as it is\n",
                             options.statePath->c_str());
        }
    }
    if (options.presetPath)
    {
        // The reader the editor's "Load" button uses: the same files load, with the same values.
        const auto bytes = readFileBytes(*options.presetPath);
        const auto values = morvane3::readPreset(bytes.data(), bytes.size());
        if (! values)
            throw std::runtime_error("'" + *options.presetPath
                                     + "' is not a Morvane 3 preset (an XML file whose element is <MORVANESETTINGS>)");
        for (const auto& v : *values)
            settings.overrides.push_back({v.name, v.value, *options.presetPath});
    }
    for (const auto& s : options.settings)
    {
        if (s.kind == SettingArgument::Kind::set)
        {
            const std::size_t eq = s.text.find('=');
            const std::string name = s.text.substr(0, eq);
            settings.overrides.push_back({name, static_cast<float>(parseNumber(s.text.substr(eq + 1), "the value of --set " + name)),
                                          "--set"});
            continue;
        }
        const std::string prefix = s.kind == SettingArgument::Kind::channel1 ? "c1" : "c2";
        const auto selection = findIrSelection(s.text);
        if (! selection)
            throw UsageError("'" + s.text + "' is not an impulse-response name; --list prints all 960 names"
                             " (for example \"Motown 57 On Axis Close\")");
        const std::string origin = "--" + prefix;
        settings.overrides.push_back({prefix + "Cabinet", codeToNormalised(selection->cabinet), origin});
        settings.overrides.push_back({prefix + "Microphone", codeToNormalised(selection->microphone), origin});
        settings.overrides.push_back({prefix + "MicPos", codeToNormalised(selection->position), origin});
        settings.overrides.push_back({prefix + "MicDistance", codeToNormalised(selection->distance), origin});
    }
    return settings;
}

std::string flagNames(std::intptr_t flags)
{
    std::string names;
    const std::pair<std::intptr_t, const char*> known[] = {
        {effFlagsHasEditor, "HasEditor"}, {effFlagsCanReplacing, "CanReplacing"}, {effFlagsProgramChunks, "ProgramChunks"},
        {effFlagsIsSynth, "IsSynth"}, {effFlagsNoSoundInStop, "NoSoundInStop"}, {effFlagsCanDoubleReplacing, "CanDoubleReplacing"}};
    for (const auto& [bit, name] : known)
        if (flags & bit)
            names += std::string(" ") + name;
    return names;
}

void printInfo(PluginInstance& instance, const std::string& path)
{
    AEffect& e = instance.effect();
    const int v = e.version;
    std::string id;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const char c = static_cast<char>((e.uniqueID >> shift) & 0xFF);
        id += (c >= 32 && c < 127) ? c : '?';
    }
    std::fprintf(toolOutput, "Plug-in:    %s\n", path.c_str());
    std::fprintf(toolOutput, "Name:       %s\n", instance.effectName().c_str());
    std::fprintf(toolOutput, "Product:    %s\n", instance.productString().c_str());
    std::fprintf(toolOutput, "Vendor:     %s\n", instance.vendorString().c_str());
    std::fprintf(toolOutput, "Version:    %d.%d.%d (0x%X; vendor version 0x%X)\n", (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF, v,
                instance.vendorVersion());
    std::fprintf(toolOutput, "Unique ID:  '%s' (0x%08X)\n", id.c_str(), static_cast<unsigned>(e.uniqueID));
    const int category = instance.category();
    std::fprintf(toolOutput, "Category:   %d%s\n", category, category == 1 ? " (effect)" : "");
    std::fprintf(toolOutput, "Channels:   %d in, %d out\n", e.numInputs, e.numOutputs);
    std::fprintf(toolOutput, "Programs:   %d\n", e.numPrograms);
    std::fprintf(toolOutput, "Latency:    %d samples\n", e.initialDelay);
    std::fprintf(toolOutput, "Flags:      0x%lX%s\n", static_cast<unsigned long>(e.flags), flagNames(e.flags).c_str());
    std::fprintf(toolOutput, "Parameters: %d\n", e.numParams);
    std::fprintf(toolOutput, "  %5s  %-16s %-14s %-12s %s\n", "index", "name", "value", "display", "label");
    for (int i = 0; i < e.numParams; ++i)
        std::fprintf(toolOutput, "  %5d  %-16s %-14.9g %-12s %s\n", i, instance.parameterName(i).c_str(),
                    static_cast<double>(instance.parameter(i)), instance.parameterDisplay(i).c_str(),
                    instance.parameterLabel(i).c_str());
}

std::string channelLabel(PluginInstance& instance, const std::string& prefix)
{
    IrSelection selection;
    int* codes[] = {&selection.cabinet, &selection.microphone, &selection.position, &selection.distance};
    const char* names[] = {"Cabinet", "Microphone", "MicPos", "MicDistance"};
    for (int i = 0; i < 4; ++i)
    {
        const int index = instance.findParameter(prefix + names[i]);
        if (index < 0)
            return prefix;
        *codes[i] = normalisedToCode(instance.parameter(index));
    }
    const std::string name = irNameOf(selection);
    std::string label = prefix == "c1" ? "C1" : "C2";
    return name.empty() ? label : label + ": " + name;
}

// One channel's response, measured with the other channel muted in a fresh
// instance. The impulse comes late enough that the 10 ms fade after preparation
// and the start-up of the longest convolution partitions are over.
ResponseCurve measureChannel(const PluginLibrary& library, const EffectSettings& base, double sampleRate, int channel)
{
    EffectSettings settings = base;
    settings.overrides.push_back({"c1Mute", channel == 1 ? 0.0f : 1.0f, "--plot"});
    settings.overrides.push_back({"c2Mute", channel == 2 ? 0.0f : 1.0f, "--plot"});
    auto instance = startEffect(library, 2, sampleRate, 512, settings);

    std::size_t length = 1;
    while (static_cast<double>(length) < sampleRate) // one second covers every response
        length <<= 1;
    const std::size_t offset = 32768;
    Audio impulse;
    impulse.sampleRate = sampleRate;
    impulse.channels.assign(2, std::vector<float>(offset + length, 0.0f));
    impulse.channels[0][offset] = 1.0f;
    ProcessOptions process;
    process.tailSeconds = 0.0;
    const Audio response = processAudio(*instance, impulse, process);

    ResponseCurve curve;
    curve.label = channelLabel(*instance, channel == 1 ? "c1" : "c2");
    curve.sampleRate = sampleRate;
    const std::vector<float> measured(response.channels[0].begin() + static_cast<std::ptrdiff_t>(offset), response.channels[0].end());
    curve.magnitudeDb = magnitudeResponseDb(measured, length);
    return curve;
}

int run(const Options& options)
{
    if (options.help)
    {
        std::fputs(usageText().c_str(), toolOutput);
        return 0;
    }
    if (options.version)
    {
        std::fprintf(toolOutput, "morvane3-render %s\n", MORVANE3_VERSION);
        return 0;
    }
    if (options.list)
    {
        for (const auto& name : allIrNames())
            std::fprintf(toolOutput, "%s\n", name.c_str());
        return 0;
    }

    const bool quiet = options.quiet;
    // A wrong output name costs nothing: checked before any work.
    if (options.hasRender())
        checkOutputPath(options.demo ? std::string() : options.input, options.output);
    currentStage = "reading the input";
    Audio input;
    if (options.demo)
        input = makeDemoPhrase();
    else if (options.hasRender())
    {
        input = readWav(options.input);
        if (input.frameCount() == 0 && ! quiet)
            std::fprintf(stderr, "morvane3-render: warning: '%s' holds no samples; rendering the tail only\n", options.input.c_str());
    }
    const EffectSettings settings = collectSettings(options, quiet);

    const std::string pluginPath = options.pluginPath.value_or(defaultPluginPath());
    currentStage = "loading the plug-in";
    const PluginLibrary library(pluginPath);

    std::unique_ptr<PluginInstance> instance;
    if (options.info)
    {
        currentStage = "asking the plug-in about itself";
        PluginInstance probe(library);
        applySettings(probe, settings);
        printInfo(probe, pluginPath);
        std::fflush(toolOutput);
    }

    if (options.hasRender())
    {
        currentStage = "preparing the plug-in";
        const int channels = input.channelCount();
        instance = startEffect(library, channels, input.sampleRate, options.blockSize, settings);
        if (! quiet && instance->acceptedChannels() != channels)
            std::fprintf(stderr, "morvane3-render: warning: the plug-in refused %d in / %d out and keeps %d / %d; channels are mapped\n",
                         channels, channels, instance->inputCount(), instance->outputCount());

        const double seconds = static_cast<double>(input.frameCount()) / input.sampleRate + options.tailSeconds;
        ProgressBar bar(! quiet && seconds > 1.0 && isatty(2) != 0, "Rendering");
        ProcessOptions process;
        process.blockSize = options.blockSize;
        process.tailSeconds = options.tailSeconds;
        process.randomBlockSeed = options.randomBlockSeed;
        process.progress = [&bar](double f) { bar.update(f); };

        currentStage = "processing audio";
        const auto start = std::chrono::steady_clock::now();
        const Audio output = processAudio(*instance, input, process);
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        bar.finish();

        currentStage = "writing the output";
        writeWav(options.output, output);
        if (! quiet)
        {
            std::size_t nonFinite = 0;
            float peak = 0.0f;
            for (const auto& channel : output.channels)
                for (float sample : channel)
                {
                    if (! std::isfinite(sample))
                        ++nonFinite;
                    else
                        peak = std::max(peak, std::abs(sample));
                }
            if (nonFinite > 0)
                std::fprintf(stderr, "morvane3-render: warning: the plug-in produced %zu samples that are not finite numbers\n", nonFinite);
            std::fprintf(stderr, "Rendered %.2f s of %s audio at %.0f Hz in %.2f s (peak %.1f dBFS): %s\n",
                         static_cast<double>(output.frameCount()) / output.sampleRate,
                         output.channelCount() == 1 ? "mono" : "stereo", output.sampleRate, took,
                         20.0 * std::log10(std::max(static_cast<double>(peak), 1e-10)), options.output.c_str());
        }
    }

    if (options.saveStatePath)
    {
        currentStage = "saving the state";
        std::unique_ptr<PluginInstance> own;
        PluginInstance* source = instance.get();
        if (source == nullptr)
        {
            own = std::make_unique<PluginInstance>(library);
            applySettings(*own, settings);
            source = own.get();
        }
        const auto chunk = source->chunk();
        if (chunk.empty())
            throw std::runtime_error("the plug-in gave no state chunk to save");
        writeFileBytes(*options.saveStatePath, chunk);
        if (! quiet)
            std::fprintf(stderr, "Saved the state (%zu bytes): %s\n", chunk.size(), options.saveStatePath->c_str());
    }

    if (options.plotPath)
    {
        currentStage = "measuring the responses";
        const double rate = options.hasRender() ? input.sampleRate : demoSampleRate;
        instance.reset(); // the measuring instances run one at a time
        std::vector<ResponseCurve> curves {measureChannel(library, settings, rate, 1),
                                           measureChannel(library, settings, rate, 2)};
        currentStage = "drawing the plot";
        char title[128];
        std::snprintf(title, sizeof title, "Morvane 3: magnitude response of each cabinet channel (%.0f Hz)", rate);
        drawResponsePlot(*options.plotPath, curves, title);
        if (! quiet)
            std::fprintf(stderr, "Plotted the responses: %s\n", options.plotPath->c_str());
    }
    currentStage = "closing the plug-in";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    installCrashHandlers();
    keepPluginOutputAway();
    std::vector<std::string> arguments(argv + 1, argv + argc);
    try
    {
        const int status = run(parseOptions(arguments));
        if (std::fflush(toolOutput) != 0)
            return 1;
        return status;
    }
    catch (const UsageError& e)
    {
        std::fprintf(stderr, "morvane3-render: error: %s\nTry 'morvane3-render --help'.\n", e.what());
        return 2;
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "morvane3-render: error: %s\n", e.what());
        return 1;
    }
}
