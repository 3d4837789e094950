#pragma once
// Start phases of the convolution's frame schedules. Nodes of one partition
// size that start at different phases complete their frames (and their large
// transforms) in different host blocks, which spreads the cost of a frame.
//
// Threads: any. The draw happens on the audio thread at a node's first block:
// lock-free and without allocation.

#include <cstdint>

namespace tovdsp
{
// The process-wide source of start phases: a lock-free generator of integers
// in 0..32767. Seeding it fixes the phases of the nodes computed afterwards.
void seedStartPhaseGenerator(uint32_t seed);
int drawStartPhaseRandom();

// A start phase in 4-sample groups, below a half frame of fftSize samples.
int drawStartPhase(int fftSize);
} // namespace tovdsp
