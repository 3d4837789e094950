#include "tools/render/Fft.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace morvane3::render
{

void fft(std::vector<std::complex<double>>& data)
{
    const std::size_t n = data.size();
    if (n == 0 || (n & (n - 1)) != 0)
        throw std::invalid_argument("FFT size must be a power of two");

    for (std::size_t i = 1, j = 0; i < n; ++i)
    {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    const double pi = std::acos(-1.0);
    for (std::size_t length = 2; length <= n; length <<= 1)
    {
        const double angle = -2.0 * pi / static_cast<double>(length);
        for (std::size_t start = 0; start < n; start += length)
            for (std::size_t k = 0; k < length / 2; ++k)
            {
                // Twiddles from the angle directly rather than by repeated products,
                // which drift over long transforms.
                const std::complex<double> w = std::polar(1.0, angle * static_cast<double>(k));
                const std::complex<double> a = data[start + k];
                const std::complex<double> b = data[start + k + length / 2] * w;
                data[start + k] = a + b;
                data[start + k + length / 2] = a - b;
            }
    }
}

std::vector<double> magnitudeResponseDb(const std::vector<float>& impulseResponse, std::size_t size)
{
    std::vector<std::complex<double>> data(size);
    const std::size_t count = std::min(size, impulseResponse.size());
    for (std::size_t i = 0; i < count; ++i)
        data[i] = impulseResponse[i];
    fft(data);
    std::vector<double> db(size / 2 + 1);
    for (std::size_t k = 0; k < db.size(); ++k)
        db[k] = 20.0 * std::log10(std::max(std::abs(data[k]), 1.0e-12));
    return db;
}

} // namespace morvane3::render
