// The plug: steady playing, linear crossfades and their end, replugging
// during a fade, and the sample duration captured at construction.
#include "GraphTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tovdsp;
using graphtest::ProbeNode;
using graphtest::RecordingDeleter;

namespace
{
PlugTovDSPInternal* plugOf(const TovDSPArray& array)
{
    return static_cast<PlugTovDSPInternal*>(array.node(0));
}

float expectedFadeStep(double duration, float seconds)
{
    return static_cast<float>(static_cast<double>(static_cast<float>(duration)) / static_cast<double>(seconds));
}
} // namespace

TEST(Plug, StartsFromTheSourcesCurrentValuesAndPlaysItSteadily)
{
    TovDSPInternal* pair[2] = { new ProbeNode(0.0f, true), new ProbeNode(0.5f, true) };
    pair[0]->setCurrentValue(0.25f);
    pair[1]->setCurrentValue(-0.5f);
    TovDSPArray source(pair, 2);
    TovDSPArray plug = Plug(source);
    ASSERT_EQ(plug.width, 2u);
    EXPECT_FLOAT_EQ(plug.node(0)->currentValue(0), 0.25f);
    EXPECT_FLOAT_EQ(plug.node(1)->currentValue(1), -0.5f);
    EXPECT_TRUE(plug.node(0)->currentSource().sameNodes(source));
    EXPECT_TRUE(source.node(0)->currentSource().isNull());

    auto out = graphtest::render(plug, 2, 32, 16, 100);
    EXPECT_FLOAT_EQ(out[0][3], 103.0f);
    EXPECT_FLOAT_EQ(out[1][20], 0.5f + 120.0f + 1000.0f);
}

TEST(Plug, CrossfadesLinearlyAndKeepsOnlyTheNewSourceAfterTheFade)
{
    graphtest::SettingsGuard guard;
    setSampleRateAndBlockSize(64, 44100.0);
    RecordingDeleter deleter;
    TovDSPArray oldSource(1.0f);
    TovDSPArray newSource(-3.0f);
    const TovDSPInternal* oldNode = oldSource.node(0);
    TovDSPArray plug = Plug(oldSource);
    oldSource = TovDSPArray();
    EXPECT_TRUE(plug.replug(newSource, 0.01f));
    const float step = plugOf(plug)->fadeStep;
    EXPECT_EQ(step, expectedFadeStep(1.0 / 44100.0, 0.01f));
    EXPECT_EQ(plugOf(plug)->sources->count, 2);

    std::vector<float> out = graphtest::render(plug, 1, 640, 64, 0)[0];
    EXPECT_EQ(out[0], 1.0f); // the first sample is the old source's
    int end = 0;
    while (end < 640 && out[static_cast<size_t>(end)] != -3.0f)
        ++end;
    EXPECT_NEAR(end, 441, 1); // ends inside the seventh block
    for (int i = 0; i < end; ++i)
    {
        const double gain = std::min(1.0, i * (1.0 / 441.0));
        EXPECT_NEAR(out[static_cast<size_t>(i)], -3.0 * gain + (1.0 - gain), 1e-4) << i;
    }
    for (int i = end; i < 640; ++i)
        EXPECT_EQ(out[static_cast<size_t>(i)], -3.0f);
    EXPECT_EQ(plugOf(plug)->fadeFrom, -1);
    EXPECT_EQ(plugOf(plug)->sources->count, 1);
    EXPECT_TRUE(plug.node(0)->currentSource().sameNodes(newSource));
    EXPECT_TRUE(deleter.saw(oldNode));
}

TEST(Plug, ReplugDuringAFadeRestartsFromTheSourceBeingFadedIn)
{
    TovDSPArray a(1.0f), b(2.0f), c(4.0f);
    TovDSPArray plug = Plug(a);
    plug.replug(b, 0.01f);
    graphtest::render(plug, 1, 128, 64, 0);
    EXPECT_GE(plugOf(plug)->fadeFrom, 0);

    plug.replug(c, 0.01f);
    EXPECT_EQ(plugOf(plug)->sources->count, 3);
    std::vector<float> out = graphtest::render(plug, 1, 640, 64, 128)[0];
    EXPECT_EQ(out[0], 2.0f); // a drops out at once, b is now the faded-out source
    EXPECT_EQ(out[639], 4.0f);
    EXPECT_EQ(plugOf(plug)->sources->count, 1);
    EXPECT_TRUE(plugOf(plug)->currentSource().sameNodes(c));

    // A fade of 0 ends any fade and plays the source alone at once.
    plug.replug(a, 0.01f);
    graphtest::render(plug, 1, 64, 64, 768);
    plug.replug(b, 0.0f);
    EXPECT_EQ(plugOf(plug)->fadeFrom, -1);
    EXPECT_EQ(plugOf(plug)->sources->count, 1);
    EXPECT_EQ(graphtest::render(plug, 1, 64, 64, 832)[0], std::vector<float>(64, 2.0f));

    // NaN is no fade either.
    plug.replug(c, std::nanf(""));
    EXPECT_EQ(plugOf(plug)->sources->count, 1);
    EXPECT_EQ(graphtest::render(plug, 1, 8, 8, 896)[0], std::vector<float>(8, 4.0f));
}

TEST(Plug, ReplugToAListedSourceSelectsItAndUnreplacedSourcesKeepRunning)
{
    auto* first = new ProbeNode(0.0f);
    auto* second = new ProbeNode(10.0f);
    TovDSPArray a(first), b(second);
    TovDSPArray plug = Plug(a);
    plugOf(plug)->replug(b, false, 0.0f);
    EXPECT_EQ(plugOf(plug)->sources->count, 2);
    EXPECT_EQ(plugOf(plug)->current, 1);

    graphtest::render(plug, 1, 64, 64, 0);
    EXPECT_EQ(first->computes, 1); // not played, still pulled
    EXPECT_EQ(second->computes, 1);

    plug.replug(a, 0.01f);
    EXPECT_EQ(plugOf(plug)->sources->count, 2); // found, not appended
    EXPECT_EQ(plugOf(plug)->current, 0);
    EXPECT_EQ(plugOf(plug)->fadeFrom, 1);
    std::vector<float> out = graphtest::render(plug, 1, 64, 64, 64)[0];
    EXPECT_EQ(out[0], 10.0f + 64.0f);
}

TEST(Plug, TheFadeStepUsesTheSampleRateOfItsConstruction)
{
    graphtest::SettingsGuard guard;
    setSampleRateAndBlockSize(64, 44100.0);
    TovDSPArray plug = Plug(TovDSPArray(1.0f));
    setSampleRateAndBlockSize(64, 96000.0);
    TovDSPArray later = Plug(TovDSPArray(1.0f));
    plug.replug(TovDSPArray(2.0f), 0.01f);
    later.replug(TovDSPArray(2.0f), 0.01f);
    EXPECT_EQ(plugOf(plug)->fadeStep, expectedFadeStep(1.0 / 44100.0, 0.01f));
    EXPECT_EQ(plugOf(later)->fadeStep, expectedFadeStep(1.0 / 96000.0, 0.01f));
}
