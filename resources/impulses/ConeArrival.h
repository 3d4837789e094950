#pragma once
// When a cone's sound reaches the microphone. A cone is no piston: the voice
// coil drives its centre, and the motion spreads outwards as a bending wave,
// so the larger outer cone moves later than the dust cap; a close microphone
// also sits nearer the centre than the rim. The first sound is the centre's
// treble, the body of the sound follows a few tenths of a millisecond later,
// a little of the wave comes back from the surround, and the microphone's own
// body throws some treble back onto the cone. None of this is minimum phase.

#include <complex>
#include <vector>

namespace morvane3::irsynth
{
struct ConeArrivalShape
{
    double coneRadius;       // m
    double coneDepth;        // m, how far the rim stands in front of the dust cap
    double micDistance;      // m, microphone to the dust cap
    double bendingSpeed;     // m/s, how fast the motion runs out from the voice coil
    double centreShare;      // the dust cap and voice coil's part of the sound at every frequency
    double coneCornerHz;     // above this the outer cone has broken up and the centre alone radiates
    double rimEchoGain;      // part of the bending wave the surround sends back (inverted)
    double micBodyGain;      // treble the microphone's body reflects back via the cone, at 5 cm
    double boxBackPath;      // closed box: the cone's back wave to the back panel and back (m; 0 = open)
    double boxSidePath;      // and to the nearest side panel and back
    double boxEchoGain;      // how much of it comes through the cone
};

class ConeArrival
{
public:
    explicit ConeArrival(const ConeArrivalShape& shape);

    // The centre's early sound and the later rings of the cone: 1 at DC,
    // combing where the two meet out of phase, the centre alone at the top.
    std::complex<double> spread(double hz) const;
    // The short reflections (surround, microphone body, the inside of a closed
    // box heard through the cone): a texture on the magnitude.
    std::complex<double> echoes(double hz) const;

private:
    struct Ring
    {
        double delay, weight;
    };
    std::vector<Ring> rings;
    double centreShare, coneCornerHz;
    double rimEchoDelay, rimEchoGain, micBodyDelay, micBodyGain;
    double boxBackDelay, boxSideDelay, boxEchoGain;
};
} // namespace morvane3::irsynth
