// The convolution node against an independent direct convolution in double
// precision, for many segment shapes and block-length sequences.
#include "dsp/ConvolutionLayout.h"
#include "dsp/DirectConvolve.h"
#include "dsp/PartConvolve.h"

#include "ConvolutionHarness.h"
#include "support/ReferenceConvolution.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <random>

using namespace tovdsp;
using namespace convtest;
using testsupport::directConvolution;
using testsupport::noise;

namespace
{
// A response shaped like a real one: noise under an exponential decay.
std::vector<float> decayingResponse(size_t length, unsigned seed, double decaySamples)
{
    std::vector<float> ir = noise(length, seed);
    for (size_t i = 0; i < length; ++i)
        ir[i] = static_cast<float>(static_cast<double>(ir[i]) * std::exp(-static_cast<double>(i) / decaySamples));
    return ir;
}

double norm2(const std::vector<float>& v)
{
    double sum = 0.0;
    for (float s : v)
        sum += static_cast<double>(s) * static_cast<double>(s);
    return std::sqrt(sum);
}

struct Segment
{
    int start, end, log2Size;
};

// What one node must output: a quarter of the convolution with the
// segment's partitioned samples, delayed by its partition length.
struct Expectation
{
    std::vector<double> output;
    double bound; // largest error allowed on any sample
};

Expectation expectSegment(const std::vector<float>& ir, Segment s, const std::vector<float>& x, size_t total)
{
    const int n = 1 << s.log2Size;
    const int l = n / 2;
    const int length = static_cast<int>(ir.size());
    const int usable = std::max(0, (s.end != 0 ? std::min(length, s.end) : length) - s.start);
    const int e = s.end != 0 ? s.end - s.start : n * ((length + n - 1) / n);
    int partitions = (usable + l - 1) / l;
    if (partitions * l > e)
        partitions = e / l;
    const int taps = std::min(usable, partitions * l);

    std::vector<float> h(ir.begin() + s.start, ir.begin() + s.start + taps);
    const std::vector<double> y = directConvolution(x, h, total);
    Expectation result;
    result.output.assign(total, 0.0);
    for (size_t t = static_cast<size_t>(l); t < total; ++t)
        result.output[t] = 0.25 * y[t - static_cast<size_t>(l)];

    // Each output sample is the sum over the partitions of one circular
    // convolution of size N computed in single precision. The rounding error
    // of such a product is about log2(N) * eps * |h_k| * |x_frame| (FFT error
    // analysis: O(log2 N) roundings per value, errors adding in quadrature
    // across the transform); with |x_frame| <= sqrt(N) * max|x| and, by
    // Cauchy-Schwarz, sum |h_k| <= sqrt(P) * |h|, the total is bounded by
    // log2(N) * eps * sqrt(P) * |h| * sqrt(N) * max|x|, times the output
    // scale 1/4. The final rounding to float adds eps * |y|.
    double peakX = 0.0;
    for (float v : x)
        peakX = std::max(peakX, std::fabs(static_cast<double>(v)));
    double peakY = 0.0;
    for (double v : result.output)
        peakY = std::max(peakY, std::fabs(v));
    const double eps = FLT_EPSILON;
    result.bound = 0.25 * s.log2Size * eps * std::sqrt(std::max(1, partitions)) * norm2(h) * std::sqrt(n) * peakX
                   + eps * peakY;
    return result;
}

double maxError(const std::vector<float>& actual, const std::vector<double>& expected, size_t* where = nullptr)
{
    double worst = 0.0;
    for (size_t t = 0; t < expected.size(); ++t)
    {
        const double error = std::fabs(static_cast<double>(actual[t]) - expected[t]);
        if (error > worst)
        {
            worst = error;
            if (where != nullptr)
                *where = t;
        }
    }
    return worst;
}

BlockLengths randomLengths(unsigned seed, int lowest, int highest)
{
    auto generator = std::make_shared<std::mt19937>(seed);
    return [generator, lowest, highest](int) {
        return std::uniform_int_distribution<int>(lowest, highest)(*generator);
    };
}

struct NamedLengths
{
    const char* name;
    BlockLengths lengths;
};

std::vector<NamedLengths> blockSequences()
{
    return {
        {"fixed 64", fixedLength(64)},
        {"fixed 4096", fixedLength(4096)},
        {"random 1..4096", randomLengths(77u, 1, 4096)},
        // Long blocks then short ones: the spreading schedule of a period is
        // planned for one length and must be caught up at the frame.
        {"long then short", cycle({1500, 1500, 3, 3, 3, 7, 1, 200, 64, 64, 64, 64, 64, 64, 64, 64})},
        {"odd lengths", cycle({1, 3, 4097, 5, 13, 255})},
    };
}
} // namespace

TEST(PartConvolveAccuracy, MatchesDirectConvolutionForEverySegmentShapeAndBlockSequence)
{
    const std::vector<float> ir = decayingResponse(19404, 3u, 6000.0);
    const Buffer irBuffer = bufferFromSamples(static_cast<int32_t>(ir.size()), ir.data());
    const Segment segments[] = {
        {0, 0, 8},        // the whole response, last partition zero-padded
        {0, 128, 6},      // the head segment
        {512, 2048, 10},  // bounded, whole partitions
        {100, 3000, 12},  // bounded, partial partition dropped
        {8192, 0, 14},    // the tail
    };
    uint32_t seed = 1;
    for (const Segment& s : segments)
    {
        const size_t total = static_cast<size_t>(std::max(40000, 3 * (1 << s.log2Size)));
        const std::vector<float> x = noise(total, 1000u + static_cast<unsigned>(s.log2Size));
        const Expectation expected = expectSegment(ir, s, x, total);
        for (const auto& sequence : blockSequences())
        {
            seedStartPhaseGenerator(seed++); // a different start phase every run
            TovDSPArray conv = PartConvolve(irBuffer, feedArray(x), s.start, s.end, s.log2Size);
            const auto out = run(conv, total, sequence.lengths);
            size_t where = 0;
            const double error = maxError(out[0], expected.output, &where);
            EXPECT_LE(error, expected.bound) << "segment (" << s.start << ", " << s.end << ", " << s.log2Size
                                             << ") blocks " << sequence.name << ", worst at sample " << where;
        }
    }
}

// The layout the plug-in plays a response with: the direct head and five
// segments, summed, give a quarter of the convolution with no latency, for
// any block lengths (the head keeps its history across odd blocks too).
TEST(PartConvolveAccuracy, DirectHeadAndFiveSegmentsSumToAQuarterOfTheConvolutionWithNoLatency)
{
    const std::vector<float> ir = decayingResponse(19404, 9u, 5000.0);
    const Buffer irBuffer = bufferFromSamples(static_cast<int32_t>(ir.size()), ir.data());
    const size_t total = 60000;
    const std::vector<float> x = noise(total, 21u);

    std::vector<double> expected = directConvolution(x, ir, total);
    for (double& v : expected)
        v *= 0.25;

    double bound = 0.0;
    for (const auto& s : convolutionSegments)
        bound += expectSegment(ir, {s.start, s.end, s.log2Size}, x, total).bound;
    // The head: 32 products of at most max|h| * max|x| / 4, each sum rounded.
    double peakH = 0.0;
    for (int k = 0; k < directHeadLength; ++k)
        peakH = std::max(peakH, std::fabs(static_cast<double>(ir[static_cast<size_t>(k)])));
    bound += 2.0 * directHeadLength * directHeadLength * static_cast<double>(FLT_EPSILON) * peakH * 0.25;

    std::vector<float> firstHead;
    int runIndex = 0;
    for (const auto& sequence : {fixedLength(64), randomLengths(5u, 1, 2048), cycle({1, 3, 7, 300, 31, 2, 47, 48}),
                                 cycle({5, 64, 33, 1024})})
    {
        // The last run takes the kernel for processors without fused multiply-add.
        DirectConvolveTovDSPInternal::forcePlainKernel = ++runIndex == 4;
        std::vector<float> sum(total, 0.0f);
        const TovDSPArray input = feedArray(x);
        TovDSPArray head = DirectConvolve(irBuffer, input);
        for (const auto& s : convolutionSegments)
        {
            TovDSPArray conv = PartConvolve(irBuffer, feedArray(x), s.start, s.end, s.log2Size);
            const auto out = run(conv, total, sequence);
            for (size_t t = 0; t < total; ++t)
                sum[t] += out[0][t];
        }
        const auto headOut = run(head, total, sequence);
        for (size_t t = 0; t < total; ++t)
            sum[t] += headOut[0][t];
        // The head's own output does not depend on the blocks at all.
        if (firstHead.empty())
            firstHead = headOut[0];
        else if (!DirectConvolveTovDSPInternal::forcePlainKernel)
        {
            EXPECT_TRUE(headOut[0] == firstHead);
        }
        DirectConvolveTovDSPInternal::forcePlainKernel = false;
        size_t where = 0;
        EXPECT_LE(maxError(sum, expected, &where), bound) << "worst at sample " << where;
        // A delay of one sample more or less is far outside the bound.
        EXPECT_GT(testsupport::rms(expected), 1000.0 * bound);
    }
}

TEST(PartConvolveAccuracy, LatencyIsExactlyThePartitionLength)
{
    std::vector<float> ir = decayingResponse(700, 4u, 300.0);
    ir[0] = 1.0f; // a clear first tap: one sample early or late is obvious
    const Buffer irBuffer = bufferFromSamples(700, ir.data());
    for (int log2Size : {5, 8, 11})
    {
        const int n = 1 << log2Size;
        const int l = n / 2;
        for (uint32_t seed : {11u, 12u, 13u})
        {
            // Noise from the first sample: the first L outputs are exactly zero.
            seedStartPhaseGenerator(seed);
            TovDSPArray busy = PartConvolve(irBuffer, feedArray(noise(4 * static_cast<size_t>(n), seed)), 0, 0, log2Size);
            const auto noisy = run(busy, 4 * static_cast<size_t>(n), fixedLength(48));
            for (int t = 0; t < l; ++t)
                ASSERT_EQ(noisy[0][static_cast<size_t>(t)], 0.0f) << log2Size << " sample " << t;
            EXPECT_NE(noisy[0][static_cast<size_t>(l)], 0.0f);

            // An impulse after 2N samples of silence: silence until t0 + L, then
            // ir / 4. The frame holding the impulse also yields a few outputs
            // before t0 + L that are zero only up to the transforms' rounding.
            const size_t t0 = 2 * static_cast<size_t>(n) + 5;
            const size_t total = t0 + static_cast<size_t>(l) + ir.size() + 100;
            std::vector<float> impulse(total, 0.0f);
            impulse[t0] = 1.0f;
            seedStartPhaseGenerator(seed);
            TovDSPArray conv = PartConvolve(irBuffer, feedArray(impulse), 0, 0, log2Size);
            const auto out = run(conv, total, fixedLength(37));
            for (size_t t = 0; t < t0 + static_cast<size_t>(l); ++t)
                ASSERT_LE(std::fabs(out[0][t]), 1e-6f) << log2Size << " sample " << t;
            EXPECT_NEAR(out[0][t0 + static_cast<size_t>(l)], 0.25f, 1e-6);
            for (size_t m = 0; m < ir.size(); ++m)
                ASSERT_NEAR(out[0][t0 + static_cast<size_t>(l) + m], 0.25f * ir[m], 1e-6) << log2Size << " tap " << m;
        }
    }
}

TEST(PartConvolveAccuracy, SamePhaseGivesBitIdenticalOutputWhateverTheBlockLengths)
{
    const std::vector<float> ir = decayingResponse(12000, 6u, 4000.0);
    const Buffer irBuffer = bufferFromSamples(12000, ir.data());
    const size_t total = 50000;
    const std::vector<float> x = noise(total, 8u);
    for (int log2Size : {8, 12})
    {
        std::vector<float> first;
        const std::vector<BlockLengths> sequences = {fixedLength(32), fixedLength(64), fixedLength(512),
                                                     fixedLength(4096), cycle({17, 1, 3, 1000, 4097, 250, 64})};
        for (size_t i = 0; i < sequences.size(); ++i)
        {
            seedStartPhaseGenerator(4242u);
            TovDSPArray conv = PartConvolve(irBuffer, feedArray(x), 0, 0, log2Size);
            const auto out = run(conv, total, sequences[i]);
            if (i == 0)
                first = out[0];
            else
                EXPECT_TRUE(out[0] == first) << "log2 size " << log2Size << ", sequence " << i;
        }
        EXPECT_GT(norm2(first), 1.0);
    }
}

// Convolutions reading shared spectrum feeds: one from the start, one that
// joins mid-stream (it must start from silence, as a node of its own would,
// then move to the shared spectra), and one too long for the feed's ring
// (nodes of its own). Each must match the direct convolution of what it heard.
TEST(PartConvolveAccuracy, ReadersOfSharedSpectraMatchDirectConvolutionOfWhatTheyHeard)
{
    const std::vector<float> irs[3] = { decayingResponse(3000, 31u, 900.0), decayingResponse(2800, 32u, 700.0),
                                        decayingResponse(5000, 33u, 2000.0) };
    const size_t total = 24000;
    const std::vector<float> x = noise(total, 34u);
    constexpr int maxBlock = 700;
    for (const Segment& s : { Segment { 0, 128, 6 }, Segment { 128, 0, 10 } })
    {
        TovDSPArray feeds = SpectrumFeeds(feedArray(x), s.log2Size, 6, maxBlock);
        TovDSPArray readers[3];
        size_t startOf[3] = { 0, 0, 0 };
        std::vector<float> out[3];
        auto lengths = randomLengths(35u, 1, maxBlock);
        int position = 0;
        for (int block = 0; static_cast<size_t>(position) < total; ++block)
        {
            const int n = std::min<int>(lengths(block), static_cast<int>(total) - position);
            for (int r = 0; r < 3; ++r)
            {
                if (readers[r].isNull() && (r != 1 || position >= 5001))
                {
                    const Buffer ir = bufferFromSamples(static_cast<int32_t>(irs[r].size()), irs[r].data());
                    readers[r] = PartConvolveFromFeeds(ir, feeds, s.start, s.end);
                    startOf[r] = static_cast<size_t>(position);
                }
            }
            feeds.prepare(-1, n, position);
            for (auto& reader : readers)
                if (!reader.isNull())
                    reader.prepare(-1, n, position);
            unsigned char done = 0;
            for (int r = 0; r < 3; ++r)
            {
                if (readers[r].isNull())
                {
                    out[r].insert(out[r].end(), static_cast<size_t>(n), 0.0f);
                    continue;
                }
                const float* data = readers[r].pull(0, &done, position);
                out[r].insert(out[r].end(), data, data + n);
            }
            feeds.pull(-1, &done, position);
            position += n;
        }
        ASSERT_GT(startOf[1], 5000u);
        for (int r = 0; r < 3; ++r)
        {
            std::vector<float> heard = x;
            std::fill(heard.begin(), heard.begin() + static_cast<long>(startOf[r]), 0.0f);
            const Expectation expected = expectSegment(irs[r], s, heard, total);
            size_t where = 0;
            EXPECT_LE(maxError(out[r], expected.output, &where), expected.bound)
                << "reader " << r << " of segment (" << s.start << ", " << s.end << ", " << s.log2Size
                << "), worst at sample " << where;
            EXPECT_GT(testsupport::rms(expected.output), 1000.0 * expected.bound);
        }
    }
}
