#include "editor/TooltipText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using namespace morvane3;

TEST(KnobTooltips, FrequencyAndGainPrintWithoutTrailingZeros)
{
    EXPECT_EQ(frequencyTooltip("High Pass Filter: ", 20.0), "High Pass Filter: 20 Hz");
    EXPECT_EQ(frequencyTooltip("High Mid Frequency: ", 10000.0), "High Mid Frequency: 10000 Hz");
    EXPECT_EQ(gainTooltip("Low Mid Level: ", -1.5), "Low Mid Level: -1.5 dB");
    EXPECT_EQ(gainTooltip("Low Mid Level: ", 0.0), "Low Mid Level: 0 dB");
    EXPECT_EQ(formatKnobNumber(0.1), "0.1");
    EXPECT_EQ(formatKnobNumber(123456789.0), "123456789");
    EXPECT_EQ(formatKnobNumber(1234567891.0), "1.23456789e+09");
}

TEST(KnobTooltips, LevelReadsDecibelsWithOneDecimalAndSign)
{
    EXPECT_EQ(levelTooltip("Channel 1 Level: ", 0.5), "Channel 1 Level: -6.0 dB");
    EXPECT_EQ(levelTooltip("Master Level: ", 1.0), "Master Level: +0.0 dB");
    EXPECT_EQ(levelTooltip("Master Level: ", 0.0), "Master Level: -INF dB");
    EXPECT_EQ(decibelText(2.0), "+6.0 dB");
    EXPECT_EQ(decibelText(0.99), "-0.1 dB");
}

TEST(KnobTooltips, LevelAtOrBelowTheFloorIsMinusInfinity)
{
    EXPECT_EQ(decibelText(1e-5), "-INF dB");  // exactly -100 dB
    EXPECT_EQ(decibelText(1e-7), "-INF dB");
    EXPECT_EQ(decibelText(-0.5), "-INF dB");
    EXPECT_EQ(decibelText(1.2e-5), "-98.4 dB");
}

TEST(KnobTooltips, EveryLevelKnobStepMatchesAnIndependentDecibelFormula)
{
    for (int step = 1; step <= 100; ++step)
    {
        const double gain = step * 0.01;
        char expected[32];
        std::snprintf(expected, sizeof(expected), "%+.1f dB", 20.0 * std::log10(gain));
        EXPECT_EQ(decibelText(gain), juce::String(expected)) << gain;
    }
}
