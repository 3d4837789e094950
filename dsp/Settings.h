#pragma once
// Process-wide settings of the graph library.
//
// Written only from the host's prepare-to-play handler (message thread), read
// by node constructors. Nodes whose behaviour depends on the sample rate copy
// sampleDuration when they are constructed, so several plug-in instances in
// one process can prepare at different rates without disturbing each other's
// existing graphs.
//
// The values live in their own namespace so that the many parameters called
// blockSize in the library do not shadow them.

namespace tovdsp
{
namespace settings
{
inline double sampleRate = 44100.0;            // Hz
inline double sampleDuration = 1.0 / 44100.0;  // seconds, always 1 / sampleRate
inline int blockSize = 512;                    // initial length of every new node buffer
inline constexpr int controlPeriod = 32;       // samples per step of the control-rate nodes
} // namespace settings

// Values that are not positive leave their setting unchanged.
inline void setSampleRateAndBlockSize(int newBlockSize, double newSampleRate)
{
    if (newSampleRate > 0.0)
    {
        settings::sampleRate = newSampleRate;
        settings::sampleDuration = 1.0 / newSampleRate;
    }
    if (newBlockSize > 0)
        settings::blockSize = newBlockSize;
}
} // namespace tovdsp
