#include "dsp/MixArray.h"

#include <algorithm>

#include <xmmintrin.h>

namespace tovdsp
{
MixArrayTovDSPInternal::MixArrayTovDSPInternal(ArrayList* entries)
    : ProxyOwnerTovDSPInternal(0, static_cast<int>(entries->maxWidth()) - 1),
      list(entries)
{
    list->retain();
}

MixArrayTovDSPInternal::~MixArrayTovDSPInternal()
{
    list->release();
}

void MixArrayTovDSPInternal::cascadeA()
{
    for (int j = 0; j < list->count; ++j)
        list->elements[j].cascadeA();
}

void MixArrayTovDSPInternal::cascadeB()
{
    for (int j = 0; j < list->count; ++j)
        list->elements[j].cascadeB();
}

void MixArrayTovDSPInternal::prepareExtra(int blockSize, int position, int)
{
    for (int j = 0; j < list->count; ++j)
        list->elements[j].prepare(-1, blockSize, position);
}

void MixArrayTovDSPInternal::compute(unsigned char* doneFlag, int position, int)
{
    const int length = output.length;
    const int outputs = outputCount();
    for (int k = 0; k < outputs; ++k)
    {
        const int n = readyOutput(k, length);
        float* out = outputTable[k]->output.data;
        std::fill(out, out + n, 0.0f);
        for (int j = 0; j < list->count; ++j)
        {
            const TovDSPArray& entry = list->at(j);
            if (entry.isNull(k))
                continue;
            const float* in = entry.pull(k, doneFlag, position);
            if (in == nullptr)
                continue;
            // The sum of two floats formed in double and rounded to float is
            // the float sum, so four lanes at a time give the same bits.
            int i = 0;
            for (; i + 4 <= n; i += 4)
                _mm_storeu_ps(out + i, _mm_add_ps(_mm_loadu_ps(out + i), _mm_loadu_ps(in + i)));
            for (; i < n; ++i)
                out[i] = static_cast<float>(static_cast<double>(out[i]) + static_cast<double>(in[i]));
        }
    }
}

float MixArrayTovDSPInternal::currentValue(int channel) const
{
    float sum = 0.0f;
    for (int j = 0; j < list->count; ++j)
    {
        const TovDSPArray& entry = list->at(j);
        if (entry.width == 0)
            continue;
        const float value = entry.nodes[static_cast<unsigned int>(channel) % entry.width]->currentValue(channel);
        sum = static_cast<float>(static_cast<double>(sum) + static_cast<double>(value));
    }
    return sum;
}

TovDSPArray MixArray(ArrayList* list)
{
    if (list == nullptr)
        return TovDSPArray();
    auto* mixer = new MixArrayTovDSPInternal(list);
    const float first = mixer->currentValue(0);
    TovDSPArray result = mixer->makeOutputs();
    result.nodes[0]->setCurrentValue(first);
    for (unsigned int i = 1; i < result.width; ++i)
        result.nodes[i]->setCurrentValue(mixer->currentValue(static_cast<int>(i)));
    return result;
}
} // namespace tovdsp
