#pragma once
#include <complex>
#include <vector>

namespace morvane3::render
{

// In-place forward transform (e^{-i...}, unnormalised), iterative radix-2; the size
// must be a power of two. Measurement only, so double precision and no planning.
void fft(std::vector<std::complex<double>>& data);

// |H| in dB for bins 0 .. size/2 of a response zero-padded (or cut) to `size`.
std::vector<double> magnitudeResponseDb(const std::vector<float>& impulseResponse, std::size_t size);

} // namespace morvane3::render
