#include "dsp/RawInput.h"

#include <algorithm>

namespace tovdsp
{
RawInputTovDSPInternal::RawInputTovDSPInternal(int channels)
    : ProxyOwnerTovDSPInternal(0, channels - 1),
      pointers(new float*[proxyCount + 1])
{
    std::fill(pointers, pointers + proxyCount + 1, nullptr);
}

RawInputTovDSPInternal::~RawInputTovDSPInternal()
{
    delete[] pointers;
}

bool RawInputTovDSPInternal::setInputPointer(float* pointer, int index)
{
    if (index < 0 || index > static_cast<int>(proxyCount))
        return false;
    pointers[index] = pointer;
    return true;
}

void RawInputTovDSPInternal::compute(unsigned char*, int, int)
{
    const int length = output.length;
    const int outputs = outputCount();
    for (int k = 0; k < outputs; ++k)
    {
        if (pointers[k] == nullptr)
            continue;
        const int n = readyOutput(k, length);
        std::copy(pointers[k], pointers[k] + n, outputTable[k]->output.data);
    }
    std::fill(pointers, pointers + outputs, nullptr);
}

TovDSPArray RawInput(int channels)
{
    auto* node = new RawInputTovDSPInternal(channels < 1 ? 1 : channels);
    return node->makeOutputs();
}
} // namespace tovdsp
