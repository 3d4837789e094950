#include "support/ReferenceConvolution.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace testsupport
{
std::vector<double> directConvolution(const std::vector<float>& x, const std::vector<float>& h,
                                      std::size_t outputLength)
{
    std::vector<double> y(outputLength, 0.0);
    // Scatter form: each input sample adds a scaled copy of the response.
    for (std::size_t i = 0; i < x.size() && i < outputLength; ++i)
    {
        const double xi = x[i];
        if (xi == 0.0)
            continue;
        const std::size_t count = std::min(h.size(), outputLength - i);
        double* out = y.data() + i;
        for (std::size_t m = 0; m < count; ++m)
            out[m] += xi * static_cast<double>(h[m]);
    }
    return y;
}

double rms(const std::vector<double>& signal)
{
    if (signal.empty())
        return 0.0;
    double sum = 0.0;
    for (double v : signal)
        sum += v * v;
    return std::sqrt(sum / static_cast<double>(signal.size()));
}

std::vector<float> noise(std::size_t length, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> distribution(-1.0f, 1.0f);
    std::vector<float> result(length);
    for (auto& v : result)
        v = distribution(generator);
    return result;
}
} // namespace testsupport
