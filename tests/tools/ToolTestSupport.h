#pragma once
// Helpers for tests that run morvane3-render as a user would: a scratch folder,
// a shell runner that captures exit status and both output streams, and WAV
// files written byte by byte (independently of the tool's own writer).
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace toolstest
{

struct RunResult
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string shellQuote(const std::string& text);

// Runs the render tool with the given arguments (each quoted for the shell).
RunResult runTool(const std::vector<std::string>& arguments);

// A fresh folder per test, removed when the object goes.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    std::string file(const std::string& name) const { return (path / name).string(); }
    const std::filesystem::path& folder() const { return path; }

private:
    std::filesystem::path path;
};

// Interleaved samples as raw bytes, in one of the WAV encodings.
struct RawWav
{
    std::uint16_t formatTag = 3; // 1 PCM, 3 float
    bool extensible = false;
    int channels = 1;
    std::uint32_t sampleRate = 44100;
    int bits = 32;
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> chunkBeforeData; // a whole extra chunk, header included
};
std::vector<std::uint8_t> buildWav(const RawWav& wav);

// A stereo or mono float file from per-channel samples.
void writeFloatWavFile(const std::string& path, const std::vector<std::vector<float>>& channels, std::uint32_t rate = 44100);

struct ReadBack
{
    std::uint32_t sampleRate = 0;
    std::uint16_t formatTag = 0;
    int bits = 0;
    std::vector<std::vector<float>> channels;
};
// Reads a 32-bit float WAV as the tool writes it, without the tool's reader.
ReadBack readFloatWavFile(const std::string& path);

std::vector<std::uint8_t> fileBytes(const std::string& path);
void writeText(const std::string& path, const std::string& text);

} // namespace toolstest
