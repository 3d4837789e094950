#pragma once
// A reference-counted, growable list of arrays, in which plugs and mixers keep
// their sources. Shared through retain/release. Growing allocates: build lists
// off the audio thread.
#include "dsp/TovDSPArray.h"

namespace tovdsp
{
class TovDSPArray::Internal : public SmartPointer
{
public:
    Internal() = default;                      // empty
    explicit Internal(const TovDSPArray& first); // one element
    ~Internal() override;

    // Grows by exactly one slot when full.
    void append(const TovDSPArray& array);
    void clear();
    // Element `index`, or the process-wide null array when outside the list.
    const TovDSPArray& at(int index) const;
    int find(const TovDSPArray& array) const; // first with the same nodes, or -1
    unsigned int maxWidth() const;
    int nonNullCount() const;

    // The non-null elements of first, then those of second, in a new list;
    // nullptr when there are none. Either argument may be null.
    static Internal* concatenate(const Internal* first, const Internal* second);

    int count = 0;
    int capacity = 0;
    TovDSPArray* elements = nullptr; // slots beyond count hold the null array
};

using ArrayList = TovDSPArray::Internal;
} // namespace tovdsp
