#pragma once
#include "tests/support/HostXErrorHandler.h"
// Shared pieces of the fuzz targets: the framework runtime, a reader that
// turns the fuzzer's bytes into choices, and a hard stop for findings that
// are not memory errors (the sanitizers report those themselves).
#include <juce_events/juce_events.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzzing
{
// Lives as long as the process, like the targets' processors; a global keeps
// it reachable for the leak checker.
inline juce::ScopedJuceInitialiser_GUI* runtime = nullptr;

inline void ensureJuceRuntime()
{
    if (runtime == nullptr)
    {
        runtime = new juce::ScopedJuceInitialiser_GUI();
        testsupport::installHostXErrorHandler();
    }
}

// Reports a broken promise and aborts, so libFuzzer saves the input.
[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::abort();
}

class ByteReader
{
public:
    ByteReader(const uint8_t* bytes, size_t count) : data(bytes), size(count) {}

    bool empty() const { return position >= size; }
    uint8_t byte() { return position < size ? data[position++] : 0; }
    uint16_t word() { return (uint16_t) (byte() | (byte() << 8)); }
    float unit() { return (float) word() / 65535.0f; } // 0 to 1 inclusive
    template <typename T, size_t N> const T& pick(const T (&choices)[N]) { return choices[byte() % N]; }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

inline bool finite(const float* x, int n)
{
    for (int i = 0; i < n; ++i)
        if (! std::isfinite(x[i]))
            return false;
    return true;
}
} // namespace fuzzing
