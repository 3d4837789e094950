#include "processor/SignalChain.h"

#include "dsp/ArrayList.h"
#include "dsp/ConvolutionLayout.h"
#include "dsp/DirectConvolve.h"
#include "dsp/FilterStrip.h"
#include "dsp/MixArray.h"
#include "dsp/PartConvolve.h"
#include "dsp/Plug.h"
#include "dsp/RawInput.h"
#include "dsp/Settings.h"
#include "dsp/SwitchMix.h"

#include <algorithm>
#include <cmath>
#include <atomic>
#include <cstring>
#include <vector>

namespace morvane3
{
using tovdsp::TovDSPArray;

namespace
{
// About 160 dB above full scale: no real signal comes near it, and the
// convolution's sums of such values stay far from the float range's end.
constexpr float maxInputMagnitude = 1.0e8f;
constexpr double inverseQWide = 0.7142857142857143;   // 1/1.4: high-pass and low-mid peak
constexpr double inverseQNarrow = 1.4285714285714286; // 1/0.7: high-mid peak and low-pass

using tovdsp::ConvolutionSegment;
constexpr const ConvolutionSegment* segments = tovdsp::convolutionSegments;
constexpr int segmentCount = tovdsp::convolutionSegmentCount;

// One input channel as the convolutions see it. New convolutions are built on
// the message thread while the audio thread runs the graph; they take their
// references here instead of on the raw input's group, whose reference counts
// the audio thread reads while preparing. A tap belongs to no group, so its
// count is only ever touched on the message thread.
//
// A tap also holds its channel's spectrum feeds, one per segment size: every
// convolution made on the taps reads its forward transforms from them.
class InputTapNode : public tovdsp::TovDSPInternal
{
public:
    explicit InputTapNode(const TovDSPArray& source) : tovdsp::TovDSPInternal(1) { setInput(0, source); }

    TovDSPArray feeds[segmentCount];

    void compute(unsigned char* doneFlag, int position, int channel) override
    {
        const float* samples = inputs[0].pull(channel, doneFlag, position);
        if (samples != nullptr && output.data != nullptr && output.length > 0)
            std::memcpy(output.data, samples, sizeof(float) * (size_t) output.length);
    }
};

TovDSPArray makeInputTaps(const TovDSPArray& rawInputs)
{
    std::vector<tovdsp::TovDSPInternal*> taps;
    for (unsigned int i = 0; i < rawInputs.width; ++i)
        taps.push_back(new InputTapNode(rawInputs.channel((int) i)));
    return TovDSPArray(taps.data(), (int) taps.size());
}

TovDSPArray pointerTo(const std::atomic<float>& value)
{
    return TovDSPArray(&value);
}
} // namespace

SignalChain::SignalChain(int channelCount, int blockSize, LiveValues& live)
    : numChannels(std::max(1, channelCount)), maxBlockSize(std::max(1, blockSize))
{
    inputStaging = tovdsp::makeZeroedBuffer(numChannels, maxBlockSize);
    rawInputs = tovdsp::RawInput(numChannels);
    convolutionInput = makeInputTaps(rawInputs);
    std::vector<tovdsp::TovDSPInternal*> allFeeds;
    for (int k = 0; k < segmentCount; ++k)
    {
        const auto feeds = tovdsp::SpectrumFeeds(rawInputs, segments[k].log2Size, tovdsp::feedPartitions(segments[k]),
                                                 maxBlockSize);
        for (unsigned int i = 0; i < feeds.width; ++i)
        {
            static_cast<InputTapNode*>(convolutionInput.node((int) i))->feeds[k] = feeds.channel((int) i);
            allFeeds.push_back(feeds.node((int) i)->retainNode());
        }
    }
    spectrumFeeds = TovDSPArray(allFeeds.data(), (int) allFeeds.size());

    for (auto& channel : channels)
        channel.plug = tovdsp::Plug(rawInputs);
    for (int c = 0; c < 2; ++c)
        channels[c].output = buildStrip(channels[c].plug, live.channels[c]);

    // (C1 * (1 - mute1) + C2 * (1 - mute2)) * output level
    outputs = tovdsp::MutedSum(channels[0].output, channels[1].output, pointerTo(live.channels[0].mute),
                               pointerTo(live.channels[1].mute), pointerTo(live.outputLevel));

    // The output nodes give up the buffers they own when the host lends them
    // its memory; do that here, so the first block frees nothing on the audio thread.
    outputParking = tovdsp::makeZeroedBuffer(numChannels, maxBlockSize);
    for (int i = 0; i < (int) outputs.width; ++i)
        outputs.setOutputBuffer(i, outputParking.channelSamples(i % numChannels), maxBlockSize);
}

SignalChain::~SignalChain() = default;

// Each stage is mixed with its own input by its bypass switch:
// stage * (1 - bypass) + input * bypass. The level scales both branches of the
// last mix, the low-pass and its input.
TovDSPArray SignalChain::buildStrip(const TovDSPArray& x, ChannelLiveValues& live)
{
    const TovDSPArray wide(inverseQWide), narrow(inverseQNarrow);
    tovdsp::FilterStripParameters p;
    p.frequency[0] = pointerTo(live.hpfHz);
    p.frequency[1] = pointerTo(live.lmfHz);
    p.frequency[2] = pointerTo(live.hmfHz);
    p.frequency[3] = pointerTo(live.lpfHz);
    p.inverseQ[0] = p.inverseQ[1] = wide;
    p.inverseQ[2] = p.inverseQ[3] = narrow;
    p.gainDb[0] = pointerTo(live.lmGainDb);
    p.gainDb[1] = pointerTo(live.hmGainDb);
    p.bypass[0] = pointerTo(live.hpfBypass);
    p.bypass[1] = pointerTo(live.lmfBypass);
    p.bypass[2] = pointerTo(live.hmfBypass);
    p.bypass[3] = pointerTo(live.lpfBypass);
    p.level = pointerTo(live.level);
    return tovdsp::FilterStrip(x, p);
}

TovDSPArray SignalChain::makeConvolution(const tovdsp::Buffer& ir, const TovDSPArray& input)
{
    // On the chain's taps, the segments share the taps' transforms.
    std::vector<InputTapNode*> taps;
    for (unsigned int i = 0; i < input.width; ++i)
        if (auto* tap = dynamic_cast<InputTapNode*>(input.node((int) i)); tap != nullptr)
            taps.push_back(tap);
    const bool shared = input.width > 0 && taps.size() == input.width;

    TovDSPArray parts[segmentCount];
    for (int i = 0; i < segmentCount; ++i)
    {
        if (shared)
        {
            std::vector<tovdsp::TovDSPInternal*> feeds;
            for (auto* tap : taps)
                feeds.push_back(tap->feeds[i].node(0)->retainNode());
            parts[i] = tovdsp::PartConvolveFromFeeds(ir, TovDSPArray(feeds.data(), (int) feeds.size()),
                                                     segments[i].start, segments[i].end);
        }
        else
        {
            parts[i] = tovdsp::PartConvolve(ir, input, segments[i].start, segments[i].end, segments[i].log2Size);
        }
    }

    // Summed longest-partition first, the direct head last.
    auto* list = new tovdsp::ArrayList();
    for (int i = segmentCount - 1; i >= 0; --i)
        list->append(parts[i]);
    list->append(tovdsp::DirectConvolve(ir, input));
    auto result = tovdsp::MixArray(list);
    list->release();
    return result;
}

void SignalChain::switchConvolution(int channel, const TovDSPArray& convolution)
{
    if (channel < 0 || channel > 1)
        return;
    channels[channel].convolution = convolution;
    // Before the plug's first block there is nothing to fade from: the channel
    // plays its cabinet from the first sample, not a fade from the dry input.
    const bool playing = channels[channel].plug.node(0)->lastPosition >= 0;
    channels[channel].plug.replug(convolution, playing ? replugFadeSeconds : 0.0f);
}

void SignalChain::process(const float* const* inputs, int numInputs, float* const* outputChannels, int numOutputs,
                          int length, uint32_t position)
{
    if (length <= 0)
        return;
    length = std::min(length, maxBlockSize);
    for (int i = 0; i < numInputs; ++i)
    {
        float* staging = inputStaging.channelSamples(i % numChannels);
        const float* in = inputs[i];
        for (int k = 0; k < length; ++k)
        {
            const float x = in[k];
            staging[k] = std::isfinite(x) ? std::clamp(x, -maxInputMagnitude, maxInputMagnitude) : 0.0f;
        }
        rawInputs.setInputPointer(i, staging);
    }
    const int produced = std::min((int) outputs.width, numOutputs);
    for (int i = 0; i < produced; ++i)
        outputs.setOutputBuffer(i, outputChannels[i], length);
    outputs.process(length, (int) position);
    // Feeds no convolution read this block keep framing their input, so a
    // convolution that starts reading them later finds current frames.
    spectrumFeeds.process(length, (int) position);
    // Back to parked memory: the nodes read their last sample when the next
    // block lends them memory, and the host may have freed this block's by then.
    for (int i = 0; i < produced; ++i)
        outputs.setOutputBuffer(i, outputParking.channelSamples(i % numChannels), 1);
    for (int i = produced; i < numOutputs; ++i)
        std::memset(outputChannels[i], 0, sizeof(float) * (size_t) length);
}
} // namespace morvane3
