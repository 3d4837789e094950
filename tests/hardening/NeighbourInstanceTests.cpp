// Instances share the graph library's process-wide settings, which the last
// preparation wrote. An impulse-response switch in one instance after another
// instance prepared at another rate and block size must still build for the
// switching instance: no allocation on its audio thread, its own sound.
#include "support/AllocationCounter.h"
#include "support/HardeningSupport.h"

#include "catalogue/Vocabulary.h"
#include "dsp/PartConvolve.h"

#include <gtest/gtest.h>

using namespace morvane3;
using hardening::Channels;

namespace
{
// Plays `input` in blocks of `blockSize` and counts what the audio thread allocated and freed.
Channels play(Morvane3AudioProcessor& processor, const Channels& input, int blockSize, long& allocations)
{
    Channels output = input;
    juce::AudioBuffer<float> buffer(2, blockSize);
    juce::MidiBuffer midi;
    for (size_t start = 0; start + (size_t) blockSize <= input[0].size(); start += (size_t) blockSize)
    {
        for (int c = 0; c < 2; ++c)
            buffer.copyFrom(c, 0, input[(size_t) c].data() + start, blockSize);
        {
            testsupport::AllocationCounter::Scope scope;
            processor.processBlock(buffer, midi);
            allocations += scope.allocations() + scope.frees();
        }
        for (int c = 0; c < 2; ++c)
            std::copy(buffer.getReadPointer(c), buffer.getReadPointer(c) + blockSize, output[(size_t) c].begin() + (long) start);
    }
    return output;
}
} // namespace

TEST(NeighbourInstance, ASwitchAfterANeighbourPreparedSmallerBlocksAtAnotherRateStaysOwnAndAllocationFree)
{
    hardening::ensureJuceRuntime();
    const auto warmUp = hardening::noise(2, 8192, 1);
    const auto input = hardening::noise(2, 40960, 2);
    const auto newIR = makeIRName("Motown", "121", "On Axis", "Close");

    long allocations = 0;
    Morvane3AudioProcessor track, alone;
    track.prepareToPlay(96000.0, 1024);
    tovdsp::seedStartPhaseGenerator(9);
    play(track, warmUp, 1024, allocations);

    {
        Morvane3AudioProcessor neighbour; // prepared after the track, then gone
        neighbour.prepareToPlay(44100.0, 32);
        track.loadImpulseResponse(1, newIR);
    }
    allocations = 0;
    tovdsp::seedStartPhaseGenerator(10);
    const auto fromTrack = play(track, input, 1024, allocations);
    EXPECT_EQ(allocations, 0) << "the switched convolution was built for the neighbour's block size";

    long ignored = 0;
    alone.prepareToPlay(96000.0, 1024);
    tovdsp::seedStartPhaseGenerator(9);
    play(alone, warmUp, 1024, ignored);
    alone.loadImpulseResponse(1, newIR);
    tovdsp::seedStartPhaseGenerator(10);
    const auto fromAlone = play(alone, input, 1024, ignored);

    const double scale = hardening::peak(fromAlone);
    ASSERT_GT(scale, 1.0e-3);
    EXPECT_LT(hardening::maxDifference(fromTrack, fromAlone), 2.0e-5 * scale);
}
