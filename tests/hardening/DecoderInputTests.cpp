// Impulse-response bytes the decoder fuzzer found: headers whose counts the
// framework's WAV reader would trust. They decode to nothing, at once, while a
// well-formed file beside them still decodes.
#include "catalogue/ImpulseResponseDecoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace
{
void put32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s.push_back((char) ((v >> (8 * i)) & 0xff));
}

// A mono 24-bit 44100 Hz file of `frames` samples of 0.5, then `extra` chunks.
std::string wave(int frames, const std::string& extra = {}, uint32_t declaredData = UINT32_MAX)
{
    std::string fmt = "fmt ";
    put32(fmt, 16);
    const uint16_t fields[] = { 1, 1 };
    for (auto f : fields)
        fmt.push_back((char) (f & 0xff)), fmt.push_back((char) (f >> 8));
    put32(fmt, 44100);
    put32(fmt, 44100 * 3);
    fmt += std::string("\x03\x00\x18\x00", 4);
    std::string data = "data";
    put32(data, declaredData != UINT32_MAX ? declaredData : (uint32_t) frames * 3);
    for (int i = 0; i < frames; ++i)
        data += std::string("\x00\x00\x40", 3);
    std::string body = "WAVE" + fmt + data + extra;
    std::string file = "RIFF";
    put32(file, (uint32_t) body.size());
    return file + body;
}
} // namespace

TEST(DecoderInput, ChunksThatPromiseMoreThanTheFileHoldsDecodeToNothing)
{
    morvane3::ImpulseResponseDecoder decoder;
    const auto good = wave(64);
    const auto decoded = decoder.decode(good.data(), (int) good.size(), 44100.0);
    ASSERT_EQ(decoded.length, 64);
    EXPECT_FLOAT_EQ(decoded.channelSamples(0)[10], 0.5f);

    // A cue chunk declaring 141 million points in 28 bytes (the fuzzer's find).
    std::string cue = "cue ";
    put32(cue, 28);
    put32(cue, 141759261u);
    cue += std::string(24, '\0');
    const auto hugeCue = wave(64, cue);
    EXPECT_EQ(decoder.decode(hugeCue.data(), (int) hugeCue.size(), 44100.0).length, 0);

    // A chunk whose length runs past the end of the bytes.
    std::string list = "LIST";
    put32(list, 0x7ffffff0u);
    list += "INFO";
    const auto longChunk = wave(64, list);
    EXPECT_EQ(decoder.decode(longChunk.data(), (int) longChunk.size(), 48000.0).length, 0);

    // A format chunk claiming 57089 channels (the fuzzer's second find).
    auto manyChannels = wave(64);
    manyChannels[22] = '\x01';
    manyChannels[23] = '\xdf';
    EXPECT_EQ(decoder.decode(manyChannels.data(), (int) manyChannels.size(), 44100.0).length, 0);

    // A data chunk declaring more samples than there are.
    const auto shortData = wave(64, {}, 3u * 100000u);
    EXPECT_EQ(decoder.decode(shortData.data(), (int) shortData.size(), 44100.0).length, 0);

    // An iXML chunk whose text is not valid UTF-8 (the fuzzer's third find):
    // the framework's reader turns it into a string and reads past its end.
    std::string ixml = "iXML";
    put32(ixml, 6);
    ixml += std::string("<\xad\xb6\xb9SI", 6);
    const auto badText = wave(64, ixml);
    EXPECT_EQ(decoder.decode(badText.data(), (int) badText.size(), 44100.0).length, 0);

    // The fuzzer's input itself, byte for byte.
    const unsigned char found[] = { 0x8d, 0x52, 0x49, 0x46, 0x46, 0x24, 0x00, 0x00, 0x28, 0x57, 0x41, 0x56, 0x45, 0x69,
                                    0x58, 0x4d, 0x4c, 0x10, 0x00, 0x00, 0x00, 0x3c, 0xad, 0xb6, 0xb9, 0x53, 0x49, 0x3e,
                                    0x49, 0x62, 0x65, 0x78, 0x74, 0x46, 0x67, 0xff, 0xf7, 0x00, 0x2d, 0x00, 0x00, 0x74 };
    EXPECT_EQ(decoder.decode(found, (int) sizeof(found), 44100.0).length, 0);

    // Our own trailing chunk is welcome.
    std::string trailing = "AFAn";
    put32(trailing, 5);
    trailing += std::string("key=1\0", 6);
    const auto withTrailer = wave(64, trailing);
    EXPECT_EQ(decoder.decode(withTrailer.data(), (int) withTrailer.size(), 44100.0).length, 64);
}
