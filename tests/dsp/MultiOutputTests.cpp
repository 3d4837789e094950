// Multi-output groups: shared lifetime of owner and proxies, evaluation
// through either, and the raw input.
#include "GraphTestSupport.h"

#include <gtest/gtest.h>

using namespace tovdsp;
using graphtest::RecordingDeleter;

TEST(MultiOutput, AGroupLivesUntilTheLastOutsideReferenceToAnyMemberGoes)
{
    RecordingDeleter deleter;
    auto* input = new TovDSPArray(RawInput(2));
    TovDSPInternal* owner = input->node(0);
    TovDSPInternal* proxy = input->node(1);
    EXPECT_EQ(owner->refCount, 2);
    EXPECT_EQ(proxy->refCount, 2);
    EXPECT_TRUE(proxy->isProxy());
    EXPECT_FALSE(owner->isProxy());
    EXPECT_EQ(proxy->outputCount(), 2);
    delete input;
    ASSERT_EQ(deleter.disposed.size(), 2u);
    EXPECT_EQ(deleter.disposed[0], proxy);
    EXPECT_EQ(deleter.disposed[1], owner);

    deleter.disposed.clear();
    TovDSPArray group = RawInput(3);
    TovDSPArray onlyProxy = group.channel(2);
    owner = group.node(0);
    group = TovDSPArray();
    EXPECT_TRUE(deleter.disposed.empty());
    onlyProxy = TovDSPArray();
    EXPECT_EQ(deleter.disposed.size(), 3u);
    EXPECT_TRUE(deleter.saw(owner));
}

TEST(MultiOutput, TheOwnerFillsEveryOutputInOnePull)
{
    TovDSPArray input = RawInput(2);
    std::vector<float> left { 1, 2, 3, 4 }, right { 5, 6, 7, 8 }, later { 9, 9, 9, 9 };
    EXPECT_TRUE(input.setInputPointer(0, left.data()));
    EXPECT_TRUE(input.setInputPointer(1, right.data()));
    EXPECT_FALSE(input.setInputPointer(2, right.data()));
    EXPECT_FALSE(input.setInputPointer(0, nullptr));

    input.prepare(-1, 4, 0);
    unsigned char done = 0;
    const float* out0 = input.pull(0, &done, 0);
    EXPECT_EQ(std::vector<float>(out0, out0 + 4), left);
    input.setInputPointer(1, later.data()); // too late for this pass
    const float* out1 = input.pull(1, &done, 0);
    EXPECT_EQ(std::vector<float>(out1, out1 + 4), right);

    // Without a pointer for channel 1 the next block repeats its samples.
    std::vector<float> next { 10, 11, 12, 13 };
    input.node(0)->setInputPointer(nullptr, 1); // forget the late one
    input.setInputPointer(0, next.data());
    std::vector<std::vector<float>> block = graphtest::render(input, 2, 4, 4, 4);
    EXPECT_EQ(block[0], next);
    EXPECT_EQ(block[1], right);
}

TEST(MultiOutput, AProxyHeldAloneDrivesItsOwnerWithoutEndlessPreparation)
{
    // Keeping only proxy 1 of a three-output group: owner and proxy 2 are held
    // by nobody outside, so the proxy must prepare and pull the owner, and the
    // owner prepares proxy 2, which would prepare the owner again.
    TovDSPArray group = RawInput(3);
    TovDSPArray middle = group.channel(1);
    group = TovDSPArray();
    std::vector<float> a(8, 1.0f), b(8, 2.0f), c(8, 3.0f);
    TovDSPInternal* proxy = middle.node(0);
    auto* owner = static_cast<ProxyTovDSPInternal*>(proxy)->owner;
    for (int pass = 0; pass < 3; ++pass)
    {
        middle.setInputPointer(0, a.data()); // forwarded to the owner with index 0
        owner->setInputPointer(b.data(), 1);
        owner->setInputPointer(c.data(), 2);
        middle.prepare(-1, 8, pass * 8);
        unsigned char done = 0;
        const float* out = middle.pull(0, &done, pass * 8);
        EXPECT_EQ(std::vector<float>(out, out + 8), b);
        EXPECT_EQ(owner->output.length, 8);
        EXPECT_EQ(owner->outputNode(2)->output.length, 8);
    }
}

TEST(MultiOutput, ARawInputOfFewerThanOneChannelHasOne)
{
    TovDSPArray input = RawInput(0);
    EXPECT_EQ(input.width, 1u);
    EXPECT_EQ(input.node(0)->outputCount(), 1);
}
