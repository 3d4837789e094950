// A long session at 64-sample blocks with another thread switching cabinets
// every 50 ms of audio and automating random parameters, as a host does during
// a long recording. MORVANE3_SOAK_SECONDS sets the audio length (3600 for the
// full hour; the default keeps CI short).
#include "support/AllocationCounter.h"
#include "support/HardeningSupport.h"

#include "catalogue/Vocabulary.h"
#include "processor/ParameterScaler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

using namespace morvane3;
using Clock = std::chrono::steady_clock;

namespace
{
constexpr double rate = 44100.0;
constexpr int blockSize = 64;
constexpr uint64_t eventSpacing = 2205;  // 50 ms of audio
constexpr uint64_t fadeSamples = 441;    // the plug's 10 ms crossfade
constexpr uint64_t settleSpacing = 882;  // 20 ms: an event completes within this much audio

double soakSeconds()
{
    if (const char* text = std::getenv("MORVANE3_SOAK_SECONDS"))
        if (std::atof(text) > 0.0)
            return std::atof(text);
    return 600.0;
}

double median(std::vector<double> x)
{
    if (x.empty())
        return 0.0;
    std::nth_element(x.begin(), x.begin() + (long) x.size() / 2, x.end());
    return x[x.size() / 2];
}

// What the audio thread saw, written by it alone and read after it ends.
struct AudioFindings
{
    long allocations = 0, frees = 0;
    long nonFiniteSamples = 0;
    long boundariesChecked = 0, boundaries = 0, discontinuities = 0;
    double worstBoundaryRatio = 0.0; // boundary step / largest step inside the neighbouring blocks
    std::vector<double> contendedWaits; // seconds spent waiting for the callback lock, when it was taken
    double busiestBlockSeconds = 0.0;
};

// The events the other thread performs, one per 50 ms of audio.
struct ControlFindings
{
    std::vector<double> switchSeconds;
    std::vector<std::pair<uint64_t, long long>> heapAt; // (audio sample, live heap bytes)
    long stateSaves = 0;
};

// Sample-to-sample steps at a block boundary may be no larger than twice the
// largest step inside the blocks on either side: a dropped, repeated or
// misaligned block shows as a step the signal itself never makes.
struct BoundaryCheck
{
    float last = 0.0f;
    float previousInteriorMax = 0.0f;

    // Returns the boundary step divided by the interior bound (0 when not checked).
    double feed(const float* x, int n, bool check)
    {
        float interiorMax = 0.0f;
        for (int i = 1; i < n; ++i)
            interiorMax = std::max(interiorMax, std::fabs(x[i] - x[i - 1]));
        const float step = std::fabs(x[0] - last);
        const float bound = 2.0f * std::max(interiorMax, previousInteriorMax) + 1.0e-6f;
        last = x[n - 1];
        previousInteriorMax = interiorMax;
        return check ? (double) step / (double) bound : 0.0;
    }
};
} // namespace

TEST(Soak, LongSessionWithSwitchesAndAutomationStaysRealTimeSafeFiniteSmoothAndFlat)
{
    hardening::ensureJuceRuntime();
    const double seconds = soakSeconds();
    const uint64_t totalSamples = (uint64_t) (seconds * rate) / blockSize * blockSize;
    const uint64_t events = totalSamples / eventSpacing;

    Morvane3AudioProcessor processor;
    processor.prepareToPlay(rate, blockSize);

    std::atomic<uint64_t> eventsRequested { 0 }, eventsDone { 0 }, eventsStarted { 0 };
    std::atomic<uint64_t> audioPosition { 0 };
    std::atomic<bool> audioFinished { false };
    AudioFindings audio;
    audio.contendedWaits.reserve(1 << 20);

    std::thread audioThread([&] {
        juce::AudioBuffer<float> buffer(2, blockSize);
        juce::MidiBuffer midi;
        BoundaryCheck boundaries[2];
        uint64_t nextEvent = 0, exemptUntil = 0, finishedSeen = 0, eventDeadline = UINT64_MAX;
        const double w[2] = { 2.0 * M_PI * 110.0 / rate, 2.0 * M_PI * 164.8 / rate };
        auto& lock = processor.getCallbackLock();

        for (uint64_t position = 0; position < totalSamples; position += blockSize)
        {
            if (position >= nextEvent)
            {
                // At most one event in flight: event k runs during the 50 ms after it is asked for.
                const uint64_t k = nextEvent / eventSpacing;
                while (eventsDone.load() < k)
                    std::this_thread::yield();
                eventsRequested.store(k + 1);
                eventDeadline = position + settleSpacing;
                nextEvent += eventSpacing;
            }
            if (position >= eventDeadline)
            {
                // The event runs beside the first 20 ms of its stretch; where switching is
                // slow (sanitizers) the audio waits here, so the rest of the stretch is
                // steady and can be checked for discontinuities.
                while (eventsDone.load() < eventsRequested.load())
                    std::this_thread::yield();
                eventDeadline = UINT64_MAX;
            }
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < blockSize; ++i)
                    buffer.setSample(c, i, 0.3f * (float) std::sin(w[c] * (double) (position + (uint64_t) i)));

            const auto blockStart = Clock::now();
            if (! lock.tryEnter())
            {
                const auto waitStart = Clock::now();
                lock.enter();
                audio.contendedWaits.push_back(std::chrono::duration<double>(Clock::now() - waitStart).count());
            }
            {
                testsupport::AllocationCounter::Scope scope;
                processor.processBlock(buffer, midi);
                audio.allocations += scope.allocations();
                audio.frees += scope.frees();
            }
            lock.exit();
            audio.busiestBlockSeconds =
                std::max(audio.busiestBlockSeconds, std::chrono::duration<double>(Clock::now() - blockStart).count());

            // A block an event may have touched (parameters written, response
            // swapped) starts an exempt stretch that covers the crossfade.
            const uint64_t started = eventsStarted.load(), finished = eventsDone.load();
            if (started != finished || finished != finishedSeen)
                exemptUntil = position + blockSize + fadeSamples + 2 * blockSize;
            finishedSeen = finished;
            const bool check = position >= eventSpacing && position >= exemptUntil;

            ++audio.boundaries;
            for (int c = 0; c < 2; ++c)
            {
                const float* x = buffer.getReadPointer(c);
                for (int i = 0; i < blockSize; ++i)
                    if (! std::isfinite(x[i]))
                        ++audio.nonFiniteSamples;
                const double ratio = boundaries[c].feed(x, blockSize, check);
                audio.worstBoundaryRatio = std::max(audio.worstBoundaryRatio, ratio);
                if (ratio > 1.0)
                    ++audio.discontinuities;
            }
            if (check)
                ++audio.boundariesChecked;
            audioPosition.store(position + blockSize);
        }
        audioFinished.store(true);
    });

    // This thread plays the message thread and the host's automation.
    ControlFindings control;
    control.switchSeconds.reserve((size_t) events + 8);
    control.heapAt.reserve((size_t) events + 8);
    std::mt19937 random(2024);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const ParameterScaler scaler;
    const int automated[] = { outputLevel, c1HPF, c1LMF, c1LMLevel, c1HMF, c1HMLevel, c1LPF, c1Level,
                              c2HPF, c2LMF, c2LMLevel, c2HMF, c2HMLevel, c2LPF, c2Level,
                              c1HPFBypass, c1LMFBypass, c1HMFBypass, c1LPFBypass,
                              c2HPFBypass, c2LMFBypass, c2HMFBypass, c2LPFBypass, c1Mute, c2Mute };
    const auto pick = [&](const std::vector<VocabularyEntry>& list) {
        return list[std::uniform_int_distribution<size_t>(0, list.size() - 1)(random)].code;
    };
    const auto wallStart = Clock::now();

    while (! audioFinished.load())
    {
        const uint64_t wanted = eventsRequested.load();
        if (wanted <= eventsDone.load())
        {
            std::this_thread::yield();
            continue;
        }
        eventsStarted.store(wanted);
        for (int w = 0; w < 4; ++w)
        {
            const int index = automated[std::uniform_int_distribution<int>(0, (int) std::size(automated) - 1)(random)];
            const auto kind = parameterInfo(index).kind;
            float value = unit(random);
            if (kind == ParameterKind::Switch)
                value = value < (index == c1Mute || index == c2Mute ? 0.9f : 0.5f) ? 0.0f : 1.0f;
            processor.setParameterValue(index, value);
        }

        const int channel = (int) (wanted % 2);
        const int codes[4] = { pick(cabinets()), pick(microphones()), pick(positions()), pick(distances()) };
        const auto switchStart = Clock::now();
        if (wanted % 4 < 2)
        {
            processor.loadImpulseResponse(channel, makeIRNameFromCodes(codes[0], codes[1], codes[2], codes[3]));
        }
        else
        {
            // The host automates the four selectors; the timer's work applies them.
            for (int field = 0; field < 4; ++field)
                processor.setParameterValue(selectorParameterIndex(channel, (SelectorField) field),
                                            scaler.codeToNormalised(codes[field]));
            processor.applyPendingSelectionChanges();
        }
        control.switchSeconds.push_back(std::chrono::duration<double>(Clock::now() - switchStart).count());
        processor.flushDeferredDeletions();
        if (wanted % 200 == 0)
        {
            juce::MemoryBlock saved; // the host saves the project now and then
            processor.getStateInformation(saved);
            ++control.stateSaves;
        }
        control.heapAt.emplace_back(audioPosition.load(), hardening::liveHeapBytes());
        eventsDone.store(wanted);
    }
    audioThread.join();
    const double wallSeconds = std::chrono::duration<double>(Clock::now() - wallStart).count();

    // Real time: nothing allocated or freed by the audio thread, ever.
    EXPECT_EQ(audio.allocations, 0);
    EXPECT_EQ(audio.frees, 0);
    EXPECT_EQ(audio.nonFiniteSamples, 0);
    EXPECT_GE(control.switchSeconds.size() + 1, (size_t) events);

    // Smooth outside the crossfades. While an event is in flight any block may
    // see its writes or its swap; every event ends within 20 ms of its 50 ms
    // stretch, so well over a tenth of the session is checked.
    EXPECT_EQ(audio.discontinuities, 0) << "worst boundary step " << audio.worstBoundaryRatio << " x the allowed";
    EXPECT_GT(audio.boundariesChecked, audio.boundaries / 10);

    // The audio thread waits for the swap itself, never for the decoding,
    // partitioning and planning that precede it: were those under the lock,
    // most switches would keep it waiting for a good part of their time. On a
    // loaded machine the swapping thread is now and then preempted while it
    // holds the lock, so a few long waits are the scheduler's, not ours. A
    // contended wait also includes waking the audio thread (tens of
    // microseconds here), which does not shrink as switches get faster.
    const double typicalSwitch = median(control.switchSeconds);
    const double typicalWait = median(audio.contendedWaits);
    const long longWaits = std::count_if(audio.contendedWaits.begin(), audio.contendedWaits.end(),
                                         [&](double t) { return t > 0.5 * typicalSwitch; });
    if (! audio.contendedWaits.empty())
    {
        EXPECT_LT(typicalWait, 0.25 * typicalSwitch);
    }
    EXPECT_LE(longWaits, std::max<long>(2, (long) control.switchSeconds.size() / 10));

    // Memory flat after the first minute (a quarter of shorter runs).
    const uint64_t settleSamples = std::min<uint64_t>((uint64_t) (60.0 * rate), totalSamples / 4);
    long long settledPeak = -1, laterPeak = -1, laterLast = -1;
    for (const auto& [position, bytes] : control.heapAt)
    {
        if (bytes < 0)
            continue;
        if (position <= settleSamples)
            settledPeak = std::max(settledPeak, bytes);
        else
            laterPeak = std::max(laterPeak, bytes), laterLast = bytes;
    }
    if (settledPeak >= 0 && laterPeak >= 0)
    {
        EXPECT_LT(laterPeak - settledPeak, 1 << 20) << "the heap grew after the first minute";
    }

    std::vector<double> sortedWaits = audio.contendedWaits;
    std::sort(sortedWaits.begin(), sortedWaits.end());
    const double worstWait = sortedWaits.empty() ? 0.0 : sortedWaits.back();
    const double p99Wait = sortedWaits.empty() ? 0.0 : sortedWaits[sortedWaits.size() * 99 / 100];
    std::vector<double> sortedSwitches = control.switchSeconds;
    std::sort(sortedSwitches.begin(), sortedSwitches.end());
    std::printf("soak: %.0f s of audio in %.1f s wall (%.1fx real time), %zu switches (median %.2f ms, max %.2f ms), "
                "%ld state saves\n"
                "soak: callback lock contended %zu times, median wait %.1f us, 99th %.1f us, worst %.1f us\n"
                "soak: busiest block %.1f us; %ld of %ld block boundaries checked, worst step %.3f of allowed\n"
                "soak: heap first minute peak %.1f MB, later peak %.1f MB, last %.1f MB; audio-thread allocations %ld, "
                "frees %ld\n",
                seconds, wallSeconds, seconds / wallSeconds, control.switchSeconds.size(), 1e3 * typicalSwitch,
                sortedSwitches.empty() ? 0.0 : 1e3 * sortedSwitches.back(), control.stateSaves,
                audio.contendedWaits.size(), 1e6 * typicalWait, 1e6 * p99Wait, 1e6 * worstWait,
                1e6 * audio.busiestBlockSeconds, audio.boundariesChecked, audio.boundaries, audio.worstBoundaryRatio,
                (double) settledPeak / 1048576.0, (double) laterPeak / 1048576.0, (double) laterLast / 1048576.0,
                audio.allocations, audio.frees);
}
