#pragma once
// A picture of magnitude responses: 20 Hz to 20 kHz on a log axis, level in dB,
// with grid, labels and a legend. Drawn with cairo into a PNG file.
#include <string>
#include <vector>

namespace morvane3::render
{

struct ResponseCurve
{
    std::string label;
    std::vector<double> magnitudeDb; // bins 0 .. N/2 of an N-point transform
    double sampleRate = 44100.0;
};

void drawResponsePlot(const std::string& pngPath, const std::vector<ResponseCurve>& curves, const std::string& title);

} // namespace morvane3::render
