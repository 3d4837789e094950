#include "catalogue/ImpulseResponseDecoder.h"
#include "catalogue/BandLimitedResampler.h"
#include "catalogue/SampleRates.h"

#include <cstring>
#include <memory>

namespace morvane3
{
namespace
{
// Far beyond any catalogue file; keeps a corrupt header from asking for gigabytes.
constexpr juce::int64 maximumLength = 1 << 22;
constexpr juce::int64 minimumHeaderBytes = 44;

juce::uint32 readLittleEndian32(const unsigned char* p)
{
    return (juce::uint32) p[0] | ((juce::uint32) p[1] << 8) | ((juce::uint32) p[2] << 16) | ((juce::uint32) p[3] << 24);
}

// The framework's reader trusts what a RIFF file says about itself: a cue
// chunk declaring millions of points makes it allocate gigabytes, and the
// metadata chunks it turns into text (iXML, bext, LIST...) are read past
// their end when they are not valid UTF-8. A catalogue file holds nothing but
// its format, its samples and our own trailing chunk, so only files whose
// chunks all lie inside the bytes and are of the kinds the reader merely
// skips or needs reach it. Every catalogue file passes.
bool isPlainSampleChunk(const unsigned char* id)
{
    static const char* const kinds[] = { "fmt ", "data", "fact", "AFAn", "JUNK", "PAD " };
    for (const char* kind : kinds)
        if (std::memcmp(id, kind, 4) == 0)
            return true;
    return false;
}

bool chunksFitTheFile(const void* data, int size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return false;
    juce::int64 offset = 12;
    while (offset + 8 <= size)
    {
        const auto* chunk = bytes + offset;
        const juce::int64 length = readLittleEndian32(chunk + 4);
        if (offset + 8 + length > size || ! isPlainSampleChunk(chunk))
            return false;
        offset += 8 + length + (length & 1);
    }
    return true;
}
} // namespace

tovdsp::Buffer ImpulseResponseDecoder::decode(const void* data, int size, double workingSampleRate)
{
    currentBuffer = tovdsp::Buffer();
    if (data == nullptr || size <= 0 || ! chunksFitTheFile(data, size))
        return currentBuffer;

    // The reader owns the stream, which reads the caller's bytes without copying them.
    auto* stream = new juce::MemoryInputStream(data, static_cast<size_t>(size), false);
    std::unique_ptr<juce::AudioFormatReader> reader(wavFormat.createReaderFor(stream, true));
    // The reader copies whole frames through a small buffer: a header claiming
    // thousands of channels makes it write past that buffer.
    if (reader == nullptr || reader->numChannels < 1 || reader->numChannels > 8 || reader->lengthInSamples <= 0
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
    currentBuffer = atRate(currentBuffer, workingSampleRate);
    return currentBuffer;
}

tovdsp::Buffer ImpulseResponseDecoder::atRate(const tovdsp::Buffer& response, double rate)
{
    if (! isPreparedRate(rate) || rate == catalogueRate)
        return response;
    // Upwards the catalogue's band fits below the new Nyquist frequency, and
    // linear interpolation is what the classic rates have always used.
    if (rate > catalogueRate)
        return tovdsp::convertBufferRate(response, rate, catalogueRate);
    // Downwards, interpolation would fold everything above the new Nyquist
    // frequency back into the band.
    auto lowered = lowerRateBandLimited(response, rate, catalogueRate);
    return lowered.length > 0 ? lowered : response;
}
} // namespace morvane3
