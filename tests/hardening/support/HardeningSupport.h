#pragma once
// Shared pieces of the hardening tests: the framework runtime, signals, a
// host-like block driver and measurements of the process heap.
#include "processor/Morvane3AudioProcessor.h"

#include <cstdint>
#include <vector>

namespace hardening
{
// The framework's message manager, created once per test program. Its loop is
// never run, so the processor's timer stays silent and the tests call the
// message-thread work themselves.
void ensureJuceRuntime();

using Channels = std::vector<std::vector<float>>;

// Uniform noise in [-amplitude, amplitude] per channel.
Channels noise(int channels, int length, uint32_t seed, float amplitude = 0.5f);

// Runs `input` through the processor in host blocks of `blockSize` samples,
// holding the callback lock like a host does, and returns the output.
Channels run(Morvane3AudioProcessor& processor, const Channels& input, int blockSize);

// Largest |a - b| over all channels and samples from `from` on; infinity when
// the shapes differ or a sample is not finite.
double maxDifference(const Channels& a, const Channels& b, size_t from = 0);
double peak(const Channels& x, size_t from = 0);
bool allFinite(const Channels& x, size_t from = 0, size_t to = SIZE_MAX);

// Bytes the C heap holds for the program (glibc mallinfo2), or -1 under a
// sanitizer, whose allocator keeps its own books (and finds leaks itself).
long long liveHeapBytes();

// Selector code (10, 20, ...) to the normalised parameter value.
float selectorValue(int code);
} // namespace hardening
