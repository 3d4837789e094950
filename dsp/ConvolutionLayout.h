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
} // namespace tovdsp
