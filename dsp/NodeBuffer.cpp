#include "dsp/NodeBuffer.h"

namespace tovdsp
{
NodeBuffer::NodeBuffer(int size)
    : length(size), capacity(size)
{
    if (size > 0)
    {
        data = new float[static_cast<unsigned int>(size)];
        data[size - 1] = 0.0f;
    }
    else
    {
        length = capacity = 0;
    }
}

NodeBuffer::~NodeBuffer()
{
    if (!external)
        delete[] data;
}

void NodeBuffer::resize(int n)
{
    if (external)
        return;
    if (n < 0)
        n = 0;
    if (n > capacity)
    {
        delete[] data;
        data = new float[static_cast<unsigned int>(n)];
        capacity = n;
    }
    length = n;
}

void NodeBuffer::makeExternal(float* memory, int newLength)
{
    const float remembered = lastSample();
    if (!external)
        delete[] data;
    external = true;
    data = memory;
    length = newLength < 0 ? 0 : newLength;
    capacity = 0;
    setLastSample(remembered);
}
} // namespace tovdsp
