#include "dsp/TovDSPArray.h"

#include "dsp/SourceNodes.h"

namespace tovdsp
{
namespace
{
TovDSPInternal** allocateNodes(unsigned int n)
{
    return n > 0 ? new TovDSPInternal*[n] : nullptr;
}
} // namespace

TovDSPArray::TovDSPArray()
    : width(1), nodes(allocateNodes(1))
{
    nodes[0] = nullNode();
}

TovDSPArray::TovDSPArray(TovDSPInternal* node, int channel)
    : width(1), nodes(allocateNodes(1))
{
    if (node == nullptr)
    {
        nodes[0] = nullNode();
        return;
    }
    if (channel >= 0)
    {
        TovDSPInternal* single = node->channelNode(channel);
        node->release();
        node = single;
    }
    nodes[0] = node;
}

TovDSPArray::TovDSPArray(TovDSPInternal* const* nodePointers, int n)
    : width(n > 0 ? static_cast<unsigned int>(n) : 0u), nodes(allocateNodes(width))
{
    const bool firstMissing = nodePointers == nullptr || (width > 0 && nodePointers[0] == nullptr);
    for (unsigned int i = 0; i < width; ++i)
    {
        TovDSPInternal* given = nodePointers != nullptr ? nodePointers[i] : nullptr;
        if (firstMissing || given == nullptr)
        {
            if (given != nullptr)
                given->release(); // the references were handed over; don't leak them
            nodes[i] = nullNode();
        }
        else
        {
            nodes[i] = given;
        }
    }
}

TovDSPArray::TovDSPArray(float value)
    : width(1), nodes(allocateNodes(1))
{
    nodes[0] = new ScalarTovDSPInternal(value);
}

TovDSPArray::TovDSPArray(double value)
    : TovDSPArray(static_cast<float>(value))
{
}

TovDSPArray::TovDSPArray(int value)
    : TovDSPArray(static_cast<float>(value))
{
}

TovDSPArray::TovDSPArray(const float* variable)
    : width(1), nodes(allocateNodes(1))
{
    nodes[0] = new FloatPtrTovDSPInternal(variable);
}

TovDSPArray::TovDSPArray(const std::atomic<float>* variable)
    : width(1), nodes(allocateNodes(1))
{
    nodes[0] = new FloatPtrTovDSPInternal(variable);
}

TovDSPArray::TovDSPArray(const TovDSPArray& other)
    : width(other.width), nodes(allocateNodes(other.width))
{
    for (unsigned int i = 0; i < width; ++i)
        nodes[i] = other.nodes[i]->retainNode();
}

TovDSPArray& TovDSPArray::operator=(const TovDSPArray& other)
{
    if (this == &other)
        return *this;
    // Take the new nodes before releasing the old ones: releasing may delete
    // a node that owns `other`.
    TovDSPInternal** fresh = allocateNodes(other.width);
    for (unsigned int i = 0; i < other.width; ++i)
        fresh[i] = other.nodes[i]->retainNode();
    TovDSPInternal** old = nodes;
    const unsigned int oldWidth = width;
    nodes = fresh;
    width = other.width;
    for (unsigned int i = 0; i < oldWidth; ++i)
        old[i]->release();
    delete[] old;
    return *this;
}

TovDSPArray::~TovDSPArray()
{
    releaseAll();
    delete[] nodes;
}

void TovDSPArray::releaseAll()
{
    for (unsigned int i = 0; i < width; ++i)
        nodes[i]->release();
}

void TovDSPArray::resetToNull()
{
    TovDSPInternal* const null = nullNode();
    if (nodes == nullptr)
        nodes = allocateNodes(1);
    const unsigned int oldWidth = width;
    width = 1;
    TovDSPInternal* first = oldWidth > 0 ? nodes[0] : nullptr;
    nodes[0] = null;
    // Release after the array is consistent, in order; node 0 first.
    if (first != nullptr)
        first->release();
    for (unsigned int i = 1; i < oldWidth; ++i)
        nodes[i]->release();
}

const TovDSPArray& TovDSPArray::null()
{
    static const TovDSPArray shared;
    return shared;
}

bool TovDSPArray::isNull() const
{
    return width == 1 && nodes[0]->isNull();
}

bool TovDSPArray::isNull(int channel) const
{
    return channel >= 0 && static_cast<unsigned int>(channel) < width && nodes[channel]->isNull();
}

bool TovDSPArray::isConstant() const
{
    return width > 0 && nodes[0]->isConstant();
}

bool TovDSPArray::sameNodes(const TovDSPArray& other) const
{
    if (width != other.width)
        return false;
    for (unsigned int i = 0; i < width; ++i)
        if (nodes[i] != other.nodes[i])
            return false;
    return true;
}

unsigned int TovDSPArray::maxWidth(const TovDSPArray* arrays, int n)
{
    unsigned int result = 0;
    for (int i = 0; i < n; ++i)
        if (arrays[i].width > result)
            result = arrays[i].width;
    return result;
}

TovDSPArray TovDSPArray::channel(int index) const
{
    if (width == 0)
        return TovDSPArray(null());
    const int w = static_cast<int>(width);
    while (index < 0)
        index += w;
    index %= w;
    return TovDSPArray(nodes[index]->retainNode(), index);
}

TovDSPArray TovDSPArray::toControlRate() const
{
    if (isNull())
        return TovDSPArray(nodes[0]->toControlRate());
    TovDSPArray result(static_cast<TovDSPInternal* const*>(nullptr), 0);
    result.nodes = allocateNodes(width);
    result.width = width;
    for (unsigned int i = 0; i < width; ++i)
        result.nodes[i] = nodes[i]->toControlRate();
    return result;
}

void TovDSPArray::prepare(int channel, int blockSize, int position)
{
    auto isPast = [position](const TovDSPInternal* node) {
        return node->finished && static_cast<unsigned int>(position) > static_cast<unsigned int>(node->finishedAt);
    };
    if (channel < 0)
    {
        for (unsigned int j = 0; j < width; ++j)
        {
            if (isPast(nodes[j]))
            {
                resetToNull();
                nodes[0]->prepare(blockSize, position, 0);
                return;
            }
        }
        for (unsigned int j = 0; j < width; ++j)
            nodes[j]->prepare(blockSize, position, static_cast<int>(j));
        return;
    }
    if (static_cast<unsigned int>(channel) >= width)
        return;
    if (isPast(nodes[channel]))
    {
        resetToNull();
        nodes[0]->prepare(blockSize, position, 0);
        return;
    }
    nodes[channel]->prepare(blockSize, position, channel);
}

float* TovDSPArray::pull(int channel, unsigned char* doneFlag, int position) const
{
    if (channel < 0)
    {
        for (unsigned int j = 0; j < width; ++j)
            nodes[j]->pull(doneFlag, position, static_cast<int>(j));
        return nullptr;
    }
    if (width == 0)
        return nullptr;
    return nodes[static_cast<unsigned int>(channel) % width]->pull(doneFlag, position, channel);
}

void TovDSPArray::process(int blockSize, int position)
{
    prepare(-1, blockSize, position);
    unsigned char done = 0;
    pull(-1, &done, position);
}

void TovDSPArray::setOutputBuffer(int channel, float* memory, int length)
{
    if (memory == nullptr || channel < 0 || static_cast<unsigned int>(channel) >= width)
        return;
    nodes[channel]->output.makeExternal(memory, length);
}

bool TovDSPArray::setInputPointer(int channel, float* pointer)
{
    if (pointer == nullptr || channel < 0 || static_cast<unsigned int>(channel) >= width)
        return false;
    return nodes[channel]->setInputPointer(pointer, channel);
}

bool TovDSPArray::replug(const TovDSPArray& source, float fadeSeconds)
{
    for (unsigned int i = 0; i < width; ++i)
        if (nodes[i]->replug(source, true, fadeSeconds))
            return true;
    return false;
}

void TovDSPArray::cascadeA()
{
    for (unsigned int i = 0; i < width; ++i)
        nodes[i]->cascadeA();
}

void TovDSPArray::cascadeB()
{
    for (unsigned int i = 0; i < width; ++i)
        nodes[i]->cascadeB();
}
} // namespace tovdsp
