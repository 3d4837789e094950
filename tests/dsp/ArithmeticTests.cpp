// Sums, differences, products, multiply-add and their control-rate forms.
#include "GraphTestSupport.h"

#include <gtest/gtest.h>

using namespace tovdsp;
using graphtest::ProbeNode;

TEST(Arithmetic, TwoInputNodesBroadcastAndStartFromTheCombinedCurrentValues)
{
    auto* mono = new ProbeNode(0.0f);
    mono->setCurrentValue(0.5f);
    TovDSPInternal* pair[2] = { new ProbeNode(100.0f, true), new ProbeNode(200.0f, true) };
    pair[0]->setCurrentValue(1.0f);
    pair[1]->setCurrentValue(2.0f);
    TovDSPArray stereo(pair, 2);
    TovDSPArray sum = Add(TovDSPArray(mono), stereo);
    ASSERT_EQ(sum.width, 2u);
    EXPECT_FLOAT_EQ(sum.node(1)->output.lastSample(), 2.5f);
    EXPECT_FLOAT_EQ(sum.node(1)->currentValue(1), 2.5f);

    auto out = graphtest::render(sum, 2, 16, 16, 32);
    EXPECT_FLOAT_EQ(out[0][4], 36.0f + 100.0f + 36.0f);
    EXPECT_FLOAT_EQ(out[1][4], 36.0f + 200.0f + 36.0f + 1000.0f);
}

TEST(Arithmetic, ANullFirstOperandIsAbsentWhileANullSecondOperandIsSilence)
{
    TovDSPArray b(new ProbeNode());
    EXPECT_TRUE(Subtract(TovDSPArray(), b).sameNodes(b));
    EXPECT_TRUE(Multiply(TovDSPArray(), b).sameNodes(b));
    EXPECT_TRUE(Add(TovDSPArray(), b).sameNodes(b));
    TovDSPArray silent = Multiply(b, TovDSPArray());
    EXPECT_EQ(graphtest::pullBlock(silent, 0, 8, 5), std::vector<float>(8, 0.0f));
}

TEST(Arithmetic, ResultsAreFormedInDoubleAndRoundedOnce)
{
    float v = 0.1f;
    TovDSPArray complement = Subtract(TovDSPArray(1.0f), TovDSPArray(&v));
    EXPECT_EQ(graphtest::pullBlock(complement, 0, 4, 0)[3], static_cast<float>(1.0 - static_cast<double>(0.1f)));
    v = 0.75f;
    EXPECT_EQ(graphtest::pullBlock(complement, 0, 4, 4)[0], 0.25f);

    // A float product would round 1.5 * (1 + 2^-23) to 1.5 + 2^-22 before subtracting.
    TovDSPArray product = MulAdd(TovDSPArray(1.5f), TovDSPArray(1.0f + 0x1p-23f), TovDSPArray(-1.5f));
    EXPECT_EQ(graphtest::pullBlock(product, 0, 2, 0)[1], static_cast<float>(1.5 * (1.0 + 0x1p-23) - 1.5));
}

TEST(Arithmetic, ApplyMulAddBuildsOnlyTheNodesItNeeds)
{
    float one = 1.0f;
    TovDSPArray signal(new ProbeNode());
    EXPECT_TRUE(applyMulAdd(signal, 1.0f, 0.0f).sameNodes(signal));
    TovDSPArray added = applyMulAdd(signal, 1.0f, TovDSPArray(&one));
    EXPECT_NE(dynamic_cast<BinaryAddTovDSPInternal*>(added.node(0)), nullptr);
    TovDSPArray scaled = applyMulAdd(signal, 2.0f, 0.0f);
    EXPECT_NE(dynamic_cast<BinaryMultiplyTovDSPInternal*>(scaled.node(0)), nullptr);
    // A bound variable is never constant, even while it holds 1.
    TovDSPArray boundScale = applyMulAdd(signal, TovDSPArray(&one), 0.0f);
    EXPECT_NE(dynamic_cast<BinaryMultiplyTovDSPInternal*>(boundScale.node(0)), nullptr);
    TovDSPArray general = applyMulAdd(signal, TovDSPArray(&one), 0.5f);
    EXPECT_NE(dynamic_cast<MulAddTovDSPInternal*>(general.node(0)), nullptr);
    EXPECT_FLOAT_EQ(graphtest::pullBlock(general, 0, 4, 8)[2], 10.5f);
}

TEST(Arithmetic, ControlRateNodesRampOncePerPeriodAndHoldWithoutDrift)
{
    // The inputs are read only at multiples of the period; in between the
    // output moves from the previous value to the new one in equal steps.
    constexpr int period = settings::controlPeriod;
    ASSERT_EQ(period, 32);
    TovDSPArray ramp = Add(TovDSPArray(new ProbeNode()), TovDSPArray(0.0f)).toControlRate();
    auto* node = static_cast<BinaryAddTovDSPInternalK*>(ramp.node(0));
    node->held = 5.0f;
    std::vector<float> out = graphtest::pullBlock(ramp, 0, 100, 40);
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(out[static_cast<size_t>(i)], 5.0f) << i;
    // At offset 24 the position is 64: the probe outputs 64 there.
    for (int i = 0; i < period; ++i)
        EXPECT_NEAR(out[static_cast<size_t>(24 + i)], 5.0 + (64.0 - 5.0) * i / period, 1e-4) << i;
    EXPECT_NEAR(out[56], 64.0f, 1e-4);
    EXPECT_NEAR(out[57], 64.0f + 1.0f, 1e-4); // (96 - 64) / 32 per sample
    // The block ends 12 samples into the period at 128: held jumps to 128.
    EXPECT_EQ(node->held, 128.0f);

    float constant = 0.3f;
    TovDSPArray flat = Multiply(TovDSPArray(&constant), TovDSPArray(1.0f)).toControlRate();
    graphtest::pullBlock(flat, 0, 64, 0);
    const std::vector<float> later = graphtest::pullBlock(flat, 0, 256, 64);
    EXPECT_EQ(later, std::vector<float>(256, 0.3f));
}
