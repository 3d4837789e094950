#include "ProcessorTestSupport.h"

#include "dsp/PartConvolve.h"
#include "dsp/SmartPointer.h"
#include "processor/ParameterScaler.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>

using namespace morvane3;
using testsupport::AllocationCounter;

namespace
{
class RealTimeTest : public ::testing::Test
{
protected:
    void SetUp() override { proctest::ensureJuceRuntime(); }
};

// Plays noise through a processor block by block from a buffer made up front,
// so that nothing but processBlock runs inside an allocation scope.
struct Player
{
    Player(Morvane3AudioProcessor& p, int maxBlock) : processor(p), buffer(2, maxBlock), random(5) {}

    void play(int blockSize)
    {
        buffer.setSize(2, blockSize, false, false, true);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < blockSize; ++i)
                buffer.setSample(c, i, noise(random));
        const juce::ScopedLock lock(processor.getCallbackLock());
        processor.processBlock(buffer, midi);
    }

    bool finite() const
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                if (! std::isfinite(buffer.getSample(c, i)))
                    return false;
        return true;
    }

    Morvane3AudioProcessor& processor;
    juce::AudioBuffer<float> buffer;
    juce::MidiBuffer midi;
    std::mt19937 random;
    std::uniform_real_distribution<float> noise { -0.5f, 0.5f };
};

std::vector<std::vector<float>> noiseInput(int length, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    auto input = proctest::silence(2, length);
    for (auto& channel : input)
        for (auto& x : channel)
            x = noise(random);
    return input;
}

// Prepared, with the convolution phases fixed, so that two processors given
// the same input produce the same bits.
void prepareSeeded(Morvane3AudioProcessor& processor, const std::vector<std::vector<float>>& warmUp)
{
    processor.prepareToPlay(44100.0, 512);
    tovdsp::seedStartPhaseGenerator(1234);
    proctest::run(processor, warmUp, 512);
}
} // namespace

TEST_F(RealTimeTest, AnImpulseResponseSwitchCrossfadesTenMillisecondsOnTheChangedChannelOnly)
{
    const auto warmUp = noiseInput(40000, 1);
    const auto during = noiseInput(4096, 2);
    const ParameterScaler scaler;

    // C1 muted everywhere: the output is C2 alone, its filters bypassed so that
    // the output is the plug's crossfade itself (a filter after a time-varying
    // mix would not be a mix of filtered signals). `switched` changes C2's
    // cabinet mid-stream; `before` keeps the old one; `after` has the new one
    // and had heard only silence, like a convolution built at the switch.
    Morvane3AudioProcessor switched, before, after;
    for (auto* p : { &switched, &before, &after })
    {
        p->setParameterValue(c1Mute, 1.0f);
        for (int index : { c2HPFBypass, c2LMFBypass, c2HMFBypass, c2LPFBypass })
            p->setParameterValue(index, 1.0f);
    }
    after.setParameterValue(c2Cabinet, scaler.codeToNormalised(200));
    for (auto* p : { &switched, &before })
        prepareSeeded(*p, warmUp);
    prepareSeeded(after, proctest::silence(2, 40000));

    ASSERT_EQ(proctest::run(switched, warmUp, 512), proctest::run(before, warmUp, 512))
        << "seeded processors must agree bit for bit";

    switched.loadImpulseResponse(1, "Motown 121 On Axis Close");
    const auto mixed = proctest::run(switched, during, 512)[0];
    const auto oldSound = proctest::run(before, during, 512)[0];
    const auto newSound = proctest::run(after, during, 512)[0];

    const float step = (float) ((1.0 / 44100.0) / 0.01);
    double worst = 0.0, scale = 0.0;
    for (size_t i = 0; i < mixed.size(); ++i)
    {
        const double g = std::min(1.0, (double) i * (double) step);
        const double expected = (1.0 - g) * (double) oldSound[i] + g * (double) newSound[i];
        worst = std::max(worst, std::fabs((double) mixed[i] - expected));
        scale = std::max(scale, std::fabs(expected));
    }
    EXPECT_LT(worst, 1.0e-5 * scale);
    EXPECT_EQ(mixed[0], oldSound[0]); // the fade starts from the old sound: no gap
    // The two cabinets really differ, so the comparison above means something.
    double difference = 0.0;
    for (size_t i = 1000; i < mixed.size(); ++i)
        difference = std::max(difference, std::fabs((double) oldSound[i] - (double) newSound[i]));
    EXPECT_GT(difference, 0.05 * scale);
}

TEST_F(RealTimeTest, SwitchingOneChannelLeavesTheOtherBitIdentical)
{
    const auto warmUp = noiseInput(40000, 3);
    const auto during = noiseInput(8192, 4);
    Morvane3AudioProcessor switched, steady;
    for (auto* p : { &switched, &steady })
    {
        p->setParameterValue(c2Mute, 1.0f); // the output is C1 alone
        prepareSeeded(*p, warmUp);
    }
    switched.setParameterValue(c2Cabinet, 0.2f);
    switched.applyPendingSelectionChanges();
    EXPECT_EQ(switched.getLoadedImpulseResponseName(1), "Motown 121 On Axis Close");
    EXPECT_EQ(proctest::run(switched, during, 512), proctest::run(steady, during, 512));
}

TEST_F(RealTimeTest, UnknownNamesKeepTheCurrentConvolution)
{
    Morvane3AudioProcessor processor;
    processor.prepareToPlay(44100.0, 256);
    processor.setParameterValue(c1Cabinet, 0.015f);
    processor.applyPendingSelectionChanges();
    processor.loadImpulseResponse(1, "Motown U87 Off Axis");
    processor.loadImpulseResponse(5, "1960 121 On Axis Close");
    EXPECT_EQ(processor.getLoadedImpulseResponseName(0), "1960 121 On Axis Close");
    EXPECT_EQ(processor.getLoadedImpulseResponseName(1), "1960 121 On Axis Close");
    Player player(processor, 256);
    for (int i = 0; i < 200; ++i)
        player.play(256);
    EXPECT_TRUE(player.finite());
}

TEST_F(RealTimeTest, ProcessBlockNeitherAllocatesNorFreesInSteadyStateCrossfadesAndLongBlocks)
{
    Morvane3AudioProcessor processor;
    processor.prepareToPlay(44100.0, 512);
    Player player(processor, 8192);
    for (int i = 0; i < 100; ++i)
        player.play(512);

    {
        AllocationCounter::Scope scope;
        for (int blockSize : { 512, 511, 1, 64, 4096, 8192, 1000, 512 })
            player.play(blockSize);
        EXPECT_EQ(scope.allocations(), 0);
        EXPECT_EQ(scope.frees(), 0);
    }
    EXPECT_TRUE(player.finite());

    // A switch: the crossfade, then the plug dropping its old convolution.
    for (int round = 0; round < 3; ++round)
    {
        processor.loadImpulseResponse(round % 2, round == 1 ? "Tweed 57 Off Axis Far" : "Motown U87 Off Axis Far");
        AllocationCounter::Scope scope;
        for (int i = 0; i < 40; ++i)
            player.play(i % 2 ? 100 : 512);
        EXPECT_EQ(scope.allocations(), 0) << round;
        EXPECT_EQ(scope.frees(), 0) << round;
    }
    const long freesBefore = AllocationCounter::threadFrees();
    processor.flushDeferredDeletions(); // the message thread deletes what the plugs dropped
    EXPECT_GT(AllocationCounter::threadFrees(), freesBefore);
}

TEST_F(RealTimeTest, AudioRunsWhileOtherThreadsSwitchResponsesAndWriteParameters)
{
    Morvane3AudioProcessor processor;
    processor.prepareToPlay(48000.0, 256);
    std::atomic<bool> stop { false };
    std::atomic<long> audioAllocations { 0 }, blocks { 0 };
    std::atomic<bool> audioFinite { true };

    std::thread audio([&] {
        Player player(processor, 1024);
        player.play(256); // first touch outside the count
        AllocationCounter::Scope scope;
        int n = 0;
        while (! stop.load())
        {
            player.play((n++ % 3 == 0) ? 1024 : 256);
            if (! player.finite())
                audioFinite = false;
            ++blocks;
        }
        audioAllocations = scope.allocations() + scope.frees();
    });
    std::thread automation([&] {
        std::mt19937 random(9);
        const auto& parameters = processor.getParameters();
        while (! stop.load())
        {
            const int index = (int) (random() % numParameters);
            if (index == sampleRateIndex)
                continue;
            const float value = parameterInfo(index).kind == ParameterKind::Selector
                                    ? (float) (10 * (1 + random() % 8)) / 1000.0f
                                    : (float) (random() % 1000) / 1000.0f;
            if (auto* parameter = parameters[index])
                parameter->setValue(value);
            std::this_thread::yield();
        }
    });

    std::mt19937 random(13);
    const char* names[] = { "Green 57 On Axis Close", "Zodiac 409 Off Axis Mid", "Ogre i5 On Axis Far" };
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < until)
    {
        processor.applyPendingSelectionChanges();
        processor.loadImpulseResponse((int) (random() % 2), names[random() % 3]);
        processor.flushDeferredDeletions();
    }
    stop = true;
    audio.join();
    automation.join();

    EXPECT_GT(blocks.load(), 10);
    EXPECT_EQ(audioAllocations.load(), 0);
    EXPECT_TRUE(audioFinite.load());
}

TEST_F(RealTimeTest, TheDeferringDeleterStaysInstalledWhileAnyInstanceLives)
{
    ASSERT_EQ(tovdsp::currentDeleter, &tovdsp::defaultDeleter);
    auto first = std::make_unique<Morvane3AudioProcessor>();
    auto* deferring = tovdsp::currentDeleter;
    EXPECT_NE(deferring, &tovdsp::defaultDeleter);
    {
        Morvane3AudioProcessor second;
        second.prepareToPlay(44100.0, 128);
        EXPECT_EQ(tovdsp::currentDeleter, deferring);
    }
    EXPECT_EQ(tovdsp::currentDeleter, deferring); // the first instance still plays
    first.reset();
    EXPECT_EQ(tovdsp::currentDeleter, &tovdsp::defaultDeleter);
}

TEST_F(RealTimeTest, AMonoLayoutBuildsAOneChannelChain)
{
    Morvane3AudioProcessor processor;
    juce::AudioProcessor::BusesLayout mono;
    mono.inputBuses.add(juce::AudioChannelSet::mono());
    mono.outputBuses.add(juce::AudioChannelSet::mono());
    juce::AudioProcessor::BusesLayout mixed;
    mixed.inputBuses.add(juce::AudioChannelSet::mono());
    mixed.outputBuses.add(juce::AudioChannelSet::stereo());
    EXPECT_FALSE(processor.setBusesLayout(mixed));
    EXPECT_EQ(processor.getTotalNumOutputChannels(), 2);
    ASSERT_TRUE(processor.setBusesLayout(mono));
    processor.prepareToPlay(44100.0, 256);

    const auto ir = proctest::referenceImpulseResponse("1960 121 On Axis Close", 44100.0);
    proctest::run(processor, proctest::silence(1, 40000), 256);
    auto input = proctest::silence(1, (int) ir.size() + 500);
    input[0][0] = 1.0f;
    const auto out = proctest::run(processor, input, 256)[0];
    auto expected = proctest::channelImpulseResponse(ir, 44100.0, 20.0, 14000.0, 0.5);
    EXPECT_LT(proctest::maxAbsDifference(out, expected, 0, out.size()), 2.0e-4 * proctest::peak(expected));
}
