// morvane3-bench: what four mono convolutions of a 19404-sample cabinet
// response cost at common host block sizes, for our partitioned convolution
// and for the two peers a user could choose instead. Everything runs pinned to
// one core; CPU time is that of the whole process (all threads).
//
// Usage: morvane3-bench [seconds of audio per measurement, default 10]

#include "ConvolutionMethod.h"

#include <sched.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace
{
constexpr double sampleRate = 44100.0;
constexpr int responseLength = 19404;

// A cabinet-like response: a strong first tap, then decaying noise.
std::vector<float> syntheticCabinet(unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> ir(responseLength);
    for (int i = 0; i < responseLength; ++i)
        ir[static_cast<size_t>(i)] = 0.5f * uniform(generator) * std::exp(-static_cast<float>(i) / 2500.0f);
    ir[0] = 1.0f;
    return ir;
}

// All threads of the process, to the nanosecond. getrusage's figure moves in
// steps of milliseconds (its split into user and system time is rescaled at
// every reading), which over a few seconds of audio is a tenth of what is
// measured.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

struct Signals
{
    Signals(int channels, size_t length) : data(static_cast<size_t>(channels), std::vector<float>(length, 0.0f)) {}
    std::vector<std::vector<float>> data;
};

struct Measurement
{
    int latency = -1;
    double cpuPerSecond = 0.0;
    double worstBlockSeconds = 0.0; // costliest block of the schedule, preemption filtered out
    double rawWorstSeconds = 0.0;   // longest block as measured, preemption included
};

// Runs blocks of the input through the method from sample `from` to `to`,
// writing into out; when blockTimes is given, records each block's wall time.
void runBlocks(bench::ConvolutionMethod& method, Signals& in, Signals& out, int blockSize, size_t from, size_t to,
               std::vector<double>* blockTimes = nullptr)
{
    for (size_t t = from; t + static_cast<size_t>(blockSize) <= to; t += static_cast<size_t>(blockSize))
    {
        float* inputs[2] = {in.data[0].data() + t, in.data[1].data() + t};
        float* outputs[4] = {out.data[0].data() + t, out.data[1].data() + t, out.data[2].data() + t,
                             out.data[3].data() + t};
        if (blockTimes == nullptr)
        {
            method.process(inputs, outputs, blockSize);
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        method.process(inputs, outputs, blockSize);
        blockTimes->push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

// Every method's work repeats with a period of at most this many samples
// (its largest partition), so block i and block i + cycle do the same work.
constexpr size_t scheduleCycle = 32768;

// The delay from an impulse to the response's first tap on the output.
int measureLatency(const bench::MethodDescription& description, const std::vector<float>& cab1,
                   const std::vector<float>& cab2, int blockSize)
{
    auto method = description.create(cab1, cab2, blockSize);
    const size_t t0 = static_cast<size_t>(blockSize) * static_cast<size_t>(16384 / blockSize + 1);
    const size_t total = t0 + 32768;
    Signals in(2, total), out(4, total);
    in.data[0][t0] = 1.0f;
    runBlocks(*method, in, out, blockSize, 0, total);
    float peak = 0.0f;
    for (float v : out.data[0])
        peak = std::max(peak, std::fabs(v));
    for (size_t t = 0; t < total; ++t)
        if (peak > 0.0f && std::fabs(out.data[0][t]) > 0.1f * peak)
            return static_cast<int>(t) - static_cast<int>(t0);
    return -1;
}

Measurement measure(const bench::MethodDescription& description, const std::vector<float>& cab1,
                    const std::vector<float>& cab2, int blockSize, Signals& input)
{
    Measurement result;
    result.latency = measureLatency(description, cab1, cab2, blockSize);

    auto method = description.create(cab1, cab2, blockSize);
    const size_t length = input.data[0].size();
    Signals out(4, length);
    const size_t warmUp = static_cast<size_t>(blockSize) * static_cast<size_t>(22050 / blockSize);
    runBlocks(*method, input, out, blockSize, 0, warmUp);

    const size_t timedSamples = (length - warmUp) / static_cast<size_t>(blockSize) * static_cast<size_t>(blockSize);
    const double cpuBefore = cpuSeconds();
    runBlocks(*method, input, out, blockSize, warmUp, warmUp + timedSamples);
    const double cpu = cpuSeconds() - cpuBefore;
    result.cpuPerSecond = cpu / (static_cast<double>(timedSamples) / sampleRate);

    // A second pass times every block. On a shared machine a block is now and
    // then preempted by another process; taking each position of the schedule
    // at its fastest over the repeats of the cycle removes that, and the worst
    // of those is the costliest block the method itself produces.
    std::vector<double> times;
    runBlocks(*method, input, out, blockSize, warmUp, warmUp + timedSamples, &times);
    const size_t period = std::max<size_t>(1, scheduleCycle / static_cast<size_t>(blockSize));
    std::vector<double> fastest(period, 1e30);
    for (size_t i = 0; i < times.size(); ++i)
    {
        fastest[i % period] = std::min(fastest[i % period], times[i]);
        result.rawWorstSeconds = std::max(result.rawWorstSeconds, times[i]);
    }
    for (double t : fastest)
        if (t < 1e30)
            result.worstBlockSeconds = std::max(result.worstBlockSeconds, t);
    return result;
}
} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 10.0;

    // One core for everything, worker threads included (they inherit it).
    const int cpu = std::max(0, sched_getcpu());
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    sched_setaffinity(0, sizeof(set), &set);

    const std::vector<bench::MethodDescription> methods = {
        {"tovdsp PartConvolve", bench::createTovdspMethod},
        {"zita-convolver", bench::createZitaMethod},
#if MORVANE3_BENCH_WITH_JUCE
        {"juce::dsp::Convolution", bench::createJuceMethod},
#endif
    };
    const std::vector<float> cab1 = syntheticCabinet(1u), cab2 = syntheticCabinet(2u);

    const size_t length = static_cast<size_t>(seconds * sampleRate) + 22050;
    Signals input(2, length);
    std::mt19937 generator(7u);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    for (auto& channel : input.data)
        for (float& v : channel)
            v = uniform(generator);

    std::printf("Four mono convolutions (stereo input, two cabinets) of a %d-sample response at 44100 Hz,\n"
                "%.0f s of audio per measurement, pinned to CPU %d.\n\n",
                responseLength, seconds, cpu);
    std::printf("%-24s %6s %8s %12s %8s %11s %9s %10s\n", "method", "block", "latency", "CPU s per s",
                "vs peer", "worst us", "% budget", "raw max us");
    for (int blockSize : {32, 64, 128, 256, 512, 1024})
    {
        std::vector<Measurement> results;
        for (const auto& method : methods)
            results.push_back(measure(method, cab1, cab2, blockSize, input));
        double fastestPeer = 1e30;
        for (size_t m = 1; m < results.size(); ++m)
            fastestPeer = std::min(fastestPeer, results[m].cpuPerSecond);
        const double budget = blockSize / sampleRate;
        for (size_t m = 0; m < results.size(); ++m)
            std::printf("%-24s %6d %8d %12.5f %8.2f %11.1f %9.1f %10.1f\n", methods[m].name, blockSize,
                        results[m].latency, results[m].cpuPerSecond, results[m].cpuPerSecond / fastestPeer,
                        1e6 * results[m].worstBlockSeconds, 100.0 * results[m].worstBlockSeconds / budget,
                        1e6 * results[m].rawWorstSeconds);
        std::fflush(stdout);
    }
    return 0;
}
