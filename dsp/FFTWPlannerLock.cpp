#include "dsp/FFTWPlannerLock.h"

namespace tovdsp
{
std::mutex& fftwPlannerMutex()
{
    static std::mutex mutex;
    return mutex;
}
} // namespace tovdsp
