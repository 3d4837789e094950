// Bursts of NaN, infinity, huge and denormal values in the input: the output
// must be finite again within one response length after the burst, and
// afterwards sound exactly like a processor that never saw it.
#include "support/HardeningSupport.h"

#include "dsp/PartConvolve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <limits>

using hardening::Channels;

namespace
{
constexpr double rate = 44100.0;
constexpr int blockSize = 256;
// The catalogue's responses are 19404 samples at 44100 Hz; the output of the
// longest partition ends one 8192-sample frame later than a direct convolution.
constexpr size_t recoverySamples = 19404 + 8192;

struct Burst
{
    const char* name;
    size_t start, length;
    float (*value)(size_t i, int channel);
};

float nanEverywhere(size_t, int) { return std::numeric_limits<float>::quiet_NaN(); }
float infinities(size_t i, int channel)
{
    return (i + (size_t) channel) % 2 == 0 ? std::numeric_limits<float>::infinity()
                                            : -std::numeric_limits<float>::infinity();
}
float oneNaNSample(size_t i, int channel) { return i == 0 && channel == 1 ? std::nanf("") : 0.1f; }
float huge(size_t i, int) { return i % 3 == 0 ? 3.0e38f : -3.0e38f; }
float denormals(size_t i, int) { return (i % 2 == 0 ? 1.0f : -1.0f) * 1.0e-40f; }

class NonFiniteInputTest : public ::testing::TestWithParam<Burst>
{
protected:
    void SetUp() override { hardening::ensureJuceRuntime(); }
};
} // namespace

TEST_P(NonFiniteInputTest, OutputRecoversWithinOneResponseAndThenMatchesACleanProcessor)
{
    const Burst burst = GetParam();
    const size_t length = burst.start + burst.length + recoverySamples + 3 * 44100;
    const auto clean = hardening::noise(2, (int) length, 21, 0.3f);
    auto dirty = clean;
    for (int c = 0; c < 2; ++c)
        for (size_t i = 0; i < burst.length; ++i)
            dirty[(size_t) c][burst.start + i] = burst.value(i, c);

    Morvane3AudioProcessor hit, spared;
    hit.prepareToPlay(rate, blockSize);
    tovdsp::seedStartPhaseGenerator(5);
    hardening::run(hit, hardening::noise(2, blockSize, 1), blockSize);
    spared.prepareToPlay(rate, blockSize);
    tovdsp::seedStartPhaseGenerator(5);
    hardening::run(spared, hardening::noise(2, blockSize, 1), blockSize);

    const auto fromHit = hardening::run(hit, dirty, blockSize);
    const auto fromSpared = hardening::run(spared, clean, blockSize);

    ASSERT_TRUE(hardening::allFinite(fromHit, 0, burst.start)) << burst.name;
    const size_t burstEnd = burst.start + burst.length;
    size_t lastBroken = 0;
    for (const auto& channel : fromHit)
        for (size_t i = burst.start; i < channel.size(); ++i)
            if (! std::isfinite(channel[i]))
                lastBroken = std::max(lastBroken, i);
    const size_t recovered = burstEnd + recoverySamples;
    EXPECT_LT(lastBroken, recovered) << burst.name << ": non-finite until "
                                     << (double) (lastBroken - burstEnd) / rate << " s after the burst";

    // A second later every filter has forgotten the burst as well.
    const size_t settled = recovered + 44100;
    Channels tailHit, tailSpared;
    for (int c = 0; c < 2; ++c)
    {
        tailHit.emplace_back(fromHit[(size_t) c].begin() + (long) settled, fromHit[(size_t) c].end());
        tailSpared.emplace_back(fromSpared[(size_t) c].begin() + (long) settled, fromSpared[(size_t) c].end());
    }
    const double scale = hardening::peak(tailSpared);
    ASSERT_GT(scale, 1.0e-3);
    EXPECT_LT(hardening::maxDifference(tailHit, tailSpared), 1.0e-4 * scale) << burst.name;
}

INSTANTIATE_TEST_SUITE_P(Bursts, NonFiniteInputTest,
                         ::testing::Values(Burst { "nan_100ms", 30000, 4410, nanEverywhere },
                                           Burst { "infinities_1s", 30000, 44100, infinities },
                                           Burst { "single_nan", 30011, 1, oneNaNSample },
                                           Burst { "huge_10ms", 30000, 441, huge },
                                           Burst { "denormals_1s", 30000, 44100, denormals }),
                         [](const ::testing::TestParamInfo<Burst>& burst) { return std::string(burst.param.name); });
