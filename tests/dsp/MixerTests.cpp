// The mixer: channel-by-channel sums of a list of arrays.
#include "GraphTestSupport.h"

#include <gtest/gtest.h>

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
