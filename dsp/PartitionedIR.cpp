#include "dsp/PartitionedIR.h"

#include "dsp/FFTEngine.h"

#include <algorithm>
#include <cstring>

namespace tovdsp
{
PartitionedIR partitionIR(const Buffer& ir, int32_t start, int32_t end, int32_t log2Size)
{
    PartitionedIR result;
    if (log2Size < 4 || log2Size > 30)
        log2Size = 12;
    const int32_t n = 1 << log2Size;
    const int32_t l = n / 2;
    const int32_t m = ir.length;

    int32_t e = end != 0 ? end - start : n * ((m + n - 1) / n);
    e = std::max<int32_t>(0, e); // a segment ending before it starts holds nothing

    result.spectrumLength = e;
    result.start = start;
    result.end = end;
    result.log2Size = log2Size;
    result.fftSize = n;
    result.halfSize = l;
    result.quarterSize = n / 4;
    result.spectra = makeUninitialisedBuffer(ir.channelCount, 2 * e);
    result.scratch = makeUninitialisedBuffer(1, n + 2);

    int32_t usable = (end != 0 ? std::min(m, end) : m) - start;
    usable = std::max<int32_t>(0, usable);
    int32_t p = (usable + l - 1) / l;
    if (static_cast<int64_t>(p) * l > e)
        p = e / l;
    // A start before the response's first sample would read outside it.
    if (start < 0)
        p = 0;
    result.partitionCount = p;
    if (p == 0 || ir.channelCount == 0)
        return result;

    FFTEngineInternal engine(n);
    float* scratch = result.scratch.channelSamples(0);
    for (int32_t ch = 0; ch < ir.channelCount; ++ch)
    {
        const float* samples = ir.channelSamples(ch);
        for (int32_t k = 0; k < p; ++k)
        {
            const int32_t count = std::min(l, usable - k * l);
            std::memcpy(scratch, samples + start + k * l, sizeof(float) * static_cast<size_t>(count));
            std::memset(scratch + count, 0, sizeof(float) * static_cast<size_t>(n + 2 - count));
            forwardTransform(engine, scratch, {result.partitionRe(ch, k), result.partitionIm(ch, k)});
        }
    }
    return result;
}
} // namespace tovdsp
