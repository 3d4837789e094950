#include "Knobs.h"

#include <stdexcept>

namespace morvane3::pictures
{
// Frame origins are the knobs' window bounds minus the panel origin (10, 441).
const std::vector<KnobSpec>& knobSpecs()
{
    static const std::vector<KnobSpec> specs {
        {"knobHPF", 80, 72, 9, 1, 34, 15, "High Pass", "20", "120", true},
        {"knobLPF", 80, 75, 9, 73, 37.5, 15, "Low Pass", "7k", "14k", true},
        {"knobLMF", 83, 72, 102, 1, 34, 15, "Low Mid Freq", "100", "600", true},
        {"knobHMF", 63, 72, 209, 1, 34, 15, "High Mid Freq", ".5k", "10k", true},
        {"knobLMGain", 69, 65, 110, 78, 32.5, 14, "Low Mid Gain", "-6", "+6", true},
        {"knobHMGain", 72, 65, 204, 78, 32.5, 14, "High Mid Gain", "-6", "+6", true},
        {"knobChannelLevel", 78, 84, 295, 64, 42, 22, "Level", "-\u221e", "0 dB", true},
        {"knobOutputLevel", 26, 26, 773, 6, 13, 10, "Output", "", "", false},
    };
    return specs;
}

const KnobSpec& knobSpec(const std::string& key)
{
    for (const auto& s : knobSpecs())
        if (s.key == key)
            return s;
    throw std::runtime_error("pictures: unknown knob " + key);
}

const std::vector<LightSpot>& bypassLightSpots()
{
    // High pass, low pass, low mid, high mid: window bounds minus (10, 441).
    static const std::vector<LightSpot> spots {{56, 62}, {59, 135}, {152, 62}, {252, 62}};
    return spots;
}
} // namespace morvane3::pictures
