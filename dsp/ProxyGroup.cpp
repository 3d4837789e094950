#include "dsp/ProxyGroup.h"

namespace tovdsp
{
ProxyOwnerTovDSPInternal::ProxyOwnerTovDSPInternal(unsigned int numInputs, int numProxies)
    : TovDSPInternal(numInputs),
      proxyCount(numProxies > 0 ? static_cast<unsigned int>(numProxies) : 0u),
      outputTable(new TovDSPInternal*[proxyCount + 1])
{
    outputTable[0] = this;
    for (unsigned int i = 1; i <= proxyCount; ++i)
        outputTable[i] = new ProxyTovDSPInternal(this);
}

ProxyOwnerTovDSPInternal::~ProxyOwnerTovDSPInternal()
{
    delete[] outputTable;
}

TovDSPArray ProxyOwnerTovDSPInternal::makeOutputs()
{
    TovDSPInternal** table = outputTable;
    for (unsigned int i = 1; i <= proxyCount; ++i)
        table[i]->retain();
    return TovDSPArray(table, static_cast<int>(proxyCount) + 1);
}

int ProxyOwnerTovDSPInternal::readyOutput(int k, int length)
{
    NodeBuffer& buffer = outputTable[k]->output;
    if (!buffer.external)
        buffer.resize(length);
    return buffer.length < length ? buffer.length : length;
}

void ProxyOwnerTovDSPInternal::release()
{
    if (!isCounted())
        return;
    --refCount;
    groupCheck();
}

void ProxyOwnerTovDSPInternal::groupCheck()
{
    if (!isCounted() || refCount > static_cast<int>(proxyCount))
        return;
    for (unsigned int i = 1; i <= proxyCount; ++i)
        if (outputTable[i]->refCount > 1)
            return;
    for (unsigned int i = 1; i <= proxyCount; ++i)
    {
        outputTable[i]->clearCounted();
        currentDeleter->dispose(outputTable[i]);
    }
    clearCounted();
    currentDeleter->dispose(this);
}

void ProxyOwnerTovDSPInternal::prepare(int blockSize, int position, int channel)
{
    if (position == lastPosition || preparedAlready(blockSize, position, channel))
        return;
    preparedAt = position;
    output.resize(blockSize);
    for (unsigned int i = 0; i < inputCount; ++i)
        inputs[i].prepare(channel, blockSize, position);
    prepareExtra(blockSize, position, channel);
    for (unsigned int i = 1; i <= proxyCount; ++i)
    {
        auto* proxy = static_cast<ProxyTovDSPInternal*>(outputTable[i]);
        if (proxy->refCount <= 1 && proxy->preparedAt != position)
            proxy->prepare(blockSize, position, channel);
    }
}

ProxyTovDSPInternal::ProxyTovDSPInternal(ProxyOwnerTovDSPInternal* groupOwner)
    : TovDSPInternal(0), owner(groupOwner)
{
    owner->retain();
}

void ProxyTovDSPInternal::release()
{
    if (!isCounted())
        return;
    --refCount;
    owner->groupCheck();
}

void ProxyTovDSPInternal::prepare(int blockSize, int position, int channel)
{
    if (position == lastPosition || preparedAlready(blockSize, position, channel))
        return;
    preparedAt = position;
    output.resize(blockSize);
    for (unsigned int i = 0; i < owner->inputCount; ++i)
        owner->inputs[i].prepare(channel, blockSize, position);
    prepareExtra(blockSize, position, channel);
}

void ProxyTovDSPInternal::prepareExtra(int blockSize, int position, int channel)
{
    if (ownerHeldOnlyByGroup() && owner->preparedAt != position)
        owner->prepare(blockSize, position, channel);
}

void ProxyTovDSPInternal::compute(unsigned char* doneFlag, int position, int channel)
{
    if (ownerHeldOnlyByGroup())
        owner->pull(doneFlag, position, channel);
}
} // namespace tovdsp
