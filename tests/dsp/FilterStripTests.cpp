// The filter strip's wide loop against its two-lane loop, and the strip
// against the tree of filter and mix nodes it stands for: the same input,
// parameters that move between blocks, short and odd block lengths, and
// bypass values that are exact, fractional or negative zero must give the
// same bits on every channel.
#include "GraphTestSupport.h"

#include "dsp/FilterStrip.h"
#include "dsp/SwitchMix.h"

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

enum class Build
{
    chosenLoop, // the wide loop where the processor has it
    twoLaneLoop,
    tree
};

// The nodes the strip fuses, one after the other.
TovDSPArray stripAsTree(const TovDSPArray& x, const FilterStripParameters& p)
{
    const TovDSPArray one(1.0f), zero(0.0f);
    const auto s1 = SwitchMix(BHiPass(x, p.frequency[0], p.inverseQ[0], one, zero), x, p.bypass[0]);
    const auto s2 = SwitchMix(BPeakEQ(s1, p.frequency[1], p.inverseQ[1], p.gainDb[0], one, zero), s1, p.bypass[1]);
    const auto s3 = SwitchMix(BPeakEQ(s2, p.frequency[2], p.inverseQ[2], p.gainDb[1], one, zero), s2, p.bypass[2]);
    return SwitchMix(BLowPass(s3, p.frequency[3], p.inverseQ[3], one, zero), s3, p.bypass[3], p.level);
}

std::vector<std::vector<float>> renderStrip(Build build, int channels)
{
    constexpr size_t total = 6000;
    graphtest::SettingsGuard settings;
    settings::blockSize = 128;
    FilterStripTovDSPInternal::forceSse2 = build == Build::twoLaneLoop;

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
    const TovDSPArray signal(sources, channels);
    TovDSPArray strip = build == Build::tree ? stripAsTree(signal, p) : FilterStrip(signal, p);
    if (build != Build::tree && dynamic_cast<FilterStripTovDSPInternal*>(strip.node(0)) == nullptr)
        ADD_FAILURE() << "the factory built no fused strip";
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
void expectSameBits(const std::vector<std::vector<float>>& a, const std::vector<std::vector<float>>& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (size_t c = 0; c < a.size(); ++c)
    {
        const auto x = bits(a[c]);
        const auto y = bits(b[c]);
        ASSERT_EQ(x.size(), y.size());
        const auto mismatch = std::mismatch(x.begin(), x.end(), y.begin());
        EXPECT_TRUE(mismatch.first == x.end())
            << a.size() << " channel(s), channel " << c << ": first difference at sample " << (mismatch.first - x.begin());
    }
    // Not silence: the filters and mixes ran on the signal.
    EXPECT_GT(std::count_if(a[0].begin(), a[0].end(), [](float v) { return std::abs(v) > 0.01f; }), 1000);
}
} // namespace

TEST(FilterStrip, TheWideLoopGivesTheTwoLaneLoopsBitsForEveryBlockLengthAndBypass)
{
    if (!filterstrip::haveAvx())
        GTEST_SKIP() << "no AVX: the two-lane loop is the only one";
    for (int channels = 1; channels <= 2; ++channels)
        expectSameBits(renderStrip(Build::chosenLoop, channels), renderStrip(Build::twoLaneLoop, channels));
}

TEST(FilterStrip, TheStripGivesTheBitsOfTheFilterAndMixNodesItFuses)
{
    for (int channels = 1; channels <= 2; ++channels)
        expectSameBits(renderStrip(Build::chosenLoop, channels), renderStrip(Build::tree, channels));
}
