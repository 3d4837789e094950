#include "dsp/SmartPointer.h"

namespace tovdsp
{
Deleter defaultDeleter;
Deleter* currentDeleter = &defaultDeleter;

void Deleter::dispose(SmartPointer* object)
{
    delete object;
}

void SmartPointer::release()
{
    if (!isCounted())
        return;
    if (--refCount == 0)
    {
        clearCounted();
        currentDeleter->dispose(this);
    }
}
} // namespace tovdsp
