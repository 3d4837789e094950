#pragma once
// The names of the catalogue and the speaker layout each overlay set shares in
// pixels: every photograph of a set puts its speakers exactly here, so the
// set's placement pictures fit all of its photographs.

#include <string>
#include <vector>

namespace morvane3::pictures
{
constexpr int photoWidth = 388;
constexpr int photoHeight = 252;

struct Speaker
{
    double cx, cy, r; // r: outer radius of the basket in pixels
};

struct OverlaySet
{
    std::string name;              // "A", "B" or the cabinet's own name
    std::vector<Speaker> speakers; // the layout in the photograph
    int mikedSpeaker;              // index of the speaker the microphones point at
    double bodyAngle;              // direction (radians, image coordinates) from capsule to tail
    double micScale;               // microphone size relative to a 12-inch layout
};

const std::vector<std::string>& cabinetNames();
const std::vector<std::string>& microphoneNames();
const std::vector<std::string>& positionNames();
const std::vector<std::string>& distanceNames();

const std::vector<OverlaySet>& overlaySets();
const OverlaySet& overlaySetOf(const std::string& cabinet);

std::string irName(const std::string& cabinet, const std::string& mic, const std::string& position, const std::string& distance);
} // namespace morvane3::pictures
