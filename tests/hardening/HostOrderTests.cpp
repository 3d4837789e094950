// Hosts call in orders the happy path never sees: processing before any
// preparation, preparing twice, restoring state before preparing, empty
// blocks, blocks longer than prepared, and layouts that change between
// preparations. Each case is compared with a processor driven the plain way.
#include "support/AllocationCounter.h"
#include "support/HardeningSupport.h"

#include "catalogue/Vocabulary.h"
#include "dsp/PartConvolve.h"
#include "processor/DeleterLifetime.h"
#include "processor/ParameterScaler.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace morvane3;
using hardening::Channels;
using testsupport::AllocationCounter;

namespace
{
class HostOrderTest : public ::testing::Test
{
protected:
    void SetUp() override { hardening::ensureJuceRuntime(); }

    // Prepared, with the convolution start phases fixed before the first block.
    static void prepareSeeded(Morvane3AudioProcessor& processor, double rate, int blockSize)
    {
        processor.prepareToPlay(rate, blockSize);
        tovdsp::seedStartPhaseGenerator(77);
    }

    // Equal up to the rounding of a different block schedule.
    static void expectSameSound(const Channels& actual, const Channels& expected, const char* what)
    {
        const double scale = hardening::peak(expected);
        ASSERT_GT(scale, 1.0e-3) << what << ": the reference must not be silent";
        EXPECT_LT(hardening::maxDifference(actual, expected), 2.0e-5 * scale) << what;
    }
};

void setMotownOnC2(Morvane3AudioProcessor& processor)
{
    const ParameterScaler scaler;
    processor.setParameterValue(c2Cabinet, scaler.codeToNormalised(cabinetCode("Motown")));
    processor.setParameterValue(c1HPF, 0.3f);
    processor.setParameterValue(c2LPF, 0.4f);
    processor.setParameterValue(outputLevel, 0.7f);
}
} // namespace

TEST_F(HostOrderTest, ProcessingBeforeAnyPreparationGivesSilenceWithoutAllocating)
{
    Morvane3AudioProcessor processor;
    auto input = hardening::noise(2, 512, 1);
    juce::AudioBuffer<float> buffer(2, 512);
    for (int c = 0; c < 2; ++c)
        buffer.copyFrom(c, 0, input[(size_t) c].data(), 512);
    juce::MidiBuffer midi;
    AllocationCounter::Scope scope;
    processor.processBlock(buffer, midi);
    EXPECT_EQ(scope.allocations(), 0);
    EXPECT_EQ(scope.frees(), 0);
    EXPECT_EQ(buffer.getMagnitude(0, 512), 0.0f);

    // The processor is still usable afterwards.
    processor.prepareToPlay(44100.0, 512);
    const auto output = hardening::run(processor, hardening::noise(2, 8192, 2), 512);
    EXPECT_GT(hardening::peak(output, 4096), 1.0e-3);
}

TEST_F(HostOrderTest, PreparingAgainSoundsLikePreparingOnceAndKeepsNoOldGraph)
{
    const auto input = hardening::noise(2, 30000, 3);
    Morvane3AudioProcessor twice, once;
    twice.prepareToPlay(48000.0, 256);
    hardening::run(twice, hardening::noise(2, 5000, 4), 256);
    twice.prepareToPlay(96000.0, 1024);
    const long long heapAfterSecond = hardening::liveHeapBytes();

    // Many more preparations must not accumulate graphs.
    for (int i = 0; i < 12; ++i)
        twice.prepareToPlay(i % 2 == 0 ? 44100.0 : 192000.0, 64 << (i % 5));
    twice.prepareToPlay(96000.0, 1024);
    if (heapAfterSecond >= 0)
    {
        // One kept graph at these rates holds several megabytes of spectra;
        // the margin leaves room for the framework's own threads allocating
        // meanwhile on a loaded machine.
        EXPECT_LT(hardening::liveHeapBytes() - heapAfterSecond, 1024 * 1024);
    }

    tovdsp::seedStartPhaseGenerator(77);
    const auto fromTwice = hardening::run(twice, input, 1024);
    prepareSeeded(once, 96000.0, 1024);
    const auto fromOnce = hardening::run(once, input, 1024);
    EXPECT_EQ(twice.getWorkingSampleRate(), 96000.0);
    expectSameSound(fromTwice, fromOnce, "prepared twice");
}

TEST_F(HostOrderTest, StateRestoredBeforePreparationIsTheStateThatPlays)
{
    Morvane3AudioProcessor source;
    setMotownOnC2(source);
    source.applyPendingSelectionChanges();
    juce::MemoryBlock chunk;
    source.getStateInformation(chunk);

    Morvane3AudioProcessor restored;
    restored.setStateInformation(chunk.getData(), (int) chunk.getSize());
    prepareSeeded(restored, 44100.0, 512);
    const auto input = hardening::noise(2, 30000, 5);
    const auto fromRestored = hardening::run(restored, input, 512);

    Morvane3AudioProcessor direct;
    setMotownOnC2(direct);
    direct.deriveSelection(1);
    prepareSeeded(direct, 44100.0, 512);
    const auto fromDirect = hardening::run(direct, input, 512);

    EXPECT_EQ(restored.getLoadedImpulseResponseName(1), makeIRName("Motown", "121", "On Axis", "Close"));
    EXPECT_EQ(restored.getParameterValue(c1HPF), 0.3f);
    expectSameSound(fromRestored, fromDirect, "restored before prepare");

    // And the restore really changed the sound: the default cabinet differs.
    Morvane3AudioProcessor plain;
    prepareSeeded(plain, 44100.0, 512);
    EXPECT_GT(hardening::maxDifference(hardening::run(plain, input, 512), fromDirect), 0.05 * hardening::peak(fromDirect));
}

TEST_F(HostOrderTest, EmptyBlocksChangeNothing)
{
    const auto input = hardening::noise(2, 20000, 6);
    Morvane3AudioProcessor withEmpty, without;
    prepareSeeded(withEmpty, 44100.0, 128);
    Channels output(2, std::vector<float>(input[0].size()));
    juce::AudioBuffer<float> buffer(2, 128);
    juce::AudioBuffer<float> empty(2, 0);
    juce::MidiBuffer midi;
    for (size_t start = 0; start + 128 <= input[0].size(); start += 128)
    {
        for (int c = 0; c < 2; ++c)
            buffer.copyFrom(c, 0, input[(size_t) c].data() + start, 128);
        AllocationCounter::Scope scope;
        withEmpty.processBlock(empty, midi);
        withEmpty.processBlock(buffer, midi);
        ASSERT_EQ(scope.allocations() + scope.frees(), 0) << "block at " << start;
        for (int c = 0; c < 2; ++c)
            std::copy(buffer.getReadPointer(c), buffer.getReadPointer(c) + 128, output[(size_t) c].begin() + (long) start);
    }
    prepareSeeded(without, 44100.0, 128);
    auto expected = hardening::run(without, input, 128);
    for (auto& channel : expected)
        channel.resize(input[0].size() / 128 * 128);
    for (auto& channel : output)
        channel.resize(input[0].size() / 128 * 128);
    EXPECT_EQ(withEmpty.getSampleCounter(), without.getSampleCounter() - (juce::uint32) (input[0].size() % 128));
    EXPECT_EQ(hardening::maxDifference(output, expected), 0.0) << "empty blocks must not advance anything";
}

TEST_F(HostOrderTest, BlocksLongerThanPreparedAreSplitAndAllocateNothing)
{
    const auto input = hardening::noise(2, 40000, 7);
    Morvane3AudioProcessor longBlocks, prepared;
    prepareSeeded(longBlocks, 44100.0, 64);
    hardening::run(longBlocks, hardening::noise(2, 64, 8), 64); // first block: graph buffers settle

    // Odd host sizes far beyond the prepared one, with no allocation.
    Channels output(2, std::vector<float>(input[0].size()));
    juce::AudioBuffer<float> buffer(2, 4099);
    juce::MidiBuffer midi;
    const int sizes[] = { 1000, 4099, 65, 3333 };
    size_t start = 0;
    for (int k = 0; start < input[0].size(); ++k)
    {
        const int n = (int) std::min<size_t>((size_t) sizes[k % 4], input[0].size() - start);
        buffer.setSize(2, n, false, false, true);
        for (int c = 0; c < 2; ++c)
            buffer.copyFrom(c, 0, input[(size_t) c].data() + start, n);
        AllocationCounter::Scope scope;
        longBlocks.processBlock(buffer, midi);
        ASSERT_EQ(scope.allocations(), 0) << "block of " << n;
        ASSERT_EQ(scope.frees(), 0) << "block of " << n;
        for (int c = 0; c < 2; ++c)
            std::copy(buffer.getReadPointer(c), buffer.getReadPointer(c) + n, output[(size_t) c].begin() + (long) start);
        start += (size_t) n;
    }

    prepareSeeded(prepared, 44100.0, 64);
    hardening::run(prepared, hardening::noise(2, 64, 8), 64);
    expectSameSound(output, hardening::run(prepared, input, 64), "long host blocks");
}

TEST_F(HostOrderTest, LayoutChangesBetweenPreparationsFollowTheNewLayout)
{
    const auto stereoInput = hardening::noise(2, 30000, 9);
    const Channels monoInput { stereoInput[0] };

    Morvane3AudioProcessor changing, stereo;
    prepareSeeded(stereo, 44100.0, 512);
    const auto stereoOutput = hardening::run(stereo, stereoInput, 512);

    changing.prepareToPlay(44100.0, 512);
    hardening::run(changing, stereoInput, 512);

    juce::AudioProcessor::BusesLayout mono;
    mono.inputBuses.add(juce::AudioChannelSet::mono());
    mono.outputBuses.add(juce::AudioChannelSet::mono());
    ASSERT_TRUE(changing.setBusesLayout(mono));
    prepareSeeded(changing, 44100.0, 512);
    const auto monoOutput = hardening::run(changing, monoInput, 512);
    // Channels are processed independently: mono is the stereo left channel.
    expectSameSound(monoOutput, Channels { stereoOutput[0] }, "mono after stereo");

    juce::AudioProcessor::BusesLayout two;
    two.inputBuses.add(juce::AudioChannelSet::stereo());
    two.outputBuses.add(juce::AudioChannelSet::stereo());
    ASSERT_TRUE(changing.setBusesLayout(two));
    prepareSeeded(changing, 44100.0, 512);
    expectSameSound(hardening::run(changing, stereoInput, 512), stereoOutput, "stereo again");

    // Layouts the plug-in refuses leave the current one in place.
    juce::AudioProcessor::BusesLayout surround;
    surround.inputBuses.add(juce::AudioChannelSet::create5point1());
    surround.outputBuses.add(juce::AudioChannelSet::create5point1());
    EXPECT_FALSE(changing.setBusesLayout(surround));
    EXPECT_EQ(changing.getTotalNumInputChannels(), 2);
}

TEST_F(HostOrderTest, BuffersWithOtherChannelCountsThanPreparedStaySafe)
{
    Morvane3AudioProcessor processor;
    processor.prepareToPlay(44100.0, 256);
    juce::MidiBuffer midi;
    for (int channels : { 0, 1, 3, 8 })
    {
        juce::AudioBuffer<float> buffer(channels, 256);
        const auto input = hardening::noise(channels, 256, (uint32_t) channels);
        for (int round = 0; round < 50; ++round)
        {
            for (int c = 0; c < channels; ++c)
                buffer.copyFrom(c, 0, input[(size_t) c].data(), 256);
            AllocationCounter::Scope scope;
            processor.processBlock(buffer, midi);
            ASSERT_EQ(scope.allocations() + scope.frees(), 0) << channels << " channels";
        }
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < 256; ++i)
                ASSERT_TRUE(std::isfinite(buffer.getSample(c, i))) << channels << " channels";
        // Outputs the layout does not have are silent, not left holding the input.
        for (int c = 2; c < channels; ++c)
            EXPECT_EQ(buffer.getMagnitude(c, 0, 256), 0.0f) << "channel " << c << " of " << channels;
    }
}

TEST_F(HostOrderTest, OddPreparationsStillGiveFiniteSound)
{
    struct Odd
    {
        double rate;
        int blockSize;
    };
    const Odd odd[] = { { 0.0, 0 }, { 22050.0, -5 }, { 1.0e6, 1 }, { 44100.0, 1 }, { 8000.0, 7 }, { -48000.0, 512 } };
    for (const auto& o : odd)
    {
        Morvane3AudioProcessor processor;
        processor.prepareToPlay(o.rate, o.blockSize);
        processor.releaseResources();
        const auto output = hardening::run(processor, hardening::noise(2, 6000, 10), 97);
        EXPECT_TRUE(hardening::allFinite(output)) << o.rate << " Hz, " << o.blockSize;
        EXPECT_GT(hardening::peak(output, 3000), 1.0e-4) << o.rate << " Hz, " << o.blockSize;
        // A believable rate is worked at; any other falls back to the stored 44100 Hz.
        const bool believable = o.rate >= 8000.0 && o.rate <= 768000.0;
        EXPECT_EQ(processor.getWorkingSampleRate(), believable ? o.rate : 44100.0) << o.rate;
    }
    EXPECT_EQ(deferringDeleterUsers(), 0);
}
