// The WAV reader takes every encoding a musician's files come in and says clearly
// what it cannot read; the writer's files read back exactly.
#include "ToolTestSupport.h"
#include "tools/render/Wav.h"

#include <cmath>
#include <filesystem>
#include <cstring>
#include <gtest/gtest.h>

using namespace morvane3::render;
using toolstest::RawWav;

namespace
{
void push(std::vector<std::uint8_t>& data, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
} // namespace

TEST(WavReader, DecodesEveryIntegerSizeToTheSameScaleAsTheFullScaleValue)
{
    struct Case
    {
        int bits;
        std::vector<std::uint64_t> codes; // raw little-endian sample codes
        std::vector<double> expected;
    };
    const Case cases[] = {
        {8, {0, 128, 255, 192}, {-1.0, 0.0, 127.0 / 128.0, 0.5}}, // 8-bit is unsigned
        {16, {0x8000, 0x0000, 0x7FFF, 0x4000}, {-1.0, 0.0, 32767.0 / 32768.0, 0.5}},
        {24, {0x800000, 0x000000, 0x7FFFFF, 0xC00000}, {-1.0, 0.0, 8388607.0 / 8388608.0, -0.5}},
        {32, {0x80000000u, 0, 0x7FFFFFFFu, 0x40000000u}, {-1.0, 0.0, 2147483647.0 / 2147483648.0, 0.5}},
    };
    for (const auto& c : cases)
    {
        RawWav wav;
        wav.formatTag = 1;
        wav.bits = c.bits;
        for (auto code : c.codes)
            push(wav.data, code, c.bits / 8);
        const Audio audio = decodeWav(toolstest::buildWav(wav));
        ASSERT_EQ(audio.channelCount(), 1) << c.bits;
        ASSERT_EQ(audio.frameCount(), c.codes.size()) << c.bits;
        for (std::size_t i = 0; i < c.codes.size(); ++i)
            EXPECT_FLOAT_EQ(audio.channels[0][i], static_cast<float>(c.expected[i])) << c.bits << " bits, sample " << i;
    }
}

TEST(WavReader, ReadsFloatAndExtensibleStereoWithChannelsInOrder)
{
    for (bool extensible : {false, true})
        for (int bits : {32, 64})
        {
            RawWav wav;
            wav.formatTag = 3;
            wav.extensible = extensible;
            wav.bits = bits;
            wav.channels = 2;
            wav.sampleRate = 96000;
            const double left[] = {0.25, -0.75, 1.5}, right[] = {-0.125, 0.0, 0.0625};
            for (int i = 0; i < 3; ++i)
                for (double v : {left[i], right[i]})
                {
                    std::uint64_t u = 0;
                    if (bits == 32)
                    {
                        const float f = static_cast<float>(v);
                        std::uint32_t u32;
                        std::memcpy(&u32, &f, 4);
                        u = u32;
                    }
                    else
                        std::memcpy(&u, &v, 8);
                    push(wav.data, u, bits / 8);
                }
            const Audio audio = decodeWav(toolstest::buildWav(wav));
            ASSERT_EQ(audio.channelCount(), 2);
            EXPECT_EQ(audio.sampleRate, 96000.0);
            for (int i = 0; i < 3; ++i)
            {
                EXPECT_EQ(audio.channels[0][static_cast<std::size_t>(i)], static_cast<float>(left[i]));
                EXPECT_EQ(audio.channels[1][static_cast<std::size_t>(i)], static_cast<float>(right[i]));
            }
        }

    RawWav pcm;
    pcm.formatTag = 1;
    pcm.extensible = true;
    pcm.bits = 24;
    push(pcm.data, 0x400000, 3);
    EXPECT_FLOAT_EQ(decodeWav(toolstest::buildWav(pcm)).channels[0][0], 0.5f);
}

TEST(WavReader, SkipsUnknownOddSizedChunksAndToleratesTruncatedOrStreamedData)
{
    RawWav wav;
    wav.formatTag = 1;
    wav.bits = 16;
    const char list[] = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0}; // odd size, padded
    wav.chunkBeforeData.assign(list, list + sizeof list);
    push(wav.data, 0x4000, 2);
    push(wav.data, 0xC000, 2);
    auto bytes = toolstest::buildWav(wav);
    Audio audio = decodeWav(bytes);
    ASSERT_EQ(audio.frameCount(), 2u);
    EXPECT_FLOAT_EQ(audio.channels[0][1], -0.5f);

    // A data size larger than the file (a recorder that was cut off, or a streamed
    // file with the size never filled in) reads what is there; half a sample at the
    // end is dropped.
    std::vector<std::uint8_t> truncated = bytes;
    const std::uint32_t huge = 0xFFFFFFFFu;
    std::memcpy(truncated.data() + truncated.size() - 4 - 4, &huge, 4);
    truncated.push_back(0x12);
    audio = decodeWav(truncated);
    EXPECT_FLOAT_EQ(audio.channels[0][0], 0.5f);
    EXPECT_EQ(audio.frameCount(), 2u);
}

TEST(WavReader, RejectsWhatItCannotReadWithAReason)
{
    auto messageOf = [](const std::vector<std::uint8_t>& bytes) {
        try
        {
            decodeWav(bytes);
        }
        catch (const WavError& e)
        {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    const std::string text = "this is not audio";
    EXPECT_NE(messageOf({text.begin(), text.end()}).find("not a RIFF/WAVE"), std::string::npos);
    EXPECT_NE(messageOf({}).find("not a RIFF/WAVE"), std::string::npos);

    RawWav threeChannels;
    threeChannels.channels = 3;
    push(threeChannels.data, 0, 12);
    EXPECT_NE(messageOf(toolstest::buildWav(threeChannels)).find("channel count 3"), std::string::npos);

    RawWav twelveBit;
    twelveBit.formatTag = 1;
    twelveBit.bits = 12;
    EXPECT_NE(messageOf(toolstest::buildWav(twelveBit)).find("12 bits"), std::string::npos);

    RawWav alaw;
    alaw.formatTag = 6;
    alaw.bits = 8;
    EXPECT_NE(messageOf(toolstest::buildWav(alaw)).find("format tag 6"), std::string::npos);

    RawWav ok;
    auto noData = toolstest::buildWav(ok);
    noData.resize(noData.size() - 8); // drop the (empty) data chunk header
    EXPECT_NE(messageOf(noData).find("no \"data\""), std::string::npos);

    std::vector<std::uint8_t> noFormat = {'R', 'I', 'F', 'F', 12, 0, 0, 0, 'W', 'A', 'V', 'E', 'd', 'a', 't', 'a', 0, 0, 0, 0};
    EXPECT_NE(messageOf(noFormat).find("no \"fmt \""), std::string::npos);
}

TEST(WavWriter, WritesFloatFilesThatAnIndependentReaderReadsBitForBit)
{
    toolstest::ScratchFolder scratch;
    Audio audio;
    audio.sampleRate = 48000;
    audio.channels = {{0.5f, -1.25f, 1.0e-30f, 3.0f}, {0.0f, 0.125f, -0.0f, -2.0f}};
    std::filesystem::create_directories(scratch.file("sub dir"));
    const std::string path = scratch.file("sub dir/out.wav");
    writeWav(path, audio);
    const auto back = toolstest::readFloatWavFile(path);
    EXPECT_EQ(back.formatTag, 3);
    EXPECT_EQ(back.bits, 32);
    EXPECT_EQ(back.sampleRate, 48000u);
    ASSERT_EQ(back.channels.size(), 2u);
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(std::memcmp(&back.channels[c][i], &audio.channels[c][i], 4), 0) << c << ":" << i;

    const Audio again = readWav(path);
    EXPECT_EQ(again.channels, audio.channels);
}
