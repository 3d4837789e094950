// The channel array value type and the reference-counted array list.
#include "GraphTestSupport.h"

#include <gtest/gtest.h>

using namespace tovdsp;
using graphtest::ProbeNode;
using graphtest::RecordingDeleter;

namespace
{
// Records the channels it was asked to serve alone.
class ChannelAwareNode : public ProbeNode
{
public:
    TovDSPInternal* channelNode(int channel) override
    {
        askedFor.push_back(channel);
        return retainNode();
    }
    std::vector<int> askedFor;
};
} // namespace

TEST(Array, ConstructorsTakeOverReferencesAndMakeSourceNodes)
{
    TovDSPArray null;
    EXPECT_TRUE(null.isNull());
    EXPECT_EQ(null.width, 1u);

    EXPECT_FLOAT_EQ(TovDSPArray(0.1).node(0)->currentValue(0), 0.1f);
    EXPECT_FLOAT_EQ(TovDSPArray(-7).node(0)->currentValue(0), -7.0f);
    EXPECT_TRUE(TovDSPArray(2.5f).isConstant());

    auto* probe = new ProbeNode();
    {
        TovDSPArray holder(probe);
        EXPECT_EQ(probe->refCount, 1);
        TovDSPArray copy(holder);
        EXPECT_EQ(probe->refCount, 2);
    }

    RecordingDeleter deleter;
    auto* orphan = new ProbeNode();
    TovDSPInternal* firstMissing[3] = { nullptr, orphan, nullptr };
    TovDSPArray allNull(firstMissing, 3);
    EXPECT_EQ(allNull.width, 3u);
    EXPECT_TRUE(allNull.isNull(0) && allNull.isNull(1) && allNull.isNull(2));
    EXPECT_TRUE(deleter.saw(orphan));
}

TEST(Array, AssignmentIsSafeForSelfAndForArraysOwnedByTheReleasedNodes)
{
    RecordingDeleter deleter;
    auto* inner = new ProbeNode();
    TovDSPArray graph = Add(TovDSPArray(inner), TovDSPArray(1.0f));
    graph = graph;
    EXPECT_EQ(graph.node(0)->refCount, 1);

    // The source array lives inside the node the assignment deletes.
    TovDSPInternal* sum = graph.node(0);
    graph = sum->inputs[0];
    EXPECT_TRUE(deleter.saw(sum));
    EXPECT_EQ(graph.node(0), inner);
    EXPECT_EQ(inner->refCount, 1);
}

TEST(Array, QueriesAnswerPerChannelAndByNodeZero)
{
    TovDSPInternal* nulls[2] = { nullNode(), nullNode() };
    TovDSPArray twoNulls(nulls, 2);
    EXPECT_FALSE(twoNulls.isNull());
    EXPECT_TRUE(twoNulls.isNull(1));
    EXPECT_FALSE(twoNulls.isNull(5));
    EXPECT_FALSE(twoNulls.isNull(-1));

    TovDSPArray empty(static_cast<TovDSPInternal* const*>(nullptr), 0);
    EXPECT_EQ(empty.width, 0u);
    EXPECT_FALSE(empty.isConstant());
    EXPECT_FALSE(empty.isNull());

    TovDSPInternal* mixed[2] = { new ScalarTovDSPInternal(1.0f), new ProbeNode() };
    TovDSPArray scalarFirst(mixed, 2);
    EXPECT_TRUE(scalarFirst.isConstant());
    TovDSPArray copy(scalarFirst);
    EXPECT_TRUE(copy.sameNodes(scalarFirst));
    EXPECT_FALSE(copy.sameNodes(twoNulls));
    EXPECT_FALSE(TovDSPArray(1.0f).sameNodes(TovDSPArray(1.0f)));

    const TovDSPArray several[3] = { TovDSPArray(1.0f), scalarFirst, TovDSPArray() };
    EXPECT_EQ(TovDSPArray::maxWidth(several, 3), 2u);
    EXPECT_EQ(TovDSPArray::maxWidth(several, 0), 0u);
}

TEST(Array, ChannelWrapsNegativeIndicesAndAsksTheNodeForItsOneChannelForm)
{
    ChannelAwareNode* made[3] = { new ChannelAwareNode(), new ChannelAwareNode(), new ChannelAwareNode() };
    TovDSPInternal* pointers[3] = { made[0], made[1], made[2] };
    TovDSPArray three(pointers, 3);
    TovDSPArray last = three.channel(-1);
    EXPECT_EQ(last.width, 1u);
    EXPECT_EQ(last.node(0), made[2]);
    EXPECT_EQ(made[2]->askedFor, std::vector<int> { 2 });
    EXPECT_EQ(made[2]->refCount, 2);
    EXPECT_EQ(three.channel(7).node(0), made[1]);
    EXPECT_EQ(three.channel(-7).node(0), made[2]);

    TovDSPArray empty(static_cast<TovDSPInternal* const*>(nullptr), 0);
    EXPECT_TRUE(empty.channel(0).isNull());

    // A biquad's one-channel form is a fresh node reading one channel of each input.
    TovDSPArray filter = BLowPass(three, 1000.0f, 1.0f, 1.0f, 0.0f);
    TovDSPArray single = filter.channel(1);
    EXPECT_NE(single.node(0), filter.node(1));
    EXPECT_EQ(single.node(0)->inputs[0].node(0), made[1]);
}

TEST(Array, ControlRateFormsReplaceTwoInputNodesOnly)
{
    TovDSPArray null;
    TovDSPArray controlNull = null.toControlRate();
    EXPECT_TRUE(controlNull.isNull());
    EXPECT_NE(controlNull.node(0), null.node(0));

    TovDSPArray sum = Add(TovDSPArray(new ProbeNode()), TovDSPArray(1.0f));
    TovDSPArray controlSum = sum.toControlRate();
    EXPECT_NE(dynamic_cast<BinaryAddTovDSPInternalK*>(controlSum.node(0)), nullptr);
    TovDSPArray again = controlSum.toControlRate();
    EXPECT_EQ(again.node(0), controlSum.node(0));
    // One channel of a control-rate node is an audio-rate node.
    TovDSPArray single = controlSum.channel(0);
    EXPECT_EQ(dynamic_cast<BinaryAddTovDSPInternalK*>(single.node(0)), nullptr);
    EXPECT_NE(dynamic_cast<BinaryAddTovDSPInternal*>(single.node(0)), nullptr);
}

TEST(ArrayList, GrowsBySingleSlotsAndLooksUpByNodes)
{
    auto* list = new ArrayList();
    EXPECT_EQ(list->count, 0);
    TovDSPInternal* pair[2] = { new ProbeNode(), new ProbeNode() };
    TovDSPArray stereo(pair, 2);
    TovDSPArray mono(1.0f);
    list->append(mono);
    list->append(TovDSPArray());
    list->append(stereo);
    EXPECT_EQ(list->count, 3);
    EXPECT_EQ(list->capacity, 3);
    EXPECT_EQ(list->find(stereo), 2);
    EXPECT_EQ(list->find(TovDSPArray(1.0f)), -1);
    EXPECT_EQ(list->maxWidth(), 2u);
    EXPECT_EQ(list->nonNullCount(), 2);
    EXPECT_TRUE(list->at(3).isNull());
    EXPECT_TRUE(list->at(-1).isNull());
    EXPECT_EQ(pair[0]->refCount, 2);

    auto* other = new ArrayList(TovDSPArray());
    ArrayList* joined = ArrayList::concatenate(other, list);
    ASSERT_NE(joined, nullptr);
    EXPECT_EQ(joined->count, 2);
    EXPECT_TRUE(joined->at(0).sameNodes(mono));
    EXPECT_TRUE(joined->at(1).sameNodes(stereo));
    EXPECT_EQ(ArrayList::concatenate(other, other), nullptr);
    EXPECT_EQ(ArrayList::concatenate(nullptr, nullptr), nullptr);

    list->clear();
    EXPECT_EQ(list->count, 0);
    EXPECT_EQ(list->capacity, 0);
    EXPECT_EQ(pair[0]->refCount, 2); // still in joined and in stereo
    joined->release();
    EXPECT_EQ(pair[0]->refCount, 1);
    list->release();
    other->release();
}
