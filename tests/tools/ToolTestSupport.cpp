#include "ToolTestSupport.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace toolstest
{
namespace
{
void put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void tag(std::vector<std::uint8_t>& out, const char* t) { out.insert(out.end(), t, t + 4); }
std::uint32_t get32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8)
           | (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
} // namespace

std::string shellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

RunResult runTool(const std::vector<std::string>& arguments)
{
    ScratchFolder scratch;
    std::string command = shellQuote(MORVANE3_RENDER_TOOL);
    for (const auto& a : arguments)
        command += " " + shellQuote(a);
    const std::string outPath = scratch.file("stdout"), errPath = scratch.file("stderr");
    command += " >" + shellQuote(outPath) + " 2>" + shellQuote(errPath) + " </dev/null";
    const int status = std::system(command.c_str());
    RunResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    result.out = slurp(outPath);
    result.err = slurp(errPath);
    return result;
}

ScratchFolder::ScratchFolder()
{
    static std::mt19937 random(std::random_device {}());
    path = std::filesystem::temp_directory_path() / ("morvane3-render-test-" + std::to_string(random()));
    std::filesystem::create_directories(path);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

std::vector<std::uint8_t> buildWav(const RawWav& wav)
{
    std::vector<std::uint8_t> fmt;
    const int blockAlign = wav.channels * wav.bits / 8;
    put16(fmt, wav.extensible ? 0xFFFE : wav.formatTag);
    put16(fmt, static_cast<std::uint32_t>(wav.channels));
    put32(fmt, wav.sampleRate);
    put32(fmt, wav.sampleRate * static_cast<std::uint32_t>(blockAlign));
    put16(fmt, static_cast<std::uint32_t>(blockAlign));
    put16(fmt, static_cast<std::uint32_t>(wav.bits));
    if (wav.extensible)
    {
        put16(fmt, 22);
        put16(fmt, static_cast<std::uint32_t>(wav.bits));
        put32(fmt, wav.channels == 1 ? 0x4 : 0x3);
        // KSDATAFORMAT_SUBTYPE_PCM / _IEEE_FLOAT: the format tag then a fixed tail.
        const std::uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        put16(fmt, wav.formatTag);
        fmt.insert(fmt.end(), tail, tail + 14);
    }
    std::vector<std::uint8_t> out;
    tag(out, "RIFF");
    put32(out, 0); // patched below
    tag(out, "WAVE");
    tag(out, "fmt ");
    put32(out, static_cast<std::uint32_t>(fmt.size()));
    out.insert(out.end(), fmt.begin(), fmt.end());
    out.insert(out.end(), wav.chunkBeforeData.begin(), wav.chunkBeforeData.end());
    tag(out, "data");
    put32(out, static_cast<std::uint32_t>(wav.data.size()));
    out.insert(out.end(), wav.data.begin(), wav.data.end());
    const std::uint32_t riffSize = static_cast<std::uint32_t>(out.size() - 8);
    std::memcpy(out.data() + 4, &riffSize, 4); // little-endian host
    return out;
}

void writeFloatWavFile(const std::string& path, const std::vector<std::vector<float>>& channels, std::uint32_t rate)
{
    RawWav wav;
    wav.channels = static_cast<int>(channels.size());
    wav.sampleRate = rate;
    for (std::size_t i = 0; i < channels.front().size(); ++i)
        for (const auto& c : channels)
        {
            std::uint32_t u;
            std::memcpy(&u, &c[i], 4);
            put32(wav.data, u);
        }
    const auto bytes = buildWav(wav);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

ReadBack readFloatWavFile(const std::string& path)
{
    const auto b = fileBytes(path);
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        throw std::runtime_error("not a WAV file: " + path);
    ReadBack r;
    int channels = 0;
    for (std::size_t at = 12; at + 8 <= b.size();)
    {
        const std::uint32_t size = get32(b, at + 4);
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0)
        {
            r.formatTag = static_cast<std::uint16_t>(b[at + 8] | (b[at + 9] << 8));
            channels = b[at + 10] | (b[at + 11] << 8);
            r.sampleRate = get32(b, at + 12);
            r.bits = b[at + 22] | (b[at + 23] << 8);
        }
        else if (std::memcmp(b.data() + at, "data", 4) == 0 && channels > 0)
        {
            const std::size_t frames = size / (4u * static_cast<std::size_t>(channels));
            r.channels.assign(static_cast<std::size_t>(channels), std::vector<float>(frames));
            for (std::size_t i = 0; i < frames; ++i)
                for (int c = 0; c < channels; ++c)
                {
                    const std::uint32_t u = get32(b, at + 8 + (i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)) * 4);
                    std::memcpy(&r.channels[static_cast<std::size_t>(c)][i], &u, 4);
                }
            return r;
        }
        at += 8 + size + (size & 1u);
    }
    throw std::runtime_error("no data in " + path);
}

std::vector<std::uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (! in)
        throw std::runtime_error("cannot open " + path);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

} // namespace toolstest
