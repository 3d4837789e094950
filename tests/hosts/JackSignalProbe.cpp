// A JACK client for the Standalone test: plays a 440 Hz sine into the inputs
// of another client and measures the level that comes back from its outputs.
// Usage: jack-signal-probe <client> sound|silence
// Connects <client>:in_1/in_2 to its sine and <client>:out_1/out_2 to its own
// inputs, measures for one second after half a second of settling, prints the
// level of each output in dBFS, and exits 0 when every output is above
// -40 dBFS (sound) or below -100 dBFS (silence), 1 otherwise, 2 when it cannot
// take part (no server, no such client).
#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace
{
constexpr int outputs = 2;
jack_port_t* sinePort = nullptr;
jack_port_t* returnPorts[outputs] = {};
double phase = 0.0;
double phaseStep = 0.0;
std::atomic<bool> measuring {false};
double sumOfSquares[outputs] = {}; // written by the process callback while measuring
std::atomic<long> framesMeasured {0};

int process(jack_nframes_t frames, void*)
{
    auto* sine = static_cast<float*>(jack_port_get_buffer(sinePort, frames));
    for (jack_nframes_t i = 0; i < frames; ++i)
    {
        sine[i] = static_cast<float>(0.25 * std::sin(phase));
        phase = std::fmod(phase + phaseStep, 2.0 * M_PI);
    }
    if (! measuring.load())
        return 0;
    for (int c = 0; c < outputs; ++c)
    {
        const auto* back = static_cast<const float*>(jack_port_get_buffer(returnPorts[c], frames));
        for (jack_nframes_t i = 0; i < frames; ++i)
            sumOfSquares[c] += static_cast<double>(back[i]) * static_cast<double>(back[i]);
    }
    framesMeasured += static_cast<long>(frames);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || (std::strcmp(argv[2], "sound") != 0 && std::strcmp(argv[2], "silence") != 0))
    {
        std::fprintf(stderr, "usage: jack-signal-probe <client> sound|silence\n");
        return 2;
    }
    const std::string other = argv[1];
    const bool expectSound = std::strcmp(argv[2], "sound") == 0;

    jack_client_t* client = jack_client_open("morvane3-probe", JackNoStartServer, nullptr);
    if (client == nullptr)
    {
        std::fprintf(stderr, "jack-signal-probe: no JACK server\n");
        return 2;
    }
    phaseStep = 2.0 * M_PI * 440.0 / jack_get_sample_rate(client);
    sinePort = jack_port_register(client, "sine", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    for (int c = 0; c < outputs; ++c)
        returnPorts[c] = jack_port_register(client, ("return_" + std::to_string(c + 1)).c_str(), JACK_DEFAULT_AUDIO_TYPE,
                                            JackPortIsInput, 0);
    jack_set_process_callback(client, process, nullptr);
    if (jack_activate(client) != 0)
    {
        jack_client_close(client);
        return 2;
    }

    bool connected = true;
    for (int c = 1; c <= outputs; ++c)
    {
        const std::string in = other + ":in_" + std::to_string(c), out = other + ":out_" + std::to_string(c);
        connected = jack_connect(client, jack_port_name(sinePort), in.c_str()) == 0 && connected;
        connected = jack_connect(client, out.c_str(), jack_port_name(returnPorts[c - 1])) == 0 && connected;
    }
    if (! connected)
    {
        std::fprintf(stderr, "jack-signal-probe: cannot connect to the ports of '%s'\n", other.c_str());
        jack_client_close(client);
        return 2;
    }

    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the other side's fades and partitions settle
    measuring = true;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    measuring = false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the last callback has finished
    jack_deactivate(client);
    jack_client_close(client);

    const long frames = framesMeasured.load();
    if (frames == 0)
    {
        std::fprintf(stderr, "jack-signal-probe: the server ran no cycles\n");
        return 2;
    }
    bool asExpected = true;
    for (int c = 0; c < outputs; ++c)
    {
        const double rms = std::sqrt(sumOfSquares[c] / static_cast<double>(frames));
        const double db = 20.0 * std::log10(std::max(rms, 1e-12));
        std::printf("%s:out_%d: %.1f dBFS\n", other.c_str(), c + 1, db);
        asExpected = asExpected && (expectSound ? db > -40.0 : db < -100.0);
    }
    return asExpected ? 0 : 1;
}
