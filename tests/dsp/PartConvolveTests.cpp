// Partitioning, channel handling, degenerate segments and the start phase of
// the convolution node.
#include "dsp/PartConvolve.h"

#include "ConvolutionHarness.h"
#include "dsp/Settings.h"
#include "support/AllocationCounter.h"
#include "support/ReferenceConvolution.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace tovdsp;
using namespace convtest;
using testsupport::noise;

namespace
{
PartConvolveTovDSPInternal* convNode(const TovDSPArray& array, int index)
{
    return dynamic_cast<PartConvolveTovDSPInternal*>(array.node(index));
}

// Quarter of the direct convolution with ir[0 .. taps), delayed by latency.
std::vector<double> expected(const std::vector<float>& ir, int taps, int latency, const std::vector<float>& x)
{
    const std::vector<float> h(ir.begin(), ir.begin() + taps);
    const std::vector<double> y = testsupport::directConvolution(x, h, x.size());
    std::vector<double> result(x.size(), 0.0);
    for (size_t t = static_cast<size_t>(latency); t < x.size(); ++t)
        result[t] = 0.25 * y[t - static_cast<size_t>(latency)];
    return result;
}

void expectClose(const std::vector<float>& actual, const std::vector<double>& wanted, double tolerance, const char* what)
{
    ASSERT_EQ(actual.size(), wanted.size());
    for (size_t t = 0; t < wanted.size(); ++t)
        ASSERT_NEAR(actual[t], wanted[t], tolerance) << what << " sample " << t;
}
} // namespace

TEST(PartitionIR, PartitionCountsFollowTheSegmentBounds)
{
    const std::vector<float> ir = noise(1000, 1u);
    const Buffer b = bufferFromSamples(1000, ir.data());

    const PartitionedIR whole = partitionIR(b, 0, 0, 8); // L = 128
    EXPECT_EQ(whole.fftSize, 256);
    EXPECT_EQ(whole.halfSize, 128);
    EXPECT_EQ(whole.quarterSize, 64);
    EXPECT_EQ(whole.spectrumLength, 1024); // rounded up to a multiple of N
    EXPECT_EQ(whole.partitionCount, 8);    // the last one zero-padded

    const PartitionedIR bounded = partitionIR(b, 100, 400, 8); // 300 samples: two whole partitions
    EXPECT_EQ(bounded.spectrumLength, 300);
    EXPECT_EQ(bounded.partitionCount, 2);

    const PartitionedIR pastTheEnd = partitionIR(b, 900, 1300, 6); // 100 usable samples, L = 32
    EXPECT_EQ(pastTheEnd.partitionCount, 4);

    EXPECT_EQ(partitionIR(b, 1000, 0, 8).partitionCount, 0);
    EXPECT_EQ(partitionIR(b, 5000, 6000, 8).partitionCount, 0);

    const PartitionedIR defaulted = partitionIR(b, 0, 0, 3);
    EXPECT_EQ(defaulted.log2Size, 12);
    EXPECT_EQ(defaulted.fftSize, 4096);
}

TEST(PartitionIR, EachPartitionIsTheSpectrumOfItsZeroPaddedSlice)
{
    const std::vector<float> left = noise(300, 2u), right = noise(300, 3u);
    Buffer b = makeUninitialisedBuffer(2, 300);
    std::copy(left.begin(), left.end(), b.channelSamples(0));
    std::copy(right.begin(), right.end(), b.channelSamples(1));
    const PartitionedIR p = partitionIR(b, 20, 0, 7); // N = 128, L = 64, u = 280: 5 partitions
    ASSERT_EQ(p.partitionCount, 5);
    ASSERT_EQ(p.spectra.channelCount, 2);

    FFTEngineInternal engine(128);
    for (int ch = 0; ch < 2; ++ch)
        for (int k = 0; k < 5; ++k)
        {
            const std::vector<float>& source = ch == 0 ? left : right;
            std::vector<float> slice(128, 0.0f);
            for (int i = 0; i < 64 && 20 + k * 64 + i < 300; ++i)
                slice[static_cast<size_t>(i)] = source[static_cast<size_t>(20 + k * 64 + i)];
            std::vector<float> re(64), im(64);
            forwardTransform(engine, slice.data(), {re.data(), im.data()});
            for (int bin = 0; bin < 64; ++bin)
            {
                ASSERT_EQ(p.partitionRe(ch, k)[bin], re[static_cast<size_t>(bin)]) << ch << " " << k << " " << bin;
                ASSERT_EQ(p.partitionIm(ch, k)[bin], im[static_cast<size_t>(bin)]) << ch << " " << k << " " << bin;
            }
        }
}

TEST(PartConvolveChannels, StereoResponseWithMonoInputConvolvesTheSameInputWithEachChannel)
{
    const std::vector<float> left = noise(500, 4u), right = noise(500, 5u);
    Buffer b = makeUninitialisedBuffer(2, 500);
    std::copy(left.begin(), left.end(), b.channelSamples(0));
    std::copy(right.begin(), right.end(), b.channelSamples(1));
    const std::vector<float> x = noise(3000, 6u);

    TovDSPArray conv = PartConvolve(b, feedArray(x), 0, 0, 7);
    ASSERT_EQ(conv.width, 2u);
    const auto out = run(conv, x.size(), fixedLength(100));
    expectClose(out[0], expected(left, 500, 64, x), 1e-4, "left");
    expectClose(out[1], expected(right, 500, 64, x), 1e-4, "right");
}

TEST(PartConvolveChannels, MonoResponseWithStereoInputConvolvesEachInput)
{
    const std::vector<float> ir = noise(200, 7u);
    const std::vector<float> x0 = noise(2000, 8u), x1 = noise(2000, 9u);
    TovDSPArray conv = PartConvolve(bufferFromSamples(200, ir.data()), feedArray({x0, x1}), 0, 0, 6);
    ASSERT_EQ(conv.width, 2u);
    const auto out = run(conv, 2000, fixedLength(64));
    expectClose(out[0], expected(ir, 200, 32, x0), 1e-4, "input 0");
    expectClose(out[1], expected(ir, 200, 32, x1), 1e-4, "input 1");
}

TEST(PartConvolveChannels, ChannelNodeNarrowsOnlyWhenThereIsMoreThanOneChannel)
{
    const std::vector<float> ir = noise(200, 10u);
    TovDSPArray mono = PartConvolve(bufferFromSamples(200, ir.data()), feedArray(noise(10, 1u)), 0, 0, 6);
    TovDSPInternal* node = mono.node(0);
    const int before = node->refCount;
    TovDSPInternal* same = node->channelNode(3);
    EXPECT_EQ(same, node);
    EXPECT_EQ(node->refCount, before + 1);
    same->release();
    TovDSPInternal* negative = node->channelNode(-1);
    EXPECT_EQ(negative, node);
    negative->release();

    Buffer stereo = makeZeroedBuffer(2, 200);
    TovDSPArray wide = PartConvolve(stereo, feedArray(noise(10, 1u)), 0, 0, 6);
    TovDSPInternal* clone = wide.node(0)->channelNode(3);
    auto* narrowed = dynamic_cast<PartConvolveTovDSPInternal*>(clone);
    ASSERT_NE(narrowed, nullptr);
    EXPECT_NE(clone, wide.node(0));
    ASSERT_EQ(narrowed->ir.spectra.channelCount, 1);
    const PartConvolveTovDSPInternal* original = convNode(wide, 0);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(narrowed->ir.spectra.channels[0], original->ir.spectra.channels[1]);
    EXPECT_EQ(narrowed->ir.partitionCount, original->ir.partitionCount);
    EXPECT_EQ(narrowed->inputs[0].width, 1u);
    EXPECT_EQ(narrowed->resetPending, 1);
    clone->release();
}

TEST(PartConvolveEdges, SegmentsWithoutSamplesProduceSilence)
{
    const std::vector<float> ir = noise(1000, 11u);
    const Buffer b = bufferFromSamples(1000, ir.data());
    for (int start : {1000, 4000})
    {
        TovDSPArray conv = PartConvolve(b, feedArray(noise(5000, 12u)), start, 0, 8);
        const auto out = run(conv, 5000, cycle({3, 500, 64}));
        for (float v : out[0])
            ASSERT_EQ(v, 0.0f);
    }

    // A response without channels gives a mono silent node for a mono input.
    TovDSPArray none = PartConvolve(Buffer(), feedArray(noise(300, 13u)), 0, 0, 6);
    ASSERT_EQ(none.width, 1u);
    const auto silent = run(none, 300, fixedLength(50));
    for (float v : silent[0])
        ASSERT_EQ(v, 0.0f);
}

TEST(PartConvolvePhase, StartPhasesCoverTheHalfFrameAndFollowTheSeed)
{
    const std::vector<float> ir = noise(64, 14u);
    const Buffer b = bufferFromSamples(64, ir.data());
    auto phases = [&b](uint32_t seed) {
        seedStartPhaseGenerator(seed);
        std::vector<int> result;
        for (int i = 0; i < 200; ++i)
        {
            TovDSPArray conv = PartConvolve(b, feedArray(noise(8, 1u)), 0, 0, 6); // N = 64: h in 0..7
            run(conv, 8, fixedLength(8));
            result.push_back(convNode(conv, 0)->startPhase);
        }
        return result;
    };
    const std::vector<int> first = phases(99u);
    EXPECT_EQ(phases(99u), first);
    EXPECT_NE(phases(100u), first);
    const std::set<int> distinct(first.begin(), first.end());
    EXPECT_EQ(distinct.size(), 8u);
    EXPECT_EQ(*distinct.begin(), 0);
    EXPECT_EQ(*distinct.rbegin(), 7);
    for (int i = 0; i < 1000; ++i)
    {
        const int r = drawStartPhaseRandom();
        ASSERT_TRUE(r >= 0 && r <= 32767) << r;
    }
}

TEST(PartConvolveRealTime, ComputeAllocatesNothingWhateverTheBlockLength)
{
    const int savedBlockSize = settings::blockSize;
    settings::blockSize = 4097; // every buffer is allocated long enough at construction
    {
        const std::vector<float> ir = noise(19404, 15u);
        Buffer b = makeUninitialisedBuffer(2, 19404);
        std::copy(ir.begin(), ir.end(), b.channelSamples(0));
        std::copy(ir.rbegin(), ir.rend(), b.channelSamples(1));
        TovDSPArray input = feedArray({noise(200000, 16u), noise(200000, 17u)});
        std::vector<TovDSPArray> segments;
        const int bounds[5][3] = {{0, 128, 6}, {128, 512, 8}, {512, 2048, 10}, {2048, 8192, 12}, {8192, 0, 14}};
        for (const auto& s : bounds)
            segments.push_back(PartConvolve(b, input, s[0], s[1], s[2]));

        const int lengths[] = {1, 3, 4097, 64, 17, 4096, 5, 32, 1000};
        int position = 0;
        long allocations = 0, frees = 0;
        for (int round = 0; round < 40; ++round)
            for (int n : lengths)
            {
                const testsupport::AllocationCounter::Scope scope; // the first blocks (reset) included
                unsigned char done = 0;
                for (TovDSPArray& segment : segments)
                {
                    segment.prepare(-1, n, position);
                    segment.pull(-1, &done, position);
                }
                allocations += scope.allocations();
                frees += scope.frees();
                position += n;
            }
        EXPECT_EQ(allocations, 0);
        EXPECT_EQ(frees, 0);
    }
    settings::blockSize = savedBlockSize;
}
