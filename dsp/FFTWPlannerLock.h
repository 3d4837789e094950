#pragma once
// FFTW's planner (plan creation and destruction) is not thread-safe, while
// fftwf_execute is. Engines are built on the message thread and may be
// destroyed elsewhere, so every planner call in the process goes through this
// one mutex. Never taken on the audio thread's processing path.

#include <mutex>

namespace tovdsp
{
std::mutex& fftwPlannerMutex();
} // namespace tovdsp
