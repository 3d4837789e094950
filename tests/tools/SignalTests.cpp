// The measuring FFT against a direct transform, and the demo phrase's basic facts.
#include "tools/render/Demo.h"
#include "tools/render/Fft.h"
#include "tools/render/Session.h"

#include <cmath>
#include <complex>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <set>

using namespace morvane3::render;

TEST(Fft, MatchesADirectTransformAndReadsKnownResponses)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    for (std::size_t n : {1u, 2u, 8u, 64u, 512u})
    {
        std::vector<std::complex<double>> data(n);
        for (auto& x : data)
            x = {dist(random), dist(random)};
        const auto input = data;
        fft(data);
        const double pi = std::acos(-1.0);
        for (std::size_t k = 0; k < n; ++k)
        {
            std::complex<double> direct = 0.0;
            for (std::size_t t = 0; t < n; ++t)
                direct += input[t] * std::polar(1.0, -2.0 * pi * static_cast<double>(k * t % n) / static_cast<double>(n));
            EXPECT_NEAR(std::abs(data[k] - direct), 0.0, 1e-9 * static_cast<double>(n)) << n << ":" << k;
        }
    }
    std::vector<std::complex<double>> three(3);
    EXPECT_THROW(fft(three), std::invalid_argument);

    // A delayed impulse of height 0.5 is flat at -6.02 dB; a two-tap average has a
    // zero at Nyquist and 0 dB at DC.
    std::vector<float> impulse(100, 0.0f);
    impulse[37] = 0.5f;
    for (double db : magnitudeResponseDb(impulse, 256))
        EXPECT_NEAR(db, 20.0 * std::log10(0.5), 1e-9);
    const auto average = magnitudeResponseDb({0.5f, 0.5f}, 64);
    EXPECT_NEAR(average.front(), 0.0, 1e-9);
    EXPECT_LT(average.back(), -200.0);
    EXPECT_NEAR(average[16], 20.0 * std::log10(std::cos(std::acos(-1.0) / 4.0)), 1e-9); // quarter of the rate
}

TEST(DemoPhrase, IsTenSecondsOfStereoGuitarAtMinusSixDecibelsAndTheSameEveryTime)
{
    const Audio demo = makeDemoPhrase();
    ASSERT_EQ(demo.channelCount(), 2);
    EXPECT_EQ(demo.sampleRate, 44100.0);
    ASSERT_EQ(demo.frameCount(), 441000u);
    float peak = 0.0f;
    for (const auto& c : demo.channels)
        for (float s : c)
        {
            ASSERT_TRUE(std::isfinite(s));
            peak = std::max(peak, std::abs(s));
        }
    EXPECT_NEAR(peak, 0.5f, 1e-6f);

    // Sound all the way through: every half second holds signal on both sides.
    for (std::size_t start = 0; start + 22050 <= demo.frameCount(); start += 22050)
        for (const auto& c : demo.channels)
        {
            double energy = 0.0;
            for (std::size_t i = start; i < start + 22050; ++i)
                energy += static_cast<double>(c[i]) * static_cast<double>(c[i]);
            EXPECT_GT(std::sqrt(energy / 22050.0), 0.005) << "silent around " << start / 44100.0 << " s";
        }
    // Two takes, not one signal copied.
    double difference = 0.0;
    for (std::size_t i = 0; i < demo.frameCount(); ++i)
        difference += static_cast<double>(std::abs(demo.channels[0][i] - demo.channels[1][i]));
    EXPECT_GT(difference / static_cast<double>(demo.frameCount()), 0.01);

    const Audio again = makeDemoPhrase();
    EXPECT_EQ(again.channels, demo.channels);
}

TEST(BlockLengths, CoverTheWholeSignalWithinTheAnnouncedSize)
{
    const auto fixed = blockLengths(1300, 512, std::nullopt);
    EXPECT_EQ(fixed, (std::vector<int> {512, 512, 276}));

    const auto irregular = blockLengths(100000, 64, 42u);
    EXPECT_EQ(std::accumulate(irregular.begin(), irregular.end(), std::size_t {0}), 100000u);
    std::set<int> seen(irregular.begin(), irregular.end());
    EXPECT_EQ(*seen.begin(), 1);
    EXPECT_EQ(*seen.rbegin(), 64);
    EXPECT_GT(seen.size(), 60u); // nearly every length occurs
    EXPECT_EQ(blockLengths(100000, 64, 42u), irregular); // a seed names one pattern
    EXPECT_NE(blockLengths(100000, 64, 43u), irregular);
    EXPECT_TRUE(blockLengths(0, 512, std::nullopt).empty());
}
