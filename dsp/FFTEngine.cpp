#include "dsp/FFTEngine.h"

#include "dsp/FFTWPlannerLock.h"
#include "dsp/FFTWisdom.h"
#include "dsp/HalfSizeSpectrum.h"
#include "dsp/Simd.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace tovdsp
{
namespace
{
int32_t nextPowerOfTwo(int32_t requested)
{
    int32_t n = 2; // the half-size transform needs at least one complex point
    while (n < requested && n < (1 << 30))
        n <<= 1;
    return n;
}

void announceOnce()
{
    static std::once_flag announced;
    std::call_once(announced, [] {
        std::fputs("FFTEngine using FFTW\n", stdout);
        std::fflush(stdout);
    });
}

// Called with the planner mutex held. Imported once per process, before the
// first plan, so that every engine of one size gets the same plan for the
// life of the process.
void importBuiltInWisdomOnce()
{
    static bool imported = false;
    if (imported)
        return;
    imported = true;
    fftwf_import_wisdom_from_string(builtInFFTWisdom);
}

// The measured plan where the wisdom has one (built on a processor like this
// one), otherwise the estimated plan, which costs no measurement either.
template <typename MakePlan> fftwf_plan planFromWisdom(MakePlan makePlan, bool& measured)
{
    if (fftwf_plan plan = makePlan(FFTW_WISDOM_ONLY | FFTW_MEASURE))
        return plan;
    measured = false;
    return makePlan(FFTW_ESTIMATE);
}

// What every engine of one size shares: the plans and the half-size passes'
// sin/cos table.
struct SizePlans
{
    fftwf_plan forward = nullptr;
    fftwf_plan inverse = nullptr;
    bool measured = true;
    std::vector<float> twiddleTable;
};

// One set per size for the life of the process, made with the planner mutex
// held the first time an engine of that size is built. Engines run the plans
// on their own arrays (FFTW's new-array execute, which may run on several
// threads at once), so building or deleting a convolution after the first
// plans nothing: no planner work, no planner allocations.
const SizePlans& plansForSize(int log2Size)
{
    static SizePlans* table[31] = {};
    SizePlans*& plans = table[log2Size];
    if (plans != nullptr)
        return *plans;
    importBuiltInWisdomOnce();
    plans = new SizePlans;
    plans->twiddleTable = halfSizeTwiddleTable(log2Size);
    const int half = 1 << (log2Size - 1);
    // Planned on arrays of their own with the engines' alignment, kept for
    // as long as the plans are.
    auto* signal = fftwf_alloc_complex(static_cast<size_t>(half));
    auto* spectrum = fftwf_alloc_complex(static_cast<size_t>(half + 1));
    plans->forward = planFromWisdom(
        [&](unsigned flags) { return fftwf_plan_dft_1d(half, signal, spectrum, FFTW_FORWARD, flags); },
        plans->measured);
    plans->inverse = planFromWisdom(
        [&](unsigned flags) {
            return fftwf_plan_dft_1d(half, spectrum, signal, FFTW_BACKWARD, flags | FFTW_DESTROY_INPUT);
        },
        plans->measured);
    return *plans;
}
} // namespace

FFTEngineInternal::FFTEngineInternal(int32_t requestedSize)
    : size(nextPowerOfTwo(requestedSize)), halfSize(size / 2), frameBytes(4 * size),
      work(makeUninitialisedBuffer(1, size + 2)), workSamples(work.channelSamples(0)),
      real(makeUninitialisedBuffer(1, size)), realSamples(real.channelSamples(0))
{
    announceOnce();
    int log2Size = 0;
    while ((1 << log2Size) < size)
        ++log2Size;
    const std::lock_guard<std::mutex> lock(fftwPlannerMutex());
    const SizePlans& plans = plansForSize(log2Size);
    twiddles = halfSizeTwiddles(plans.twiddleTable);
    forwardPlan = plans.forward;
    inversePlan = plans.inverse;
    measuredPlans = plans.measured;
}

FFTEngineInternal::~FFTEngineInternal() = default;

namespace
{
// work to real; overwrites work, which is scratch.
void executeInverse(FFTEngineInternal& engine)
{
    fftwf_execute_dft(engine.inversePlan, reinterpret_cast<fftwf_complex*>(engine.workSamples),
                      reinterpret_cast<fftwf_complex*>(engine.realSamples));
}
} // namespace

void forwardTransform(FFTEngineInternal& engine, const float* samples, PackedSpectrum out)
{
    float* work = engine.workSamples;
    // The half-size complex plan leaves its input alone, so samples with the
    // planning array's SIMD alignment are transformed where they are.
    if (fftwf_alignment_of(const_cast<float*>(samples)) == fftwf_alignment_of(engine.realSamples))
    {
        fftwf_execute_dft(engine.forwardPlan, reinterpret_cast<fftwf_complex*>(const_cast<float*>(samples)),
                          reinterpret_cast<fftwf_complex*>(work));
    }
    else
    {
        std::memcpy(engine.realSamples, samples, static_cast<size_t>(engine.frameBytes));
        fftwf_execute_dft(engine.forwardPlan, reinterpret_cast<fftwf_complex*>(engine.realSamples),
                          reinterpret_cast<fftwf_complex*>(work));
    }
    unpackHalfSizeSpectrum(work, out.re, out.im, engine.halfSize, engine.twiddles);
}

void inverseTransform(FFTEngineInternal& engine, ConstPackedSpectrum in, float* samples)
{
    packHalfSizeSpectrum(in.re, in.im, engine.workSamples, engine.halfSize, engine.twiddles);
    executeInverse(engine);
    std::memcpy(samples, engine.realSamples, static_cast<size_t>(engine.frameBytes));
}

namespace
{
// acc += a * b for bins [from, to), four at a time where possible.
void multiplyAccumulateBins(float* accRe, float* accIm, const SpectrumProduct& product, int from, int to)
{
    int k = from;
#if TOVDSP_HAVE_SSE
    for (; k + 4 <= to; k += 4)
    {
        __m128 re = _mm_loadu_ps(accRe + k), im = _mm_loadu_ps(accIm + k);
        addProduct4(re, im, product, k);
        _mm_storeu_ps(accRe + k, re);
        _mm_storeu_ps(accIm + k, im);
    }
#endif
    for (; k < to; ++k)
        addProduct(accRe[k], accIm[k], product, k);
}

#if TOVDSP_HAVE_AVX
__attribute__((target("avx"))) void multiplyAccumulateBinsAvx(float* accRe, float* accIm,
                                                              const SpectrumProduct& product, int from, int to)
{
    int k = from;
    for (; k + 8 <= to; k += 8)
    {
        __m256 re = _mm256_loadu_ps(accRe + k), im = _mm256_loadu_ps(accIm + k);
        addProduct8(re, im, product, k);
        _mm256_storeu_ps(accRe + k, re);
        _mm256_storeu_ps(accIm + k, im);
    }
    _mm256_zeroupper();
    multiplyAccumulateBins(accRe, accIm, product, k, to);
}

const bool haveAvx = __builtin_cpu_supports("avx");
#endif
} // namespace

void multiplyAccumulate(PackedSpectrum acc, ConstPackedSpectrum a, ConstPackedSpectrum b, int bins)
{
    if (bins <= 0)
        return;
    // Bin 0 carries two real values, DC in re and Nyquist in im. The vector
    // loop treats it as complex; its result is then replaced by the two real
    // products, which leaves the operands untouched.
    const float accRe0 = acc.re[0];
    const float accIm0 = acc.im[0];
    const SpectrumProduct product = {a.re, a.im, b.re, b.im};
#if TOVDSP_HAVE_AVX
    if (haveAvx)
        multiplyAccumulateBinsAvx(acc.re, acc.im, product, 0, bins);
    else
#endif
        multiplyAccumulateBins(acc.re, acc.im, product, 0, bins);
    acc.re[0] = accRe0 + a.re[0] * b.re[0];
    acc.im[0] = accIm0 + a.im[0] * b.im[0];
}

void inverseTransformOfSumScaled(FFTEngineInternal& engine, PackedSpectrum acc, const SpectrumProduct* products,
                                 int productCount, float* samples, int count, float scale)
{
    packHalfSizeSpectrumOfSum(acc.re, acc.im, products, productCount, engine.workSamples, engine.halfSize,
                              engine.twiddles);
    executeInverse(engine);

    const float* result = engine.realSamples;
    count = count < engine.size ? count : engine.size;
    int k = 0;
#if TOVDSP_HAVE_SSE
    const __m128 factor = _mm_set1_ps(scale);
    for (; k + 4 <= count; k += 4)
        _mm_storeu_ps(samples + k, _mm_mul_ps(_mm_loadu_ps(result + k), factor));
#endif
    for (; k < count; ++k)
        samples[k] = result[k] * scale;
}
} // namespace tovdsp
