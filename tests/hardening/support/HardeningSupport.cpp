#include "support/HardeningSupport.h"
#include "tests/support/HostXErrorHandler.h"

#include <juce_events/juce_events.h>

#include <malloc.h>

#include <cmath>
#include <limits>
#include <random>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define HARDENING_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define HARDENING_SANITIZED 1
#endif
#endif

namespace hardening
{
namespace
{
// Never shut down: the framework's timer thread comes and goes with the first
// processor, after this, and would be torn down before a shutdown at exit.
// A global keeps the runtime reachable for the leak checker.
juce::ScopedJuceInitialiser_GUI* runtime = nullptr;
} // namespace

void ensureJuceRuntime()
{
    if (runtime == nullptr)
    {
        runtime = new juce::ScopedJuceInitialiser_GUI();
        testsupport::installHostXErrorHandler();
    }
}

Channels noise(int channels, int length, uint32_t seed, float amplitude)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(-amplitude, amplitude);
    Channels x((size_t) channels, std::vector<float>((size_t) length));
    for (auto& channel : x)
        for (auto& v : channel)
            v = uniform(random);
    return x;
}

Channels run(Morvane3AudioProcessor& processor, const Channels& input, int blockSize)
{
    const int channels = (int) input.size();
    const int length = channels > 0 ? (int) input[0].size() : 0;
    Channels output((size_t) channels, std::vector<float>((size_t) length));
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

double maxDifference(const Channels& a, const Channels& b, size_t from)
{
    constexpr double infinity = std::numeric_limits<double>::infinity();
    if (a.size() != b.size())
        return infinity;
    double worst = 0.0;
    for (size_t c = 0; c < a.size(); ++c)
    {
        if (a[c].size() != b[c].size())
            return infinity;
        for (size_t i = from; i < a[c].size(); ++i)
        {
            const double d = std::fabs((double) a[c][i] - (double) b[c][i]);
            if (! std::isfinite(d))
                return infinity;
            worst = std::max(worst, d);
        }
    }
    return worst;
}

double peak(const Channels& x, size_t from)
{
    double p = 0.0;
    for (const auto& channel : x)
        for (size_t i = from; i < channel.size(); ++i)
            p = std::max(p, (double) std::fabs(channel[i]));
    return p;
}

bool allFinite(const Channels& x, size_t from, size_t to)
{
    for (const auto& channel : x)
        for (size_t i = from; i < std::min(to, channel.size()); ++i)
            if (! std::isfinite(channel[i]))
                return false;
    return true;
}

long long liveHeapBytes()
{
#ifdef HARDENING_SANITIZED
    return -1;
#else
    const auto info = mallinfo2();
    return (long long) (info.uordblks + info.hblkhd);
#endif
}

float selectorValue(int code)
{
    return (float) code / 1000.0f;
}
} // namespace hardening
