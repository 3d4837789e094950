// The host hands the processor whatever bytes its project file holds. Any
// chunk must restore without a memory error; what it restores must play
// finite sound while the values are in their ranges, and saving it again must
// give a chunk that restores to the same chunk.
#include "FuzzSupport.h"

#include "processor/Morvane3AudioProcessor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Morvane3AudioProcessor* processor = [] {
        fuzzing::ensureJuceRuntime();
        auto* p = new Morvane3AudioProcessor();
        p->prepareToPlay(44100.0, 256);
        return p;
    }();
    static juce::AudioBuffer<float> buffer(2, 256);
    static juce::MidiBuffer midi;

    processor->setStateInformation(data, (int) size);
    processor->flushDeferredDeletions();

    bool inRange = true;
    for (int index = 0; index < morvane3::numParameters; ++index)
    {
        const float v = processor->getParameterValue(index);
        if (index != morvane3::sampleRateIndex && ! (v >= 0.0f && v <= 1.0f))
            inRange = false;
    }
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 256; ++i)
            buffer.setSample(c, i, (float) ((i * 37 + c * 11) % 64) / 64.0f - 0.5f);
    {
        const juce::ScopedLock lock(processor->getCallbackLock());
        processor->processBlock(buffer, midi);
    }
    if (inRange && ! (fuzzing::finite(buffer.getReadPointer(0), 256) && fuzzing::finite(buffer.getReadPointer(1), 256)))
        fuzzing::fail("in-range settings played non-finite sound");

    juce::MemoryBlock saved, again;
    processor->getStateInformation(saved);
    processor->setStateInformation(saved.getData(), (int) saved.getSize());
    processor->getStateInformation(again);
    if (saved != again)
        fuzzing::fail("a saved chunk does not restore to itself");
    processor->flushDeferredDeletions();
    return 0;
}
