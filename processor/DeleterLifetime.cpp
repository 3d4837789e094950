#include "processor/DeleterLifetime.h"

#include "dsp/DeferringDeleter.h"

#include <mutex>

namespace morvane3
{
namespace
{
std::mutex usersMutex;
int users = 0;

// Never destroyed: a late release after the last processor (another library
// object the host still holds) must still find a valid deleter.
tovdsp::DeferringDeleter& deferringDeleter()
{
    static auto* deleter = new tovdsp::DeferringDeleter();
    return *deleter;
}
} // namespace

void acquireDeferringDeleter()
{
    const std::lock_guard<std::mutex> lock(usersMutex);
    if (users++ == 0)
        tovdsp::currentDeleter = &deferringDeleter();
}

void releaseDeferringDeleter()
{
    const std::lock_guard<std::mutex> lock(usersMutex);
    deferringDeleter().flush();
    if (--users == 0)
    {
        tovdsp::currentDeleter = &tovdsp::defaultDeleter;
        deferringDeleter().flush();
    }
}

void flushDeferringDeleter()
{
    deferringDeleter().flush();
}

int deferringDeleterUsers()
{
    const std::lock_guard<std::mutex> lock(usersMutex);
    return users;
}
} // namespace morvane3
