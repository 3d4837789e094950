#pragma once
// Reading and writing RIFF/WAVE files for the command-line host. The reader takes
// what audio tools commonly write (PCM 8/16/24/32-bit, float 32/64-bit, plain or
// WAVE_FORMAT_EXTENSIBLE); the writer always writes 32-bit float.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace morvane3::render
{

// Thrown for files that cannot be read or are in a format the host does not take.
struct WavError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

struct Audio
{
    double sampleRate = 44100.0;
    std::vector<std::vector<float>> channels; // one vector per channel, all the same length

    int channelCount() const { return static_cast<int>(channels.size()); }
    std::size_t frameCount() const { return channels.empty() ? 0 : channels.front().size(); }
};

// Decodes a complete WAV file held in memory. Throws WavError with a message a
// user can act on.
Audio decodeWav(const std::vector<std::uint8_t>& bytes);
Audio readWav(const std::string& path);

// 32-bit IEEE float WAV with a "fact" chunk, as non-PCM formats ask for.
std::vector<std::uint8_t> encodeFloatWav(const Audio& audio);
// Replaces `path` only once the whole file is written; its folder must exist.
void writeWav(const std::string& path, const Audio& audio);

// Whole-file helpers shared by the host (state chunks, presets). Writing
// creates missing folders and replaces the file only once it is complete.
std::vector<std::uint8_t> readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace morvane3::render
