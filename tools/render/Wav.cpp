#include "tools/render/Wav.h"

#include "tools/render/OutputFile.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace morvane3::render
{
namespace
{

constexpr std::uint16_t formatPcm = 1;
constexpr std::uint16_t formatFloat = 3;
constexpr std::uint16_t formatExtensible = 0xFFFE;

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
           | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void putTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

struct Format
{
    std::uint16_t tag = 0;
    int channels = 0;
    std::uint32_t sampleRate = 0;
    int blockAlign = 0;
    int bits = 0;
};

Format parseFormat(const std::uint8_t* p, std::uint32_t size)
{
    if (size < 16)
        throw WavError("the \"fmt \" chunk is too short");
    Format f;
    f.tag = le16(p);
    f.channels = le16(p + 2);
    f.sampleRate = le32(p + 4);
    f.blockAlign = le16(p + 12);
    f.bits = le16(p + 14);
    if (f.tag == formatExtensible)
    {
        // cbSize (2), valid bits (2), channel mask (4), then the sub-format GUID whose
        // first two bytes are the plain format tag.
        if (size < 40)
            throw WavError("the extensible \"fmt \" chunk is too short");
        f.tag = le16(p + 24);
    }
    if (f.tag != formatPcm && f.tag != formatFloat)
        throw WavError("unsupported WAV encoding (format tag " + std::to_string(f.tag)
                       + "); only PCM and IEEE float are read");
    if (f.channels != 1 && f.channels != 2)
        throw WavError("unsupported channel count " + std::to_string(f.channels) + "; only mono and stereo are read");
    if (f.sampleRate == 0)
        throw WavError("the file states a sample rate of 0");
    const bool pcmOk = f.tag == formatPcm && (f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32);
    const bool floatOk = f.tag == formatFloat && (f.bits == 32 || f.bits == 64);
    if (! pcmOk && ! floatOk)
        throw WavError("unsupported sample size of " + std::to_string(f.bits) + " bits for "
                       + (f.tag == formatPcm ? "PCM" : "float") + " data");
    if (f.blockAlign != f.channels * f.bits / 8)
        throw WavError("inconsistent block alignment " + std::to_string(f.blockAlign));
    return f;
}

double decodeSample(const std::uint8_t* p, const Format& f)
{
    if (f.tag == formatFloat)
    {
        if (f.bits == 32)
        {
            std::uint32_t u = le32(p);
            float v;
            std::memcpy(&v, &u, sizeof v);
            return v;
        }
        std::uint64_t u = static_cast<std::uint64_t>(le32(p)) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
        double v;
        std::memcpy(&v, &u, sizeof v);
        return v;
    }
    switch (f.bits)
    {
        case 8: return (static_cast<int>(p[0]) - 128) / 128.0; // 8-bit WAV is unsigned
        case 16: return static_cast<std::int16_t>(le16(p)) / 32768.0;
        case 24:
        {
            std::int32_t v = static_cast<std::int32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
            if (v & 0x800000)
                v -= 0x1000000;
            return v / 8388608.0;
        }
        default: return static_cast<std::int32_t>(le32(p)) / 2147483648.0;
    }
}

} // namespace

Audio decodeWav(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        throw WavError("not a RIFF/WAVE file");

    const std::size_t end = bytes.size();
    std::size_t pos = 12;
    bool haveFormat = false;
    Format format;
    const std::uint8_t* data = nullptr;
    std::size_t dataSize = 0;

    while (pos + 8 <= end)
    {
        const std::uint8_t* header = bytes.data() + pos;
        const std::uint32_t size = le32(header + 4);
        const std::size_t bodyStart = pos + 8;
        const std::size_t available = end - bodyStart;
        if (std::memcmp(header, "fmt ", 4) == 0)
        {
            if (size > available)
                throw WavError("the \"fmt \" chunk runs past the end of the file");
            format = parseFormat(bytes.data() + bodyStart, size);
            haveFormat = true;
        }
        else if (std::memcmp(header, "data", 4) == 0)
        {
            // Writers that stream often leave the size at 0 or 0xFFFFFFFF, and
            // truncated files are common: take what is actually there.
            data = bytes.data() + bodyStart;
            dataSize = (size == 0 || size > available) ? available : size;
            if (haveFormat)
                break;
        }
        // Chunks are padded to an even length.
        const std::size_t step = 8 + static_cast<std::size_t>(size) + (size & 1u);
        if (step > end - pos)
            break;
        pos += step;
    }

    if (! haveFormat)
        throw WavError("no \"fmt \" chunk");
    if (data == nullptr)
        throw WavError("no \"data\" chunk");

    Audio audio;
    audio.sampleRate = format.sampleRate;
    const std::size_t frames = dataSize / static_cast<std::size_t>(format.blockAlign);
    const int bytesPerSample = format.bits / 8;
    audio.channels.assign(static_cast<std::size_t>(format.channels), std::vector<float>(frames));
    for (std::size_t i = 0; i < frames; ++i)
    {
        const std::uint8_t* frame = data + i * static_cast<std::size_t>(format.blockAlign);
        for (int c = 0; c < format.channels; ++c)
            audio.channels[static_cast<std::size_t>(c)][i] = static_cast<float>(decodeSample(frame + c * bytesPerSample, format));
    }
    return audio;
}

std::vector<std::uint8_t> encodeFloatWav(const Audio& audio)
{
    const std::uint32_t channels = static_cast<std::uint32_t>(audio.channelCount());
    const std::uint32_t frames = static_cast<std::uint32_t>(audio.frameCount());
    const std::uint32_t rate = static_cast<std::uint32_t>(std::lround(audio.sampleRate));
    const std::uint32_t dataBytes = frames * channels * 4;

    std::vector<std::uint8_t> out;
    out.reserve(58 + dataBytes);
    putTag(out, "RIFF");
    put32(out, 4 + (8 + 18) + (8 + 4) + (8 + dataBytes));
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 18);
    put16(out, formatFloat);
    put16(out, channels);
    put32(out, rate);
    put32(out, rate * channels * 4);
    put16(out, channels * 4);
    put16(out, 32);
    put16(out, 0); // cbSize
    putTag(out, "fact");
    put32(out, 4);
    put32(out, frames);
    putTag(out, "data");
    put32(out, dataBytes);
    for (std::uint32_t i = 0; i < frames; ++i)
        for (std::uint32_t c = 0; c < channels; ++c)
        {
            std::uint32_t u;
            std::memcpy(&u, &audio.channels[c][i], sizeof u);
            put32(out, u);
        }
    return out;
}

std::vector<std::uint8_t> readFileBytes(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw std::runtime_error("'" + path + "' is a folder, not a file");
    std::ifstream in(path, std::ios::binary);
    if (! in)
        throw std::runtime_error("cannot open '" + path + "': " + std::strerror(errno));
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw std::runtime_error("cannot read '" + path + "'");
    return bytes;
}

void writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (! parent.empty())
    {
        std::error_code ec;
        std::filesystem::create_directories(parent, ec);
        if (ec)
            throw std::runtime_error("cannot create the folder '" + parent.string() + "': " + ec.message());
    }
    writeFileAtomically(path, bytes);
}

Audio readWav(const std::string& path)
{
    const auto bytes = readFileBytes(path);
    try
    {
        return decodeWav(bytes);
    }
    catch (const WavError& e)
    {
        throw WavError("'" + path + "': " + e.what());
    }
}

void writeWav(const std::string& path, const Audio& audio) { writeFileAtomically(path, encodeFloatWav(audio)); }

} // namespace morvane3::render
