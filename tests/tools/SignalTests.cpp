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

TEST(DemoPhrase, SingleNotesAreInTune)
{
    // The melodic line from 4 s on: E4 G4 A4 B4 D5 B4 A4 G4, one per eighth note at
    // 120 beats per minute. Each note's period, measured by autocorrelation near
    // the expected period, must be within 5 cents of equal temperament.
    const Audio demo = makeDemoPhrase();
    const double notes[] = {64, 67, 69, 71, 74, 71, 69, 67};
    const auto& x = demo.channels[0];
    for (int k = 0; k < 8; ++k)
    {
        const double expected = 44100.0 / (440.0 * std::pow(2.0, (notes[k] - 69.0) / 12.0));
        const std::size_t start = static_cast<std::size_t>((4.05 + 0.25 * k) * 44100.0), length = 6000;
        auto correlation = [&](int lag) {
            double c = 0.0, e0 = 0.0, e1 = 0.0;
            for (std::size_t i = start; i < start + length; ++i)
            {
                const double a = x[i], b = x[i + static_cast<std::size_t>(lag)];
                c += a * b;
                e0 += a * a;
                e1 += b * b;
            }
            return c / std::sqrt(e0 * e1);
        };
        int best = 0;
        double bestValue = -2.0;
        for (int lag = static_cast<int>(expected * 0.8); lag <= static_cast<int>(expected * 1.2); ++lag)
            if (const double r = correlation(lag); r > bestValue)
                bestValue = r, best = lag;
        // Parabolic interpolation between the neighbouring lags.
        const double a = correlation(best - 1), c = correlation(best + 1);
        const double period = best + 0.5 * (a - c) / (a - 2.0 * bestValue + c);
        EXPECT_NEAR(1200.0 * std::log2(period / expected), 0.0, 5.0) << "note " << notes[k];
    }
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
