#pragma once
// A real transform of N points done as a complex transform of M = N/2 points:
// z[n] = x[2n] + i x[2n+1]. FFTW's complex codelets take about half the time
// of its real-to-complex ones at the sizes the convolution uses, and the real
// input needs no copy, since N floats already are M interleaved complex
// values. What is left is one pass over the bins each way, turning the
// half-size spectrum Z into the packed half spectrum X of x (re[0] the DC bin,
// im[0] the Nyquist bin) and back:
//
//   X[k] = (Z[k] + conj Z[M-k]) / 2 - i W^k (Z[k] - conj Z[M-k]) / 2,   W = e^(-2 pi i / N)
//   Z'[k] = (X[k] + conj X[M-k]) + i W^-k (X[k] - conj X[M-k])
//
// where the inverse half-size transform of Z' is N x, as an unnormalised
// inverse real transform gives. Bins k and M - k depend only on each other,
// so both passes take them in pairs, from both ends towards the middle.
//
// Threads: making a table allocates (engine construction, message thread).
// The passes allocate nothing and run on the audio thread.

#include "dsp/SpectrumProduct.h"

#include <vector>

namespace tovdsp
{
// sin and cos of 2 pi k / N for k in [0, N/4], in single precision: the
// sines, then the cosines.
std::vector<float> halfSizeTwiddleTable(int log2Size);

// The two halves of such a table.
struct HalfSizeTwiddles
{
    const float* sine = nullptr;
    const float* cosine = nullptr;
};
inline HalfSizeTwiddles halfSizeTwiddles(const std::vector<float>& table)
{
    return {table.data(), table.data() + table.size() / 2};
}

// z: the M interleaved complex bins of the forward half-size transform.
// re, im: the packed spectrum of x, M entries each.
void unpackHalfSizeSpectrum(const float* z, float* re, float* im, int m, HalfSizeTwiddles twiddles);

// The packed spectrum (re, im) to the M interleaved bins z of the inverse
// half-size transform.
void packHalfSizeSpectrum(const float* re, const float* im, float* z, int m, HalfSizeTwiddles twiddles);

// The same for the packed spectrum acc + products[0] + products[1] + ...,
// with the arithmetic of multiplyAccumulate (FFTEngine.h), bin for bin and
// in that order. acc is cleared as it is read.
void packHalfSizeSpectrumOfSum(float* accRe, float* accIm, const SpectrumProduct* products, int productCount,
                               float* z, int m, HalfSizeTwiddles twiddles);
} // namespace tovdsp
