#pragma once
// One segment of an impulse response cut into partitions of L = N/2 samples,
// each zero-padded to N and stored as a packed half spectrum. All convolution
// nodes made from one partitioning share the spectra (copies share buffers).
//
// Threads: partitionIR plans FFTs and allocates: message thread only.

#include "dsp/Buffer.h"

#include <cstdint>

namespace tovdsp
{
struct PartitionedIR
{
    Buffer spectra;             // per response channel 2e floats: e re parts, then e im parts
    int32_t spectrumLength = 0; // e
    int32_t partitionCount = 0; // P, with P * L <= e
    int32_t start = 0;          // first response sample of the segment
    int32_t end = 0;            // one past the last sample; 0 means the end of the response
    int32_t log2Size = 0;       // log2 N
    int32_t fftSize = 0;        // N
    int32_t halfSize = 0;       // L
    int32_t quarterSize = 0;    // N/4
    Buffer scratch;             // N + 2 floats used while transforming

    // Partition k of spectra channel ch (0 <= k < P).
    float* partitionRe(int ch, int k) const { return spectra.channelSamples(ch) + k * halfSize; }
    float* partitionIm(int ch, int k) const { return spectra.channelSamples(ch) + spectrumLength + k * halfSize; }
};

// Transforms the samples [start, end) of every channel of ir (end 0: to the
// end of ir) with FFT size 2^log2Size (values below 4 mean 12). A bounded
// segment keeps only its whole partitions.
PartitionedIR partitionIR(const Buffer& ir, int32_t start, int32_t end, int32_t log2Size);
} // namespace tovdsp
