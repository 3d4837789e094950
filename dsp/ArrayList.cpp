#include "dsp/ArrayList.h"

#include <initializer_list>

namespace tovdsp
{
TovDSPArray::Internal::Internal(const TovDSPArray& first)
    : count(1), capacity(1), elements(new TovDSPArray[1])
{
    elements[0] = first;
}

TovDSPArray::Internal::~Internal()
{
    delete[] elements;
}

void TovDSPArray::Internal::append(const TovDSPArray& array)
{
    if (count == capacity)
    {
        auto* grown = new TovDSPArray[static_cast<unsigned int>(count + 1)];
        for (int i = 0; i < count; ++i)
            grown[i] = elements[i];
        delete[] elements;
        elements = grown;
        capacity = count + 1;
    }
    elements[count++] = array;
}

void TovDSPArray::Internal::clear()
{
    TovDSPArray* old = elements;
    elements = nullptr;
    count = capacity = 0;
    delete[] old;
}

const TovDSPArray& TovDSPArray::Internal::at(int index) const
{
    if (index >= 0 && index < count)
        return elements[index];
    return TovDSPArray::null();
}

int TovDSPArray::Internal::find(const TovDSPArray& array) const
{
    for (int i = 0; i < count; ++i)
        if (elements[i].sameNodes(array))
            return i;
    return -1;
}

unsigned int TovDSPArray::Internal::maxWidth() const
{
    return TovDSPArray::maxWidth(elements, count);
}

int TovDSPArray::Internal::nonNullCount() const
{
    int n = 0;
    for (int i = 0; i < count; ++i)
        if (!elements[i].isNull())
            ++n;
    return n;
}

TovDSPArray::Internal* TovDSPArray::Internal::concatenate(const Internal* first, const Internal* second)
{
    const int total = (first != nullptr ? first->nonNullCount() : 0) + (second != nullptr ? second->nonNullCount() : 0);
    if (total == 0)
        return nullptr;
    auto* result = new Internal();
    result->elements = new TovDSPArray[static_cast<unsigned int>(total)];
    result->capacity = total;
    for (const Internal* list : { first, second })
        if (list != nullptr)
            for (int i = 0; i < list->count; ++i)
                if (!list->elements[i].isNull())
                    result->elements[result->count++] = list->elements[i];
    return result;
}
} // namespace tovdsp
