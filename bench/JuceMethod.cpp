// The same work done by the application framework's convolution, non-uniformly
// partitioned with a head of 64 samples, one stereo instance per cabinet.
#include "ConvolutionMethod.h"

#include <juce_dsp/juce_dsp.h>

#include <chrono>
#include <thread>

namespace bench
{
namespace
{
class JuceMethod : public ConvolutionMethod
{
public:
    JuceMethod(const std::vector<float>& cabinet1, const std::vector<float>& cabinet2, int blockSize)
    {
        const juce::dsp::ProcessSpec spec{44100.0, static_cast<juce::uint32>(blockSize), 2};
        const int length = static_cast<int>(cabinet1.size());
        for (int c = 0; c < 2; ++c)
        {
            convolutions[c] = std::make_unique<juce::dsp::Convolution>(juce::dsp::Convolution::NonUniform{64});
            convolutions[c]->prepare(spec);
            juce::AudioBuffer<float> response(1, length);
            response.copyFrom(0, 0, (c == 0 ? cabinet1 : cabinet2).data(), length);
            convolutions[c]->loadImpulseResponse(std::move(response), 44100.0, juce::dsp::Convolution::Stereo::no,
                                                 juce::dsp::Convolution::Trim::no,
                                                 juce::dsp::Convolution::Normalise::no);
        }
        // The responses are installed from a background thread during processing.
        juce::AudioBuffer<float> silence(2, blockSize), sink(4, blockSize);
        silence.clear();
        for (int i = 0; i < 20000; ++i)
        {
            process(silence.getArrayOfWritePointers(), sink.getArrayOfWritePointers(), blockSize);
            if (convolutions[0]->getCurrentIRSize() == length && convolutions[1]->getCurrentIRSize() == length)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void process(float* const* input, float* const* output, int n) override
    {
        const juce::dsp::AudioBlock<float> in(input, 2, static_cast<size_t>(n));
        for (int c = 0; c < 2; ++c)
        {
            juce::dsp::AudioBlock<float> out(output + 2 * c, 2, static_cast<size_t>(n));
            convolutions[c]->process(juce::dsp::ProcessContextNonReplacing<float>(in, out));
        }
    }

private:
    std::unique_ptr<juce::dsp::Convolution> convolutions[2];
};
} // namespace

std::unique_ptr<ConvolutionMethod> createJuceMethod(const std::vector<float>& cabinet1,
                                                    const std::vector<float>& cabinet2, int blockSize)
{
    return std::make_unique<JuceMethod>(cabinet1, cabinet2, blockSize);
}
} // namespace bench
