#pragma once
// Pieces of morvane3-bench-chain.

namespace bench
{
double processCpuSeconds(); // CPU time of the whole process, all threads

// Prints what one impulse-response switch costs on the message thread
// (decode, partition and plan, node build, the whole load) and how long the
// audio thread waits for the swap, at each rate in turn.
void reportSwitchCosts(int switches);
} // namespace bench
