// The cost of replacing a cabinet channel's impulse response: on the message
// thread (decoding the WAV resource, partitioning it and planning the
// transforms, building the nodes; the whole load through the processor) and on
// the audio thread (the time it waits for the swap under the callback lock).
#include "FullChain.h"

#include "catalogue/ImpulseResponseDecoder.h"
#include "catalogue/ResourceLookup.h"
#include "catalogue/Vocabulary.h"
#include "dsp/RawInput.h"
#include "dsp/Settings.h"
#include "processor/DeleterLifetime.h"
#include "processor/Morvane3AudioProcessor.h"
#include "processor/SignalChain.h"

#include <sched.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace bench
{
namespace
{
using Clock = std::chrono::steady_clock;

double since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Spread
{
    double median = 0.0, worst = 0.0;
    size_t count = 0;
};

double threadCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return (double) now.tv_sec + 1e-9 * (double) now.tv_nsec;
}

Spread spreadOf(std::vector<double> x)
{
    Spread s;
    s.count = x.size();
    if (x.empty())
        return s;
    std::sort(x.begin(), x.end());
    s.median = x[x.size() / 2];
    s.worst = x.back();
    return s;
}

std::vector<juce::String> someResponseNames(int count)
{
    std::vector<juce::String> names;
    const auto& cabinets = morvane3::cabinets();
    const auto& microphones = morvane3::microphones();
    for (int i = 0; (int) names.size() < count; ++i)
        names.push_back(morvane3::makeIRNameFromCodes(cabinets[(size_t) i % cabinets.size()].code,
                                                      microphones[(size_t) (i / 3) % microphones.size()].code,
                                                      10 * (1 + i % 2), 10 * (1 + i % 3)));
    return names;
}

void printRow(const char* what, const Spread& s)
{
    std::printf("  %-44s median %9.1f us   worst %9.1f us   (%zu)\n", what, 1e6 * s.median, 1e6 * s.worst, s.count);
}
} // namespace

void reportSwitchCosts(int switches)
{
    // The message thread and the audio thread each get a core of their own where there are two.
    cpu_set_t all;
    CPU_ZERO(&all);
    for (int c = 0; c < CPU_SETSIZE; ++c)
        CPU_SET(c, &all);
    sched_setaffinity(0, sizeof(all), &all);

    const auto names = someResponseNames(switches);
    for (double rate : { 44100.0, 96000.0, 192000.0 })
    {
        std::printf("Impulse-response switch at %.0f Hz, 64-sample blocks:\n", rate);
        Morvane3AudioProcessor processor;
        processor.prepareToPlay(rate, 64);

        // The steps one at a time, as loadImpulseResponse performs them.
        morvane3::ImpulseResponseDecoder decoder;
        const auto input = tovdsp::RawInput(2); // the convolution reads it like the chain's taps
        std::vector<double> decode, build, release;
        for (const auto& name : names)
        {
            const auto resource = morvane3::findImpulseResponse(name);
            auto start = Clock::now();
            const auto ir = decoder.decode(resource.first, resource.second, rate);
            decode.push_back(since(start));
            start = Clock::now();
            auto convolution = morvane3::SignalChain::makeConvolution(ir, input);
            build.push_back(since(start));
            start = Clock::now();
            convolution = tovdsp::TovDSPArray();
            morvane3::flushDeferringDeleter();
            release.push_back(since(start));
        }
        printRow("decode WAV at the working rate", spreadOf(decode));
        printRow("partition, plan FFTs, build head and 5 segments", spreadOf(build));
        printRow("delete a replaced convolution", spreadOf(release));

        // The swap itself: what runs under the callback lock.
        morvane3::LiveValues live;
        morvane3::SignalChain chain(2, 64, live);
        {
            // A chain that has played switches with a crossfade, as in use;
            // before its first block it would replace at once.
            float silence[2][64] = {};
            const float* in[2] = {silence[0], silence[1]};
            float* out[2] = {silence[0], silence[1]};
            chain.process(in, 2, out, 2, 64, 0);
        }
        std::vector<double> swap;
        {
            const auto resource = morvane3::findImpulseResponse(names[0]);
            const auto ir = decoder.decode(resource.first, resource.second, rate);
            for (int i = 0; i < switches; ++i)
            {
                const auto convolution = morvane3::SignalChain::makeConvolution(ir, chain.getConvolutionInput());
                const auto start = Clock::now();
                chain.switchConvolution(i % 2, convolution);
                swap.push_back(since(start));
                morvane3::flushDeferringDeleter();
            }
        }
        printRow("swap under the callback lock", spreadOf(swap));

        // The whole load while an audio thread plays, and what that thread waits.
        std::atomic<bool> stop { false };
        std::vector<double> waits;
        waits.reserve(1 << 16);
        std::thread audio([&] {
            juce::AudioBuffer<float> buffer(2, 64);
            juce::MidiBuffer midi;
            buffer.clear();
            auto& lock = processor.getCallbackLock();
            auto next = Clock::now();
            while (! stop.load())
            {
                // Paced like a host: one block per 64 samples of real time.
                next += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(64.0 / rate));
                std::this_thread::sleep_until(next);
                buffer.setSample(0, 0, 0.5f);
                if (! lock.tryEnter())
                {
                    const auto start = Clock::now();
                    lock.enter();
                    waits.push_back(since(start));
                }
                processor.processBlock(buffer, midi);
                lock.exit();
            }
        });
        // Beside the wall time, the message thread's own CPU time: the two
        // differ by the time the thread was not running (the audio thread
        // and anything else sharing the core).
        std::vector<double> load, loadCpu;
        for (int i = 0; i < switches; ++i)
        {
            const auto start = Clock::now();
            const double cpuStart = threadCpuSeconds();
            processor.loadImpulseResponse(i % 2, names[(size_t) i]);
            loadCpu.push_back(threadCpuSeconds() - cpuStart);
            load.push_back(since(start));
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        stop.store(true);
        audio.join();
        printRow("whole load on the message thread", spreadOf(load));
        printRow("  of which the message thread ran", spreadOf(loadCpu));
        const auto waited = spreadOf(waits);
        std::printf("  %-44s median %9.1f us   worst %9.1f us   (%zu of %d switches)\n",
                    "audio thread waiting for the lock", 1e6 * waited.median, 1e6 * waited.worst, waited.count,
                    switches);
        std::fflush(stdout);
    }
}
} // namespace bench
