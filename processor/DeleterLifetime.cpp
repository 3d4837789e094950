#include "processor/DeleterLifetime.h"

#include "dsp/SmartPointer.h"

#include <mutex>

namespace morvane3
{
namespace
{
std::mutex usersMutex;
int users = 0;
} // namespace

void acquireDeferringDeleter()
{
    const std::lock_guard<std::mutex> lock(usersMutex);
    ++users;
}

void releaseDeferringDeleter()
{
    const std::lock_guard<std::mutex> lock(usersMutex);
    tovdsp::currentDeleter->flush();
    if (--users == 0)
        tovdsp::currentDeleter = &tovdsp::defaultDeleter;
}

void flushDeferringDeleter()
{
    tovdsp::currentDeleter->flush();
}

int deferringDeleterUsers()
{
    const std::lock_guard<std::mutex> lock(usersMutex);
    return users;
}
} // namespace morvane3
