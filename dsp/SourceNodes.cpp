#include "dsp/SourceNodes.h"

#include <algorithm>
#include <cstring>

namespace tovdsp
{
void ScalarBaseTovDSPInternal::fill(float x)
{
    if (output.data == nullptr || output.length <= 0)
        return;
    // External memory belongs to someone else, who may write it.
    if (!output.external && output.data == filledData && output.length <= filledLength
        && std::memcmp(&x, &filledValue, sizeof x) == 0)
        return;
    std::fill(output.data, output.data + output.length, x);
    filledData = output.data;
    filledLength = output.length;
    filledValue = x;
}

TovDSPInternal* NullTovDSPInternal::toControlRate()
{
    return new NullTovDSPInternal();
}

void NullTovDSPInternal::compute(unsigned char*, int, int)
{
    fill(0.0f);
}

void ScalarTovDSPInternal::compute(unsigned char*, int, int)
{
    fill(value);
}

FloatPtrTovDSPInternal::FloatPtrTovDSPInternal(const float* variable)
    : ScalarBaseTovDSPInternal(0.0f), source(variable)
{
    value = read();
}

FloatPtrTovDSPInternal::FloatPtrTovDSPInternal(const std::atomic<float>* variable)
    : ScalarBaseTovDSPInternal(0.0f), atomicSource(variable)
{
    value = read();
}

float FloatPtrTovDSPInternal::read() const
{
    if (atomicSource != nullptr)
        return atomicSource->load(std::memory_order_relaxed);
    if (source != nullptr)
        return *source;
    return 0.0f;
}

void FloatPtrTovDSPInternal::compute(unsigned char*, int, int)
{
    value = read();
    fill(value);
}
} // namespace tovdsp
