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
    if (!(flags & countedFlag))
        return;
    if (--refCount == 0)
    {
        flags = static_cast<unsigned char>(flags & ~countedFlag);
        currentDeleter->dispose(this);
    }
}
} // namespace tovdsp
