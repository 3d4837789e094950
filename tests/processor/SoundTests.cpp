#include "ProcessorTestSupport.h"

#include "processor/ParameterScaler.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace morvane3;

namespace
{
constexpr int fadeAndSettle = 40000; // past the plug's fade and 2 x 16384 after every segment's reset

class SoundTest : public ::testing::TestWithParam<double>
{
protected:
    void SetUp() override { proctest::ensureJuceRuntime(); }

    // Output for a unit impulse on the left input after the fade, `tail` samples long.
    std::vector<std::vector<float>> impulseResponseOf(Morvane3AudioProcessor& processor, int tail, int blockSize = 512)
    {
        proctest::run(processor, proctest::silence(2, fadeAndSettle), blockSize);
        auto input = proctest::silence(2, tail);
        input[0][0] = 1.0f;
        return proctest::run(processor, input, blockSize);
    }

    static void expectClose(const std::vector<float>& actual, const std::vector<double>& expected, const char* what)
    {
        const double scale = proctest::peak(expected);
        ASSERT_GT(scale, 1.0e-3) << what;
        EXPECT_LT(proctest::maxAbsDifference(actual, expected, 0, actual.size()), 2.0e-4 * scale) << what;
    }

    static bool allZero(const std::vector<float>& x)
    {
        for (auto v : x)
            if (v != 0.0f)
                return false;
        return true;
    }
};

std::vector<double> sum(const std::vector<double>& a, const std::vector<double>& b)
{
    std::vector<double> s(std::max(a.size(), b.size()), 0.0);
    for (size_t i = 0; i < a.size(); ++i)
        s[i] += a[i];
    for (size_t i = 0; i < b.size(); ++i)
        s[i] += b[i];
    return s;
}
} // namespace

TEST_P(SoundTest, DefaultSettingsGiveAnEighthOfTheFilteredResponseOnTheImpulsedSideOnly)
{
    const double rate = GetParam();
    Morvane3AudioProcessor processor;
    processor.prepareToPlay(rate, 512);
    const auto ir = proctest::referenceImpulseResponse("1960 121 On Axis Close", rate);
    ASSERT_FALSE(ir.empty());
    const int tail = (int) ir.size() + 2000;

    const auto out = impulseResponseOf(processor, tail);
    // Each channel: level 0.5; both channels summed; output level 0.5.
    const auto channel = proctest::channelImpulseResponse(ir, rate, 20.0, 14000.0, 0.5);
    std::vector<double> expected(channel);
    for (auto& x : expected)
        x *= 2.0 * 0.5;
    expectClose(out[0], expected, "left");
    EXPECT_TRUE(allZero(out[1]));

    // The same impulse in other block sizes, including ones longer than prepared.
    for (int blockSize : { 37, 4096 })
    {
        const auto again = impulseResponseOf(processor, tail, blockSize);
        expectClose(again[0], expected, "other block size");
    }
}

TEST_P(SoundTest, MutesBypassesAndLevels)
{
    const double rate = GetParam();
    Morvane3AudioProcessor processor;
    processor.prepareToPlay(rate, 256);
    const auto ir = proctest::referenceImpulseResponse("1960 121 On Axis Close", rate);
    const int tail = (int) ir.size() + 1000;

    processor.setParameterValue(c1Mute, 1.0f);
    processor.setParameterValue(c2Mute, 1.0f);
    EXPECT_TRUE(allZero(impulseResponseOf(processor, tail)[0]));

    // C2 alone, every stage bypassed (the low-pass stage keeps the level), output at full level.
    processor.setParameterValue(c2Mute, 0.0f);
    for (int index : { c2HPFBypass, c2LMFBypass, c2HMFBypass, c2LPFBypass })
        processor.setParameterValue(index, 1.0f);
    processor.setParameterValue(outputLevel, 1.0f);
    processor.setParameterValue(c2Level, 0.25f);
    expectClose(impulseResponseOf(processor, tail)[0],
                proctest::channelImpulseResponse(ir, rate, 20.0, 14000.0, 0.25, true), "bypassed");

    // The peaks at +6 dB and -6 dB are no longer transparent.
    processor.setParameterValue(c2LMFBypass, 0.0f);
    processor.setParameterValue(c2LMLevel, 1.0f);
    processor.setParameterValue(c2HMFBypass, 0.0f);
    processor.setParameterValue(c2HMLevel, 0.0f);
    auto expected = proctest::channelImpulseResponse(ir, rate, 20.0, 14000.0, 0.25, true);
    expected = proctest::Biquad::peak(300.0, 1.0 / 1.4, 6.0, rate).run(expected);
    expected = proctest::Biquad::peak(4000.0, 1.0 / 0.7, -6.0, rate).run(expected);
    expectClose(impulseResponseOf(processor, tail)[0], expected, "peaks");
}

TEST_P(SoundTest, HostAutomationOfAFilterAndACabinetChangesTheSound)
{
    const double rate = GetParam();
    Morvane3AudioProcessor processor;
    processor.prepareToPlay(rate, 512);
    auto& parameters = processor.getParameters();
    const auto first = proctest::referenceImpulseResponse("1960 121 On Axis Close", rate);
    const auto second = proctest::referenceImpulseResponse("Motown 121 On Axis Close", rate);
    ASSERT_FALSE(second.empty());
    const int tail = (int) first.size() + 1000;

    parameters[c1HPF]->setValueNotifyingHost(1.0f); // 120 Hz on C1
    parameters[c2Cabinet]->setValueNotifyingHost(0.2f);
    processor.applyPendingSelectionChanges(); // what the timer does on the message thread
    EXPECT_EQ(processor.getLoadedImpulseResponseName(1), "Motown 121 On Axis Close");

    auto c1 = proctest::channelImpulseResponse(first, rate, 120.0, 14000.0, 0.5 * 0.5);
    auto c2 = proctest::channelImpulseResponse(second, rate, 20.0, 14000.0, 0.5 * 0.5);
    expectClose(impulseResponseOf(processor, tail)[0], sum(c1, c2), "automated");
}

TEST_P(SoundTest, InstancesAtOtherRatesDoNotDisturbEachOther)
{
    const double rate = GetParam();
    Morvane3AudioProcessor processor, other;
    processor.prepareToPlay(rate, 512);
    other.prepareToPlay(rate == 44100.0 ? 96000.0 : 44100.0, 128); // changes the library's settings
    other.setParameterValue(c1Cabinet, 0.05f);
    other.applyPendingSelectionChanges();
    processor.setParameterValue(c2Cabinet, 0.2f); // built after the other instance's preparation
    processor.applyPendingSelectionChanges();
    proctest::run(other, proctest::silence(2, 4096), 128);

    const auto first = proctest::referenceImpulseResponse("1960 121 On Axis Close", rate);
    const auto second = proctest::referenceImpulseResponse("Motown 121 On Axis Close", rate);
    auto c1 = proctest::channelImpulseResponse(first, rate, 20.0, 14000.0, 0.25);
    auto c2 = proctest::channelImpulseResponse(second, rate, 20.0, 14000.0, 0.25);
    expectClose(impulseResponseOf(processor, (int) second.size() + 1000)[0], sum(c1, c2), "beside another instance");
}

INSTANTIATE_TEST_SUITE_P(Rates, SoundTest, ::testing::Values(44100.0, 48000.0));

namespace
{
// Gain in dB of `x` at `frequency`, relative to `reference` (same length).
double relativeGainDb(const std::vector<float>& x, const std::vector<float>& reference, double frequency, double rate)
{
    const auto magnitude = [&](const std::vector<float>& y) {
        double re = 0.0, im = 0.0;
        for (size_t n = 0; n < y.size(); ++n)
        {
            re += (double) y[n] * std::cos(2.0 * M_PI * frequency * (double) n / rate);
            im -= (double) y[n] * std::sin(2.0 * M_PI * frequency * (double) n / rate);
        }
        return std::hypot(re, im);
    };
    return 20.0 * std::log10(magnitude(x) / magnitude(reference));
}
} // namespace

TEST(SoundAtUnusualRates, FiltersKeepTheirCornersInHertz)
{
    // At their corners the high-pass (Q 1.4) lifts by 20 log 1.4 = +2.9 dB and
    // the low-pass (Q 0.7) cuts by 20 log 0.7 = -3.1 dB, whatever the rate.
    proctest::ensureJuceRuntime();
    for (const double rate : { 176400.0, 32000.0, 22050.0 })
    {
        Morvane3AudioProcessor processor;
        processor.prepareToPlay(rate, 512);
        processor.setParameterValue(c2Mute, 1.0f);
        processor.setParameterValue(c1HPF, 1.0f); // 120 Hz
        processor.setParameterValue(c1LPF, 0.0f); // 7000 Hz
        const int length = (int) (0.6 * rate);
        proctest::run(processor, proctest::silence(2, fadeAndSettle), 512);
        auto input = proctest::silence(2, length);
        input[0][0] = 1.0f;
        const auto filtered = proctest::run(processor, input, 512)[0];
        processor.setParameterValue(c1HPFBypass, 1.0f);
        processor.setParameterValue(c1LPFBypass, 1.0f);
        const auto plain = proctest::run(processor, input, 512)[0];

        EXPECT_NEAR(relativeGainDb(filtered, plain, 120.0, rate), 20.0 * std::log10(1.4), 0.1) << rate;
        EXPECT_NEAR(relativeGainDb(filtered, plain, 7000.0, rate), 20.0 * std::log10(0.7), 0.1) << rate;
        EXPECT_EQ(processor.getParameterValue(sampleRateIndex), (float) rate);
    }
}

TEST(SoundBeforePreparation, ProcessBlockOutputsSilence)
{
    proctest::ensureJuceRuntime();
    Morvane3AudioProcessor processor;
    auto input = proctest::silence(2, 300);
    input[0].assign(300, 0.5f);
    input[1].assign(300, -0.5f);
    const auto out = proctest::run(processor, input, 100);
    for (const auto& channel : out)
        for (auto v : channel)
            ASSERT_EQ(v, 0.0f);
}
