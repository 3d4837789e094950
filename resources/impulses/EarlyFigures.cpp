#include "EarlyFigures.h"

#include "RealFft.h"
#include "ResponseFigures.h"

#include <algorithm>
#include <cmath>

namespace morvane3::irfigures
{
namespace
{
constexpr double pi = 3.14159265358979323846;

double toDb(double ratio) { return 10.0 * std::log10(std::max(ratio, 1e-300)); }

int samplesIn(double seconds, double sampleRate) { return static_cast<int>(std::lround(seconds * sampleRate)); }

int onsetOf(const std::vector<double>& x)
{
    double peak = 0;
    for (double s : x)
        peak = std::max(peak, std::fabs(s));
    int n = 0;
    while (n < static_cast<int>(x.size()) && std::fabs(x[static_cast<size_t>(n)]) < 0.1 * peak)
        ++n;
    return n;
}

double energy(const std::vector<double>& x, int from, int to)
{
    double e = 0;
    for (int n = std::max(from, 0); n < std::min(to, static_cast<int>(x.size())); ++n)
        e += x[static_cast<size_t>(n)] * x[static_cast<size_t>(n)];
    return e;
}

// The minimum-phase response with the magnitude of x: the real cepstrum of
// |X| folded onto positive quefrencies (length: the next power of two at least
// eight times x's, so the cepstrum hardly wraps).
std::vector<double> minimumPhaseOf(const std::vector<double>& x)
{
    int size = 1;
    while (size < 8 * static_cast<int>(x.size()))
        size *= 2;
    irsynth::RealFft fft(size);
    std::fill(fft.time, fft.time + size, 0.0);
    std::copy(x.begin(), x.end(), fft.time);
    fft.forward();
    double largest = 0;
    for (int k = 0; k < fft.bins(); ++k)
        largest = std::max(largest, std::abs(fft.spectrum[k]));
    for (int k = 0; k < fft.bins(); ++k)
        fft.spectrum[k] = std::log(std::max(std::abs(fft.spectrum[k]), 1e-12 * largest));
    fft.inverse();
    for (int n = 1; n < size / 2; ++n)
    {
        fft.time[n] *= 2;
        fft.time[size - n] = 0;
    }
    fft.forward();
    for (int k = 0; k < fft.bins(); ++k)
        fft.spectrum[k] = std::exp(fft.spectrum[k]);
    fft.inverse();
    return std::vector<double>(fft.time, fft.time + size);
}
} // namespace

std::vector<double> gate(const std::vector<double>& samples, double sampleRate, int& onset)
{
    const int lead = samplesIn(0.0005, sampleRate), length = samplesIn(0.016, sampleRate), fade = samplesIn(0.002, sampleRate);
    const int start = onsetOf(samples) - lead;
    std::vector<double> out(static_cast<size_t>(length), 0.0);
    for (int n = 0; n < length; ++n)
        if (start + n >= 0 && start + n < static_cast<int>(samples.size()))
            out[static_cast<size_t>(n)] = samples[static_cast<size_t>(start + n)];
    for (int n = 0; n < fade; ++n)
        out[static_cast<size_t>(length - fade + n)] *= 0.5 + 0.5 * std::cos(pi * (n + 0.5) / fade);
    onset = lead;
    return out;
}

int prominentPeaks(const std::vector<double>& values, double minimum)
{
    const int n = static_cast<int>(values.size());
    int count = 0;
    for (int i = 1; i < n - 1; ++i)
    {
        if (!(values[static_cast<size_t>(i - 1)] < values[static_cast<size_t>(i)]))
            continue;
        int ahead = i + 1;
        while (ahead < n - 1 && values[static_cast<size_t>(ahead)] == values[static_cast<size_t>(i)])
            ++ahead;
        if (!(values[static_cast<size_t>(ahead)] < values[static_cast<size_t>(i)]))
            continue;
        const int peak = (i + ahead - 1) / 2;
        const double height = values[static_cast<size_t>(peak)];
        double leftLowest = height, rightLowest = height;
        for (int j = peak; j >= 0 && values[static_cast<size_t>(j)] <= height; --j)
            leftLowest = std::min(leftLowest, values[static_cast<size_t>(j)]);
        for (int j = peak; j < n && values[static_cast<size_t>(j)] <= height; ++j)
            rightLowest = std::min(rightLowest, values[static_cast<size_t>(j)]);
        if (height - std::max(leftLowest, rightLowest) >= minimum)
            ++count;
        i = ahead - 1;
    }
    return count;
}

EarlyFigures measureEarly(const std::vector<double>& samples, double sampleRate)
{
    EarlyFigures fig;
    if (samples.empty())
        return fig;
    int onset = 0;
    const std::vector<double> x = gate(samples, sampleRate, onset);

    const auto& grid = gridHz();
    const SmoothedCurves curves = smoothedCurves(x, sampleRate, {1.0 / 3, 1.0 / 12});
    const std::vector<double>& third = curves.power[0];
    const std::vector<double>& twelfth = curves.power[1];
    std::vector<double> fine;
    double squares = 0;
    for (size_t i = 0; i < grid.size(); ++i)
        if (grid[i] >= 1000 && grid[i] <= 8000)
        {
            const double d = toDb(twelfth[i] / third[i]);
            squares += d * d;
            fine.push_back(toDb(twelfth[i] / curves.mids));
        }
    fig.roughness = std::sqrt(squares / static_cast<double>(std::max<size_t>(fine.size(), 1)));
    fig.finePeaks = prominentPeaks(fine, 1.0);
    for (int i = 0; i < 4; ++i)
        fig.lowMids[i] = toDb(third[nearestGridPoint(lowMidsHz[i])] / curves.mids);

    int largest = 0;
    for (int n = 0; n < static_cast<int>(x.size()); ++n)
        if (std::fabs(x[static_cast<size_t>(n)]) > std::fabs(x[static_cast<size_t>(largest)]))
            largest = n;
    fig.peakDelayMs = 1000.0 * (largest - onset) / sampleRate;

    const int before = samplesIn(0.00025, sampleRate), after = samplesIn(0.001, sampleRate);
    const std::vector<double> minimum = minimumPhaseOf(x);
    const int minimumOnset = onsetOf(minimum);
    const double share = energy(x, onset - before, onset + after) / energy(x, 0, static_cast<int>(x.size()));
    const double minimumShare = energy(minimum, minimumOnset - before, minimumOnset + after) / energy(minimum, 0, static_cast<int>(minimum.size()));
    fig.minimumPhaseExcessDb = toDb(share / minimumShare);

    const double fromOnset = energy(x, onset, static_cast<int>(x.size()));
    fig.decayAt2Ms = toDb(energy(x, onset + samplesIn(0.002, sampleRate), static_cast<int>(x.size())) / fromOnset);
    fig.decayAt4Ms = toDb(energy(x, onset + samplesIn(0.004, sampleRate), static_cast<int>(x.size())) / fromOnset);
    return fig;
}
} // namespace morvane3::irfigures
