#pragma once
// A minimal VST 2.4 host: loads a plug-in binary through its entry point and drives
// one effect the way a DAW does (arrangement, rate, block size, resume, process).
// Single-threaded: every call, including the plug-in's callbacks into the host,
// happens on the caller's thread.
#ifndef FST_DONT_DEPRECATE_UNKNOWN
#define FST_DONT_DEPRECATE_UNKNOWN 1
#endif
#include <pluginterfaces/fst/fst.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace morvane3::render
{

struct HostError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

// The loaded binary. Kept loaded for the life of the process: unloading a plug-in
// that started its own threads is a common source of crashes at exit.
class PluginLibrary
{
public:
    explicit PluginLibrary(const std::string& path);
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const std::string& path() const { return libraryPath; }
    // A fresh effect from the entry point; throws HostError for a null effect or a
    // wrong magic number.
    AEffect* instantiate() const;

private:
    using EntryPoint = AEffect* (*)(audioMasterCallback);
    std::string libraryPath;
    void* handle = nullptr;
    EntryPoint entry = nullptr;
};

class PluginInstance
{
public:
    explicit PluginInstance(const PluginLibrary& library);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect& effect() { return *aeffect; }

    std::string effectName();
    std::string vendorString();
    std::string productString();
    int vendorVersion();
    int category();

    int parameterCount() const { return aeffect->numParams; }
    std::string parameterName(int index);
    std::string parameterDisplay(int index);
    std::string parameterLabel(int index);
    float parameter(int index);
    void setParameter(int index, float value);
    // Index of a parameter by the name the plug-in reports (ASCII case ignored); -1 if none.
    int findParameter(const std::string& name);

    // Asks for channels in and channels out; true when the plug-in accepted it.
    // An effect keeps reporting its widest layout in numInputs/numOutputs (that is
    // how VST 2 counts pins), so the host still hands it that many buffers.
    bool setArrangement(int channels);
    int acceptedChannels() const { return accepted; }
    int inputCount() const { return aeffect->numInputs; }
    int outputCount() const { return aeffect->numOutputs; }

    std::vector<std::uint8_t> chunk();
    void setChunk(const std::vector<std::uint8_t>& data);

    // Rate and block size apply at the next resume.
    void prepare(double sampleRate, int maxBlockSize);
    void resume();
    void suspend();

    // One block through processReplacing; the host's clock advances by n.
    void process(float** inputs, float** outputs, int n);

private:
    std::intptr_t dispatch(int opcode, int index = 0, std::intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
    std::string stringQuery(int opcode, int index = 0);

    AEffect* aeffect = nullptr;
    bool resumed = false;
    int accepted = 0;
    double rate = 44100.0;
    int blockSize = 512;
    double samplePosition = 0.0;
};

} // namespace morvane3::render
