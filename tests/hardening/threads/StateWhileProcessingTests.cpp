// The host restores and saves state on the message thread while the audio
// thread keeps processing (loading a project section, undo, preset browsers).
#include "support/AllocationCounter.h"
#include "support/HardeningSupport.h"

#include "catalogue/Vocabulary.h"
#include "processor/ParameterScaler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace morvane3;

TEST(StateWhileProcessing, RestoresDuringPlaybackStaySafeAndTheLastOneWins)
{
    hardening::ensureJuceRuntime();
    const ParameterScaler scaler;
    juce::MemoryBlock chunks[2];
    {
        Morvane3AudioProcessor a, b;
        a.setParameterValue(c1Cabinet, scaler.codeToNormalised(cabinetCode("Motown")));
        a.setParameterValue(c2HPF, 0.25f);
        b.setParameterValue(c2Cabinet, scaler.codeToNormalised(cabinets().back().code));
        b.setParameterValue(c2HPF, 0.75f);
        b.setParameterValue(c1Mute, 1.0f);
        a.getStateInformation(chunks[0]);
        b.getStateInformation(chunks[1]);
    }

    Morvane3AudioProcessor processor;
    processor.prepareToPlay(44100.0, 128);
    std::atomic<bool> stop { false };
    std::atomic<long> allocations { 0 }, nonFinite { 0 }, blocks { 0 };
    std::thread audio([&] {
        juce::AudioBuffer<float> buffer(2, 128);
        juce::MidiBuffer midi;
        const auto input = hardening::noise(2, 128, 3);
        while (! stop.load())
        {
            for (int c = 0; c < 2; ++c)
                buffer.copyFrom(c, 0, input[(size_t) c].data(), 128);
            const juce::ScopedLock lock(processor.getCallbackLock());
            testsupport::AllocationCounter::Scope scope;
            processor.processBlock(buffer, midi);
            allocations.fetch_add(scope.allocations() + scope.frees());
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 128; ++i)
                    if (! std::isfinite(buffer.getSample(c, i)))
                        nonFinite.fetch_add(1);
            blocks.fetch_add(1);
        }
    });

    for (int round = 0; round < 41; ++round)
    {
        const auto& chunk = chunks[round % 2];
        processor.setStateInformation(chunk.getData(), (int) chunk.getSize());
        juce::MemoryBlock saved;
        processor.getStateInformation(saved);
        processor.flushDeferredDeletions();
        // A truncated chunk in between must change nothing.
        processor.setStateInformation(chunk.getData(), (int) chunk.getSize() / 2);
    }
    stop.store(true);
    audio.join();

    EXPECT_GT(blocks.load(), 41);
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_EQ(nonFinite.load(), 0);
    // Round 40 restored the first chunk.
    EXPECT_EQ(processor.getLoadedImpulseResponseName(0), makeIRName("Motown", "121", "On Axis", "Close"));
    EXPECT_EQ(processor.getParameterValue(c2HPF), 0.25f);
    EXPECT_EQ(processor.getParameterValue(c1Mute), 0.0f);
    EXPECT_EQ(processor.getSelection(1).cabinetCode, 10);
}
