#include "processor/SignalChain.h"

#include "dsp/ArrayList.h"
#include "dsp/PartConvolve.h"
#include "dsp/Plug.h"
#include "dsp/RawInput.h"
#include "dsp/Settings.h"

#include <algorithm>
#include <cstring>

namespace morvane3
{
using tovdsp::TovDSPArray;

SignalChain::SignalChain(int channelCount, int blockSize, LiveValues& live)
    : numChannels(std::max(1, channelCount)), maxBlockSize(std::max(1, blockSize))
{
    inputStaging = tovdsp::makeZeroedBuffer(numChannels, maxBlockSize);
    rawInputs = tovdsp::RawInput(numChannels);
    for (auto& channel : channels)
    {
        channel.plug = tovdsp::Plug(rawInputs);
        channel.output = channel.plug;
    }
    (void) live;
    mix = channels[0].output;
    outputs = mix;
}

SignalChain::~SignalChain() = default;

TovDSPArray SignalChain::makeConvolution(const tovdsp::Buffer& ir, const TovDSPArray& input)
{
    return tovdsp::PartConvolve(ir, input, 0, 128, 6);
}

void SignalChain::switchConvolution(int channel, const TovDSPArray& convolution)
{
    if (channel < 0 || channel > 1)
        return;
    channels[channel].convolution = convolution;
    channels[channel].plug.replug(convolution, replugFadeSeconds);
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
        std::memcpy(staging, inputs[i], sizeof(float) * (size_t) length);
        rawInputs.setInputPointer(i, staging);
    }
    const int produced = std::min((int) outputs.width, numOutputs);
    for (int i = 0; i < produced; ++i)
        outputs.setOutputBuffer(i, outputChannels[i], length);
    outputs.process(length, (int) position);
    for (int i = produced; i < numOutputs; ++i)
        std::memset(outputChannels[i], 0, sizeof(float) * (size_t) length);
}
} // namespace morvane3
