#pragma once
// The rates the catalogue works with. Free of the framework, so the parameter
// table can share them.

namespace morvane3
{
// Every catalogue recording is sampled at this rate.
constexpr double catalogueSampleRate = 44100.0;

// Host rates at which responses are prepared at the host's own rate. Outside
// them a host is assumed to report nonsense, and the stored rate stands in.
constexpr double lowestPreparedRate = 8000.0;
constexpr double highestPreparedRate = 768000.0;

inline bool isPreparedRate(double rate)
{
    return rate >= lowestPreparedRate && rate <= highestPreparedRate;
}

// The four rates above the catalogue's at which responses were always
// converted, whatever else happens: a stored rate outside the prepared range
// chooses only among these.
inline bool isClassicConvertedRate(double rate)
{
    return rate == 48000.0 || rate == 88200.0 || rate == 96000.0 || rate == 192000.0;
}
} // namespace morvane3
