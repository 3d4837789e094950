// Drives a prepared processor the way a hostile host session might: random
// block lengths (empty, odd, longer than prepared), random parameter writes in
// the normalised range, impulse-response switches directly and through
// automation, new preparations at other rates, sizes and layouts, and state
// round trips. With finite input the output must stay finite.
#include "FuzzSupport.h"

#include "catalogue/Vocabulary.h"
#include "processor/Morvane3AudioProcessor.h"
#include "processor/ParameterScaler.h"

#include <vector>

namespace
{
constexpr int maxBlock = 4096;

struct Session
{
    Session()
    {
        fuzzing::ensureJuceRuntime();
        processor = std::make_unique<Morvane3AudioProcessor>();
    }

    void prepare(fuzzing::ByteReader& in)
    {
        const double rates[] = { 44100.0, 48000.0, 88200.0, 96000.0, 192000.0, 22050.0, 32000.0 };
        const int sizes[] = { 1, 7, 32, 64, 100, 256, 512, 1024, 4096 };
        processor->prepareToPlay(in.pick(rates), in.pick(sizes));
    }

    void setLayout(bool mono)
    {
        juce::AudioProcessor::BusesLayout layout;
        const auto set = mono ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        layout.inputBuses.add(set);
        layout.outputBuses.add(set);
        processor->setBusesLayout(layout);
    }

    void process(fuzzing::ByteReader& in)
    {
        const int length = in.word() % (maxBlock + 1);
        const int channels = 1 + in.byte() % 2;
        buffer.setSize(channels, length, false, false, true);
        const uint8_t seed = in.byte();
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < length; ++i)
                buffer.setSample(c, i, (float) ((i * (seed | 1) + c * 131) % 251) / 251.0f - 0.5f);
        {
            const juce::ScopedLock lock(processor->getCallbackLock());
            processor->processBlock(buffer, midi);
        }
        for (int c = 0; c < channels; ++c)
            if (! fuzzing::finite(buffer.getReadPointer(c), length))
                fuzzing::fail("finite input and in-range parameters gave non-finite output");
    }

    void switchResponse(fuzzing::ByteReader& in)
    {
        using namespace morvane3;
        const int channel = in.byte() % 2;
        const int codes[4] = { in.pick(cabinetCodes), in.pick(microphoneCodes), 10 * (1 + in.byte() % 2),
                               10 * (1 + in.byte() % 3) };
        if (in.byte() % 2 == 0)
        {
            processor->loadImpulseResponse(channel, makeIRNameFromCodes(codes[0], codes[1], codes[2], codes[3]));
        }
        else
        {
            const ParameterScaler scaler;
            for (int field = 0; field < 4; ++field)
                processor->setParameterValue(selectorParameterIndex(channel, (SelectorField) field),
                                             scaler.codeToNormalised(codes[field]));
            processor->applyPendingSelectionChanges();
        }
    }

    std::unique_ptr<Morvane3AudioProcessor> processor;
    juce::AudioBuffer<float> buffer { 2, maxBlock };
    juce::MidiBuffer midi;
    // Codes of the vocabulary plus a few it does not have.
    int cabinetCodes[24] {};
    int microphoneCodes[12] {};
};

Session& session()
{
    static Session* s = [] {
        auto* made = new Session();
        const auto& cabinets = morvane3::cabinets();
        for (int i = 0; i < 24; ++i)
            made->cabinetCodes[i] = i < (int) cabinets.size() ? cabinets[(size_t) i].code : 5 + 1000 * i;
        const auto& microphones = morvane3::microphones();
        for (int i = 0; i < 12; ++i)
            made->microphoneCodes[i] = i < (int) microphones.size() ? microphones[(size_t) i].code : -10 * i;
        return made;
    }();
    return *s;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto& s = session();
    fuzzing::ByteReader in(data, size);
    s.setLayout(in.byte() % 4 == 0);
    s.prepare(in);
    for (int step = 0; step < 48 && ! in.empty(); ++step)
    {
        switch (in.byte() % 8)
        {
        case 0:
        case 1:
        case 2:
            s.process(in);
            break;
        case 3:
        case 4:
        {
            // Normalised writes to any row but the sample rate, which hosts only read.
            int index = in.byte() % morvane3::numParameters;
            if (index == morvane3::sampleRateIndex)
                index = morvane3::outputLevel;
            s.processor->setParameterValue(index, in.unit());
            break;
        }
        case 5:
            s.switchResponse(in);
            break;
        case 6:
            if (in.byte() % 4 == 0)
                s.setLayout(in.byte() % 2 == 0);
            s.prepare(in);
            break;
        case 7:
        {
            juce::MemoryBlock chunk;
            s.processor->getStateInformation(chunk);
            s.processor->setStateInformation(chunk.getData(), (int) chunk.getSize());
            s.processor->flushDeferredDeletions();
            break;
        }
        }
    }
    s.processor->flushDeferredDeletions();
    return 0;
}
