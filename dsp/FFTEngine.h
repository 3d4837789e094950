#pragma once
// The single-precision real transforms of one power-of-two size N, between N
// samples and the library's packed half spectrum: two arrays re and im of N/2
// floats, re[0] the DC bin, im[0] the real Nyquist bin. Each is an FFTW
// complex transform of N/2 points and one pass over the bins
// (HalfSizeSpectrum.h). Transforms are unnormalised both ways, so
// inverse(forward(x)) = N * x.
//
// Plans come from wisdom measured at build time where it applies, estimated
// otherwise; every engine of one size in a process runs the same pair of
// plans, made when the first engine of that size is built and kept for the
// life of the process.
//
// Threads: construction allocates and, for the first engine of a size, calls
// the FFTW planner under the process-wide planner mutex (message thread);
// destruction only frees the engine's arrays. The transforms and
// multiplyAccumulate allocate nothing, take no lock and may run on the audio
// thread, engines of one size on several threads at once; one engine must
// not be used by two threads at once.

#include "dsp/Buffer.h"
#include "dsp/HalfSizeSpectrum.h"
#include "dsp/SpectrumProduct.h"
#include "dsp/SmartPointer.h"

#include <cstdint>
#include <fftw3.h>

namespace tovdsp
{
struct PackedSpectrum
{
    float* re;
    float* im;
};

struct ConstPackedSpectrum
{
    const float* re;
    const float* im;
    ConstPackedSpectrum(const float* r, const float* i) : re(r), im(i) {}
    ConstPackedSpectrum(PackedSpectrum s) : re(s.re), im(s.im) {} // NOLINT: implicit on purpose
};

class FFTEngineInternal : public SmartPointer
{
public:
    // Sizes that are not powers of two are raised to the next power of two,
    // and sizes below 2 to 2.
    explicit FFTEngineInternal(int32_t requestedSize);
    ~FFTEngineInternal() override;

    // Out-of-place complex plans of N/2 points, shared by all engines of this
    // size and run on this engine's arrays; the time-domain side is the N
    // samples read as N/2 interleaved complex values.
    fftwf_plan forwardPlan = nullptr; // real -> work, input kept
    fftwf_plan inversePlan = nullptr; // work -> real, work destroyed
    bool measuredPlans = false;       // both plans from the built-in wisdom, not estimated
    int32_t size = 0;                 // N
    int32_t halfSize = 0;             // N/2
    int32_t frameBytes = 0;           // 4N
    HalfSizeTwiddles twiddles;        // shared by every engine of this size, as the plans are
    Buffer work;                      // N + 2 floats: the half-size spectrum, interleaved
    float* workSamples = nullptr;
    Buffer real;                      // N floats: time-domain side of both plans
    float* realSamples = nullptr;
};

// N samples in, packed half spectrum out. The samples are only read.
void forwardTransform(FFTEngineInternal& engine, const float* samples, PackedSpectrum out);

// Packed half spectrum in, N unscaled samples out.
void inverseTransform(FFTEngineInternal& engine, ConstPackedSpectrum in, float* samples);

// The end of an overlap-save frame in one pass over the spectra: acc plus the
// products in the order given (exactly as that many multiplyAccumulate calls
// would leave acc over the N/2 packed bins) is inverse transformed and its
// first count samples, each multiplied by scale (one rounding), go to
// samples: the valid half of the frame, without copying the half that is
// thrown away. acc is zeroed, ready for the next frame. Taking the products
// here rather than accumulating them first saves a pass over acc for each.
void inverseTransformOfSumScaled(FFTEngineInternal& engine, PackedSpectrum acc, const SpectrumProduct* products,
                                 int productCount, float* samples, int count, float scale);

// The same with one product, acc + a * b.
inline void inverseTransformOfSumScaled(FFTEngineInternal& engine, PackedSpectrum acc, ConstPackedSpectrum a,
                                        ConstPackedSpectrum b, float* samples, int count, float scale)
{
    const SpectrumProduct product = {a.re, a.im, b.re, b.im};
    inverseTransformOfSumScaled(engine, acc, &product, 1, samples, count, scale);
}

// acc += a * b over bins packed bins, in single precision: each product
// rounded, then the difference or sum, then the accumulation. Bin 0 adds the
// DC product to acc.re[0] and the Nyquist product to acc.im[0]. Neither
// operand is written, so spectra shared between nodes may be read
// concurrently.
void multiplyAccumulate(PackedSpectrum acc, ConstPackedSpectrum a, ConstPackedSpectrum b, int bins);
} // namespace tovdsp
