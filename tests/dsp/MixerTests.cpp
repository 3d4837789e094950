// The mixer: channel-by-channel sums of a list of arrays.
#include "GraphTestSupport.h"

#include "dsp/Arithmetic.h"
#include "dsp/SwitchMix.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using namespace tovdsp;
using graphtest::ProbeNode;

TEST(Mixer, AMonoEntryReachesEveryOutputOfAStereoMix)
{
    TovDSPInternal* pair[2] = { new ProbeNode(0.0f, true), new ProbeNode(0.0f, true) };
    pair[0]->setCurrentValue(1.0f);
    pair[1]->setCurrentValue(2.0f);
    TovDSPArray stereo(pair, 2);
    TovDSPArray mono(0.5f);
    auto* list = new ArrayList(stereo);
    list->append(mono);
    TovDSPArray mix = MixArray(list);
    list->release();
    ASSERT_EQ(mix.width, 2u);
    EXPECT_TRUE(mix.node(1)->isProxy());
    EXPECT_FLOAT_EQ(mix.node(0)->output.lastSample(), 1.5f);
    EXPECT_FLOAT_EQ(mix.node(1)->output.lastSample(), 2.5f);

    auto out = graphtest::render(mix, 2, 8, 8, 16);
    EXPECT_FLOAT_EQ(out[0][2], 18.0f + 0.5f);
    EXPECT_FLOAT_EQ(out[1][2], 1018.0f + 0.5f);
    EXPECT_EQ(static_cast<ProbeNode*>(pair[1])->channels, std::vector<int> { 1 });
}

TEST(Mixer, ANullEntrySkipsItsOwnChannelAndAddsSilenceElsewhere)
{
    TovDSPInternal* pair[2] = { new ProbeNode(), new ProbeNode() };
    auto* list = new ArrayList(TovDSPArray());
    list->append(TovDSPArray(pair, 2));
    TovDSPArray mix = MixArray(list);
    list->release();
    TovDSPInternal* null = nullNode();
    const int before = null->lastPosition;
    auto out = graphtest::render(mix, 2, 4, 4, 123456);
    EXPECT_FLOAT_EQ(out[0][0], 123456.0f);
    EXPECT_FLOAT_EQ(out[1][3], 123459.0f);
    // Channel 1 pulled the null node (as channel 1 of a mono array).
    EXPECT_NE(before, 123456);
    EXPECT_EQ(null->lastPosition, 123456);
    null->release();
}

TEST(Mixer, NoListGivesTheNullArrayAndAnEmptyListASilentOutput)
{
    EXPECT_TRUE(MixArray(nullptr).isNull());
    auto* empty = new ArrayList();
    TovDSPArray mix = MixArray(empty);
    empty->release();
    ASSERT_EQ(mix.width, 1u);
    EXPECT_EQ(graphtest::pullBlock(mix, 0, 8, 0), std::vector<float>(8, 0.0f));
}

namespace
{
std::vector<uint32_t> bitsOf(const std::vector<float>& samples)
{
    std::vector<uint32_t> bits(samples.size());
    std::memcpy(bits.data(), samples.data(), sizeof(float) * samples.size());
    return bits;
}

TovDSPArray signal(std::vector<float> samples)
{
    return TovDSPArray(new graphtest::SignalNode(std::move(samples)));
}
} // namespace

// The fused switch mixes must give the arithmetic trees' bits: signed zeros
// included, with switch values that are constant over a block (the SIMD path)
// or move per sample, and block lengths that leave a scalar tail.
TEST(Mixer, FusedSwitchMixesMatchTheArithmeticTreesBitForBit)
{
    constexpr int total = 61;
    std::vector<float> a(total), b(total), moving(total);
    for (int i = 0; i < total; ++i)
    {
        a[(size_t) i] = (i % 5 == 0) ? -0.0f : 0.37f * (float) (i - 30) + 1.0e-3f * (float) (i * i);
        b[(size_t) i] = (i % 7 == 0) ? 0.0f : -0.61f * (float) (i - 17);
        moving[(size_t) i] = (float) (i % 4) / 3.0f;
    }
    for (float switchValue : { 0.0f, -0.0f, 1.0f, 0.3f, -1.0f })
    {
        for (int movingSwitch = 0; movingSwitch < 2; ++movingSwitch)
        {
            const auto s = [&] { return movingSwitch ? signal(moving) : TovDSPArray(switchValue); };
            TovDSPArray fused = SwitchMix(signal(a), signal(b), s(), TovDSPArray(0.7f));
            TovDSPArray tree = Add(Multiply(Multiply(signal(a), 0.7f), Subtract(TovDSPArray(1.0f), s())),
                                   Multiply(Multiply(signal(b), 0.7f), s()));
            EXPECT_EQ(bitsOf(graphtest::render(fused, 1, total, 13)[0]), bitsOf(graphtest::render(tree, 1, total, 13)[0]))
                << "switch " << switchValue << (movingSwitch ? " per sample" : " per block");

            TovDSPArray sum = MutedSum(signal(a), signal(b), s(), TovDSPArray(switchValue), TovDSPArray(0.9f));
            TovDSPArray sumTree = Multiply(Add(Multiply(signal(a), Subtract(TovDSPArray(1.0f), s())),
                                               Multiply(signal(b), Subtract(TovDSPArray(1.0f), TovDSPArray(switchValue)))),
                                           TovDSPArray(0.9f));
            EXPECT_EQ(bitsOf(graphtest::render(sum, 1, total, 13)[0]), bitsOf(graphtest::render(sumTree, 1, total, 13)[0]))
                << "mute " << switchValue << (movingSwitch ? " per sample" : " per block");
        }
    }
}
