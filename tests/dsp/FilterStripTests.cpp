// The filter strip's wide loop against its two-lane loop: the same input,
// parameters that move between blocks, short and odd block lengths, and
// bypass values that are exact, fractional or negative zero must give the
// same bits on every channel.
#include "GraphTestSupport.h"

#include "dsp/FilterStrip.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>

using namespace tovdsp;
using graphtest::SignalNode;

namespace
{
struct Variables
{
    float frequency[4] = { 90.0f, 300.0f, 2500.0f, 6000.0f };
    float inverseQ[4] = { 1.4f, 1.0f, 2.0f, 0.7f };
    float gainDb[2] = { 4.0f, -6.0f };
    float bypass[4] = { 0.0f, 0.0f, 0.0f, 0.0f };
    float level = 0.8f;
};

// Noise with stretches of silence, of signed zeros and of values small
// enough for the end-of-block sanitising to clear the filters' state.
std::vector<float> testSignal(unsigned int seed, size_t n)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> out(n);
    for (size_t i = 0; i < n; ++i)
    {
        const size_t stretch = (i / 500) % 4;
        out[i] = stretch == 1 ? 0.0f : stretch == 2 ? -0.0f * uniform(random) : uniform(random);
        if (stretch == 3 && (i / 100) % 2 == 1)
            out[i] *= 1e-17f;
    }
    return out;
}

std::vector<std::vector<float>> renderStrip(bool sse2, int channels)
{
    constexpr size_t total = 6000;
    graphtest::SettingsGuard settings;
    settings::blockSize = 128;
    FilterStripTovDSPInternal::forceSse2 = sse2;

    Variables v;
    FilterStripParameters p;
    for (int k = 0; k < 4; ++k)
    {
        p.frequency[k] = TovDSPArray(&v.frequency[k]);
        p.inverseQ[k] = TovDSPArray(&v.inverseQ[k]);
        p.bypass[k] = TovDSPArray(&v.bypass[k]);
    }
    p.gainDb[0] = TovDSPArray(&v.gainDb[0]);
    p.gainDb[1] = TovDSPArray(&v.gainDb[1]);
    p.level = TovDSPArray(&v.level);
    TovDSPInternal* sources[2] = { new SignalNode(testSignal(1, total)), new SignalNode(testSignal(2, total)) };
    TovDSPArray strip = FilterStrip(TovDSPArray(sources, channels), p);
    if (channels == 1)
        sources[1]->release();

    std::mt19937 random(7);
    const float bypassValues[] = { 0.0f, 1.0f, -0.0f, 0.5f };
    const int lengths[] = { 1, 2, 3, 5, 7, 31, 64, 127 };
    std::vector<std::vector<float>> out(static_cast<size_t>(channels));
    for (size_t done = 0; done < total;)
    {
        for (float& f : v.frequency)
            f *= std::uniform_real_distribution<float>(0.9f, 1.1f)(random);
        v.gainDb[random() % 2] = std::uniform_real_distribution<float>(-12.0f, 12.0f)(random);
        v.bypass[random() % 4] = bypassValues[random() % 4];
        v.level = std::uniform_real_distribution<float>(0.0f, 2.0f)(random);
        const int n = static_cast<int>(std::min<size_t>(lengths[random() % 8], total - done));
        auto block = graphtest::render(strip, channels, n, n, static_cast<int>(done));
        for (int c = 0; c < channels; ++c)
            out[static_cast<size_t>(c)].insert(out[static_cast<size_t>(c)].end(), block[static_cast<size_t>(c)].begin(),
                                               block[static_cast<size_t>(c)].end());
        done += static_cast<size_t>(n);
    }
    FilterStripTovDSPInternal::forceSse2 = false;
    return out;
}

std::vector<uint32_t> bits(const std::vector<float>& samples)
{
    std::vector<uint32_t> out(samples.size());
    std::memcpy(out.data(), samples.data(), samples.size() * sizeof(float));
    return out;
}
} // namespace

TEST(FilterStrip, TheWideLoopGivesTheTwoLaneLoopsBitsForEveryBlockLengthAndBypass)
{
    if (!filterstrip::haveAvx())
        GTEST_SKIP() << "no AVX: the two-lane loop is the only one";
    for (int channels = 1; channels <= 2; ++channels)
    {
        const auto wide = renderStrip(false, channels);
        const auto narrow = renderStrip(true, channels);
        for (int c = 0; c < channels; ++c)
        {
            const auto w = bits(wide[static_cast<size_t>(c)]);
            const auto n = bits(narrow[static_cast<size_t>(c)]);
            ASSERT_EQ(w.size(), n.size());
            const auto mismatch = std::mismatch(w.begin(), w.end(), n.begin());
            EXPECT_TRUE(mismatch.first == w.end())
                << channels << " channel(s), channel " << c << ": first difference at sample "
                << (mismatch.first - w.begin());
        }
        // Not silence: the filters and mixes ran on the signal.
        EXPECT_GT(std::count_if(wide[0].begin(), wide[0].end(), [](float x) { return std::abs(x) > 0.01f; }), 1000);
    }
}
