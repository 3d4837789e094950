#pragma once
// How a whole impulse response is covered with no latency: its first
// directTaps samples by direct convolution, the rest by partitioned segments
// of growing size whose starts equal their partition lengths, so that each
// segment's own latency puts it exactly in place.
#include "dsp/DirectConvolve.h"

namespace tovdsp
{
struct ConvolutionSegment
{
    int start, end, log2Size; // end 0: to the end of the response
};

constexpr int directHeadLength = DirectConvolveTovDSPInternal::directTaps;
constexpr ConvolutionSegment convolutionSegments[] = {
    {32, 128, 6}, {128, 512, 8}, {512, 2048, 10}, {2048, 8192, 12}, {8192, 0, 14}};
constexpr int convolutionSegmentCount = 5;
static_assert(convolutionSegments[0].start == directHeadLength, "the first segment starts where the direct head ends");

// Partitions a segment's shared spectrum feeds keep: a bounded segment's own
// count; for the open-ended last one, a response of up to 8192 + 12 * 8192
// samples (over half a second at 192 kHz). A longer one still plays, with
// transforms of its own.
constexpr int tailFeedPartitions = 12;
constexpr int feedPartitions(const ConvolutionSegment& segment)
{
    return segment.end > 0 ? (segment.end - segment.start) / (1 << (segment.log2Size - 1)) : tailFeedPartitions;
}
} // namespace tovdsp
