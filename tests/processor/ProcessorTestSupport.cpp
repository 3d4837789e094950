#include "ProcessorTestSupport.h"

#include "resources/ResourceTable.h"

#include <gtest/gtest.h>

#include <cmath>

namespace proctest
{
namespace
{
// Shut down at the end of the program, before static destruction, so that the
// framework's timer thread has stopped before its locks go away.
class JuceRuntime : public ::testing::Environment
{
public:
    void SetUp() override {}
    void TearDown() override { runtime.reset(); }
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> runtime;
};

JuceRuntime* const juceRuntime =
    static_cast<JuceRuntime*>(::testing::AddGlobalTestEnvironment(new JuceRuntime()));
} // namespace

void ensureJuceRuntime()
{
    if (juceRuntime->runtime == nullptr)
        juceRuntime->runtime = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
}

std::vector<double> referenceImpulseResponse(const char* irName, double rate)
{
    const auto entry = morvane3::findResource(morvane3::impulseResponseTable, irName);
    if (entry.first == nullptr)
        return {};
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader(
        wav.createReaderFor(new juce::MemoryInputStream(entry.first, (size_t) entry.second, false), true));
    if (reader == nullptr)
        return {};
    const int n = (int) reader->lengthInSamples;
    juce::AudioBuffer<float> samples(1, n);
    reader->read(&samples, 0, n, 0, true, false);
    std::vector<double> ir((size_t) n);
    for (int i = 0; i < n; ++i)
        ir[(size_t) i] = samples.getSample(0, i);
    if (rate != 48000.0 && rate != 88200.0 && rate != 96000.0 && rate != 192000.0)
        return ir;

    const auto m = (size_t) (rate / 44100.0 * n);
    std::vector<double> converted(m);
    const double step = (double) (n - 1) / (double) (m - 1);
    for (size_t j = 0; j < m; ++j)
    {
        const double position = (double) j * step;
        const auto i = std::min((size_t) position, (size_t) n - 2);
        const double fraction = position - (double) i;
        converted[j] = ir[i] + (ir[i + 1] - ir[i]) * fraction;
    }
    return converted;
}

// Formulas from the Audio EQ Cookbook (R. Bristow-Johnson).
Biquad Biquad::highPass(double frequency, double inverseQ, double rate)
{
    const double w0 = 2.0 * M_PI * frequency / rate, alpha = std::sin(w0) * inverseQ / 2.0, c = std::cos(w0);
    const double a0 = 1.0 + alpha;
    return { (1.0 + c) / 2.0 / a0, -(1.0 + c) / a0, (1.0 + c) / 2.0 / a0, -2.0 * c / a0, (1.0 - alpha) / a0 };
}

Biquad Biquad::lowPass(double frequency, double inverseQ, double rate)
{
    const double w0 = 2.0 * M_PI * frequency / rate, alpha = std::sin(w0) * inverseQ / 2.0, c = std::cos(w0);
    const double a0 = 1.0 + alpha;
    return { (1.0 - c) / 2.0 / a0, (1.0 - c) / a0, (1.0 - c) / 2.0 / a0, -2.0 * c / a0, (1.0 - alpha) / a0 };
}

Biquad Biquad::peak(double frequency, double inverseQ, double gainDb, double rate)
{
    const double w0 = 2.0 * M_PI * frequency / rate, alpha = std::sin(w0) * inverseQ / 2.0, c = std::cos(w0);
    const double a = std::pow(10.0, gainDb / 40.0), a0 = 1.0 + alpha / a;
    return { (1.0 + alpha * a) / a0, -2.0 * c / a0, (1.0 - alpha * a) / a0, -2.0 * c / a0, (1.0 - alpha / a) / a0 };
}

std::vector<double> Biquad::run(const std::vector<double>& x) const
{
    std::vector<double> y(x.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t i = 0; i < x.size(); ++i)
    {
        y[i] = b0 * x[i] + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x[i];
        y2 = y1;
        y1 = y[i];
    }
    return y;
}

std::vector<double> channelImpulseResponse(const std::vector<double>& ir, double rate, double hpfHz, double lpfHz,
                                           double level, bool filtersBypassed)
{
    std::vector<double> response(ir.size(), 0.0);
    for (size_t k = 0; k < ir.size(); ++k)
        response[k] = 0.25 * ir[k];
    if (! filtersBypassed)
    {
        response = Biquad::highPass(hpfHz, 1.0 / 1.4, rate).run(response);
        response = Biquad::lowPass(lpfHz, 1.0 / 0.7, rate).run(response);
    }
    for (auto& x : response)
        x *= level;
    return response;
}

std::vector<std::vector<float>> run(Morvane3AudioProcessor& processor, const std::vector<std::vector<float>>& input,
                                    int blockSize)
{
    const int channels = (int) input.size();
    const int length = channels > 0 ? (int) input[0].size() : 0;
    std::vector<std::vector<float>> output((size_t) channels, std::vector<float>((size_t) length));
    juce::AudioBuffer<float> buffer(channels, blockSize);
    juce::MidiBuffer midi;
    for (int start = 0; start < length; start += blockSize)
    {
        const int n = std::min(blockSize, length - start);
        buffer.setSize(channels, n, false, false, true);
        for (int c = 0; c < channels; ++c)
            buffer.copyFrom(c, 0, input[(size_t) c].data() + start, n);
        {
            const juce::ScopedLock lock(processor.getCallbackLock());
            processor.processBlock(buffer, midi);
        }
        for (int c = 0; c < channels; ++c)
            std::copy(buffer.getReadPointer(c), buffer.getReadPointer(c) + n, output[(size_t) c].begin() + start);
    }
    return output;
}

std::vector<std::vector<float>> silence(int channels, int length)
{
    return std::vector<std::vector<float>>((size_t) channels, std::vector<float>((size_t) length, 0.0f));
}

double maxAbsDifference(const std::vector<float>& actual, const std::vector<double>& expected, size_t offset,
                        size_t count)
{
    double worst = 0.0;
    for (size_t i = 0; i < count && offset + i < actual.size(); ++i)
    {
        const double e = i < expected.size() ? expected[i] : 0.0;
        worst = std::max(worst, std::fabs((double) actual[offset + i] - e));
    }
    return worst;
}

double peak(const std::vector<double>& x)
{
    double p = 0.0;
    for (auto v : x)
        p = std::max(p, std::fabs(v));
    return p;
}
} // namespace proctest
