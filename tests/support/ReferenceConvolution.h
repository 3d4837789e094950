#pragma once
// Straightforward direct convolution in double precision, independent of the
// library's FFT code: the yardstick for the partitioned convolution.

#include <cstddef>
#include <vector>

namespace testsupport
{
// y[t] = sum over m of h[m] * x[t - m], for t in [0, outputLength); x is zero
// outside its samples.
std::vector<double> directConvolution(const std::vector<float>& x, const std::vector<float>& h,
                                      std::size_t outputLength);

// Root mean square of a signal, in double.
double rms(const std::vector<double>& signal);

// Uniform white noise in [-1, 1) from a fixed seed.
std::vector<float> noise(std::size_t length, unsigned seed);
} // namespace testsupport
