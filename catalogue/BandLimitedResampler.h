#pragma once
// Lowers the sample rate of an impulse response with a windowed-sinc
// converter, so that nothing above the new Nyquist frequency folds back.
//
// Allocates (the converter's state and the result): message thread only.

#include "dsp/Buffer.h"

namespace morvane3
{
// Channel 0 of `source`, taken as sampled at sourceRate, at targetRate
// (below sourceRate). The result has (targetRate / sourceRate) x length
// samples, truncated, and starts at the same instant as the source. Sample
// values keep their scale (a sine keeps its amplitude). An empty buffer when
// the rates make no sense or the converter fails.
tovdsp::Buffer lowerRateBandLimited(const tovdsp::Buffer& source, double targetRate, double sourceRate);
} // namespace morvane3
