#pragma once
// The editor's rotary controls: filmstrip frame sizes and where each knob sits
// on the equaliser panel, so the panel's printed scales and the knob frames
// drawn over them share one centre.

#include <string>
#include <vector>

namespace morvane3::pictures
{
constexpr int filmstripFrames = 127;
constexpr double sweepDegrees = 300.0; // frame 0 at -150 degrees, frame 126 at +150 (0 = straight up)

struct KnobSpec
{
    std::string key;          // editor picture table key
    int frameWidth, frameHeight;
    double originX, originY;  // frame position on the equaliser panel (or on the window for the output knob)
    double centreY;           // knob centre inside the frame; x is always the frame's middle
    double radius;            // knob body radius
    std::string caption;      // printed above the knob
    std::string minLabel, maxLabel;  // printed at the ends of the sweep
    bool onPanel;             // false: the master knob in the title strip of the window
};

const std::vector<KnobSpec>& knobSpecs();
const KnobSpec& knobSpec(const std::string& key);

// Bypass light positions on the equaliser panel (11 x 11 each).
struct LightSpot
{
    int x, y;
};
const std::vector<LightSpot>& bypassLightSpots();

// Window positions of the equaliser panels and the photographs.
constexpr int eqPanelWidth = 390, eqPanelHeight = 149;
constexpr int eqPanelX[2] = {10, 410};
constexpr int eqPanelY = 441;
constexpr int photoX[2] = {11, 411};
constexpr int photoY = 79;
} // namespace morvane3::pictures
