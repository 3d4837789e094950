#include "catalogue/BandLimitedResampler.h"

#include <samplerate.h>

#include <cstddef>
#include <vector>

namespace morvane3
{
tovdsp::Buffer lowerRateBandLimited(const tovdsp::Buffer& source, double targetRate, double sourceRate)
{
    if (source.channelCount < 1 || source.length <= 0 || !(targetRate > 0.0) || !(targetRate < sourceRate))
        return {};
    const double ratio = targetRate / sourceRate;
    const double stretched = ratio * static_cast<double>(source.length);
    const int length = static_cast<int>(stretched);
    if (length <= 0)
        return {};

    // The converter's medium setting keeps 90 % of the new band flat, far
    // beyond where a cabinet's response has any energy left, at a fifth of the
    // cost of its best one: a decode stays in the tens of milliseconds.
    std::vector<float> converted(static_cast<std::size_t>(length), 0.0f);
    SRC_DATA job {};
    job.data_in = source.channelSamples(0);
    job.input_frames = source.length;
    job.data_out = converted.data();
    job.output_frames = length;
    job.src_ratio = ratio;
    job.end_of_input = 1;
    if (src_simple(&job, SRC_SINC_MEDIUM_QUALITY, 1) != 0)
        return {};
    // Anything the converter did not produce is the silence after the response.
    return tovdsp::bufferFromSamples(length, converted.data());
}
} // namespace morvane3
