#include "processor/SelectionNames.h"

#include "resources/ResourceTable.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace morvane3
{
namespace
{
const char* const cabinets[] = { "1960", "Angora", "Eagle", "Excel", "Green", "Igor", "Ogre",
                                 "Oversize", "Sterling", "Tangerine", "Damien", "Genzie", "Blackface", "Chordal",
                                 "Dazed", "Top Boost", "Tweed", "Zodiac", "Manatee", "Motown" };
const char* const microphones[] = { "121", "409", "421", "545", "57", "i5", "Reference", "U87" };
const char* const positions[] = { "On Axis", "Off Axis" };
const char* const distances[] = { "Close", "Mid", "Far" };

template <size_t n> juce::String lookUp(const char* const (&names)[n], int code)
{
    if (code <= 0 || code % 10 != 0 || code / 10 > (int) n)
        return {};
    return names[code / 10 - 1];
}
} // namespace

juce::String selectionName(SelectorField field, int code)
{
    switch (field)
    {
    case SelectorField::cabinet: return lookUp(cabinets, code);
    case SelectorField::microphone: return lookUp(microphones, code);
    case SelectorField::position: return lookUp(positions, code);
    case SelectorField::distance: return lookUp(distances, code);
    case SelectorField::none: break;
    }
    return {};
}

juce::String impulseResponseName(const juce::String& cabinet, const juce::String& microphone,
                                 const juce::String& position, const juce::String& distance)
{
    return cabinet + " " + microphone + " " + position + " " + distance;
}

ImpulseResponseResource lookUpImpulseResponse(const juce::String& irName)
{
    const auto entry = findResource(impulseResponseTable, irName.toRawUTF8());
    return { entry.first, entry.second };
}

tovdsp::Buffer decodeImpulseResponse(const ImpulseResponseResource& resource, double workingSampleRate)
{
    if (resource.data == nullptr || resource.size <= 0)
        return {};
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader(
        wav.createReaderFor(new juce::MemoryInputStream(resource.data, (size_t) resource.size, false), true));
    if (reader == nullptr || reader->lengthInSamples <= 0)
        return {};
    const auto length = (int) reader->lengthInSamples;
    juce::AudioBuffer<float> samples(1, length);
    reader->read(&samples, 0, length, 0, true, false);
    auto buffer = tovdsp::bufferFromSamples(length, samples.getReadPointer(0));
    if (workingSampleRate == 48000.0 || workingSampleRate == 88200.0 || workingSampleRate == 96000.0
        || workingSampleRate == 192000.0)
        buffer = tovdsp::convertBufferRate(buffer, workingSampleRate, 44100.0);
    return buffer;
}
} // namespace morvane3
