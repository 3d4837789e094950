#pragma once
// The voicing of the whole impulse-response catalogue in one place: every
// cabinet, microphone, position and distance with the parameters the
// synthesiser reads. This is the file a sound designer edits; everything else
// is physics and plumbing. Frequencies in Hz, levels in dB, lengths in metres.
//
// Sources of the figures: closed-box alignment fc = fs*sqrt(1 + Vas/Vb);
// driver and microphone datasheets for corners and presence peaks; the
// first-order gradient pattern (1 - B) + B cos(theta) for polar responses.

namespace morvane3::irsynth
{
struct Peak
{
    double hz = 0; // 0 ends a list
    double db = 0;
    double q = 1;
};

enum class Construction
{
    closedBack,   // sealed guitar box: 2nd-order roll-off at fc, box modes
    openBack,     // combo: driver in free air plus the inverted rear wave
    sealedBass,   // sealed multi-10 bass cabinet
    portedBass    // vented bass cabinet: 4th-order roll-off at the tuning
};

constexpr int maxVoicingPeaks = 7;

struct CabinetVoice
{
    const char* name;
    Construction construction;
    double coneRadius;      // effective cone radius: 0.105 (10"), 0.127 (12"), 0.16 (15")
    double radiatingFraction; // part of the cone radius that still radiates in the treble (beaming)
    double nearFieldRadius; // size of the radiating area close up (a bass array's wavefront is flatter)
    int columns, rows;      // driver layout on the baffle
    double spacing;         // driver centre distance
    double width, height, depth; // outer box
    double standHeight;     // bottom of the box above the floor
    double lowHz, lowQ;     // low-end corner (fc and Qtc, or fs and Qts for open backs)
    double trebleHz;        // Butterworth treble corner f_h
    int trebleOrder;        // 4 = 24 dB/octave
    double fizzDb;          // level of the cone's top-octave fizz (relative to the mids)
    double rearPath;        // open back: extra path of the rear wave around the box
    Peak voicing[maxVoicingPeaks]; // breakup dips and peaks that give the cabinet its character
};

// clang-format off
inline constexpr CabinetVoice cabinetVoices[] = {
//  name         construction               cone  beam  near  c  r  spacing  w     h     d     stand  lowHz lowQ  f_h    ord fizz   rear
    {"1960",      Construction::closedBack, 0.127, 0.44, 0.0 , 2, 2, 0.36,   0.76, 0.76, 0.36, 0.00,  118, 2.40,  4650,  4, -29, 0,
        {{1900, 2.0, 0.9}, {1350, -2.0, 3.0}, {3300, 2.0, 3.5}, {4300, 2.0, 4.0}, {120, 0.8, 1.5}}},
    {"Angora",    Construction::closedBack, 0.127, 0.42, 0.0 , 2, 2, 0.36,   0.76, 0.76, 0.36, 0.00,  115, 2.35, 4750,  4, -35, 0,
        {{320, 2.5, 1.2}, {2800, 3.5, 2.5}, {1500, -2.5, 3.0}, {4200, 2.0, 4.0}}},
    {"Eagle",     Construction::closedBack, 0.127, 0.42, 0.0 , 2, 2, 0.36,   0.76, 0.76, 0.36, 0.00,  130, 2.30, 5400,  4, -31, 0,
        {{1600, -2.0, 3.0}, {3000, 3.5, 3.0}, {4500, 4.0, 3.5}, {6200, 2.0, 4.0}, {250, -1.0, 1.5}}},
    {"Excel",     Construction::closedBack, 0.127, 0.42, 0.0 , 2, 2, 0.36,   0.76, 0.76, 0.36, 0.00,  120, 2.40, 4750,  4, -33, 0,
        {{1400, -2.0, 2.5}, {3000, 2.0, 2.5}, {4300, 2.0, 4.0}, {600, -1.5, 1.5}}},
    {"Green",     Construction::closedBack, 0.127, 0.42, 0.0 , 2, 2, 0.36,   0.76, 0.76, 0.36, 0.00,  112, 2.20,  4750,  4, -24, 0,
        {{800, 2.0, 1.2}, {1500, 2.5, 1.5}, {2600, 2.0, 3.0}, {3600, 2.0, 3.0}, {4400, 2.0, 2.5}, {120, 1.0, 1.2}}},
    {"Igor",      Construction::closedBack, 0.127, 0.42, 0.0 , 2, 2, 0.36,   0.76, 0.76, 0.36, 0.00,  118, 2.45, 5200,  4, -33, 0,
        {{550, -5.0, 0.8}, {3500, 5.0, 2.5}, {1600, -1.5, 3.0}, {5200, 2.0, 4.0}, {100, 1.0, 1.5}}},
    {"Ogre",      Construction::closedBack, 0.127, 0.46, 0.0, 2, 2, 0.40,   0.84, 0.84, 0.42, 0.00,  112, 2.55, 4650,  4, -33, 0,
        {{300, 2.5, 1.0}, {600, 1.5, 1.5}, {1500, -1.5, 3.0}, {2900, 2.5, 3.0}}},
    {"Oversize",  Construction::closedBack, 0.127, 0.42, 0.0 , 2, 2, 0.40,   0.84, 0.90, 0.40, 0.00,  112, 2.40, 5200,  4, -33, 0,
        {{1400, -2.0, 2.5}, {2800, 2.0, 2.5}, {3900, 2.0, 4.0}, {700, -1.0, 2.0}}},
    {"Sterling",  Construction::closedBack, 0.127, 0.42, 0.0 , 2, 2, 0.36,   0.76, 0.76, 0.36, 0.00,  128, 1.95,  4850,  4, -32, 0,
        {{1300, -1.5, 3.0}, {3000, 3.0, 3.0}, {5000, 1.0, 3.0}, {6500, -1.0, 4.0}}},
    {"Tangerine", Construction::closedBack, 0.127, 0.48, 0.0 , 2, 2, 0.36,   0.76, 0.76, 0.36, 0.00,  118, 2.35, 5700,  4, -33, 0,
        {{1000, 2.5, 1.1}, {2200, 1.5, 2.0}, {3800, 3.0, 3.0}, {1700, -1.0, 4.0}}},
    {"Damien",    Construction::closedBack, 0.127, 0.52, 0.0 , 2, 1, 0.33,   0.70, 0.48, 0.30, 0.00,  128, 2.20,  4450,  4, -32, 0,
        {{1400, -3.0, 2.5}, {3200, 5.0, 2.5}, {4600, 2.0, 4.0}, {500, -1.5, 1.5}}},
    {"Genzie",    Construction::closedBack, 0.127, 0.48, 0.0 , 2, 1, 0.33,   0.70, 0.48, 0.30, 0.00,  118, 2.30,  6050,  4, -35, 0,
        {{400, 1.5, 1.0}, {3800, 1.5, 1.5}, {3000, 3.0, 3.0}, {1400, -1.5, 3.0}}},
    {"Blackface", Construction::openBack,   0.127, 0.63, 0.0 , 1, 1, 0.00,   0.52, 0.44, 0.24, 0.45,   82, 0.80, 4900,  4, -30, 0.40,
        {{700, -3.0, 0.9}, {3500, 2.5, 2.0}, {5000, 2.0, 3.5}, {1800, -1.0, 3.0}}},
    {"Chordal",   Construction::openBack,   0.127, 0.42, 0.0 , 2, 1, 0.33,   0.66, 0.50, 0.25, 0.45,   80, 0.85,  5400,  4, -31, 0.42,
        {{1500, -1.0, 3.0}, {3000, 2.0, 2.5}, {5000, 1.5, 3.0}, {6800, 1.0, 3.0}}},
    {"Top Boost", Construction::openBack,   0.127, 0.42, 0.0 , 2, 1, 0.33,   0.70, 0.56, 0.26, 0.45,   86, 1.10, 5400,  4, -30, 0.44,
        {{3800, 2.0, 1.4}, {5500, 1.5, 3.0}, {1400, -2.0, 2.5}, {900, 1.5, 1.5}}},
    {"Zodiac",    Construction::openBack,   0.127, 0.46, 0.0 , 2, 1, 0.33,   0.66, 0.50, 0.24, 0.45,   80, 0.80,  5300,  4, -32, 0.40,
        {{200, -2.0, 1.0}, {4500, 3.0, 2.5}, {7000, 1.5, 2.5}, {1600, -1.0, 3.0}}},
    {"Dazed",     Construction::openBack,   0.105, 0.65, 0.0 , 2, 1, 0.28,   0.56, 0.46, 0.23, 0.45,   84, 1.70,  6300,  4, -32, 0.36,
        {{1700, 1.0, 1.6}, {2800, 3.0, 2.5}, {250, -1.0, 1.0}, {4300, 2.0, 4.0}}},
    {"Tweed",     Construction::openBack,   0.105, 0.70, 0.0 , 2, 2, 0.28,   0.62, 0.60, 0.26, 0.45,   96, 1.10, 5900,  4, -35, 0.48,
        {{180, 2.0, 1.0}, {1100, 1.5, 1.2}, {2400, 3.0, 2.5}, {3900, 2.0, 3.0}}},
    {"Manatee",   Construction::sealedBass, 0.105, 0.70, 0.18, 2, 4, 0.28,   0.61, 1.22, 0.45, 0.00,   50, 0.75, 5200,  6, -70, 0,
        {{70, 2.0, 0.8}, {350, 2.5, 1.2}, {800, 1.5, 1.5}, {2300, 4.0, 2.5}, {1400, -1.5, 2.5}}},
    {"Motown",    Construction::portedBass, 0.160, 0.45, 0.60, 1, 1, 0.00,   0.60, 0.72, 0.50, 0.00,   45, 0.71, 3600,  4, -72, 0,
        {{60, 7.5, 0.7}, {700, -1.5, 1.2}, {2200, 4.5, 2.5}, {400, 1.0, 1.5}}},
};
// clang-format on

// The cone itself, for every guitar cabinet: how it breaks up and how its box
// and its rear wave shape the lows. Real close-miked 12" cones show broad
// breakup peaks and dips through 1..5 kHz and, on top of them, a rough texture
// of narrow ones up to 8 kHz; their sound reaches a close microphone over the
// first few tenths of a millisecond and dies away more slowly than a minimum-
// phase response's; a sealed box resonates sharply, falls fast below 70 Hz and
// is full in the low mids; open backs lose their bass to the rear wave.
struct ConeVoice
{
    int breakupMin, breakupMax;      // narrow peaks and dips per cabinet
    double breakupLowHz, breakupHighHz;
    double breakupMinDb, breakupMaxDb;
    double breakupMinQ, breakupMaxQ;
    Peak upperMidRise;               // the cone's rise into 2.5 kHz
    double sealedFallHz, sealedFallQ; // closed backs: the extra fall below the box resonance
    int bodyFeatures;                // broad panel and cone modes below the breakup, alternately up and down
    double bodyLowHz, bodyHighHz, bodyDb;
    double bassBreakupScale;         // bass cones are stiffer: their breakup is milder (and their lined boxes add no body colour)
    double offAxisFloorDb;           // breakup leaves only the centre radiating at the top: off axis it never falls further
    double offAxisFloorHz;           // where that floor is fully reached
    // The cone's many small modes, about an eighth of an octave apart,
    // alternately peaks and dips, stronger towards the top: the rough texture
    // of a real cone.
    int modesMin, modesMax;
    double modesLowHz, modesHighHz;
    double modesSkew;                // < 1 would crowd them towards modesHighHz
    double modesMinDb, modesMaxDb, modesMinQ, modesMaxQ;
    double modesTilt;                // their level grows as (f / modesLowHz) to this power
    double modesQTilt;               // and their Q too: the lower ones are damped more, so none rings long
    // How the motion spreads over the cone (see ConeArrival.h).
    double depthPerRadius;           // the cone's depth against its radius
    double bendingSpeed, centreShare, coneCornerHz, rimEchoGain, micBodyGain;
    double spreadMakeUpDb;           // the most the voicing makes up for the spread's dips
    double boxEchoGain;              // a closed box's inside heard through the cone
    // A closed box is full in the low mids: its air and panels, and the
    // standing waves across and through it.
    Peak closedBody;
    double openBodyShare;            // an open back keeps this part of it
    double boxModeMinDb, boxModeMaxDb, boxModeMinQ, boxModeMaxQ;
};

inline constexpr ConeVoice cone = {
    10, 15, 800, 5000, 2.0, 4.5, 3.0, 7.0,
    {2700, 1.5, 1.6},
    42, 0.7,
    4, 380, 1000, 9.0,
    0.25,
    -3.0, 10500,
    21, 25, 1300, 9000, 1.0, 3.2, 4.2, 4.0, 6.0, 0.45, 0.5,
    0.35, 2000, 0.2, 7000, 0.15, 0.15, 12.0, 0.12,
    {280, 4.5, 1.0}, 0.5,
    1.0, 2.0, 8.0, 16.0,
};

constexpr int maxPresencePeaks = 3;

struct MicrophoneVoice
{
    const char* name;
    double gradient;        // B of (1 - B) + B cos(theta): 0 omni, 0.5 cardioid, 1 figure-8
    double diaphragmRadius; // sets the off-axis treble loss
    double lowCutHz, lowCutQ; // 2nd-order high-pass in the far field (0 = none)
    double topHz, topQ;     // 2nd-order treble roll-off
    Peak presence[maxPresencePeaks];
};

// clang-format off
inline constexpr MicrophoneVoice microphoneVoices[] = {
//  name          B     a_d     lowcut  Q     top     Q
    {"121",       1.00, 0.008,   22,   0.70, 14000, 0.60, {{900, 0.8, 0.7}, {4000, -0.5, 0.8}}},
    {"409",       0.63, 0.010,   80,   0.60, 16500, 0.70, {{5000, 4.0, 1.4}, {2200, 1.0, 1.5}}},
    {"421",       0.50, 0.018,   50,   0.60, 17000, 0.70, {{5000, 2.5, 0.6}, {1200, -0.8, 1.5}}},
    {"545",       0.50, 0.011,   80,   0.60, 16000, 0.70, {{4000, 4.0, 1.2}, {8000, 1.0, 2.0}}},
    {"57",        0.50, 0.011,   75,   0.55, 12500, 0.80, {{5200, 3.5, 1.2}, {2500, 1.5, 2.0}, {9500, 2.0, 3.0}}},
    {"i5",        0.56, 0.011,   50,   0.60, 19000, 0.70, {{7000, 4.0, 1.2}, {3500, 1.0, 2.0}, {250, -1.5, 0.8}}},
    {"Reference", 0.00, 0.006,   10,   0.70, 22000, 0.70, {}},
    {"U87",       0.50, 0.013,   30,   0.70, 20000, 0.70, {{10000, 3.0, 1.0}, {200, -0.5, 1.0}}},
};
// clang-format on

struct PlacementVoice
{
    const char* position;
    const char* distance;
    double metres;          // cap to grille, the acoustic distance of the onset
    double sourceAngle;     // degrees off the cone's axis, seen from the microphone
    double microphoneAngle; // degrees the microphone is turned away from the cone
    double rearWaveGain;    // open backs: level of the inverted rear wave
    double directToReverb;  // target ratio, dB (after a 500 Hz high-pass)
    double coneEdgeDb;      // loss below 1 kHz when the microphone faces the outer cone
    double roomShade;       // early reflections against 1/r: close up the baffle and the microphone's body shade it
    double leastRoomDb;     // the room's energy at least this far under the early response's
    double closedRoomDb;    // closed backs: the box and the room ring on, at least this far under it
};

// clang-format off
inline constexpr PlacementVoice placementVoices[] = {
//  position    distance  metres  source mic  rear  D/R  edge  shade  room  closed
    {"On Axis",  "Close",  0.050,   0,    0,  0.12, 28,  0.0,  0.3, -31,  -24},
    {"On Axis",  "Mid",    0.170,   0,    0,  0.20, 14,  0.0,  1.0, -26,  -16},
    {"On Axis",  "Far",    1.000,   0,    0,  0.10,  2,  0.0,  1.0, -20,  -20},
    {"Off Axis", "Close",  0.055,  36,   35,  0.12, 28,  1.2,  0.3, -31,  -24},
    {"Off Axis", "Mid",    0.180,  40,   20,  0.20, 12,  1.0,  1.0, -26,  -16},
    {"Off Axis", "Far",    1.050,  45,    0,  0.10,  1,  0.0,  1.0, -20,  -20},
};
// clang-format on

// The studio the cabinets stand in (about 60 m^3, lightly treated).
struct RoomVoice
{
    double width, depth, height; // x, y, z
    double cabinetX;             // centre of the cabinet's front across the room
    double backGap;              // cabinet back to the rear wall
    double floorReflection, wallReflection, ceilingReflection; // |R| at low frequencies
    double wallTrebleLossHz;     // absorbers take the treble off wall bounces above this
    double rt60[7];              // octave bands 125 Hz ... 8 kHz, seconds
    double airDbPerSecond[7];    // extra decay from air absorption, same bands
    double bassTrapHz;           // absorbers take up to 10 dB off the diffuse field below this
    double mixingTime;           // seconds after the direct sound the diffuse tail starts
    double onsetRamp;            // raised-cosine rise of the tail, seconds
};

inline constexpr RoomVoice room = {
    4.9, 4.2, 2.9, 2.3, 0.45, 0.28, 0.60, 0.50, 2500,
    {0.26, 0.26, 0.25, 0.25, 0.23, 0.21, 0.18},
    {0.0, 0.0, 0.3, 1.0, 3.0, 10.0, 36.0},
    160, 0.004, 0.008,
};

constexpr int cabinetCount = sizeof(cabinetVoices) / sizeof(cabinetVoices[0]);
constexpr int microphoneCount = sizeof(microphoneVoices) / sizeof(microphoneVoices[0]);
constexpr int placementCount = sizeof(placementVoices) / sizeof(placementVoices[0]);
constexpr int responseCount = cabinetCount * microphoneCount * placementCount;

// Bumped whenever the model changes, so every seed changes with it.
constexpr const char* catalogueVersion = "morvane3-ir-3";
} // namespace morvane3::irsynth
