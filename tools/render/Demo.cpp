#include "tools/render/Demo.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace morvane3::render
{
namespace
{

constexpr double pi = 3.14159265358979323846;

class Random
{
public:
    explicit Random(std::uint32_t seed) : state(seed != 0 ? seed : 1u) {}
    double bipolar() // -1 .. 1
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t state;
};

struct Note
{
    double start;    // s
    double midi;     // note number
    double level;    // linear
    double duration; // s until the string is damped
    bool palmMuted;
};

double frequencyOf(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

// Karplus-Strong: a delay line one period long, fed back through a two-point average
// (the string's loss of highs) and a first-order all-pass that tunes the fractional
// part of the period.
void pluck(std::vector<double>& out, const Note& note, Random& random)
{
    const double sr = demoSampleRate;
    const double frequency = frequencyOf(note.midi);
    const double period = sr / frequency;
    // The average of the two oldest samples delays by length - 0.5; the all-pass adds
    // the fraction (kept in 0.1 .. 1.1, where it is well behaved).
    const int length = std::max(2, static_cast<int>(std::floor(period + 0.5 - 0.1)));
    const double fraction = period + 0.5 - length;
    const double allpass = (1.0 - fraction) / (1.0 + fraction);
    const double ringSeconds = note.palmMuted ? 0.12 : 4.0 * std::pow(110.0 / frequency, 0.4);
    const double loss = std::pow(0.001, 1.0 / (frequency * ringSeconds));

    // Excitation: a noise burst, darker for palm mutes, with the comb of a pick
    // about a fifth of the way along the string.
    std::vector<double> line(static_cast<std::size_t>(length));
    const double brightness = note.palmMuted ? 0.25 : 0.7;
    double smooth = 0.0;
    for (auto& s : line)
    {
        smooth += brightness * (random.bipolar() - smooth);
        s = smooth;
    }
    const int pickOffset = std::max(1, length / 5);
    std::vector<double> picked(line.size());
    for (int i = 0; i < length; ++i)
        picked[static_cast<std::size_t>(i)] = line[static_cast<std::size_t>(i)] - (i >= pickOffset ? line[static_cast<std::size_t>(i - pickOffset)] : 0.0);
    double mean = 0.0;
    for (double s : picked)
        mean += s;
    mean /= length;
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = picked[i] - mean; // no DC, or the loop would hold it

    const std::size_t first = static_cast<std::size_t>(note.start * sr);
    const std::size_t releaseAt = first + static_cast<std::size_t>(note.duration * sr);
    const double releaseStep = std::pow(0.001, 1.0 / (0.06 * sr)); // a damped string dies in 60 ms
    double envelope = 1.0;
    double apIn = 0.0, apOut = 0.0;
    std::size_t index = 0;
    for (std::size_t t = first; t < out.size(); ++t)
    {
        const std::size_t next = (index + 1) % line.size();
        const double current = line[index];
        const double averaged = 0.5 * (current + line[next]) * loss;
        const double tuned = allpass * averaged + apIn - allpass * apOut;
        apIn = averaged;
        apOut = tuned;
        line[index] = tuned;
        index = next;

        if (t >= releaseAt)
            envelope *= releaseStep;
        out[t] += note.level * envelope * current;
        if (envelope < 1.0e-5)
            break;
    }
}

void addChord(std::vector<Note>& notes, double start, std::initializer_list<double> midi, double level, double duration,
              double strumSeconds = 0.012)
{
    double t = start;
    for (double m : midi)
    {
        notes.push_back({t, m, level, duration, false});
        t += strumSeconds;
    }
}

void addChugs(std::vector<Note>& notes, double start, int count, double spacing, double root)
{
    for (int i = 0; i < count; ++i)
    {
        // Root and fifth together, as a palm-muted power chord is usually played.
        notes.push_back({start + i * spacing, root, 1.4, spacing * 0.9, true});
        notes.push_back({start + i * spacing + 0.004, root + 7, 1.0, spacing * 0.9, true});
    }
}

std::vector<Note> phrase()
{
    // 120 beats per minute: a beat is 0.5 s, an eighth note 0.25 s. E2 is MIDI 40.
    std::vector<Note> notes;
    const double eighth = 0.25;
    addChord(notes, 0.0, {40, 47, 52}, 0.8, 0.95);        // E5
    addChugs(notes, 1.0, 4, eighth, 40);
    addChord(notes, 2.0, {43, 50, 55}, 0.8, 0.48);        // G5
    addChugs(notes, 2.5, 2, eighth, 43);
    addChord(notes, 3.0, {45, 52, 57}, 0.8, 0.48);        // A5
    addChugs(notes, 3.5, 2, eighth, 45);
    const double line[] = {64, 67, 69, 71, 74, 71, 69, 67};
    for (int i = 0; i < 8; ++i)
        notes.push_back({4.0 + i * eighth, line[i], 0.7, i == 7 ? 0.45 : eighth * 0.95, false});
    addChord(notes, 6.0, {40, 47, 52, 55, 59, 64}, 0.45, 0.95, 0.015); // E minor, open
    addChord(notes, 7.0, {48, 52, 55, 60, 64}, 0.45, 0.45, 0.015);     // C
    addChord(notes, 7.5, {50, 57, 62, 66}, 0.45, 0.45, 0.015);         // D
    addChugs(notes, 8.0, 4, eighth / 2, 40);
    addChugs(notes, 8.5, 2, eighth, 40);
    addChord(notes, 9.0, {40, 47, 52, 59}, 0.8, 0.9);     // E5 to finish, let ring
    return notes;
}

// The amplifier: pre-emphasis (the treble the preamp boosts before it clips),
// a tanh soft clipper, and a gentle low-pass for the output transformer.
void amplify(std::vector<double>& signal)
{
    const double sr = demoSampleRate;
    const double hpCoefficient = std::exp(-2.0 * pi * 700.0 / sr);
    const double lpCoefficient = std::exp(-2.0 * pi * 7000.0 / sr);
    double hpState = 0.0, previous = 0.0, lpState = 0.0;
    for (auto& s : signal)
    {
        const double x = s;
        hpState = hpCoefficient * (hpState + x - previous);
        previous = x;
        const double emphasised = x + 2.0 * hpState;
        const double clipped = std::tanh(6.0 * emphasised);
        lpState += (1.0 - lpCoefficient) * (clipped - lpState);
        s = lpState;
    }
}

} // namespace

Audio makeDemoPhrase()
{
    const std::size_t frames = static_cast<std::size_t>(demoSeconds * demoSampleRate);
    Audio audio;
    audio.sampleRate = demoSampleRate;
    // Two takes of the same part, one per side, with their own picking and a few
    // milliseconds apart: a double-tracked rhythm guitar.
    for (int side = 0; side < 2; ++side)
    {
        Random random(side == 0 ? 0x1234567u : 0x7654321u);
        std::vector<double> signal(frames, 0.0);
        for (Note note : phrase())
        {
            note.start += side * 0.007 + 0.002 * random.bipolar() + 0.003;
            note.level *= 1.0 + 0.08 * random.bipolar();
            pluck(signal, note, random);
        }
        amplify(signal);
        audio.channels.emplace_back(frames);
        for (std::size_t i = 0; i < frames; ++i)
            audio.channels.back()[i] = static_cast<float>(signal[i]);
    }

    float peak = 0.0f;
    for (const auto& channel : audio.channels)
        for (float s : channel)
            peak = std::max(peak, std::abs(s));
    if (peak > 0.0f)
    {
        const float gain = 0.5f / peak;
        for (auto& channel : audio.channels)
            for (auto& s : channel)
                s *= gain;
    }
    return audio;
}

} // namespace morvane3::render
