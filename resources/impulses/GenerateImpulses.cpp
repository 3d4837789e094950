// Build-time program: synthesises the 960 catalogue impulse responses, writes
// them as WAV files into the given folder and emits the .incbin assembler file
// and the name-keyed table that embed them (see resources/common/EmbedWriter.h).
//
//   generate-impulses <output folder>

#include "ImpulseSynth.h"
#include "SoundTable.h"
#include "resources/common/EmbedWriter.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <thread>
#include <vector>

using namespace morvane3::irsynth;

namespace
{
std::string fileNameOf(const std::string& name)
{
    std::string s = name;
    std::replace(s.begin(), s.end(), ' ', '_');
    return s + ".wav";
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const auto begin = std::chrono::steady_clock::now();

    std::vector<Response> responses(responseCount);
    std::atomic<int> next{0};
    auto worker = [&] {
        Synthesiser synth;
        for (int i = next++; i < responseCount; i = next++)
            responses[static_cast<size_t>(i)] = synth.synthesise(i);
    };
    std::thread helper(worker);
    worker();
    helper.join();

    // One gain for the whole catalogue keeps the equal loudness and puts the
    // loudest peak at -1 dBFS.
    double peak = 0;
    for (const Response& r : responses)
        for (double s : r.samples)
            peak = std::max(peak, std::fabs(s));
    const double gain = std::pow(10.0, -1.0 / 20) / peak;

    std::vector<morvane3::embed::Entry> entries;
    for (const Response& r : responses)
    {
        char line[64];
        std::snprintf(line, sizeof line, "catalogue_gain=%.17g\n", gain);
        const auto bytes = encodeWav(r.samples, gain, r.parameters + line);
        const std::string path = folder + "/" + fileNameOf(r.name);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out)
        {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        entries.push_back({r.name, path});
    }
    morvane3::embed::writeEmbedding(folder + "/impulses.s", folder + "/ImpulseTable.cpp", "impulseResponseTable", entries);
    std::ofstream(folder + "/impulses.stamp") << "done\n";

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::printf("impulse responses: %d written in %.1f s, catalogue gain %.2f dB\n", responseCount, seconds,
                20 * std::log10(gain));
    return 0;
}
