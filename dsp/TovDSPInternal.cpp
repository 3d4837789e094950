#include "dsp/TovDSPInternal.h"

#include "dsp/Settings.h"
#include "dsp/SourceNodes.h"
#include "dsp/TovDSPArray.h"

namespace tovdsp
{
TovDSPInternal::TovDSPInternal(unsigned int numInputs)
    : inputCount(numInputs),
      inputs(numInputs > 0 ? new TovDSPArray[numInputs] : nullptr),
      output(settings::blockSize)
{
}

TovDSPInternal::~TovDSPInternal()
{
    delete[] inputs;
}

TovDSPInternal* TovDSPInternal::toControlRate()
{
    return retainNode();
}

void TovDSPInternal::cascadeA()
{
    for (unsigned int i = 0; i < inputCount; ++i)
        inputs[i].cascadeA();
}

void TovDSPInternal::cascadeB()
{
    for (unsigned int i = 0; i < inputCount; ++i)
        inputs[i].cascadeB();
}

void TovDSPInternal::prepare(int blockSize, int position, int channel)
{
    if (position == lastPosition || preparedAlready(blockSize, position, channel))
        return;
    output.resize(blockSize);
    for (unsigned int i = 0; i < inputCount; ++i)
        inputs[i].prepare(channel, blockSize, position);
    prepareExtra(blockSize, position, channel);
}

void TovDSPInternal::prepareExtra(int, int, int) {}

float* TovDSPInternal::pull(unsigned char* doneFlag, int position, int channel)
{
    if (position == lastPosition)
        return output.data;
    compute(doneFlag, position, channel);
    if (!finished && doneFlag != nullptr && *doneFlag == 1)
    {
        finished = true;
        finishedAt = position;
    }
    lastPosition = position;
    return output.data;
}

float TovDSPInternal::currentValue(int) const
{
    return output.lastSample();
}

void TovDSPInternal::setCurrentValue(float value)
{
    output.setLastSample(value);
}

bool TovDSPInternal::setInputPointer(float*, int)
{
    return false;
}

bool TovDSPInternal::replug(const TovDSPArray&, bool, float)
{
    return false;
}

const TovDSPArray& TovDSPInternal::currentSource() const
{
    return TovDSPArray::null();
}

TovDSPInternal* TovDSPInternal::channelNode(int)
{
    return retainNode();
}

void TovDSPInternal::setInput(unsigned int index, const TovDSPArray& array)
{
    if (index < inputCount)
        inputs[index] = array;
}

TovDSPInternal* nullNode()
{
    static NullTovDSPInternal* const shared = [] {
        auto* node = new NullTovDSPInternal();
        node->refCount = 100000;
        return node;
    }();
    static bool firstHandedOut = false;
    if (firstHandedOut)
        shared->retain();
    firstHandedOut = true;
    return shared;
}
} // namespace tovdsp
