// Biquad filters: measured magnitude responses against the cookbook formulas
// in double precision, the fast path, sanitising, the frequency clamp and the
// sample rate captured at construction.
#include "GraphTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <iterator>
#include <limits>

using namespace tovdsp;
using graphtest::SignalNode;

namespace
{
enum class Kind
{
    low,
    high,
    peak
};

const double pi = std::acos(-1.0);

// |H| in dB of the cookbook filter, all in double.
double referenceDb(Kind kind, double f0, double inverseQ, double gainDb, double rate, double f)
{
    const double w0 = 2.0 * pi * f0 / rate;
    const double alpha = std::sin(w0) * 0.5 * inverseQ;
    const double c = std::cos(w0);
    double b[3], a[3];
    if (kind == Kind::peak)
    {
        const double amp = std::pow(10.0, gainDb / 40.0);
        b[0] = 1 + alpha * amp, b[1] = -2 * c, b[2] = 1 - alpha * amp;
        a[0] = 1 + alpha / amp, a[1] = -2 * c, a[2] = 1 - alpha / amp;
    }
    else
    {
        const double sign = kind == Kind::low ? -1.0 : 1.0;
        b[0] = (1 + sign * c) / 2, b[1] = kind == Kind::low ? 1 - c : -(1 + c), b[2] = b[0];
        a[0] = 1 + alpha, a[1] = -2 * c, a[2] = 1 - alpha;
    }
    const std::complex<double> z1 = std::polar(1.0, -2.0 * pi * f / rate);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> h = (b[0] + b[1] * z1 + b[2] * z2) / (a[0] + a[1] * z1 + a[2] * z2);
    return 20.0 * std::log10(std::abs(h));
}

TovDSPArray makeFilter(Kind kind, const TovDSPArray& signal, const TovDSPArray& f, const TovDSPArray& q, const TovDSPArray& g)
{
    if (kind == Kind::low)
        return BLowPass(signal, f, q, 1.0f, 0.0f);
    if (kind == Kind::high)
        return BHiPass(signal, f, q, 1.0f, 0.0f);
    return BPeakEQ(signal, f, q, g, 1.0f, 0.0f);
}

std::vector<float> noise(size_t n)
{
    std::vector<float> out(n);
    unsigned int state = 12345u;
    for (auto& x : out)
    {
        state = state * 1664525u + 1013904223u;
        x = static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
    }
    return out;
}

// Measured |H| in dB from the impulse response (DFT at one frequency).
double measuredDb(const std::vector<float>& h, double rate, double f)
{
    std::complex<double> sum = 0.0;
    for (size_t n = 0; n < h.size(); ++n)
        sum += static_cast<double>(h[n]) * std::polar(1.0, -2.0 * pi * f * static_cast<double>(n) / rate);
    return 20.0 * std::log10(std::abs(sum));
}

BEQBaseTovDSPInternal* filterNode(const TovDSPArray& array)
{
    return static_cast<BEQBaseTovDSPInternal*>(array.node(0));
}
} // namespace

TEST(Biquad, MagnitudeResponsesFollowTheCookbookFormulas)
{
    graphtest::SettingsGuard guard;
    struct Case
    {
        Kind kind;
        double rate, f0, inverseQ, gain;
        std::vector<double> probes;
    };
    const Case cases[] = {
        { Kind::low, 44100.0, 1000.0, 1.0 / 0.7071, 0.0, { 100.0, 1000.0, 5000.0, 14000.0 } },
        { Kind::low, 96000.0, 14000.0, 1.0, 0.0, { 1000.0, 14000.0, 30000.0 } },
        { Kind::high, 44100.0, 80.0, 1.4, 0.0, { 20.0, 80.0, 1000.0 } },
        { Kind::peak, 44100.0, 1000.0, 1.0, 6.0, { 100.0, 1000.0, 3000.0 } },
        { Kind::peak, 48000.0, 3500.0, 2.0, -12.0, { 500.0, 3500.0, 12000.0 } },
        // Low corners at a high rate, where the poles crowd z = 1.
        { Kind::high, 768000.0, 20.0, 1.0 / 1.4, 0.0, { 20.0, 40.0, 110.0 } },
        { Kind::peak, 768000.0, 100.0, 1.0 / 1.4, -12.0, { 50.0, 100.0, 300.0 } },
    };
    for (const Case& c : cases)
    {
        setSampleRateAndBlockSize(256, c.rate);
        // Long enough for the slowest response here (20 Hz) to decay by 100 dB.
        const int length = std::max(16384, static_cast<int>(0.3 * c.rate) / 256 * 256);
        std::vector<float> impulse(static_cast<size_t>(length), 0.0f);
        impulse[0] = 1.0f;
        TovDSPArray filter = makeFilter(c.kind, TovDSPArray(new SignalNode(impulse)), static_cast<float>(c.f0),
                                        static_cast<float>(c.inverseQ), static_cast<float>(c.gain));
        const std::vector<float> h = graphtest::render(filter, 1, length, 256)[0];
        for (double f : c.probes)
            EXPECT_NEAR(measuredDb(h, c.rate, f), referenceDb(c.kind, c.f0, c.inverseQ, c.gain, c.rate, f), 0.01)
                << "kind " << static_cast<int>(c.kind) << " at " << f << " Hz";
    }
    // Sanity of the reference itself: -3 dB at a Butterworth corner, the full gain at the peak.
    EXPECT_NEAR(referenceDb(Kind::low, 1000.0, std::sqrt(2.0), 0.0, 44100.0, 1000.0), -3.0103, 1e-3);
    EXPECT_NEAR(referenceDb(Kind::peak, 1000.0, 1.0, 6.0, 44100.0, 1000.0), 6.0, 1e-9);
}

TEST(Biquad, TheFastPathMatchesTheSampleBySamplePathBitForBit)
{
    const std::vector<float> input = noise(4096);
    TovDSPArray fast = BPeakEQ(TovDSPArray(new SignalNode(input)), 700.0f, 0.8f, 4.5f, 1.0f, 0.0f);
    TovDSPArray slow = BPeakEQ(TovDSPArray(new SignalNode(input)), 700.0f, 0.8f, 4.5f, 1.0f, 0.0f);
    for (int block = 0; block < 32; ++block)
    {
        filterNode(slow)->lastFrequency = -1.0f; // forces per-sample coefficients
        const auto a = graphtest::pullBlock(fast, 0, 128, block * 128);
        const auto b = graphtest::pullBlock(slow, 0, 128, block * 128);
        ASSERT_EQ(a, b) << "block " << block;
        EXPECT_EQ(filterNode(fast)->lastFrequency, 700.0f);
    }
}

TEST(Biquad, OnlyTheFirstParameterSampleOfABlockIsCompared)
{
    const std::vector<float> input = noise(256);
    std::vector<float> lateChange(256, 2000.0f), earlyChange(256, 2000.0f);
    std::fill(lateChange.begin() + 140, lateChange.end(), 5000.0f);  // inside block 2, first sample unchanged
    std::fill(earlyChange.begin() + 128, earlyChange.end(), 5000.0f); // block 2 starts changed
    TovDSPArray reference = BLowPass(TovDSPArray(new SignalNode(input)), 2000.0f, 1.0f, 1.0f, 0.0f);
    TovDSPArray late = BLowPass(TovDSPArray(new SignalNode(input)), TovDSPArray(new SignalNode(lateChange)), 1.0f, 1.0f, 0.0f);
    TovDSPArray early = BLowPass(TovDSPArray(new SignalNode(input)), TovDSPArray(new SignalNode(earlyChange)), 1.0f, 1.0f, 0.0f);
    const auto r = graphtest::render(reference, 1, 256, 128)[0];
    const auto l = graphtest::render(late, 1, 256, 128)[0];
    const auto e = graphtest::render(early, 1, 256, 128)[0];
    EXPECT_EQ(l, r);
    EXPECT_EQ(std::vector<float>(e.begin(), e.begin() + 128), std::vector<float>(r.begin(), r.begin() + 128));
    EXPECT_NE(e[128], r[128]);
    EXPECT_EQ(filterNode(early)->lastFrequency, 5000.0f);
}

TEST(Biquad, StateOutsideTheSaneRangeIsCleared)
{
    TovDSPArray filter = BHiPass(0.0f, 500.0f, 1.0f, 1.0f, 0.0f);
    BEQBaseTovDSPInternal* node = filterNode(filter);
    node->setCurrentValue(1e-20f);
    EXPECT_EQ(node->state1, 0.0f);
    node->setCurrentValue(std::nanf(""));
    EXPECT_EQ(node->state2, 0.0f);
    node->setCurrentValue(2e15f);
    EXPECT_EQ(node->state1, 0.0f);
    node->setCurrentValue(0.5f);
    EXPECT_EQ(node->state1, 0.5f);
    EXPECT_EQ(node->state2, 0.5f);
    EXPECT_EQ(node->currentValue(0), 0.5f);

    graphtest::pullBlock(filter, 0, 16, 0);
    // A delay line that holds its value: w = state1, silence in, nothing out.
    node->b0 = node->b1 = node->b2 = node->feedback2 = 0.0f;
    node->feedback1 = 1.0f;
    const float probes[] = { 1e-16f, -1e-16f, 2e15f, std::nanf(""), std::numeric_limits<float>::infinity(), 0.5f, -3e14f };
    const float expected[] = { 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, -3e14f };
    for (size_t i = 0; i < std::size(probes); ++i)
    {
        node->state1 = probes[i];
        graphtest::pullBlock(filter, 0, 16, 16 * static_cast<int>(i + 1));
        EXPECT_EQ(node->state1, expected[i]) << probes[i];
        EXPECT_EQ(node->state2, expected[i]) << probes[i];
    }
}

TEST(Biquad, FrequenciesAreClampedToAStableRange)
{
    graphtest::SettingsGuard guard;
    setSampleRateAndBlockSize(128, 22050.0);
    const std::vector<float> input = noise(128 * 200);
    TovDSPArray filter = BLowPass(TovDSPArray(new SignalNode(input)), 14000.0f, 0.5f, 1.0f, 0.0f);
    float peak = 0.0f;
    for (int block = 0; block < 200; ++block)
        for (float y : graphtest::pullBlock(filter, 0, 128, block * 128))
        {
            ASSERT_TRUE(std::isfinite(y));
            peak = std::max(peak, std::fabs(y));
        }
    EXPECT_LT(peak, 10.0f);

    auto coefficients = [](BEQBaseTovDSPInternal* node, float f) {
        node->setCoefficients(f, 0.5f, 0.0f);
        return std::vector<double> { node->b0, node->b1, node->b2, node->feedback1, node->feedback2 };
    };
    BEQBaseTovDSPInternal* node = filterNode(filter);
    const auto atLimit = coefficients(node, 20000.0f); // above 0.49 x 22050
    EXPECT_EQ(coefficients(node, 14000.0f), atLimit);
    EXPECT_EQ(coefficients(node, std::numeric_limits<float>::infinity()), atLimit);
    const auto atOneHz = coefficients(node, 1.0f);
    EXPECT_EQ(coefficients(node, std::nanf("")), atOneHz);
    EXPECT_EQ(coefficients(node, -50.0f), atOneHz);
    EXPECT_EQ(coefficients(node, 0.0f), atOneHz);
    EXPECT_NE(coefficients(node, 10000.0f), atLimit);
}

TEST(Biquad, ANodeKeepsTheSampleRateItWasBuiltWith)
{
    graphtest::SettingsGuard guard;
    std::vector<float> impulse(512, 0.0f);
    impulse[0] = 1.0f;
    setSampleRateAndBlockSize(128, 44100.0);
    TovDSPArray before = BLowPass(TovDSPArray(new SignalNode(impulse)), 3000.0f, 1.0f, 1.0f, 0.0f);
    setSampleRateAndBlockSize(128, 96000.0);
    TovDSPArray clone = before.channel(0);
    EXPECT_EQ(filterNode(clone)->sampleDuration, 1.0 / 44100.0);
    const auto built44 = graphtest::render(before, 1, 512, 128)[0];
    TovDSPArray built96 = BLowPass(TovDSPArray(new SignalNode(impulse)), 3000.0f, 1.0f, 1.0f, 0.0f);
    setSampleRateAndBlockSize(128, 44100.0);
    TovDSPArray fresh44 = BLowPass(TovDSPArray(new SignalNode(impulse)), 3000.0f, 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(built44, graphtest::render(fresh44, 1, 512, 128)[0]);
    EXPECT_NE(built44, graphtest::render(built96, 1, 512, 128)[0]);
}

TEST(Biquad, FactoriesPrimeFromCurrentValuesAndIgnoreGainWhereItHasNoMeaning)
{
    TovDSPArray peak = BPeakEQ(TovDSPArray(0.5f), 1000.0f, 1.0f, TovDSPArray(2.0f), 1.0f, 0.0f);
    EXPECT_EQ(filterNode(peak)->state1, 1.0f);
    EXPECT_EQ(peak.node(0)->currentValue(0), 1.0f);
    TovDSPArray low = BLowPass(TovDSPArray(0.25f), 1000.0f, 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(filterNode(low)->state2, 0.25f);

    BEQBaseTovDSPInternal* node = filterNode(low);
    node->setCoefficients(800.0f, 0.7f, 12.0f);
    const double b0 = node->b0, f2 = node->feedback2;
    node->setCoefficients(800.0f, 0.7f, -30.0f);
    EXPECT_EQ(node->b0, b0);
    EXPECT_EQ(node->feedback2, f2);

    // Width follows the widest argument; a scaled result wraps the filters.
    TovDSPInternal* pair[2] = { new SignalNode({}), new SignalNode({}) };
    TovDSPArray stereo(pair, 2);
    TovDSPArray two = BHiPass(TovDSPArray(0.0f), 100.0f, TovDSPArray(stereo), 1.0f, 0.0f);
    EXPECT_EQ(two.width, 2u);
    EXPECT_NE(dynamic_cast<BHiPassTovDSPInternal*>(two.node(1)), nullptr);
    TovDSPArray scaled = BHiPass(stereo, 100.0f, 1.0f, 0.5f, 0.0f);
    EXPECT_NE(dynamic_cast<BinaryMultiplyTovDSPInternal*>(scaled.node(1)), nullptr);

    // 0 dB: the peaking filter passes the signal.
    const std::vector<float> input = noise(1024);
    TovDSPArray flat = BPeakEQ(TovDSPArray(new SignalNode(input)), 1000.0f, 1.0f, 0.0f, 1.0f, 0.0f);
    const auto out = graphtest::render(flat, 1, 1024, 256)[0];
    for (size_t i = 0; i < out.size(); ++i)
        EXPECT_NEAR(out[i], input[i], 1e-5f) << i;
}
