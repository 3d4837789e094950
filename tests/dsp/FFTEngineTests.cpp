#include "dsp/FFTEngine.h"

#include "support/ReferenceConvolution.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace tovdsp;

namespace
{
struct Spectrum
{
    explicit Spectrum(int half) : re(static_cast<size_t>(half)), im(static_cast<size_t>(half)) {}
    PackedSpectrum packed() { return {re.data(), im.data()}; }
    std::vector<float> re, im;
};

// Bin k of the DFT of x, in double.
std::complex<double> dftBin(const std::vector<float>& x, int k)
{
    const double n = static_cast<double>(x.size());
    std::complex<double> sum = 0.0;
    for (size_t t = 0; t < x.size(); ++t)
        sum += static_cast<double>(x[t]) * std::polar(1.0, -2.0 * M_PI * k * static_cast<double>(t) / n);
    return sum;
}
} // namespace

TEST(FFTEngine, SizeIsRaisedToAPowerOfTwo)
{
    EXPECT_EQ(FFTEngineInternal(1000).size, 1024);
    EXPECT_EQ(FFTEngineInternal(1024).size, 1024);
    const FFTEngineInternal small(16);
    EXPECT_EQ(small.size, 16);
    EXPECT_EQ(small.halfSize, 8);
    EXPECT_EQ(small.frameBytes, 64);
}

TEST(FFTEngine, EverySizeTheConvolutionUsesIsPlannedFromTheBuiltInWisdom)
{
    // Wisdom that no longer matches the engines' problems (layout, placement,
    // alignment or sizes changed on one side only) would silently fall back
    // to slower estimated plans.
    for (int log2Size = 4; log2Size <= 15; ++log2Size)
        EXPECT_TRUE(FFTEngineInternal(1 << log2Size).measuredPlans) << "size " << (1 << log2Size);
}

TEST(FFTEngine, ForwardTransformMatchesADirectDFTInThePackedLayout)
{
    for (int n : {2, 4, 8, 16, 32, 64, 256})
    {
        FFTEngineInternal engine(n);
        const std::vector<float> x = testsupport::noise(static_cast<size_t>(n), 11u + static_cast<unsigned>(n));
        Spectrum s(n / 2);
        forwardTransform(engine, x.data(), s.packed());
        // Single-precision FFT error grows like log2(N) * eps * |x| * sqrt(N).
        const double tolerance = 1e-5 * std::sqrt(static_cast<double>(n)) * std::log2(n);
        EXPECT_NEAR(s.re[0], dftBin(x, 0).real(), tolerance);
        EXPECT_NEAR(s.im[0], dftBin(x, n / 2).real(), tolerance) << "Nyquist in im[0]";
        for (int k = 1; k < n / 2; ++k)
        {
            const std::complex<double> expected = dftBin(x, k);
            EXPECT_NEAR(s.re[static_cast<size_t>(k)], expected.real(), tolerance) << n << " bin " << k;
            EXPECT_NEAR(s.im[static_cast<size_t>(k)], expected.imag(), tolerance) << n << " bin " << k;
        }
    }
}

TEST(FFTEngine, DCAndNyquistInputsLandInTheFirstEntries)
{
    const int n = 32;
    FFTEngineInternal engine(n);
    std::vector<float> ones(n, 1.0f), alternating(n);
    for (int t = 0; t < n; ++t)
        alternating[static_cast<size_t>(t)] = (t % 2 == 0) ? 1.0f : -1.0f;

    Spectrum dc(n / 2), nyquist(n / 2);
    forwardTransform(engine, ones.data(), dc.packed());
    forwardTransform(engine, alternating.data(), nyquist.packed());
    for (int k = 0; k < n / 2; ++k)
    {
        EXPECT_EQ(dc.re[static_cast<size_t>(k)], k == 0 ? n : 0.0f);
        EXPECT_EQ(dc.im[static_cast<size_t>(k)], 0.0f);
        EXPECT_EQ(nyquist.re[static_cast<size_t>(k)], 0.0f);
        EXPECT_EQ(nyquist.im[static_cast<size_t>(k)], k == 0 ? n : 0.0f);
    }
}

TEST(FFTEngine, InverseOfForwardIsNTimesTheInput)
{
    for (int n : {4, 16, 512, 16384})
    {
        FFTEngineInternal engine(n);
        const std::vector<float> x = testsupport::noise(static_cast<size_t>(n), 5u);
        Spectrum s(n / 2);
        forwardTransform(engine, x.data(), s.packed());
        std::vector<float> back(static_cast<size_t>(n));
        inverseTransform(engine, s.packed(), back.data());
        for (int t = 0; t < n; ++t)
            ASSERT_NEAR(back[static_cast<size_t>(t)], n * x[static_cast<size_t>(t)], n * 2e-6 * std::log2(n))
                << n << " sample " << t;

        // The end of a frame: the sum of an accumulator and one more product,
        // inverse transformed and scaled, bit for bit what the separate steps
        // give, with the accumulator cleared and the operands untouched.
        Spectrum acc(n / 2), b(n / 2);
        const std::vector<float> values = testsupport::noise(static_cast<size_t>(2 * n), 9u);
        std::copy(values.begin(), values.begin() + n / 2, acc.re.begin());
        std::copy(values.begin() + n / 2, values.begin() + n, acc.im.begin());
        std::copy(values.begin() + n, values.begin() + 3 * n / 2, b.re.begin());
        std::copy(values.begin() + 3 * n / 2, values.end(), b.im.begin());
        Spectrum sum = acc;
        multiplyAccumulate(sum.packed(), s.packed(), b.packed(), n / 2);
        std::vector<float> expected(static_cast<size_t>(n));
        inverseTransform(engine, sum.packed(), expected.data());
        const Spectrum kept = s, keptB = b;
        std::vector<float> firstHalf(static_cast<size_t>(n / 2) + 1, -1.0f);
        inverseTransformOfSumScaled(engine, acc.packed(), s.packed(), b.packed(), firstHalf.data(), n / 2, 0.125f);
        for (int t = 0; t < n / 2; ++t)
            ASSERT_EQ(firstHalf[static_cast<size_t>(t)], expected[static_cast<size_t>(t)] * 0.125f)
                << n << " sample " << t;
        EXPECT_EQ(firstHalf.back(), -1.0f) << "nothing written past the requested count";
        EXPECT_TRUE(s.re == kept.re && s.im == kept.im && b.re == keptB.re && b.im == keptB.im);
        EXPECT_TRUE(std::all_of(acc.re.begin(), acc.re.end(), [](float v) { return v == 0.0f; }));
        EXPECT_TRUE(std::all_of(acc.im.begin(), acc.im.end(), [](float v) { return v == 0.0f; }));
    }
}

TEST(MultiplyAccumulate, AddsTheComplexProductPerBinAndLeavesOperandsAlone)
{
    for (int bins : {8, 64, 6})
    {
        Spectrum acc(bins), a(bins), b(bins);
        const auto values = testsupport::noise(static_cast<size_t>(6 * bins), 3u + static_cast<unsigned>(bins));
        for (int k = 0; k < bins; ++k)
        {
            const size_t i = static_cast<size_t>(k);
            acc.re[i] = values[i];
            acc.im[i] = values[i + static_cast<size_t>(bins)];
            a.re[i] = values[i + 2 * static_cast<size_t>(bins)];
            a.im[i] = values[i + 3 * static_cast<size_t>(bins)];
            b.re[i] = values[i + 4 * static_cast<size_t>(bins)];
            b.im[i] = values[i + 5 * static_cast<size_t>(bins)];
        }
        const Spectrum accBefore = acc, aBefore = a, bBefore = b;
        multiplyAccumulate(acc.packed(), a.packed(), b.packed(), bins);

        EXPECT_EQ(a.re, aBefore.re);
        EXPECT_EQ(a.im, aBefore.im);
        EXPECT_EQ(b.re, bBefore.re);
        EXPECT_EQ(b.im, bBefore.im);

        // Bin 0 holds two real values: DC and Nyquist multiply separately.
        EXPECT_FLOAT_EQ(acc.re[0], accBefore.re[0] + a.re[0] * b.re[0]);
        EXPECT_FLOAT_EQ(acc.im[0], accBefore.im[0] + a.im[0] * b.im[0]);
        for (size_t k = 1; k < static_cast<size_t>(bins); ++k)
        {
            const std::complex<double> product = std::complex<double>(a.re[k], a.im[k]) * std::complex<double>(b.re[k], b.im[k]);
            EXPECT_NEAR(acc.re[k], static_cast<double>(accBefore.re[k]) + product.real(), 1e-6) << bins << " bin " << k;
            EXPECT_NEAR(acc.im[k], static_cast<double>(accBefore.im[k]) + product.imag(), 1e-6) << bins << " bin " << k;
        }
    }
}

TEST(FFTEngine, PlannerCallsFromSeveralThreadsAreSerialised)
{
    // Without one lock around the planner, concurrent plan creation and
    // destruction corrupts FFTW's internal tables.
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 40; ++i)
            {
                const int n = 16 << ((i + t) % 8);
                FFTEngineInternal engine(n);
                std::vector<float> x(static_cast<size_t>(n), 0.0f), back(static_cast<size_t>(n));
                x[1] = 1.0f;
                std::vector<float> re(static_cast<size_t>(n / 2)), im(static_cast<size_t>(n / 2));
                forwardTransform(engine, x.data(), {re.data(), im.data()});
                inverseTransform(engine, {re.data(), im.data()}, back.data());
                if (std::abs(back[1] - static_cast<float>(n)) > 1e-3f * static_cast<float>(n))
                    ++failures[static_cast<size_t>(t)];
            }
        });
    for (auto& thread : threads)
        thread.join();
    for (int f : failures)
        EXPECT_EQ(f, 0);
}

TEST(FFTEngineDeathTest, OnlyTheFirstEngineOfTheProcessAnnouncesItself)
{
    // A fresh process, so that no engine exists before the capture starts.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            testing::internal::CaptureStdout();
            {
                FFTEngineInternal first(64);
                FFTEngineInternal second(128);
            }
            FFTEngineInternal third(32);
            const std::string printed = testing::internal::GetCapturedStdout();
            std::exit(printed == "FFTEngine using FFTW\n" ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
