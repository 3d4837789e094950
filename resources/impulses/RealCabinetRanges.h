#pragma once
// What real, close-miked guitar cabinet responses measure, in the figures of
// ResponseFigures.h (levels in dB re the mids, 500 Hz..2 kHz). The tests hold
// the catalogue to these, the report prints them as its targets and the atlas
// draws them behind the curves.

#include <string_view>

namespace morvane3::irfigures::realRanges
{
// Real responses are captured with dynamic microphones; these are ours.
inline bool isDynamicMicrophone(std::string_view name)
{
    return name == "57" || name == "409" || name == "421" || name == "545" || name == "i5";
}

// 40-80 Hz: the lows and the low corner of closed and open backs alike span this.
inline constexpr double lows40to80MinDb = -11.5, lows40to80MaxDb = -4.1;
// 80-160 Hz: the sealed box's thump of a closed back spans this.
inline constexpr double closedLows80to160MinDb = 6.0, closedLows80to160MaxDb = 9.5;
// A closed back's low hump stands this high over this band.
inline constexpr double closedHumpLowHz = 110, closedHumpHighHz = 151, closedHumpMinDb = 8.7, closedHumpMaxDb = 11.4;
// The hump's peak falls within this band (around the measured 110..151 Hz).
inline constexpr double humpPeakLowHz = 100, humpPeakHighHz = 150;
// Over 80-160 Hz closed backs stand at least this far above open backs, which lose their bass to the rear wave.
inline constexpr double closedOverOpenDb = 5.0;
// The low corner (10 dB under the mids) lies within this band.
inline constexpr double lowCornerMinHz = 54, lowCornerMaxHz = 67;
// Cone breakup: the median 1-5 kHz ripple about the 1-octave running mean is at least this.
inline constexpr double rippleMedianMinDb = 6.0;
// Nor is 1-5 kHz nearly flat about a line: its shape spans at least this.
inline constexpr double shapeMinDb = 4.1;
// The room and the ringing of a real close capture leave this much energy after 50 ms.
inline constexpr double energyAfter50msMinDb = -48, energyAfter50msMaxDb = -23;
// Off axis loses this much at 8-16 kHz against on axis (median).
inline constexpr double offAxisAirMinDb = -12, offAxisAirMaxDb = -4;
// Under one microphone, no two cabinets come nearer than this, and the median nearest lies beyond the second.
inline constexpr double nearestOtherMinDb = 1.4, nearestOtherMedianMinDb = 2.5;
} // namespace morvane3::irfigures::realRanges
