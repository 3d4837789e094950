#include "tools/render/VstHost.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <memory>

namespace morvane3::render
{
namespace
{

// What the host callback reports. The host is single-threaded and processes one
// instance at a time, so one clock serves every instance.
struct HostClock
{
    double sampleRate = 44100.0;
    int blockSize = 512;
    double samplePosition = 0.0;
    VstTimeInfo timeInfo {};
};

HostClock clock;

VstIntPtr VSTCALLBACK hostCallback(AEffect*, int opcode, int, VstIntPtr, void*, float)
{
    switch (opcode)
    {
        case audioMasterVersion: return kVstVersion;
        case audioMasterGetSampleRate: return static_cast<VstIntPtr>(clock.sampleRate);
        case audioMasterGetBlockSize: return clock.blockSize;
        case audioMasterGetTime:
        {
            constexpr double tempo = 120.0;
            VstTimeInfo& t = clock.timeInfo;
            t = VstTimeInfo {};
            t.samplePos = clock.samplePosition;
            t.sampleRate = clock.sampleRate;
            t.nanoSeconds = clock.samplePosition / clock.sampleRate * 1.0e9;
            t.ppqPos = clock.samplePosition / clock.sampleRate * tempo / 60.0;
            t.tempo = tempo;
            t.barStartPos = 4.0 * static_cast<double>(static_cast<long long>(t.ppqPos / 4.0));
            t.timeSigNumerator = 4;
            t.timeSigDenominator = 4;
            t.flags = kVstTransportPlaying | kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid
                      | kVstTimeSigValid;
            return reinterpret_cast<VstIntPtr>(&t);
        }
        default: return 0;
    }
}

std::string fourCharCode(std::int32_t id)
{
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const char c = static_cast<char>((id >> shift) & 0xFF);
        s += (c >= 32 && c < 127) ? c : '?';
    }
    return s;
}

} // namespace

PluginLibrary::PluginLibrary(const std::string& path) : libraryPath(path)
{
    std::error_code ec;
    if (! std::filesystem::exists(path, ec))
        throw HostError("plug-in binary '" + path + "' does not exist");
    if (std::filesystem::is_directory(path, ec))
        throw HostError("plug-in path '" + path + "' is a folder, not a binary");

    // dlopen searches the library path for names without a slash; a user means the file.
    const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
    handle = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
    {
        const char* why = dlerror();
        throw HostError("cannot load '" + path + "' as a plug-in: " + (why != nullptr ? why : "unknown reason"));
    }
    void* symbol = dlsym(handle, "VSTPluginMain");
    if (symbol == nullptr)
        symbol = dlsym(handle, "main");
    if (symbol == nullptr)
        throw HostError("'" + path + "' is not a VST 2 plug-in: it exports neither VSTPluginMain nor main");
    entry = reinterpret_cast<EntryPoint>(symbol);
}

AEffect* PluginLibrary::instantiate() const
{
    AEffect* effect = entry(hostCallback);
    if (effect == nullptr)
        throw HostError("the plug-in '" + libraryPath + "' returned no effect from its entry point");
    if (effect->magic != kEffectMagic)
        throw HostError("the plug-in '" + libraryPath + "' returned an effect with the wrong magic number '"
                        + fourCharCode(effect->magic) + "' (expected 'VstP')");
    if (effect->dispatcher == nullptr)
        throw HostError("the plug-in '" + libraryPath + "' returned an effect without a dispatcher");
    return effect;
}

PluginInstance::PluginInstance(const PluginLibrary& library) : aeffect(library.instantiate())
{
    dispatch(effOpen);
}

PluginInstance::~PluginInstance()
{
    if (resumed)
        dispatch(effMainsChanged, 0, 0);
    dispatch(effClose);
}

std::intptr_t PluginInstance::dispatch(int opcode, int index, std::intptr_t value, void* ptr, float opt)
{
    return aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
}

std::string PluginInstance::stringQuery(int opcode, int index)
{
    // Plug-ins write past the nominal limits (parameter names of 32 characters and
    // more are common), so the buffer is generous.
    char text[512] = {};
    dispatch(opcode, index, 0, text);
    text[sizeof text - 1] = '\0';
    return text;
}

std::string PluginInstance::effectName() { return stringQuery(effGetEffectName); }
std::string PluginInstance::vendorString() { return stringQuery(effGetVendorString); }
std::string PluginInstance::productString() { return stringQuery(effGetProductString); }
int PluginInstance::vendorVersion() { return static_cast<int>(dispatch(effGetVendorVersion)); }
int PluginInstance::category() { return static_cast<int>(dispatch(effGetPlugCategory)); }

std::string PluginInstance::parameterName(int index) { return stringQuery(effGetParamName, index); }
std::string PluginInstance::parameterDisplay(int index) { return stringQuery(effGetParamDisplay, index); }
std::string PluginInstance::parameterLabel(int index) { return stringQuery(effGetParamLabel, index); }

float PluginInstance::parameter(int index)
{
    return aeffect->getParameter != nullptr ? aeffect->getParameter(aeffect, index) : 0.0f;
}

void PluginInstance::setParameter(int index, float value)
{
    if (aeffect->setParameter != nullptr)
        aeffect->setParameter(aeffect, index, value);
}

int PluginInstance::findParameter(const std::string& name)
{
    for (int i = 0; i < parameterCount(); ++i)
    {
        const std::string candidate = parameterName(i);
        if (candidate.size() == name.size()
            && std::equal(candidate.begin(), candidate.end(), name.begin(),
                          [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); }))
            return i;
    }
    return -1;
}

bool PluginInstance::setArrangement(int channels)
{
    // FST declares the speaker list as a flexible array; room for the speakers must
    // be allocated with the struct or the plug-in reads past it.
    const std::size_t bytes = sizeof(VstSpeakerArrangement) + 8 * sizeof(VstSpeakerProperties);
    auto makeArrangement = [&]() {
        auto storage = std::make_unique<std::uint8_t[]>(bytes);
        std::memset(storage.get(), 0, bytes);
        auto* arrangement = reinterpret_cast<VstSpeakerArrangement*>(storage.get());
        arrangement->type = channels == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
        arrangement->numChannels = channels;
        for (int i = 0; i < channels; ++i)
            arrangement->speakers[i].type = channels == 1 ? kSpeakerM : (i == 0 ? kSpeakerL : kSpeakerR);
        return storage;
    };
    auto in = makeArrangement();
    auto out = makeArrangement();
    const bool ok = dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(in.get()), out.get()) != 0;
    accepted = ok ? channels : 0;
    return ok;
}

std::vector<std::uint8_t> PluginInstance::chunk()
{
    void* data = nullptr;
    const auto size = dispatch(effGetChunk, 0, 0, &data);
    if (data == nullptr || size <= 0)
        return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

void PluginInstance::setChunk(const std::vector<std::uint8_t>& data)
{
    if (data.empty())
        return;
    std::vector<std::uint8_t> copy = data; // the plug-in may expect writable memory
    dispatch(effSetChunk, 0, static_cast<std::intptr_t>(copy.size()), copy.data());
}

void PluginInstance::prepare(double sampleRate, int maxBlockSize)
{
    rate = sampleRate;
    blockSize = maxBlockSize;
    clock.sampleRate = sampleRate;
    clock.blockSize = maxBlockSize;
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, maxBlockSize);
}

void PluginInstance::resume()
{
    clock.sampleRate = rate;
    clock.blockSize = blockSize;
    samplePosition = 0.0;
    dispatch(effMainsChanged, 0, 1);
    resumed = true;
}

void PluginInstance::suspend()
{
    if (resumed)
        dispatch(effMainsChanged, 0, 0);
    resumed = false;
}

void PluginInstance::process(float** inputs, float** outputs, int n)
{
    if (aeffect->processReplacing == nullptr)
        throw HostError("the plug-in cannot process audio (no processReplacing)");
    clock.sampleRate = rate;
    clock.blockSize = blockSize;
    clock.samplePosition = samplePosition;
    aeffect->processReplacing(aeffect, inputs, outputs, n);
    samplePosition += n;
}

} // namespace morvane3::render
