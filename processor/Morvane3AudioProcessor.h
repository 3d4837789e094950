#pragma once
#include <juce_audio_processors/juce_audio_processors.h>

#include "processor/ChannelSelection.h"
#include "processor/LiveValues.h"
#include "processor/ParameterScaler.h"
#include "processor/ParameterTable.h"

#include <array>
#include <atomic>
#include <memory>

namespace morvane3
{
class ImpulseResponseDecoder;
}

// The plug-in's processing object, one per plug-in instance.
//
// Threads:
// - audio thread: processBlock only. It allocates nothing, frees nothing and
//   takes no lock of its own (the host holds the callback lock around it).
// - message thread: construction, prepareToPlay, state calls, loadImpulseResponse,
//   the editor, the timer that applies selector automation and flushes the
//   deferred deletions.
// - any thread: getParameterValue, setParameterValue (host automation). A
//   selector write only raises a flag; the impulse response is loaded later on
//   the message thread.
class Morvane3AudioProcessor : public juce::AudioProcessor,
                               public juce::VSTCallbackHandler,
                               private juce::Timer
{
public:
    Morvane3AudioProcessor();
    ~Morvane3AudioProcessor() override;

    // AudioProcessor
    const juce::String getName() const override { return "Morvane 3"; }
    void prepareToPlay(double sampleRate, int samplesPerBlock) override;
    void releaseResources() override {}
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;
    bool isBusesLayoutSupported(const BusesLayout& layouts) const override;
    const juce::String getInputChannelName(int channelIndex) const override;
    const juce::String getOutputChannelName(int channelIndex) const override;
    bool isInputChannelStereoPair(int) const override { return true; }
    bool isOutputChannelStereoPair(int) const override { return true; }
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    void reset() override {}
    // A generic editor of the parameters; the plug-in opens its own window
    // (plugin/PluginEntry.cpp), so nothing here depends on the editor.
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }
    int getNumPrograms() override { return 0; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram(int) override {}
    const juce::String getProgramName(int) override { return {}; }
    void changeProgramName(int, const juce::String&) override {}
    void getStateInformation(juce::MemoryBlock& destData) override;
    void setStateInformation(const void* data, int sizeInBytes) override;

    // VSTCallbackHandler: capability queries the VST2 client does not answer itself.
    juce::pointer_sized_int handleVstManufacturerSpecific(juce::int32, juce::pointer_sized_int, void*, float) override
    {
        return 0;
    }
    juce::pointer_sized_int handleVstPluginCanDo(juce::int32, juce::pointer_sized_int, void*, float) override;

    // Parameters, by index of morvane3::ParameterIndex. Any thread.
    float getParameterValue(int index) const;               // row 25: working sample rate; 0 for bad index
    // Also writes the live value and flags selector changes. Values beyond a
    // row's range are clamped into it; NaN and infinities are ignored.
    void setParameterValue(int index, float value);
    void setParameterValueNotifyingHost(int index, float value);
    // Hides the framework's deprecated index-based text accessors on purpose:
    // the parameter objects serve the hosts.
    // Two decimals. Overrides the framework's deprecated index-based accessors,
    // which the parameter objects have replaced for hosts, so both agree.
    const juce::String getParameterText(int index) override;
    juce::String getParameterText(int index, int maximumLength) override;
    juce::String getParameterNameForIndex(int index) const; // "" for bad index

    // Live values: fixed addresses for the processor's lifetime.
    morvane3::LiveValues& getLiveValues() { return liveValues; }
    const morvane3::LiveValues& getLiveValues() const { return liveValues; }

    // Selections (message thread).
    const morvane3::ChannelSelection& getSelection(int channel) const;
    void deriveLiveValues();
    void deriveSelection(int channel);

    // Replaces a channel's impulse response with a 10 ms crossfade. Message
    // thread only. An unknown name keeps the current convolution.
    void loadImpulseResponse(int channel, const juce::String& irName);

    // The name of the impulse response a channel's convolution was last built from.
    juce::String getLoadedImpulseResponseName(int channel) const;

    double getWorkingSampleRate() const { return workingSampleRate.load(std::memory_order_relaxed); }
    double getStoredSampleRate() const { return storedSampleRate.load(std::memory_order_relaxed); }

    // Used by the settings document on the message thread: stores values
    // (clamped like host writes) without touching live values or selections.
    void storeParameterValue(int index, float value);
    void setStoredSampleRate(double rate); // clamped to 8000..768000 Hz; non-finite rates are ignored

    // Loads the impulse responses that host automation of selectors asked for.
    // The timer calls it; tests may call it directly. Message thread.
    void applyPendingSelectionChanges();

    // Completes deletions the audio thread deferred. Message thread.
    void flushDeferredDeletions();

    // Samples processed since construction (wraps).
    juce::uint32 getSampleCounter() const { return sampleCounter; }

private:
    struct Chain;

    void timerCallback() override;
    std::atomic<float>* liveValueFor(int index);
    void processSubBlock(juce::AudioBuffer<float>& buffer, int start, int length);

    std::array<std::atomic<float>, morvane3::numParameters> parameterValues; // row 25 unused
    std::atomic<double> workingSampleRate { 44100.0 };
    std::atomic<double> storedSampleRate { 44100.0 };
    double responseSampleRate = 44100.0; // the rate responses are decoded at; message thread
    morvane3::LiveValues liveValues;
    morvane3::ChannelSelection selections[2];
    juce::String loadedIRNames[2];
    morvane3::ParameterScaler scaler;

    // Selector codes of the impulse response each channel was last asked to
    // load; a host write that differs raises the channel's flag.
    std::atomic<int> requestedCodes[2][4];
    std::atomic<bool> selectionChangePending[2];

    std::unique_ptr<morvane3::ImpulseResponseDecoder> decoder; // message thread
    std::unique_ptr<Chain> chain; // null until the first prepareToPlay
    juce::uint32 sampleCounter = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(Morvane3AudioProcessor)
};
