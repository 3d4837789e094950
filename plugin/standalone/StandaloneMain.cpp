// The Standalone program's entry point. Answers --help and --version without
// a display, and refuses to start with a clear message when no display can be
// opened (the framework would crash trying to make a window on none).
#include <juce_core/system/juce_TargetPlatform.h>
#include <juce_events/juce_events.h>

#include "plugin/standalone/StopRequest.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

juce::JUCEApplicationBase* juce_CreateApplication();

namespace
{
const char* const programName = "morvane3";

void printHelp()
{
    std::printf("Usage: %s [--help] [--version]\n"
                "\n"
                "Morvane 3 as a program of its own: the speaker-cabinet simulator with its\n"
                "window, playing from an audio input to an audio output. Choose the audio\n"
                "system (ALSA or JACK), the devices, the sample rate and the buffer size with\n"
                "Options > Audio/MIDI Settings. The input starts muted, so that a laptop's\n"
                "microphone and speakers make no feedback; unmute it there.\n"
                "\n"
                "The audio settings, the input's mute state and the plug-in's settings are kept\n"
                "in ~/.config/Morvane 3.settings. SIGTERM, SIGINT and SIGHUP close the program\n"
                "as its window's close button does, keeping them.\n"
                "\n"
                "Options:\n"
                "  --help     print this text and exit\n"
                "  --version  print the version and exit\n"
                "\n"
                "The program needs a graphical session (an X11 display, or XWayland); it exits\n"
                "with status 1 when none can be opened.\n",
                programName);
}

// Opens and closes the display the framework would use, through the same
// dynamically loaded libX11 the framework loads.
bool canOpenDisplay(const char*& problem)
{
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (x11 == nullptr)
    {
        problem = "libX11.so.6 cannot be loaded";
        return false;
    }
    using OpenDisplay = void* (*) (const char*);
    using CloseDisplay = int (*)(void*);
    const auto open = reinterpret_cast<OpenDisplay>(dlsym(x11, "XOpenDisplay"));
    const auto close = reinterpret_cast<CloseDisplay>(dlsym(x11, "XCloseDisplay"));
    void* display = open != nullptr ? open(nullptr) : nullptr;
    if (display != nullptr && close != nullptr)
        close(display);
    dlclose(x11);
    problem = "no display can be opened";
    return display != nullptr;
}

std::atomic<bool> stopFlag {false};

void onStopSignal(int)
{
    stopFlag.store(true);
}
} // namespace

namespace morvane3
{
void installStopSignalHandlers()
{
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        std::signal(s, onStopSignal);
}

bool stopRequested() noexcept
{
    return stopFlag.load();
}
} // namespace morvane3

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
        {
            printHelp();
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0)
        {
            std::printf("%s %s\n", programName, JucePlugin_VersionString);
            return 0;
        }
    }

    const char* problem = "";
    if (! canOpenDisplay(problem))
    {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "%s: cannot start: %s (DISPLAY is %s%s%s). The program needs a graphical session.\n",
                     programName, problem, display != nullptr ? "\"" : "", display != nullptr ? display : "not set",
                     display != nullptr ? "\"" : "");
        return 1;
    }

    morvane3::installStopSignalHandlers();
    juce::JUCEApplicationBase::createInstance = &juce_CreateApplication;
    return juce::JUCEApplicationBase::main(argc, const_cast<const char**>(argv));
}
