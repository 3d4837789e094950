#include "processor/Morvane3AudioProcessor.h"

#include "catalogue/ImpulseResponseDecoder.h"
#include "catalogue/SampleRates.h"
#include "catalogue/Vocabulary.h"
#include "processor/HostParameter.h"
#include "processor/SelectionNames.h"
#include "processor/SettingsDocument.h"
#include "processor/SignalChain.h"
#include "processor/DeleterLifetime.h"

#include "dsp/Settings.h"
#include "dsp/TovDSPArray.h"

#include <cmath>

using namespace morvane3;

struct Morvane3AudioProcessor::Chain
{
    Chain(int numChannels, int maxBlockSize, LiveValues& live) : graph(numChannels, maxBlockSize, live) {}
    SignalChain graph;
};

namespace
{
// The rate the responses are prepared at when the host's own rate is beyond
// belief: the stored rate, as far as the classic conversions reach.
double fallbackResponseRate(double storedRate)
{
    return isClassicConvertedRate(storedRate) ? storedRate : catalogueSampleRate;
}

constexpr int timerIntervalMs = 25;
} // namespace

Morvane3AudioProcessor::Morvane3AudioProcessor()
    : AudioProcessor(BusesProperties()
                         .withInput("Input", juce::AudioChannelSet::stereo(), true)
                         .withOutput("Output", juce::AudioChannelSet::stereo(), true))
{
    acquireDeferringDeleter();
    decoder = std::make_unique<ImpulseResponseDecoder>();

    for (int index = 0; index < numParameters; ++index)
        parameterValues[(size_t) index].store(index == sampleRateIndex ? 0.0f : defaultParameterValue(index),
                                              std::memory_order_relaxed);
    for (int channel = 0; channel < 2; ++channel)
    {
        selectionChangePending[channel].store(false);
        for (auto& code : requestedCodes[channel])
            code.store(10);
    }

    // VST2 and the standalone build show the sample rate in Hz; VST3 and LV2
    // hosts require normalised values, so there it is scaled.
    const bool normaliseRate = wrapperType == wrapperType_VST3 || wrapperType == wrapperType_LV2;
    for (int index = 0; index < numParameters; ++index)
        addParameter(new HostParameter(*this, index, normaliseRate));

    deriveLiveValues();
    deriveSelection(0);
    deriveSelection(1);

    startTimer(timerIntervalMs);
}

Morvane3AudioProcessor::~Morvane3AudioProcessor()
{
    stopTimer();
    chain.reset();
    decoder.reset();
    releaseDeferringDeleter();
}

//==============================================================================
std::atomic<float>* Morvane3AudioProcessor::liveValueFor(int index)
{
    const auto& row = parameterInfo(index);
    if (row.index < 0)
        return nullptr;
    if (index == outputLevel)
        return &liveValues.outputLevel;
    if (row.channel < 0)
        return nullptr;
    auto& live = liveValues.channels[row.channel];
    switch (index)
    {
    case c1HPF: case c2HPF: return &live.hpfHz;
    case c1LMF: case c2LMF: return &live.lmfHz;
    case c1LMLevel: case c2LMLevel: return &live.lmGainDb;
    case c1HMF: case c2HMF: return &live.hmfHz;
    case c1HMLevel: case c2HMLevel: return &live.hmGainDb;
    case c1LPF: case c2LPF: return &live.lpfHz;
    case c1Level: case c2Level: return &live.level;
    case c1Mute: case c2Mute: return &live.mute;
    case c1HPFBypass: case c2HPFBypass: return &live.hpfBypass;
    case c1LMFBypass: case c2LMFBypass: return &live.lmfBypass;
    case c1HMFBypass: case c2HMFBypass: return &live.hmfBypass;
    case c1LPFBypass: case c2LPFBypass: return &live.lpfBypass;
    default: return nullptr;
    }
}

float Morvane3AudioProcessor::getParameterValue(int index) const
{
    if (! isValidParameterIndex(index))
        return 0.0f;
    if (index == sampleRateIndex)
        return (float) getWorkingSampleRate();
    return parameterValues[(size_t) index].load(std::memory_order_relaxed);
}

// Every value that enters from outside (host, state, preset) passes here:
// values beyond a row's range are brought into it, and a value that is no
// number at all (NaN, infinity) is ignored, as if it had never been written.
void Morvane3AudioProcessor::storeParameterValue(int index, float value)
{
    if (! isValidParameterIndex(index) || ! std::isfinite(value))
        return;
    if (index == sampleRateIndex)
        setStoredSampleRate((double) value);
    else
        parameterValues[(size_t) index].store(clampParameterValue(index, value), std::memory_order_relaxed);
}

void Morvane3AudioProcessor::setStoredSampleRate(double rate)
{
    if (std::isfinite(rate))
        storedSampleRate.store(clampSampleRate(rate), std::memory_order_relaxed);
}

// Host automation must reach the sound without an editor: continuous, gain and
// switch rows write their live value at once; a selector only raises a flag
// (this may be the audio thread) and the timer loads the response.
void Morvane3AudioProcessor::setParameterValue(int index, float written)
{
    if (! isValidParameterIndex(index) || ! std::isfinite(written))
        return;
    const float value = clampParameterValue(index, written);
    storeParameterValue(index, value);

    const auto& row = parameterInfo(index);
    switch (row.kind)
    {
    case ParameterKind::Continuous:
        if (auto* live = liveValueFor(index))
            live->store(scaler.denormalise(row.max, row.min, value), std::memory_order_relaxed);
        break;
    case ParameterKind::Gain:
    case ParameterKind::Switch:
        if (auto* live = liveValueFor(index))
            live->store(value, std::memory_order_relaxed);
        break;
    case ParameterKind::Selector:
        if (scaler.normalisedToCode(value) != requestedCodes[row.channel][(int) row.selector].load(std::memory_order_relaxed))
            selectionChangePending[row.channel].store(true, std::memory_order_release);
        break;
    case ParameterKind::SampleRate:
        break;
    }
}

void Morvane3AudioProcessor::setParameterValueNotifyingHost(int index, float value)
{
    if (! isValidParameterIndex(index) || ! std::isfinite(value))
        return;
    // The host hears of the value that is stored, not of the one asked for.
    if (auto* parameter = dynamic_cast<HostParameter*>(getParameters()[index]))
        parameter->setValueNotifyingHost(parameter->toHostValue(clampParameterValue(index, value)));
}

const juce::String Morvane3AudioProcessor::getParameterText(int index)
{
    return formatParameterText(getParameterValue(index)).text;
}

juce::String Morvane3AudioProcessor::getParameterText(int index, int maximumLength)
{
    return getParameterText(index).substring(0, juce::jmax(0, maximumLength));
}

juce::String Morvane3AudioProcessor::getParameterNameForIndex(int index) const
{
    return parameterInfo(index).name;
}

//==============================================================================
void Morvane3AudioProcessor::deriveLiveValues()
{
    const auto value = [this](int index) { return parameterValues[(size_t) index].load(std::memory_order_relaxed); };
    for (int index = 0; index < numParameters; ++index)
    {
        const auto& row = parameterInfo(index);
        auto* live = liveValueFor(index);
        if (live == nullptr)
            continue;
        live->store(row.kind == ParameterKind::Continuous ? scaler.denormalise(row.max, row.min, value(index)) : value(index),
                    std::memory_order_relaxed);
    }
}

void Morvane3AudioProcessor::deriveSelection(int channel)
{
    if (channel < 0 || channel > 1)
        return;
    auto& selection = selections[channel];
    int codes[4];
    for (int field = 0; field < 4; ++field)
    {
        const int index = selectorParameterIndex(channel, (SelectorField) field);
        codes[field] = scaler.normalisedToCode(parameterValues[(size_t) index].load(std::memory_order_relaxed));
        requestedCodes[channel][field].store(codes[field], std::memory_order_relaxed);
    }
    selection.cabinetCode = codes[0];
    selection.microphoneCode = codes[1];
    selection.positionCode = codes[2];
    selection.distanceCode = codes[3];
    selection.cabinetName = selectionName(SelectorField::cabinet, codes[0]);
    selection.microphoneName = selectionName(SelectorField::microphone, codes[1]);
    selection.positionName = selectionName(SelectorField::position, codes[2]);
    selection.distanceName = selectionName(SelectorField::distance, codes[3]);
    selection.irName = makeIRName(selection.cabinetName, selection.microphoneName, selection.positionName,
                                           selection.distanceName);
}

const ChannelSelection& Morvane3AudioProcessor::getSelection(int channel) const
{
    return selections[juce::jlimit(0, 1, channel)];
}

juce::String Morvane3AudioProcessor::getLoadedImpulseResponseName(int channel) const
{
    return channel == 0 || channel == 1 ? loadedIRNames[channel] : juce::String();
}

//==============================================================================
void Morvane3AudioProcessor::prepareToPlay(double sampleRate, int samplesPerBlock)
{
    const int preparedSize = samplesPerBlock > 0 ? samplesPerBlock : 512;
    tovdsp::setSampleRateAndBlockSize(preparedSize, sampleRate);
    // At any believable host rate the responses are prepared at that rate.
    // Beyond it the stored rate stands in, as it always has.
    const bool hostRateKnown = isPreparedRate(sampleRate);
    workingSampleRate.store(hostRateKnown ? sampleRate : getStoredSampleRate(), std::memory_order_relaxed);
    responseSampleRate = hostRateKnown ? sampleRate : fallbackResponseRate(getStoredSampleRate());

    const int numChannels = juce::jmax(1, getTotalNumInputChannels());
    auto newChain = std::make_unique<Chain>(numChannels, preparedSize, liveValues);
    {
        // The host does not process while preparing, but a previous chain may
        // still be referenced by a late callback in some hosts.
        const juce::ScopedLock lock(getCallbackLock());
        chain.swap(newChain);
    }
    newChain.reset();

    deriveSelection(0);
    deriveSelection(1);
    loadImpulseResponse(0, selections[0].irName);
    loadImpulseResponse(1, selections[1].irName);
    flushDeferredDeletions();
}

void Morvane3AudioProcessor::loadImpulseResponse(int channel, const juce::String& irName)
{
    if (channel < 0 || channel > 1)
        return;
    const auto resource = lookUpImpulseResponse(irName);
    if (resource.data == nullptr)
        return; // unknown name: keep the current convolution

    if (chain == nullptr)
    {
        loadedIRNames[channel] = irName; // the next prepareToPlay builds it
        return;
    }

    const auto ir = decoder->decode(resource.data, resource.size, responseSampleRate);
    if (ir.length <= 0)
        return;
    // New nodes size their buffers from the library's block size, which another
    // instance's preparation may have changed since ours.
    tovdsp::setSampleRateAndBlockSize(chain->graph.getMaxBlockSize(), 0.0);
    auto convolution = SignalChain::makeConvolution(ir, chain->graph.getConvolutionInput());
    {
        const juce::ScopedLock lock(getCallbackLock());
        chain->graph.switchConvolution(channel, convolution);
        // Our reference goes while the audio thread is held off: releasing it
        // writes counts that the audio thread reads while preparing.
        convolution = tovdsp::TovDSPArray();
    }
    loadedIRNames[channel] = irName;
    flushDeferredDeletions();
}

void Morvane3AudioProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;
    const int total = buffer.getNumSamples();
    if (chain == nullptr)
    {
        buffer.clear();
        return;
    }
    // Longer host blocks run as several blocks of the prepared size, so the
    // graph's buffers never grow on the audio thread.
    const int step = chain->graph.getMaxBlockSize();
    for (int start = 0; start < total; start += step)
        processSubBlock(buffer, start, juce::jmin(step, total - start));
}

void Morvane3AudioProcessor::processSubBlock(juce::AudioBuffer<float>& buffer, int start, int length)
{
    constexpr int maxChannels = 8;
    const float* inputs[maxChannels];
    float* outputs[maxChannels];
    const int numInputs = juce::jmin(maxChannels, getTotalNumInputChannels(), buffer.getNumChannels());
    const int numOutputs = juce::jmin(maxChannels, buffer.getNumChannels());
    for (int i = 0; i < numInputs; ++i)
        inputs[i] = buffer.getReadPointer(i, start);
    for (int i = 0; i < numOutputs; ++i)
        outputs[i] = buffer.getWritePointer(i, start);
    chain->graph.process(inputs, numInputs, outputs, numOutputs, length, sampleCounter);
    sampleCounter += (juce::uint32) length;
}

//==============================================================================
void Morvane3AudioProcessor::applyPendingSelectionChanges()
{
    for (int channel = 0; channel < 2; ++channel)
    {
        if (! selectionChangePending[channel].exchange(false, std::memory_order_acquire))
            continue;
        deriveSelection(channel);
        if (selections[channel].irName != loadedIRNames[channel])
            loadImpulseResponse(channel, selections[channel].irName);
    }
}

void Morvane3AudioProcessor::flushDeferredDeletions()
{
    flushDeferringDeleter();
}

void Morvane3AudioProcessor::timerCallback()
{
    applyPendingSelectionChanges();
    flushDeferredDeletions();
}

//==============================================================================
bool Morvane3AudioProcessor::isBusesLayoutSupported(const BusesLayout& layouts) const
{
    const auto in = layouts.getMainInputChannelSet();
    const auto out = layouts.getMainOutputChannelSet();
    return in == out && (in == juce::AudioChannelSet::mono() || in == juce::AudioChannelSet::stereo());
}

const juce::String Morvane3AudioProcessor::getInputChannelName(int channelIndex) const
{
    return juce::String(channelIndex + 1);
}

const juce::String Morvane3AudioProcessor::getOutputChannelName(int channelIndex) const
{
    return juce::String(channelIndex + 1);
}

juce::pointer_sized_int Morvane3AudioProcessor::handleVstPluginCanDo(juce::int32, juce::pointer_sized_int, void*, float)
{
    // The client answers the MIDI, time-info, window-rule and thread queries
    // itself; everything that reaches us is unknown.
    return 0;
}

juce::AudioProcessorEditor* Morvane3AudioProcessor::createEditor()
{
    // The plug-in's own window lives in editor/, which builds on this class;
    // the plug-in target overrides this to open it.
    return new juce::GenericAudioProcessorEditor(*this);
}

void Morvane3AudioProcessor::getStateInformation(juce::MemoryBlock& destData)
{
    destData = makeStateChunk(*this);
}

void Morvane3AudioProcessor::setStateInformation(const void* data, int sizeInBytes)
{
    restoreFromStateChunk(*this, data, sizeInBytes);
}
