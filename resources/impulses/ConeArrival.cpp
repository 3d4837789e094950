#include "ConeArrival.h"

#include <cmath>

namespace morvane3::irsynth
{
namespace
{
constexpr double pi = 3.14159265358979323846;
constexpr double speedOfSound = 343.0;
constexpr int ringCount = 10;
constexpr double surroundStart = 0.88, surroundShare = 0.3;
// Above this the microphone's body is large against the wavelength and reflects.
constexpr double micBodyHz = 2500;
} // namespace

ConeArrival::ConeArrival(const ConeArrivalShape& s)
{
    // The inner cone moves with the voice coil and the dust cap (the centre's
    // share); the outer cone, most of the area, lags: rings of equal width
    // from halfway out to the rim, each radiating in proportion to its area,
    // the soft surround at the rim moving little. The cone slopes forward,
    // so its outer rings are nearer the microphone's plane.
    double total = 0;
    for (int i = 0; i < ringCount; ++i)
    {
        const double radius = (0.5 + 0.5 * (i + 0.5) / ringCount) * s.coneRadius;
        const double ahead = s.micDistance - s.coneDepth * radius / s.coneRadius;
        const double toMic = std::sqrt(ahead * ahead + radius * radius);
        Ring r;
        r.delay = radius / s.bendingSpeed + (toMic - s.micDistance) / speedOfSound;
        r.weight = radius * (radius > surroundStart * s.coneRadius ? surroundShare : 1.0);
        total += r.weight;
        rings.push_back(r);
    }
    for (Ring& r : rings)
        r.weight /= total;
    centreShare = s.centreShare;
    coneCornerHz = s.coneCornerHz;
    rimEchoDelay = 2 * s.coneRadius / s.bendingSpeed;
    rimEchoGain = s.rimEchoGain;
    micBodyDelay = 2 * s.micDistance / speedOfSound;
    micBodyGain = s.micBodyGain * std::min(1.0, 0.05 / s.micDistance);
    boxBackDelay = s.boxBackPath / speedOfSound;
    boxSideDelay = s.boxSidePath / speedOfSound;
    boxEchoGain = s.boxEchoGain;
}

std::complex<double> ConeArrival::spread(double hz) const
{
    std::complex<double> cone = 0;
    for (const Ring& r : rings)
        cone += r.weight * std::polar(1.0, -2 * pi * hz * r.delay);
    // The whole cone radiates below its breakup (a 2nd-order Butterworth
    // corner); the centre radiates at every frequency and arrives first.
    const double x = hz / coneCornerHz;
    const std::complex<double> whole = 1.0 / std::complex<double>(1.0 - x * x, std::sqrt(2.0) * x);
    return centreShare + (1 - centreShare) * whole * cone;
}

std::complex<double> ConeArrival::echoes(double hz) const
{
    // The surround's echo is a band of the breakup range; the body's is treble only.
    const double x = hz / 3000;
    const std::complex<double> rimBand = std::complex<double>(0.0, x / 0.7) / std::complex<double>(1.0 - x * x, x / 0.7);
    const std::complex<double> bodyTreble = std::complex<double>(0.0, hz / micBodyHz) / std::complex<double>(1.0, hz / micBodyHz);
    std::complex<double> sum = 1.0 - rimEchoGain * rimBand * std::polar(1.0, -2 * pi * hz * rimEchoDelay)
                               + micBodyGain * bodyTreble * std::polar(1.0, -2 * pi * hz * micBodyDelay);
    if (boxEchoGain > 0)
    {
        // The panels reflect everything; the cone lets the middle through
        // (it blocks the lows with its suspension and the treble with its mass).
        const double y = hz / 2000;
        const std::complex<double> through = std::complex<double>(0.0, y) / std::complex<double>(1.0 - y * y, y);
        sum += boxEchoGain * through * (std::polar(1.0, -2 * pi * hz * boxBackDelay) + std::polar(1.0, -2 * pi * hz * boxSideDelay));
    }
    return sum;
}
} // namespace morvane3::irsynth
