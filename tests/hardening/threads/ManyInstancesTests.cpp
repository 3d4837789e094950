// Forty tracks and more: many processors in one process, created, prepared at
// different rates and sizes and destroyed on the message thread while the audio
// thread processes the others in random order. Each must sound exactly like a
// processor that had the process to itself.
#include "support/AllocationCounter.h"
#include "support/HardeningSupport.h"

#include "catalogue/Vocabulary.h"
#include "processor/DeleterLifetime.h"
#include "processor/ParameterScaler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <random>
#include <thread>
#include <vector>

using namespace morvane3;
using hardening::Channels;

namespace
{
constexpr int instanceCount = 64;
constexpr double rates[] = { 44100.0, 48000.0, 88200.0, 96000.0, 192000.0 };
constexpr int blockSizes[] = { 64, 128, 256, 480, 512, 1024 };

struct Setup
{
    double rate;
    int blockSize;
    int channels;
    int cabinet;
    float hpf, level;
    int length; // samples of input
};

Setup setupOf(int i)
{
    const auto& cabinetList = cabinets();
    return { rates[i % 5], blockSizes[(i * 7) % 6], i % 4 == 3 ? 1 : 2,
             cabinetList[(size_t) (i * 3) % cabinetList.size()].code, 0.05f * (float) (i % 9), 0.3f + 0.01f * (float) i,
             6000 + 97 * i };
}

std::unique_ptr<Morvane3AudioProcessor> makeProcessor(const Setup& setup)
{
    auto processor = std::make_unique<Morvane3AudioProcessor>();
    const ParameterScaler scaler;
    processor->setParameterValue(c1Cabinet, scaler.codeToNormalised(setup.cabinet));
    processor->setParameterValue(c1HPF, setup.hpf);
    processor->setParameterValue(c2Level, setup.level);
    processor->deriveSelection(0);
    if (setup.channels == 1)
    {
        juce::AudioProcessor::BusesLayout mono;
        mono.inputBuses.add(juce::AudioChannelSet::mono());
        mono.outputBuses.add(juce::AudioChannelSet::mono());
        processor->setBusesLayout(mono);
    }
    processor->prepareToPlay(setup.rate, setup.blockSize);
    return processor;
}

struct Slot
{
    enum State
    {
        empty,
        ready,   // prepared: the audio thread may process it
        played,  // the audio thread is done with it
        gone
    };
    std::atomic<int> state { empty };
    std::unique_ptr<Morvane3AudioProcessor> processor;
    Setup setup {};
    Channels input, output;
    int done = 0; // samples played, audio thread only
};
} // namespace

TEST(ManyInstances, SixtyFourInstancesFromTwoThreadsEachSoundLikeALoneInstanceAndLeaveNothingBehind)
{
    hardening::ensureJuceRuntime();
    // Warm up what stays for the process's lifetime (FFTW's plans of every size,
    // the framework's singletons) so that the heap comparison sees only us.
    for (double rate : rates)
        makeProcessor({ rate, 256, 2, 10, 0.0f, 0.5f, 512 }).reset();
    std::vector<Slot> slots(instanceCount);
    for (int i = 0; i < instanceCount; ++i)
    {
        slots[(size_t) i].setup = setupOf(i);
        slots[(size_t) i].input = hardening::noise(slots[(size_t) i].setup.channels, slots[(size_t) i].setup.length,
                                                   (uint32_t) (100 + i));
        slots[(size_t) i].output = Channels(slots[(size_t) i].input.size(),
                                            std::vector<float>((size_t) slots[(size_t) i].setup.length));
    }
    const int usersBefore = deferringDeleterUsers();
    const long long heapBefore = hardening::liveHeapBytes();

    std::atomic<long> audioAllocations { 0 };
    std::atomic<int> playedCount { 0 };
    std::thread audio([&] {
        std::mt19937 random(11);
        juce::AudioBuffer<float> buffer(2, 1024);
        juce::MidiBuffer midi;
        long allocations = 0;
        while (playedCount.load() < instanceCount)
        {
            // One block of a random prepared instance, like a host's track list.
            const int start = std::uniform_int_distribution<int>(0, instanceCount - 1)(random);
            Slot* slot = nullptr;
            for (int k = 0; k < instanceCount && slot == nullptr; ++k)
                if (slots[(size_t) ((start + k) % instanceCount)].state.load() == Slot::ready)
                    slot = &slots[(size_t) ((start + k) % instanceCount)];
            if (slot == nullptr)
            {
                std::this_thread::yield();
                continue;
            }
            const int n = std::min(slot->setup.blockSize, slot->setup.length - slot->done);
            const int channels = slot->setup.channels;
            buffer.setSize(channels, n, false, false, true);
            for (int c = 0; c < channels; ++c)
                buffer.copyFrom(c, 0, slot->input[(size_t) c].data() + slot->done, n);
            {
                const juce::ScopedLock lock(slot->processor->getCallbackLock());
                testsupport::AllocationCounter::Scope scope;
                slot->processor->processBlock(buffer, midi);
                allocations += scope.allocations() + scope.frees();
            }
            for (int c = 0; c < channels; ++c)
                std::copy(buffer.getReadPointer(c), buffer.getReadPointer(c) + n,
                          slot->output[(size_t) c].begin() + slot->done);
            slot->done += n;
            if (slot->done >= slot->setup.length)
            {
                slot->state.store(Slot::played);
                playedCount.fetch_add(1);
            }
        }
        audioAllocations.store(allocations);
    });

    // The message thread: create and prepare in random order, destroy finished
    // instances in random order while others still play.
    std::mt19937 random(12);
    std::vector<int> order(instanceCount);
    for (int i = 0; i < instanceCount; ++i)
        order[(size_t) i] = i;
    std::shuffle(order.begin(), order.end(), random);
    const auto destroySomePlayed = [&](bool all) {
        std::vector<int> played;
        for (int i = 0; i < instanceCount; ++i)
            if (slots[(size_t) i].state.load() == Slot::played)
                played.push_back(i);
        std::shuffle(played.begin(), played.end(), random);
        const size_t count = all ? played.size() : played.size() / 2;
        for (size_t k = 0; k < count; ++k)
        {
            slots[(size_t) played[k]].processor.reset();
            slots[(size_t) played[k]].state.store(Slot::gone);
        }
    };
    for (int i : order)
    {
        slots[(size_t) i].processor = makeProcessor(slots[(size_t) i].setup);
        slots[(size_t) i].state.store(Slot::ready);
        destroySomePlayed(false);
    }
    while (playedCount.load() < instanceCount)
    {
        destroySomePlayed(false);
        std::this_thread::yield();
    }
    audio.join();
    destroySomePlayed(true);

    EXPECT_EQ(audioAllocations.load(), 0) << "the audio thread allocated or freed";
    EXPECT_EQ(deferringDeleterUsers(), usersBefore);
    const long long heapAfter = hardening::liveHeapBytes();
    if (heapBefore >= 0)
    {
        EXPECT_LT(heapAfter - heapBefore, 512 * 1024) << "memory left behind by 64 destroyed instances";
    }

    // Each against a lone instance with the same setup and input. The
    // convolutions draw their start phases on the audio thread in processing
    // order, so the phases differ from the lone run's; that changes the
    // rounding of the transforms (up to about 5e-4 of the peak), while
    // cross-talk, a wrong rate or a lost block would differ by the signal itself.
    for (int i = 0; i < instanceCount; ++i)
    {
        const auto& slot = slots[(size_t) i];
        auto lone = makeProcessor(slot.setup);
        const auto expected = hardening::run(*lone, slot.input, slot.setup.blockSize);
        const double scale = hardening::peak(expected);
        ASSERT_GT(scale, 1.0e-3) << "instance " << i;
        EXPECT_LT(hardening::maxDifference(slot.output, expected), 2.0e-3 * scale)
            << "instance " << i << " at " << slot.setup.rate << " Hz, blocks of " << slot.setup.blockSize;
    }
}
