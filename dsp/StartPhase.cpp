#include "dsp/StartPhase.h"

#include <algorithm>
#include <atomic>

namespace tovdsp
{
namespace
{
// Linear congruential state shared by all nodes. The draw happens on the audio
// thread at a node's first block, hence atomic and without allocation.
std::atomic<uint32_t> phaseState{0x2545F491u};

uint32_t nextState(uint32_t state)
{
    return state * 214013u + 2531011u;
}
} // namespace

void seedStartPhaseGenerator(uint32_t seed)
{
    phaseState.store(seed, std::memory_order_relaxed);
}

int drawStartPhaseRandom()
{
    uint32_t state = phaseState.load(std::memory_order_relaxed);
    uint32_t next = nextState(state);
    while (!phaseState.compare_exchange_weak(state, next, std::memory_order_relaxed))
        next = nextState(state);
    return static_cast<int>((next >> 16) & 0x7fffu);
}

int drawStartPhase(int fftSize)
{
    const int groupsPerHalf = fftSize / 8;
    const int divisor = std::max(1, 32767 / groupsPerHalf);
    int h = drawStartPhaseRandom() / divisor;
    while (h >= groupsPerHalf)
        h = drawStartPhaseRandom() / divisor;
    return h;
}
} // namespace tovdsp
