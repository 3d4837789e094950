// A small VST 2.4 host: loads the built plug-in binary the way a host does and
// checks what the host sees through the binary interface alone.
#ifndef FST_DONT_DEPRECATE_UNKNOWN
#define FST_DONT_DEPRECATE_UNKNOWN 1
#endif
#include <pluginterfaces/fst/fst.h>

#include "resources/pictures/Cabinets.h"
#include "resources/pictures/Catalogue.h"
#include "resources/pictures/EditorArt.h"
#include "resources/pictures/Filmstrips.h"
#include "resources/pictures/Microphones.h"

#include "tests/support/HostXErrorHandler.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#ifndef MORVANE3_VST2_BINARY
#error "MORVANE3_VST2_BINARY must name the built plug-in"
#endif

namespace
{
using Entry = AEffect* (*) (audioMasterCallback);

int hostVersion = 2400;
std::atomic<int> automationMessages {0}; // audioMasterAutomate calls received

// The plug-in keeps per-user files below HOME (the editor's size): a fresh
// HOME, set before the library is loaded, keeps the user's own away.
const std::filesystem::path testHome = [] {
    char pattern[] = "/tmp/morvane3-hosts-tests-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (made == nullptr)
        return std::filesystem::path();
    ::setenv("HOME", made, 1);
    std::atexit([] { std::filesystem::remove_all(testHome); });
    return std::filesystem::path(made);
}();

// The framework looks up the window-manager atoms when the library starts and
// uses them only if they exist; a bare X server without a window manager lacks
// them (any desktop has them). Made before the library loads, on a connection
// held open so that the server does not reset and forget them.
Display* const atomKeeper = [] {
    Display* display = std::getenv("DISPLAY") != nullptr ? XOpenDisplay(nullptr) : nullptr;
    if (display != nullptr)
        for (const char* atom : {"WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE",
                                 "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN"})
            XInternAtom(display, atom, False);
    return display;
}();

t_fstPtrInt hostCallback(AEffect*, int opcode, int, t_fstPtrInt, void*, float)
{
    switch (opcode)
    {
    case audioMasterAutomate: ++automationMessages; return 0;
    case audioMasterVersion: return hostVersion;
    case audioMasterGetSampleRate: return 44100;
    case audioMasterGetBlockSize: return 512;
    default: return 0;
    }
}

class Plugin
{
public:
    Plugin()
    {
        testsupport::installHostXErrorHandler();
        library = dlopen(MORVANE3_VST2_BINARY, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr)
            return;
        main = reinterpret_cast<Entry>(dlsym(library, "VSTPluginMain"));
        legacyMain = reinterpret_cast<Entry>(dlsym(library, "main"));
    }

    ~Plugin()
    {
        // The framework keeps a message thread alive inside the library; the
        // library stays loaded for the life of the test program, as in most hosts.
    }

    AEffect* open()
    {
        auto* effect = main != nullptr ? main(reinterpret_cast<audioMasterCallback>(hostCallback)) : nullptr;
        if (effect != nullptr)
            dispatch(effect, effOpen);
        return effect;
    }

    static t_fstPtrInt dispatch(AEffect* effect, int opcode, int index = 0, t_fstPtrInt value = 0,
                                void* ptr = nullptr, float opt = 0.0f)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    static std::string text(AEffect* effect, int opcode, int index = 0)
    {
        char buffer[256] = {};
        dispatch(effect, opcode, index, 0, buffer);
        return buffer;
    }

    static t_fstPtrInt canDo(AEffect* effect, const char* query)
    {
        return dispatch(effect, effCanDo, 0, 0, const_cast<char*>(query));
    }

    static void close(AEffect* effect) { dispatch(effect, effClose); }

    void* library = nullptr;
    Entry main = nullptr;
    Entry legacyMain = nullptr;
};

Plugin& plugin()
{
    static Plugin* instance = new Plugin();
    return *instance;
}

// An arrangement with room for its speakers (the interface declares them as a
// flexible array).
struct Arrangement
{
    explicit Arrangement(int type, int channels)
        : storage(sizeof(VstSpeakerArrangement) + 8 * sizeof(VstSpeakerProperties), 0)
    {
        auto* a = get();
        a->type = type;
        a->numChannels = channels;
        for (int i = 0; i < channels; ++i)
            a->speakers[i].type = channels == 1 ? 0 : 1 + i;
    }
    VstSpeakerArrangement* get() { return reinterpret_cast<VstSpeakerArrangement*>(storage.data()); }
    std::vector<unsigned char> storage;
};

void process(AEffect* effect, std::vector<std::vector<float>>& inputs, std::vector<std::vector<float>>& outputs,
             int length)
{
    std::vector<float*> in, out;
    for (auto& c : inputs)
        in.push_back(c.data());
    for (auto& c : outputs)
        out.push_back(c.data());
    effect->processReplacing(effect, in.data(), out.data(), length);
}

class Vst2Host : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(plugin().library, nullptr) << dlerror();
        ASSERT_NE(plugin().main, nullptr);
        effect = plugin().open();
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override
    {
        if (effect != nullptr)
            Plugin::close(effect);
    }
    AEffect* effect = nullptr;
};
} // namespace

TEST_F(Vst2Host, IdentityLayoutAndFlags)
{
    // The framework exports main as a second entry point that forwards to VSTPluginMain.
    ASSERT_NE(plugin().legacyMain, nullptr);
    auto* second = plugin().legacyMain(reinterpret_cast<audioMasterCallback>(hostCallback));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->uniqueID, 0x4D766E63);
    Plugin::dispatch(second, effClose);
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->uniqueID, 0x4D766E63); // 'Mvnc'
    EXPECT_EQ(effect->version, 0x30004);
    EXPECT_EQ(Plugin::dispatch(effect, effGetVendorVersion), 0x30004);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->numParams, 34);
    EXPECT_EQ(effect->numPrograms, 1); // the framework's client always reports one program
    EXPECT_EQ(effect->initialDelay, 0);
    const auto flags = effect->flags;
    EXPECT_TRUE(flags & effFlagsHasEditor);
    EXPECT_TRUE(flags & effFlagsCanReplacing);
    EXPECT_TRUE(flags & effFlagsProgramChunks);
    EXPECT_TRUE(flags & effFlagsNoSoundInStop);
    EXPECT_FALSE(flags & effFlagsIsSynth);
    EXPECT_EQ(Plugin::text(effect, effGetEffectName), "Morvane 3");
    EXPECT_EQ(Plugin::text(effect, effGetProductString), "Morvane 3");
    const auto vendor = Plugin::text(effect, effGetVendorString);
    EXPECT_FALSE(vendor.empty());
    EXPECT_LE(vendor.size(), 63u);
    EXPECT_EQ(Plugin::dispatch(effect, effGetPlugCategory), 1);
}

TEST_F(Vst2Host, HostWithoutVersionGetsNoEffect)
{
    hostVersion = 0;
    auto* none = plugin().main(reinterpret_cast<audioMasterCallback>(hostCallback));
    hostVersion = 2400;
    EXPECT_EQ(none, nullptr);
}

TEST_F(Vst2Host, CapabilityAnswers)
{
    for (const char* query : { "receiveVstEvents", "receiveVstMidiEvent", "receiveVstMidiEvents", "sendVstEvents",
                               "sendVstMidiEvent", "sendVstMidiEvents", "openCloseAnyThread" })
        EXPECT_EQ(Plugin::canDo(effect, query), -1) << query;
    for (const char* query : { "receiveVstTimeInfo", "conformsToWindowRules" })
        EXPECT_EQ(Plugin::canDo(effect, query), 1) << query;
    for (const char* query : { "offline", "midiProgramNames", "ReceiveVstTimeInfo", "" })
        EXPECT_EQ(Plugin::canDo(effect, query), 0) << query;
}

TEST_F(Vst2Host, ParametersNamesValuesAndTexts)
{
    EXPECT_EQ(Plugin::text(effect, effGetParamName, 0), "outputLevel");
    EXPECT_EQ(Plugin::text(effect, effGetParamName, 4), "c1MicDistance");
    EXPECT_EQ(Plugin::text(effect, effGetParamName, 25), "sampleRate");
    EXPECT_EQ(Plugin::text(effect, effGetParamName, 33), "c2LPFBypass");
    EXPECT_EQ(effect->getParameter(effect, 0), 0.5f);
    EXPECT_EQ(effect->getParameter(effect, 1), 0.00999999978f);
    EXPECT_EQ(effect->getParameter(effect, 25), 44100.0f);
    EXPECT_EQ(Plugin::text(effect, effGetParamDisplay, 0), "0.50");
    EXPECT_EQ(Plugin::text(effect, effGetParamDisplay, 1), "0.01");
    EXPECT_EQ(Plugin::text(effect, effGetParamDisplay, 5), "0.00");
    EXPECT_EQ(Plugin::text(effect, effGetParamDisplay, 25), "44100.00");

    effect->setParameter(effect, 5, 0.75f);
    EXPECT_EQ(effect->getParameter(effect, 5), 0.75f);
    EXPECT_EQ(Plugin::text(effect, effGetParamDisplay, 5), "0.75");
}

TEST_F(Vst2Host, SpeakerArrangements)
{
    Arrangement mono(kSpeakerArrMono, 1), stereo(kSpeakerArrStereo, 2);
    EXPECT_EQ(Plugin::dispatch(effect, effSetSpeakerArrangement, 0, (t_fstPtrInt) mono.get(), stereo.get()), 0);
    EXPECT_EQ(Plugin::dispatch(effect, effSetSpeakerArrangement, 0, (t_fstPtrInt) mono.get(), mono.get()), 1);

    // Mono processes one channel.
    Plugin::dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Plugin::dispatch(effect, effSetBlockSize, 0, 256);
    Plugin::dispatch(effect, effMainsChanged, 0, 1);
    std::vector<std::vector<float>> in(1, std::vector<float>(256, 0.25f)), out(1, std::vector<float>(256, 9.0f));
    for (int i = 0; i < 20; ++i)
        process(effect, in, out, 256);
    double energy = 0.0;
    for (auto v : out[0])
    {
        ASSERT_TRUE(std::isfinite(v));
        energy += (double) v * (double) v;
    }
    EXPECT_GT(energy, 0.0);
    Plugin::dispatch(effect, effMainsChanged, 0, 0);
}

TEST_F(Vst2Host, ChunkIsTheSettingsDocumentAndRestores)
{
    void* data = nullptr;
    const auto size = Plugin::dispatch(effect, effGetChunk, 0, 0, &data);
    ASSERT_GT(size, 8);
    ASSERT_NE(data, nullptr);
    const std::string chunk(static_cast<const char*>(data), (size_t) size);
    EXPECT_EQ(chunk.substr(0, 4), "VC2!");
    int32_t length = 0;
    std::memcpy(&length, chunk.data() + 4, 4);
    EXPECT_EQ((size_t) length + 9, chunk.size());
    const std::string start = "<MORVANESETTINGS outputLevel=\"0.5\" c1Cabinet=\"0.00999999978\" ";
    EXPECT_EQ(chunk.substr(8, start.size()), start);
    EXPECT_NE(chunk.find(" sampleRate=\"44100\" c1HPFBypass=\"0\""), std::string::npos);
    EXPECT_EQ(chunk.substr(chunk.size() - 3), std::string("/>") + '\0');

    std::string text = "<MORVANESETTINGS c1HPF=\"0.25\" c2Mute=\"1\"/>";
    std::vector<char> other(8 + text.size() + 1, 0);
    const int32_t header[2] = { 0x21324356, (int32_t) text.size() };
    std::memcpy(other.data(), header, 8);
    std::memcpy(other.data() + 8, text.data(), text.size());
    Plugin::dispatch(effect, effSetChunk, 0, (t_fstPtrInt) other.size(), other.data());
    EXPECT_EQ(effect->getParameter(effect, 5), 0.25f);
    EXPECT_EQ(effect->getParameter(effect, 24), 1.0f);
}

TEST_F(Vst2Host, ProcessesAudioAndAutomationReachesTheSound)
{
    Plugin::dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Plugin::dispatch(effect, effSetBlockSize, 0, 512);
    Plugin::dispatch(effect, effMainsChanged, 0, 1);
    EXPECT_EQ(effect->getParameter(effect, 25), 48000.0f);

    std::vector<std::vector<float>> in(2, std::vector<float>(512, 0.0f)), out(2, std::vector<float>(512, 0.0f));
    for (int i = 0; i < 80; ++i) // past the initial fade and the convolutions' start-up
        process(effect, in, out, 512);
    in[0][0] = 1.0f;
    process(effect, in, out, 512);
    in[0][0] = 0.0f;
    double left = 0.0, right = 0.0;
    for (int i = 0; i < 512; ++i)
    {
        left += std::fabs((double) out[0][(size_t) i]);
        right += std::fabs((double) out[1][(size_t) i]);
    }
    EXPECT_GT(left, 1.0e-3);
    EXPECT_EQ(right, 0.0);

    // Muting both channels by automation silences the next block, without an editor.
    effect->setParameter(effect, 23, 1.0f);
    effect->setParameter(effect, 24, 1.0f);
    process(effect, in, out, 512);
    for (auto v : out[0])
        ASSERT_EQ(v, 0.0f);
    Plugin::dispatch(effect, effMainsChanged, 0, 0);
}

TEST_F(Vst2Host, CabinetAutomationReloadsTheResponseWithoutAnEditor)
{
    Plugin::dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Plugin::dispatch(effect, effSetBlockSize, 0, 512);
    Plugin::dispatch(effect, effMainsChanged, 0, 1);
    effect->setParameter(effect, 23, 1.0f); // C1 muted: the output is C2 alone

    std::vector<std::vector<float>> in(2, std::vector<float>(512, 0.0f)), out(2, std::vector<float>(512, 0.0f));
    const auto impulseBlock = [&] {
        for (int i = 0; i < 80; ++i)
            process(effect, in, out, 512);
        in[0][0] = 1.0f;
        process(effect, in, out, 512);
        in[0][0] = 0.0f;
        return out[0];
    };
    const auto before = impulseBlock();

    effect->setParameter(effect, 12, 0.2f); // C2 cabinet: code 200
    // The plug-in's message thread loads the response; the host keeps processing.
    for (int i = 0; i < 40; ++i)
    {
        process(effect, in, out, 512);
        usleep(10000);
    }
    const auto after = impulseBlock();
    EXPECT_EQ(effect->getParameter(effect, 12), 0.2f);
    double difference = 0.0, size = 0.0;
    for (size_t i = 0; i < before.size(); ++i)
    {
        difference = std::max(difference, std::fabs((double) after[i] - (double) before[i]));
        size = std::max(size, std::fabs((double) before[i]));
    }
    EXPECT_GT(size, 1.0e-3);
    EXPECT_GT(difference, 0.1 * size);
    Plugin::dispatch(effect, effMainsChanged, 0, 0);
}

namespace
{
// The left output for a unit impulse on the left input, after the fade and
// the convolutions' start-up, `blocks` blocks of 512 samples long.
std::vector<float> impulseResponse(AEffect* effect, int blocks)
{
    std::vector<std::vector<float>> in(2, std::vector<float>(512, 0.0f)), out(2, std::vector<float>(512, 0.0f));
    for (int i = 0; i < 80; ++i)
        process(effect, in, out, 512);
    std::vector<float> response;
    for (int b = 0; b < blocks; ++b)
    {
        in[0][0] = b == 0 ? 1.0f : 0.0f;
        process(effect, in, out, 512);
        response.insert(response.end(), out[0].begin(), out[0].end());
    }
    return response;
}

void start(AEffect* effect, float rate)
{
    Plugin::dispatch(effect, effSetSampleRate, 0, 0, nullptr, rate);
    Plugin::dispatch(effect, effSetBlockSize, 0, 512);
    Plugin::dispatch(effect, effMainsChanged, 0, 1);
}

void setChunk(AEffect* effect, const std::string& text)
{
    std::vector<char> chunk(8 + text.size() + 1, 0);
    const int32_t header[2] = { 0x21324356, (int32_t) text.size() };
    std::memcpy(chunk.data(), header, 8);
    std::memcpy(chunk.data() + 8, text.data(), text.size());
    Plugin::dispatch(effect, effSetChunk, 0, (t_fstPtrInt) chunk.size(), chunk.data());
}

std::string attributeOf(const std::string& chunk, const std::string& name)
{
    const auto at = chunk.find(" " + name + "=\"");
    if (at == std::string::npos)
        return "absent";
    const auto from = at + name.size() + 3;
    return chunk.substr(from, chunk.find('"', from) - from);
}

double largestDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    if (a.size() != b.size())
        return INFINITY;
    double d = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
    {
        const double difference = std::fabs((double) a[i] - (double) b[i]);
        d = std::isfinite(difference) ? std::max(d, difference) : (double) INFINITY;
    }
    return d;
}

double largest(const std::vector<float>& x)
{
    double p = 0.0;
    for (float v : x)
        p = std::isfinite(v) ? std::max(p, std::fabs((double) v)) : (double) INFINITY;
    return p;
}

// Every attribute with a value far outside its range (or just outside it),
// and the value it stands for once clamped.
struct Wild
{
    const char* name;
    const char* text;
    const char* clamped;
};
const Wild wildValues[] = {
    { "outputLevel", "1e30", "1" },     { "c1Cabinet", "1e9", "1" },          { "c1Microphone", "-1e9", "0" },
    { "c1MicPos", "3.4e38", "1" },      { "c1MicDistance", "-7", "0" },       { "c1HPF", "1e30", "1" },
    { "c1LMF", "-1e30", "0" },          { "c1LMLevel", "5", "1" },            { "c1HMF", "-0.5", "0" },
    { "c1HMLevel", "1e38", "1" },       { "c1LPF", "-3.4e38", "0" },          { "c1Level", "1e30", "1" },
    { "c2Cabinet", "-1", "0" },         { "c2Microphone", "2", "1" },         { "c2MicPos", "-1e-30", "0" },
    { "c2MicDistance", "1e30", "1" },   { "c2HPF", "-1e30", "0" },            { "c2LMF", "1e30", "1" },
    { "c2LMLevel", "-5", "0" },         { "c2HMF", "3", "1" },                { "c2HMLevel", "-1e38", "0" },
    { "c2LPF", "1e30", "1" },           { "c2Level", "1.5", "1" },            { "c1Mute", "-3", "0" },
    { "c2Mute", "-1e30", "0" },         { "c1HPFBypass", "7", "1" },          { "c1LMFBypass", "-7", "0" },
    { "c1HMFBypass", "1e30", "1" },     { "c1LPFBypass", "-1e30", "0" },      { "c2HPFBypass", "-2", "0" },
    { "c2LMFBypass", "2", "1" },        { "c2HMFBypass", "-0.0001", "0" },    { "c2LPFBypass", "1.0001", "1" },
};

std::string settingsText(bool wild)
{
    std::string text = "<MORVANESETTINGS";
    for (const auto& w : wildValues)
        text += std::string(" ") + w.name + "=\"" + (wild ? w.text : w.clamped) + "\"";
    return text + (wild ? std::string(" sampleRate=\"1e300\"/>") : std::string(" sampleRate=\"768000\"/>"));
}
} // namespace

TEST_F(Vst2Host, ValuesOutOfRangeFromAStateOrTheHostActAsTheirClampedValues)
{
    // What the clamped values give, restored from a chunk that holds only them.
    start(effect, 44100.0f);
    setChunk(effect, settingsText(false));
    const auto expected = impulseResponse(effect, 48);
    ASSERT_GT(largest(expected), 1.0e-3);
    ASSERT_LT(largest(expected), 10.0);

    auto* restored = plugin().open();
    ASSERT_NE(restored, nullptr);
    start(restored, 44100.0f);
    setChunk(restored, settingsText(true));
    const auto fromChunk = impulseResponse(restored, 48);
    EXPECT_LT(largestDifference(fromChunk, expected), 1.0e-5 * largest(expected));
    void* data = nullptr;
    const auto size = Plugin::dispatch(restored, effGetChunk, 0, 0, &data);
    ASSERT_GT(size, 8);
    const std::string readBack(static_cast<const char*>(data), (size_t) size);
    for (const auto& w : wildValues)
        EXPECT_EQ(attributeOf(readBack, w.name), w.clamped) << w.name;
    Plugin::close(restored);

    // The same values written by a host, parameter by parameter; a write that is
    // no number at all changes nothing.
    auto* automated = plugin().open();
    ASSERT_NE(automated, nullptr);
    start(automated, 44100.0f);
    for (int index = 0; index < 34; ++index)
    {
        const auto name = Plugin::text(automated, effGetParamName, index);
        for (const auto& w : wildValues)
            if (name == w.name)
            {
                automated->setParameter(automated, index, std::stof(w.text));
                automated->setParameter(automated, index, NAN);
                EXPECT_EQ(automated->getParameter(automated, index), std::stof(w.clamped)) << w.name;
            }
    }
    automated->setParameter(automated, 25, 1.0e30f);
    EXPECT_EQ(automated->getParameter(automated, 25), 44100.0f); // the rate worked at stays the host's
    usleep(100000); // selector writes reach the message thread, which finds no response to load
    const auto fromHost = impulseResponse(automated, 48);
    EXPECT_LT(largestDifference(fromHost, expected), 1.0e-5 * largest(expected));
    Plugin::close(automated);
}

namespace
{
// Power of `x` around `centre` Hz over a third of an octave, per hertz of the
// rate, in dB: responses at different rates compare directly.
double thirdOctaveDb(const std::vector<float>& x, double rate, double centre)
{
    constexpr int points = 24;
    const double low = centre * std::pow(2.0, -1.0 / 6.0), high = centre * std::pow(2.0, 1.0 / 6.0);
    double sum = 0.0;
    for (int i = 0; i < points; ++i)
    {
        const double w = 2.0 * M_PI * (low + (high - low) * (i + 0.5) / points) / rate;
        const double c = std::cos(w), s = std::sin(w);
        double re = 0.0, im = 0.0, pr = 1.0, pi = 0.0;
        for (float v : x)
        {
            re += (double) v * pr;
            im += (double) v * pi;
            const double next = pr * c + pi * s;
            pi = pi * c - pr * s;
            pr = next;
        }
        sum += (re * re + im * im) / (rate * rate);
    }
    return 10.0 * std::log10(sum / points);
}
} // namespace

TEST_F(Vst2Host, AtAnUnusualHostRateTheCabinetKeepsItsPitch)
{
    // 176400 Hz is four times the catalogue's rate: responses played at the
    // catalogue's rate there would ring a quarter as long, two octaves up.
    start(effect, 44100.0f);
    const auto reference = impulseResponse(effect, 48);
    auto* fast = plugin().open();
    ASSERT_NE(fast, nullptr);
    start(fast, 176400.0f);
    EXPECT_EQ(fast->getParameter(fast, 25), 176400.0f);
    const auto atFast = impulseResponse(fast, 4 * 48);
    Plugin::close(fast);
    ASSERT_TRUE(std::isfinite(largest(atFast)));

    // Power-weighted mean frequency of the sound, from its third-octave levels.
    const auto centroid = [](const std::vector<float>& x, double rate) {
        double weighted = 0.0, total = 0.0;
        for (double centre = 62.5; centre <= 8000.0; centre *= std::pow(2.0, 1.0 / 3.0))
        {
            const double power = std::pow(10.0, thirdOctaveDb(x, rate, centre) / 10.0) * centre; // bands widen with frequency
            weighted += power * centre;
            total += power;
        }
        return weighted / total;
    };
    // Seconds until all but 1/10000 (40 dB) of the energy has arrived.
    const auto ringing = [](const std::vector<float>& x, double rate) {
        double total = 0.0;
        for (float v : x)
            total += (double) v * (double) v;
        double arrived = 0.0;
        for (size_t n = 0; n < x.size(); ++n)
            if ((arrived += (double) x[n] * (double) x[n]) > total * (1.0 - 1.0e-4))
                return (double) n / rate;
        return (double) x.size() / rate;
    };
    const double expectedCentroid = centroid(reference, 44100.0), expectedRinging = ringing(reference, 44100.0);
    EXPECT_NEAR(centroid(atFast, 176400.0), expectedCentroid, 0.1 * expectedCentroid);
    EXPECT_NEAR(ringing(atFast, 176400.0), expectedRinging, 0.1 * expectedRinging);
}

// The binary opens the plug-in's own window, not a generic parameter editor:
// the processor builds without the editor, so the plug-in's assembly must add it.
TEST_F(Vst2Host, TheEditorIsThePluginsOwnWindowAt810By600)
{
    ERect* rect = nullptr;
    ASSERT_NE(Plugin::dispatch(effect, effEditGetRect, 0, 0, &rect), 0);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 810);
    EXPECT_EQ(rect->bottom - rect->top, 600);
}

namespace
{
t_fstPtrInt setHostScale(AEffect* effect, float scale)
{
    // The framework's vendor call for a host's scale: 'PreS', 'AeCs', the scale.
    return Plugin::dispatch(effect, effVendorSpecific, 0x50726553, 0x41654373, nullptr, scale);
}

std::pair<int, int> editorSize(AEffect* effect)
{
    ERect* rect = nullptr;
    if (Plugin::dispatch(effect, effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr)
        return {0, 0};
    return {rect->right - rect->left, rect->bottom - rect->top};
}

void writeWindowSettings(const std::string& text)
{
    std::filesystem::create_directories(testHome / ".config" / "Morvane3");
    std::ofstream(testHome / ".config" / "Morvane3" / "window.xml") << text;
}
} // namespace

TEST_F(Vst2Host, TheEditorOpensAtTheHostsScaleOrTheRememberedSize)
{
    ASSERT_FALSE(testHome.empty());
    EXPECT_EQ(setHostScale(effect, 1.5f), 1);
    EXPECT_EQ(editorSize(effect), std::make_pair(1215, 900));
    setHostScale(effect, 2.0f);
    EXPECT_EQ(editorSize(effect), std::make_pair(1620, 1200));

    // Without a host scale: the size the user left, and 100 % from a damaged file.
    for (const auto& [settings, size] : {std::pair {std::string("<MORVANE3WINDOW scale=\"1.5\"/>"), std::make_pair(1215, 900)},
                                         {std::string("<MORVANE3WINDOW scale=\"1."), std::make_pair(810, 600)},
                                         {std::string("\x7f\x45garbage"), std::make_pair(810, 600)}})
    {
        writeWindowSettings(settings);
        Plugin::close(effect);
        effect = plugin().open();
        ASSERT_NE(effect, nullptr);
        EXPECT_EQ(editorSize(effect), size) << settings;
    }
    std::filesystem::remove(testHome / ".config" / "Morvane3" / "window.xml");
}

namespace
{
// An impulse and the cabinet's ringing after it, block by block; `during`
// runs right after the impulse's block, and the host sleeps between blocks
// so that the plug-in's message thread runs what the host asked for.
std::vector<float> ringing(AEffect* effect, const std::function<void()>& during)
{
    Plugin::dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Plugin::dispatch(effect, effSetBlockSize, 0, 512);
    Plugin::dispatch(effect, effMainsChanged, 0, 1);
    std::vector<std::vector<float>> in(2, std::vector<float>(512, 0.0f)), out(2, std::vector<float>(512, 0.0f));
    std::vector<float> recorded;
    for (int block = 0; block < 40; ++block)
    {
        in[0][0] = block == 4 ? 1.0f : 0.0f;
        process(effect, in, out, 512);
        if (block >= 4)
            recorded.insert(recorded.end(), out[0].begin(), out[0].end());
        if (block == 4)
            during();
        if (block > 4)
        {
            usleep(15000);
            Plugin::dispatch(effect, effEditIdle); // as hosts do while a window may be open
        }
    }
    Plugin::dispatch(effect, effMainsChanged, 0, 0);
    return recorded;
}

// Largest difference against the reference's peak. Two instances agree only
// to rounding (FFTW may choose other code paths for other memory alignments),
// about 1e-5 here; a reload of the response cuts the ringing by far more.
double relativeDifference(const std::vector<float>& a, const std::vector<float>& reference)
{
    double difference = 0.0, peak = 0.0;
    for (size_t i = 0; i < std::min(a.size(), reference.size()); ++i)
    {
        difference = std::max(difference, std::fabs((double) a[i] - (double) reference[i]));
        peak = std::max(peak, std::fabs((double) reference[i]));
    }
    return peak > 0.0 ? difference / peak : 1.0;
}
} // namespace

// Opening the editor shows what plays: no parameter goes back to the host and
// no response is loaded again (a new convolution would cut the ringing).
TEST_F(Vst2Host, OpeningTheEditorSendsNoAutomationAndReloadsNothing)
{
    const auto undisturbed = ringing(effect, [] {});
    Plugin::close(effect);

    effect = plugin().open();
    ASSERT_NE(effect, nullptr);
    automationMessages = 0;
    const auto withEditor = ringing(effect, [&] { EXPECT_NE(editorSize(effect).first, 0); });
    EXPECT_EQ(automationMessages.load(), 0);
    ASSERT_EQ(withEditor.size(), undisturbed.size());
    EXPECT_LT(relativeDifference(withEditor, undisturbed), 1.0e-4); // the ringing is untouched
    Plugin::close(effect);

    // The comparison sees a reload.
    effect = plugin().open();
    ASSERT_NE(effect, nullptr);
    const auto reloaded = ringing(effect, [&] {
        effect->setParameter(effect, 12, 0.2f); // C2 to another cabinet and back
        usleep(200000);
        effect->setParameter(effect, 12, 0.01f);
    });
    EXPECT_GT(relativeDifference(reloaded, undisturbed), 1.0e-3);
}

// The editor in a real window of this host, at 100 %, at 150 % (the size the
// user left) and at 200 % (the host's scale): the window's size, and the
// cabinet picture as the screen shows it set against the picture drawn for
// that size and against the 100 % picture enlarged.
namespace
{
struct Rgb
{
    double r, g, b;
};
using Pixels = std::vector<Rgb>; // row by row

Pixels pixelsOf(cairo_surface_t* surface, int x, int y, int width, int height)
{
    cairo_surface_flush(surface);
    Pixels pixels;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    for (int py = y; py < y + height; ++py)
        for (int px = x; px < x + width; ++px)
        {
            uint32_t p;
            std::memcpy(&p, data + py * cairo_image_surface_get_stride(surface) + px * 4, 4);
            pixels.push_back({double((p >> 16) & 255), double((p >> 8) & 255), double(p & 255)});
        }
    cairo_surface_destroy(surface);
    return pixels;
}

// The photograph with the placement picture over it, drawn by the picture
// generator's code at `scale`.
Pixels drawnChannelPicture(double scale, int& width, int& height)
{
    using namespace morvane3::pictures;
    cairo_surface_t* photo = drawCabinet("1960", scale);
    cairo_surface_t* placement = drawPlacement(overlaySetOf("1960"), "121", "On Axis", "Close", scale);
    cairo_t* cr = cairo_create(photo);
    cairo_set_source_surface(cr, placement, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(placement);
    width = cairo_image_surface_get_width(photo);
    height = cairo_image_surface_get_height(photo);
    return pixelsOf(photo, 0, 0, width, height);
}

// The channel level knob (frame 63, its default) over the panel beneath it,
// at the window position (x, y) that the panel at (panelX, panelY) covers.
Pixels drawnLevelKnob(double scale, int x, int y, int panelX, int panelY, int& width, int& height)
{
    using namespace morvane3::pictures;
    cairo_surface_t* panel = drawEqPanel(scale);
    cairo_surface_t* frame = drawKnobFrame(knobSpec("knobChannelLevel"), 63, scale);
    width = cairo_image_surface_get_width(frame);
    height = cairo_image_surface_get_height(frame);
    cairo_t* cr = cairo_create(panel);
    cairo_set_source_surface(cr, frame, x - panelX, y - panelY);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(frame);
    return pixelsOf(panel, x - panelX, y - panelY, width, height);
}

// Bilinear enlargement, as a host's zoom of a fixed-size window does it.
Pixels enlarged(const Pixels& source, int sw, int sh, int width, int height)
{
    Pixels out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const double fx = std::clamp((x + 0.5) * sw / width - 0.5, 0.0, sw - 1.0);
            const double fy = std::clamp((y + 0.5) * sh / height - 0.5, 0.0, sh - 1.0);
            const int x0 = (int) fx, y0 = (int) fy, x1 = std::min(x0 + 1, sw - 1), y1 = std::min(y0 + 1, sh - 1);
            const double tx = fx - x0, ty = fy - y0;
            const auto at = [&](int px, int py) { return source[(size_t) (py * sw + px)]; };
            const auto mix = [&](double a, double b, double c, double d) {
                return (a * (1 - tx) + b * tx) * (1 - ty) + (c * (1 - tx) + d * tx) * ty;
            };
            const auto a = at(x0, y0), b = at(x1, y0), c = at(x0, y1), d = at(x1, y1);
            out.push_back({mix(a.r, b.r, c.r, d.r), mix(a.g, b.g, c.g, d.g), mix(a.b, b.b, c.b, d.b)});
        }
    return out;
}

double psnr(const Pixels& a, const Pixels& b, double& meanAbsolute)
{
    double squares = 0.0, absolute = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        for (const double d : {a[i].r - b[i].r, a[i].g - b[i].g, a[i].b - b[i].b})
        {
            squares += d * d;
            absolute += std::fabs(d);
        }
    meanAbsolute = absolute / (3.0 * a.size());
    const double mse = squares / (3.0 * a.size());
    return mse > 0.0 ? 10.0 * std::log10(255.0 * 255.0 / mse) : 99.0;
}

// Opens the editor into a window of our own, lets the plug-in paint it and
// reads the window's pixels in each of `areas` (x, y, w, h). The window is
// moved so that each area lies on the screen, which may be smaller than the
// window; the plug-in paints what comes into view.
std::vector<Pixels> screenshot(Display* display, AEffect* effect, const std::vector<std::array<int, 4>>& areas)
{
    const auto [width, height] = editorSize(effect);
    const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, (unsigned) width, (unsigned) height, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    Plugin::dispatch(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(parent));
    const auto idle = [&](int rounds) {
        for (int i = 0; i < rounds; ++i)
        {
            Plugin::dispatch(effect, effEditIdle);
            usleep(20000);
        }
    };
    idle(50); // the first refresh, then the paint it asks for

    std::vector<Pixels> shots;
    for (const auto& [x, y, w, h] : areas)
    {
        XMoveWindow(display, parent, -x, -y);
        XSync(display, False);
        idle(15);
        XSync(display, False);
        Pixels pixels;
        if (XImage* image = XGetImage(display, parent, x, y, (unsigned) w, (unsigned) h, AllPlanes, ZPixmap))
        {
            for (int py = 0; py < h; ++py)
                for (int px = 0; px < w; ++px)
                {
                    const unsigned long p = XGetPixel(image, px, py);
                    pixels.push_back({double((p >> 16) & 255), double((p >> 8) & 255), double(p & 255)});
                }
            XDestroyImage(image);
        }
        shots.push_back(std::move(pixels));
    }
    Plugin::dispatch(effect, effEditClose);
    XDestroyWindow(display, parent);
    XSync(display, False);
    return shots;
}
} // namespace

TEST_F(Vst2Host, TheEditorsWindowShowsPicturesDrawnForItsSize)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        GTEST_SKIP() << "no X display";
    int width100 = 0, height100 = 0, knobWidth100 = 0, knobHeight100 = 0;
    const Pixels photoAt100 = drawnChannelPicture(1.0, width100, height100);
    const Pixels knobAt100 = drawnLevelKnob(1.0, 305, 505, 10, 441, knobWidth100, knobHeight100);

    for (const double scale : {1.0, 1.5, 2.0})
    {
        if (scale == 1.5)
            writeWindowSettings("<MORVANE3WINDOW scale=\"1.5\"/>");
        if (scale == 2.0)
        {
            std::filesystem::remove(testHome / ".config" / "Morvane3" / "window.xml");
            setHostScale(effect, 2.0f);
        }
        const auto at = [scale](int v) { return (int) std::lround(v * scale); };
        EXPECT_EQ(editorSize(effect), std::make_pair(at(810), at(600)));

        int photoWidth = 0, photoHeight = 0, knobWidth = 0, knobHeight = 0;
        const Pixels photo = drawnChannelPicture(scale, photoWidth, photoHeight);
        const Pixels knob = drawnLevelKnob(scale, at(305), at(505), at(10), at(441), knobWidth, knobHeight);
        const auto shots = screenshot(display, effect,
                                      {{at(11), at(79), photoWidth, photoHeight}, {at(305), at(505), knobWidth, knobHeight}});
        ASSERT_EQ(shots[0].size(), photo.size());
        ASSERT_EQ(shots[1].size(), knob.size());
        const struct
        {
            const char* name;
            const Pixels &onScreen, &drawn;
            Pixels enlargedFrom100;
        } regions[] = {
            {"cabinet picture", shots[0], photo, enlarged(photoAt100, width100, height100, photoWidth, photoHeight)},
            {"level knob", shots[1], knob, enlarged(knobAt100, knobWidth100, knobHeight100, knobWidth, knobHeight)},
        };
        for (const auto& region : regions)
        {
            double madDrawn = 0.0, madEnlarged = 0.0;
            const double psnrDrawn = psnr(region.onScreen, region.drawn, madDrawn);
            const double psnrEnlarged = psnr(region.onScreen, region.enlargedFrom100, madEnlarged);
            std::printf("VST2 window at %.0f %%: %s vs drawn at size: PSNR %.1f dB, MAD %.2f; vs 100 %% enlarged: PSNR %.1f dB, "
                        "MAD %.2f\n",
                        scale * 100, region.name, psnrDrawn, madDrawn, psnrEnlarged, madEnlarged);
            EXPECT_GT(psnrDrawn, 40.0) << region.name << " at " << scale;
            if (scale > 1.0)
            {
                EXPECT_GT(psnrDrawn, psnrEnlarged + 10.0) << region.name << " at " << scale;
            }
        }

        Plugin::close(effect);
        effect = plugin().open();
        ASSERT_NE(effect, nullptr);
    }
    std::filesystem::remove(testHome / ".config" / "Morvane3" / "window.xml");
    XCloseDisplay(display);
}
