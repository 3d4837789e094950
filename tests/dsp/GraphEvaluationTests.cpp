// Evaluation of a graph: caching per position, channel propagation,
// finishing, external buffers, sources and the library settings.
#include "GraphTestSupport.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

using namespace tovdsp;
using graphtest::ProbeNode;
using graphtest::RecordingDeleter;

TEST(GraphEvaluation, ANodeComputesOncePerPositionAndHandsOutItsCachedBuffer)
{
    auto* probe = new ProbeNode();
    TovDSPArray array(probe);
    unsigned char done = 0;
    array.prepare(-1, 16, 0);
    float* first = array.pull(0, &done, 0);
    float* second = array.pull(1, &done, 0);
    EXPECT_EQ(first, second);
    EXPECT_EQ(probe->computes, 1);
    EXPECT_EQ(probe->lastPosition, 0);

    array.prepare(-1, 16, 16);
    const float* third = array.pull(0, &done, 16);
    EXPECT_EQ(probe->computes, 2);
    EXPECT_FLOAT_EQ(third[0], 16.0f);

    // A zero-length block does not advance the position: the next pass at the
    // same position is served from the cache.
    array.process(0, 16);
    EXPECT_EQ(probe->computes, 2);
}

TEST(GraphEvaluation, ChannelsWrapAtEveryArrayButTheCallersChannelTravelsOn)
{
    auto* mono = new ProbeNode();
    TovDSPArray monoArray(mono);
    unsigned char done = 0;
    monoArray.prepare(-1, 8, 0);
    monoArray.pull(3, &done, 0);
    ASSERT_EQ(mono->channels.size(), 1u);
    EXPECT_EQ(mono->channels[0], 3);

    TovDSPInternal* pair[2] = { new ProbeNode(), new ProbeNode() };
    TovDSPArray stereo(pair, 2);
    stereo.prepare(-1, 8, 0);
    stereo.pull(5, &done, 0);
    EXPECT_EQ(static_cast<ProbeNode*>(pair[0])->computes, 0);
    ASSERT_EQ(static_cast<ProbeNode*>(pair[1])->channels.size(), 1u);
    EXPECT_EQ(static_cast<ProbeNode*>(pair[1])->channels[0], 5);

    // Channel 5 of a difference travels through both operands unchanged.
    auto* a = new ProbeNode(0.0f, true);
    TovDSPArray difference = Subtract(TovDSPArray(a), TovDSPArray(2.0f));
    const std::vector<float> out = graphtest::pullBlock(difference, 5, 4, 10);
    EXPECT_FLOAT_EQ(out[1], 5000.0f + 11.0f - 2.0f);
}

TEST(GraphEvaluation, SingleChannelPrepareDoesNotWrapWhilePullDoes)
{
    auto* probe = new ProbeNode();
    TovDSPArray array(probe);
    const int initial = probe->output.length;
    array.prepare(1, initial + 7, 0);
    EXPECT_EQ(probe->output.length, initial);
    array.prepare(0, 24, 0);
    EXPECT_EQ(probe->output.length, 24);
    unsigned char done = 0;
    array.pull(1, &done, 0);
    EXPECT_EQ(probe->computes, 1);
}

TEST(GraphEvaluation, AFinishedNodeMarksItsConsumersAndTheArrayFallsBackToNullAtTheNextPass)
{
    RecordingDeleter deleter;
    auto* probe = new ProbeNode();
    probe->finishAt = 64;
    TovDSPArray graph = Add(TovDSPArray(probe), TovDSPArray(1.0f));
    TovDSPInternal* sum = graph.node(0);

    graph.process(64, 0);
    EXPECT_FALSE(probe->finished);
    graph.process(64, 64);
    EXPECT_TRUE(probe->finished);
    EXPECT_EQ(probe->finishedAt, 64);
    EXPECT_TRUE(sum->finished);
    EXPECT_TRUE(deleter.disposed.empty());

    graph.process(64, 128);
    EXPECT_TRUE(graph.isNull());
    EXPECT_TRUE(deleter.saw(sum));
    EXPECT_TRUE(deleter.saw(probe));
}

TEST(GraphEvaluation, AnExternalOutputBufferKeepsTheCurrentValueAndIsNeverResized)
{
    TovDSPArray graph = Multiply(TovDSPArray(new ProbeNode()), TovDSPArray(2.0f));
    graph.node(0)->setCurrentValue(0.75f);
    float host[32] = {};
    graph.setOutputBuffer(0, host, 16);
    EXPECT_FLOAT_EQ(host[15], 0.75f);
    EXPECT_TRUE(graph.node(0)->output.external);
    EXPECT_EQ(graph.node(0)->output.capacity, 0);

    graph.prepare(-1, 32, 0);
    EXPECT_EQ(graph.node(0)->output.length, 16);
    EXPECT_EQ(graph.node(0)->output.data, host);
    unsigned char done = 0;
    graph.pull(0, &done, 0);
    EXPECT_FLOAT_EQ(host[3], 6.0f);
    EXPECT_FLOAT_EQ(host[16], 0.0f); // beyond the lent length nothing is written

    graph.setOutputBuffer(0, nullptr, 16); // ignored
    graph.setOutputBuffer(1, host + 16, 16);
    EXPECT_EQ(graph.node(0)->output.data, host);
}

TEST(GraphEvaluation, AFloatPointerNodeReadsItsVariableOncePerBlock)
{
    float plain = 0.25f;
    std::atomic<float> live { -1.5f };
    TovDSPArray fromPlain(&plain);
    TovDSPArray fromAtomic(&live);
    EXPECT_FLOAT_EQ(fromPlain.node(0)->currentValue(0), 0.25f);
    EXPECT_FLOAT_EQ(fromAtomic.node(0)->currentValue(0), -1.5f);
    EXPECT_FALSE(fromPlain.isConstant());
    EXPECT_TRUE(fromPlain.node(0)->isBlockConstant());

    std::vector<float> block = graphtest::pullBlock(fromAtomic, 0, 8, 0);
    live.store(2.0f);
    plain = 3.0f;
    unsigned char done = 0;
    EXPECT_FLOAT_EQ(fromAtomic.pull(0, &done, 0)[7], -1.5f); // same block: cached
    EXPECT_FLOAT_EQ(fromAtomic.node(0)->currentValue(0), -1.5f);
    block = graphtest::pullBlock(fromAtomic, 0, 8, 8);
    EXPECT_EQ(block, std::vector<float>(8, 2.0f));
    EXPECT_FLOAT_EQ(fromAtomic.node(0)->currentValue(0), 2.0f);
    EXPECT_EQ(graphtest::pullBlock(fromPlain, 0, 4, 0), std::vector<float>(4, 3.0f));

    TovDSPArray fromNothing(static_cast<const float*>(nullptr));
    EXPECT_EQ(graphtest::pullBlock(fromNothing, 0, 4, 0), std::vector<float>(4, 0.0f));
}

TEST(GraphEvaluation, SettingsIgnoreValuesThatAreNotPositiveAndSizeNewBuffers)
{
    graphtest::SettingsGuard guard;
    setSampleRateAndBlockSize(128, 44100.0);
    setSampleRateAndBlockSize(0, 48000.0);
    EXPECT_EQ(settings::sampleRate, 48000.0);
    EXPECT_EQ(settings::sampleDuration, 1.0 / 48000.0);
    EXPECT_EQ(settings::blockSize, 128);
    setSampleRateAndBlockSize(256, 0.0);
    setSampleRateAndBlockSize(-1, -44100.0);
    setSampleRateAndBlockSize(-1, std::nan(""));
    EXPECT_EQ(settings::sampleRate, 48000.0);
    EXPECT_EQ(settings::blockSize, 256);

    TovDSPArray scalar(1.0f);
    EXPECT_EQ(scalar.node(0)->output.length, 256);
    EXPECT_EQ(scalar.node(0)->output.capacity, 256);
    EXPECT_FLOAT_EQ(scalar.node(0)->output.data[255], 0.0f);
}

TEST(GraphEvaluation, ReleasingTheLastArrayDeletesEveryNodeOnlyItHeld)
{
    RecordingDeleter deleter;
    auto* shared = new ProbeNode();
    TovDSPArray keep(shared);
    auto* product = new TovDSPArray(Multiply(Add(keep, TovDSPArray(1.0f)), TovDSPArray(new ProbeNode())));
    const TovDSPInternal* top = product->node(0);
    const TovDSPInternal* sum = top->inputs[0].node(0);
    const TovDSPInternal* scalar = sum->inputs[1].node(0);
    delete product;
    EXPECT_TRUE(deleter.saw(top));
    EXPECT_TRUE(deleter.saw(sum));
    EXPECT_TRUE(deleter.saw(scalar));
    EXPECT_FALSE(deleter.saw(shared));
    EXPECT_EQ(deleter.disposed.size(), 4u); // product, sum, scalar, the second probe
    EXPECT_EQ(shared->refCount, 1);
}

TEST(GraphEvaluation, TheNullNodeIsSharedAndPracticallyImmortal)
{
    TovDSPInternal* null = nullNode();
    const int count = null->refCount;
    EXPECT_GE(count, 100000 - 1000);
    EXPECT_LE(count, 100000 + 1000);
    EXPECT_EQ(nullNode(), null);
    EXPECT_EQ(null->refCount, count + 1);
    {
        TovDSPArray a;
        TovDSPArray b(a);
        EXPECT_EQ(null->refCount, count + 3);
    }
    null->release();
    null->release();
    EXPECT_EQ(null->refCount, count - 1);
    null->retain();
}

TEST(GraphEvaluation, SteadyStateEvaluationOfAChainAllocatesNothing)
{
    DeferringDeleter deleter;
    currentDeleter = &deleter;
    {
        std::atomic<float> frequency { 120.0f }, gain { 3.0f }, level { 0.5f };
        std::vector<float> left(64, 0.25f), right(64, -0.25f);
        TovDSPArray input = RawInput(2);
        TovDSPArray plug = Plug(Multiply(input, TovDSPArray(0.5f)));
        TovDSPArray filtered = BPeakEQ(BHiPass(plug, TovDSPArray(&frequency), 1.4f, 1.0f, 0.0f), 1000.0f, 1.0f,
                                       TovDSPArray(&gain), 1.0f, 0.0f);
        auto* list = new ArrayList(filtered);
        list->append(TovDSPArray(0.1f));
        TovDSPArray out = Multiply(MixArray(list), TovDSPArray(&level));
        list->release();
        TovDSPArray tail = Add(out, TovDSPArray(0.0f)).toControlRate();

        auto runBlocks = [&](int from, int count) {
            for (int b = from; b < from + count; ++b)
            {
                input.setInputPointer(0, left.data());
                input.setInputPointer(1, right.data());
                tail.process(64, b * 64);
            }
        };
        runBlocks(0, 2);
        plug.replug(Multiply(input, TovDSPArray(0.25f)), 0.01f); // built here, faded on the "audio thread"
        testsupport::AllocationCounter::Scope scope;
        frequency = 150.0f; // one per-sample block
        runBlocks(2, 12);   // crossfade of 441 samples ends inside block 8
        EXPECT_EQ(scope.allocations(), 0);
        EXPECT_EQ(scope.frees(), 0);
        EXPECT_GT(deleter.pendingCount(), 0); // the faded-out source waits for flush
        EXPECT_TRUE(std::isfinite(tail.node(1)->currentValue(1)));
    }
    currentDeleter = &defaultDeleter;
    deleter.flush();
    EXPECT_EQ(deleter.pendingCount(), 0);
}
