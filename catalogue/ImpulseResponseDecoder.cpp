#include "catalogue/ImpulseResponseDecoder.h"

#include <memory>

namespace morvane3
{
namespace
{
bool isConvertedRate(double rate)
{
    return rate == 48000.0 || rate == 88200.0 || rate == 96000.0 || rate == 192000.0;
}

// Far beyond any catalogue file; keeps a corrupt header from asking for gigabytes.
constexpr juce::int64 maximumLength = 1 << 22;
constexpr juce::int64 minimumHeaderBytes = 44;
} // namespace

tovdsp::Buffer ImpulseResponseDecoder::decode(const void* data, int size, double workingSampleRate)
{
    currentBuffer = tovdsp::Buffer();
    if (data == nullptr || size <= 0)
        return currentBuffer;

    // The reader owns the stream, which reads the caller's bytes without copying them.
    auto* stream = new juce::MemoryInputStream(data, static_cast<size_t>(size), false);
    std::unique_ptr<juce::AudioFormatReader> reader(wavFormat.createReaderFor(stream, true));
    if (reader == nullptr || reader->numChannels < 1 || reader->lengthInSamples <= 0
        || reader->lengthInSamples > maximumLength)
        return currentBuffer;
    // A file cut short would otherwise read as silence padded to its declared
    // length. The samples of a PCM WAV start no earlier than byte 44.
    const juce::int64 frameBytes = reader->numChannels * static_cast<juce::int64>((reader->bitsPerSample + 7) / 8);
    if (minimumHeaderBytes + reader->lengthInSamples * frameBytes > size)
        return currentBuffer;

    const int length = static_cast<int>(reader->lengthInSamples);
    juce::AudioBuffer<float> samples(1, length);
    if (! reader->read(&samples, 0, length, 0, true, false))
        return currentBuffer;

    currentBuffer = tovdsp::bufferFromSamples(length, samples.getReadPointer(0));
    if (isConvertedRate(workingSampleRate))
        currentBuffer = tovdsp::convertBufferRate(currentBuffer, workingSampleRate, catalogueRate);
    return currentBuffer;
}
} // namespace morvane3
