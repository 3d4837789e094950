#include "Catalogue.h"

#include <stdexcept>

namespace morvane3::pictures
{
const std::vector<std::string>& cabinetNames()
{
    static const std::vector<std::string> names {"1960", "Angora", "Eagle", "Excel", "Green", "Igor", "Ogre",
                                                 "Oversize", "Sterling", "Tangerine", "Damien", "Genzie", "Blackface",
                                                 "Chordal", "Dazed", "Top Boost", "Tweed", "Zodiac", "Manatee", "Motown"};
    return names;
}

const std::vector<std::string>& microphoneNames()
{
    static const std::vector<std::string> names {"121", "409", "421", "545", "57", "i5", "Reference", "U87"};
    return names;
}

const std::vector<std::string>& positionNames()
{
    static const std::vector<std::string> names {"On Axis", "Off Axis"};
    return names;
}

const std::vector<std::string>& distanceNames()
{
    static const std::vector<std::string> names {"Close", "Mid", "Far"};
    return names;
}

const std::vector<OverlaySet>& overlaySets()
{
    constexpr double deg = 3.14159265358979323846 / 180.0;
    static const std::vector<OverlaySet> sets {
        // 4x12: 12-inch speakers on a square grid, the upper left one miked
        // from below right (the microphone pulled back stays in the frame).
        {"A", {{146, 74, 40}, {242, 74, 40}, {146, 170, 40}, {242, 170, 40}}, 0, 38 * deg, 1.15},
        // 2x12 cabinets and combos: two speakers side by side low in the box,
        // the left one miked from a boom above right.
        {"B", {{146, 160, 42}, {242, 160, 42}}, 0, -32 * deg, 1.15},
        {"Blackface", {{194, 154, 54}}, 0, -30 * deg, 1.1},
        {"Dazed", {{154, 158, 35}, {234, 158, 35}}, 0, 24 * deg, 0.9},
        {"Tweed", {{160, 114, 33}, {228, 114, 33}, {160, 184, 33}, {228, 184, 33}}, 1, 146 * deg, 0.9},
        {"Manatee",
         {{164, 40, 24}, {224, 40, 24}, {164, 96, 24}, {224, 96, 24}, {164, 152, 24}, {224, 152, 24}, {164, 208, 24}, {224, 208, 24}},
         2, 18 * deg, 0.75},
        {"Motown", {{194, 104, 68}}, 0, 40 * deg, 1.15},
    };
    return sets;
}

const OverlaySet& overlaySetOf(const std::string& cabinet)
{
    static const std::vector<std::string> setA {"1960", "Angora", "Eagle", "Excel", "Green", "Igor", "Ogre", "Oversize", "Sterling", "Tangerine"};
    static const std::vector<std::string> setB {"Damien", "Genzie", "Chordal", "Top Boost", "Zodiac"};
    const auto& sets = overlaySets();
    for (const auto& n : setA)
        if (n == cabinet)
            return sets[0];
    for (const auto& n : setB)
        if (n == cabinet)
            return sets[1];
    for (const auto& s : sets)
        if (s.name == cabinet)
            return s;
    throw std::runtime_error("pictures: unknown cabinet " + cabinet);
}

std::string irName(const std::string& cabinet, const std::string& mic, const std::string& position, const std::string& distance)
{
    return cabinet + " " + mic + " " + position + " " + distance;
}
} // namespace morvane3::pictures
