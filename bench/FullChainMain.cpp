// morvane3-bench-chain: what the whole plug-in processor costs (stereo, both
// cabinet channels with all their filters, the mix and the output level) at
// 44100 Hz and host block sizes from 32 to 1024, beside the convolution-only
// peers doing just the four convolutions; then the cost of an
// impulse-response switch. Pinned to one core; not a test, run it by hand.
//
// Usage: morvane3-bench-chain [seconds of audio per measurement, default 10] [switches, default 100]
#include "ConvolutionMethod.h"
#include "FullChain.h"

#include "processor/Morvane3AudioProcessor.h"
#include "processor/ParameterTable.h"

#include <juce_events/juce_events.h>

#include <sched.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace bench
{
// All threads of the process, to the nanosecond. getrusage's figure moves in
// steps of milliseconds (its split into user and system time is rescaled at
// every reading), which over a few seconds of audio is a tenth of what is
// measured.
double processCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return (double) now.tv_sec + 1e-9 * (double) now.tv_nsec;
}
} // namespace bench

namespace
{
constexpr double rate = 44100.0;
constexpr size_t scheduleCycle = 32768; // the largest partition's period: block i and i + cycle do the same work

struct Result
{
    double cpuPerSecond = 0.0;
    double worstBlock = 0.0;    // costliest position of the schedule, preemption filtered out
    double rawWorstBlock = 0.0; // as measured
};

// Times `process(offset)` over consecutive blocks: first CPU time for the
// whole run, then every block's wall time in a second run.
template <typename Process>
Result measure(Process&& process, int blockSize, size_t warmUp, size_t timed)
{
    for (size_t t = 0; t + (size_t) blockSize <= warmUp; t += (size_t) blockSize)
        process(t);
    Result result;
    const double before = bench::processCpuSeconds();
    for (size_t t = warmUp; t + (size_t) blockSize <= warmUp + timed; t += (size_t) blockSize)
        process(t);
    result.cpuPerSecond = (bench::processCpuSeconds() - before) / ((double) timed / rate);

    std::vector<double> times;
    for (size_t t = warmUp; t + (size_t) blockSize <= warmUp + timed; t += (size_t) blockSize)
    {
        const auto start = std::chrono::steady_clock::now();
        process(t);
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    const size_t period = std::max<size_t>(1, scheduleCycle / (size_t) blockSize);
    std::vector<double> fastest(period, 1e30);
    for (size_t i = 0; i < times.size(); ++i)
    {
        fastest[i % period] = std::min(fastest[i % period], times[i]);
        result.rawWorstBlock = std::max(result.rawWorstBlock, times[i]);
    }
    for (double t : fastest)
        if (t < 1e30)
            result.worstBlock = std::max(result.worstBlock, t);
    return result;
}

// A cabinet-like response for the peers: a strong first tap, then decaying noise.
std::vector<float> syntheticCabinet(unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> ir(19404);
    for (size_t i = 0; i < ir.size(); ++i)
        ir[i] = 0.5f * uniform(generator) * std::exp(-(float) i / 2500.0f);
    ir[0] = 1.0f;
    return ir;
}
} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 10.0;
    const int switches = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
    juce::ScopedJuceInitialiser_GUI runtime;

    const int cpu = std::max(0, sched_getcpu());
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    sched_setaffinity(0, sizeof(set), &set);

    const size_t warmUp = 22050;
    const size_t timed = (size_t) (seconds * rate);
    std::vector<std::vector<float>> input(2, std::vector<float>(warmUp + timed + 1024));
    std::mt19937 generator(7u);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    for (auto& channel : input)
        for (float& v : channel)
            v = uniform(generator);
    const auto cab1 = syntheticCabinet(1u), cab2 = syntheticCabinet(2u);

    std::printf("Whole processor (stereo, two cabinet channels, all filters) against four convolutions alone,\n"
                "44100 Hz, %.0f s of audio per measurement, pinned to CPU %d.\n\n", seconds, cpu);
    std::printf("%-28s %6s %12s %8s %11s %9s %10s\n", "method", "block", "CPU s per s", "vs zita", "worst us",
                "% budget", "raw max us");
    for (int blockSize : { 32, 64, 128, 256, 512, 1024 })
    {
        std::vector<std::pair<const char*, Result>> rows;

        Morvane3AudioProcessor processor;
        processor.prepareToPlay(rate, blockSize);
        juce::AudioBuffer<float> buffer(2, blockSize);
        juce::MidiBuffer midi;
        rows.emplace_back("Morvane3 processor (all)", measure(
            [&](size_t t) {
                for (int c = 0; c < 2; ++c)
                    buffer.copyFrom(c, 0, input[(size_t) c].data() + t, blockSize);
                const juce::ScopedLock lock(processor.getCallbackLock());
                processor.processBlock(buffer, midi);
            },
            blockSize, warmUp, timed));

        // Every stage in (the defaults already leave all bypasses off) while
        // the host automates all eight filter frequencies on every block.
        Morvane3AudioProcessor automated;
        automated.prepareToPlay(rate, blockSize);
        const int frequencies[] = { morvane3::c1HPF, morvane3::c1LMF, morvane3::c1HMF, morvane3::c1LPF,
                                    morvane3::c2HPF, morvane3::c2LMF, morvane3::c2HMF, morvane3::c2LPF };
        auto& parameters = automated.getParameters();
        rows.emplace_back("processor, 8 freqs automated", measure(
            [&](size_t t) {
                for (int c = 0; c < 2; ++c)
                    buffer.copyFrom(c, 0, input[(size_t) c].data() + t, blockSize);
                // A slow sweep: a new value for every frequency on every block.
                const float sweep = 0.5f + 0.45f * std::sin(6.2831853f * (float) t / (float) rate);
                for (int k = 0; k < 8; ++k)
                    if (auto* parameter = parameters[frequencies[k]]; parameter != nullptr)
                        parameter->setValue(std::fmod(sweep + 0.1f * (float) k, 1.0f));
                const juce::ScopedLock lock(automated.getCallbackLock());
                automated.processBlock(buffer, midi);
            },
            blockSize, warmUp, timed));

        std::vector<std::vector<float>> out(4, std::vector<float>((size_t) blockSize));
        float* outputs[4] = { out[0].data(), out[1].data(), out[2].data(), out[3].data() };
        for (const auto& peer : { bench::MethodDescription { "tovdsp convolutions only", bench::createTovdspMethod },
                                  bench::MethodDescription { "zita-convolver (4 conv.)", bench::createZitaMethod } })
        {
            auto method = peer.create(cab1, cab2, blockSize);
            rows.emplace_back(peer.name, measure(
                [&](size_t t) {
                    float* inputs[2] = { input[0].data() + t, input[1].data() + t };
                    method->process(inputs, outputs, blockSize);
                },
                blockSize, warmUp, timed));
        }
        const double zita = rows.back().second.cpuPerSecond;
        const double budget = blockSize / rate;
        for (const auto& [name, r] : rows)
            std::printf("%-28s %6d %12.5f %8.2f %11.1f %9.1f %10.1f\n", name, blockSize, r.cpuPerSecond,
                        r.cpuPerSecond / zita, 1e6 * r.worstBlock, 100.0 * r.worstBlock / budget, 1e6 * r.rawWorstBlock);
        std::printf("%-28s %6d %12.1f\n", "instances per core", blockSize, 1.0 / rows.front().second.cpuPerSecond);
        std::fflush(stdout);
    }

    std::printf("\n");
    bench::reportSwitchCosts(switches);
    return 0;
}
