#include "ResponseFigures.h"

#include "RealFft.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

namespace morvane3::irfigures
{
namespace
{
constexpr double pointsPerOctave = 48;

double toDb(double power) { return 10.0 * std::log10(std::max(power, 1e-300)); }

// Mean power over a fractional-octave window around every grid point, from
// the running sum of the bins.
std::vector<double> smoothedPower(const std::vector<double>& cumulative, double binHz, double octaves)
{
    const auto& grid = gridHz();
    const int last = static_cast<int>(cumulative.size()) - 2;
    std::vector<double> out(grid.size());
    for (size_t i = 0; i < grid.size(); ++i)
    {
        const double lo = grid[i] * std::pow(2.0, -octaves / 2), hi = grid[i] * std::pow(2.0, octaves / 2);
        int a = static_cast<int>(std::ceil(lo / binHz)), b = static_cast<int>(std::floor(hi / binHz));
        a = std::clamp(a, 1, last);
        b = std::clamp(b, a, last);
        out[i] = (cumulative[static_cast<size_t>(b) + 1] - cumulative[static_cast<size_t>(a)]) / (b - a + 1);
    }
    return out;
}

// Mean power of a curve (given in power) over the grid points inside [lo, hi].
double bandPower(const std::vector<double>& curve, double lo, double hi)
{
    const auto& grid = gridHz();
    double sum = 0;
    int n = 0;
    for (size_t i = 0; i < grid.size(); ++i)
        if (grid[i] >= lo && grid[i] <= hi)
        {
            sum += curve[i];
            ++n;
        }
    return sum / std::max(n, 1);
}

size_t nearest(double hz) { return nearestGridPoint(hz); }
} // namespace

size_t nearestGridPoint(double hz) { return static_cast<size_t>(std::lround(std::log2(hz / 20.0) * pointsPerOctave)); }

SmoothedCurves smoothedCurves(const std::vector<double>& samples, double sampleRate, const std::vector<double>& octaves)
{
    SmoothedCurves out;
    int size = 65536;
    while (size < static_cast<int>(samples.size()))
        size *= 2;
    irsynth::RealFft fft(size);
    std::fill(fft.time, fft.time + size, 0.0);
    std::copy(samples.begin(), samples.end(), fft.time);
    fft.forward();
    std::vector<double> cumulative(static_cast<size_t>(fft.bins()) + 1, 0.0);
    for (int k = 0; k < fft.bins(); ++k)
        cumulative[static_cast<size_t>(k) + 1] = cumulative[static_cast<size_t>(k)] + std::norm(fft.spectrum[k]);
    const double binHz = sampleRate / size;
    for (double o : octaves)
        out.power.push_back(smoothedPower(cumulative, binHz, o));
    out.mids = bandPower(smoothedPower(cumulative, binHz, 1.0 / 3), 500, 2000);
    return out;
}

const std::vector<double>& gridHz()
{
    static const std::vector<double> grid = [] {
        std::vector<double> g;
        for (int i = 0; 20.0 * std::pow(2.0, i / pointsPerOctave) <= 20000.0 * (1 + 1e-9); ++i)
            g.push_back(20.0 * std::pow(2.0, i / pointsPerOctave));
        return g;
    }();
    return grid;
}

Figures measure(const std::vector<double>& samples, double sampleRate)
{
    Figures fig;
    if (samples.empty())
        return fig;
    const auto& grid = gridHz();
    const SmoothedCurves curves = smoothedCurves(samples, sampleRate, {1.0 / 3, 1.0 / 6});
    const std::vector<double>& third = curves.power[0];
    const std::vector<double>& sixthPower = curves.power[1];
    const double mids = curves.mids;
    auto level = [&](double lo, double hi) { return toDb(bandPower(third, lo, hi) / mids); };
    fig.lows40to80 = level(40, 80);
    fig.lows80to160 = level(80, 160);
    fig.air8to16 = level(8000, 16000);
    fig.top16to20 = level(16000, 20000);
    fig.rise = toDb(third[nearest(2500)] / third[nearest(1000)]);

    fig.humpDb = -1e9;
    for (size_t i = nearest(60); i <= nearest(300); ++i)
        if (toDb(third[i] / mids) > fig.humpDb)
        {
            fig.humpDb = toDb(third[i] / mids);
            fig.humpHz = grid[i];
        }
    fig.lowCornerHz = grid.front();
    for (size_t i = nearest(500); i-- > 0;)
        if (toDb(third[i] / mids) < -10)
        {
            fig.lowCornerHz = grid[i];
            break;
        }

    fig.highCornerHz = grid.back();
    for (size_t i = nearest(1000); i < grid.size(); ++i)
        if (toDb(third[i] / mids) < -10)
        {
            fig.highCornerHz = grid[i];
            break;
        }

    fig.sixth.resize(grid.size());
    for (size_t i = 0; i < grid.size(); ++i)
        fig.sixth[i] = toDb(sixthPower[i] / mids);

    // Ripple: against the 1-octave running mean (of the dB curve) around each point.
    const size_t from = nearest(1000), to = nearest(5000);
    const int half = static_cast<int>(pointsPerOctave / 2);
    double lo = 1e9, hi = -1e9;
    for (size_t i = from; i <= to; ++i)
    {
        double sum = 0;
        int n = 0;
        for (int j = -half; j <= half; ++j)
        {
            const long k = static_cast<long>(i) + j;
            if (k >= 0 && k < static_cast<long>(grid.size()))
            {
                sum += fig.sixth[static_cast<size_t>(k)];
                ++n;
            }
        }
        const double d = fig.sixth[i] - sum / n;
        lo = std::min(lo, d);
        hi = std::max(hi, d);
    }
    fig.ripple = hi - lo;

    // Shape: against the least-squares line in log2 f.
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double count = static_cast<double>(to - from + 1);
    for (size_t i = from; i <= to; ++i)
    {
        const double x = std::log2(grid[i]), y = fig.sixth[i];
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double slope = (count * sxy - sx * sy) / (count * sxx - sx * sx), offset = (sy - slope * sx) / count;
    lo = 1e9;
    hi = -1e9;
    for (size_t i = from; i <= to; ++i)
    {
        const double d = fig.sixth[i] - (offset + slope * std::log2(grid[i]));
        lo = std::min(lo, d);
        hi = std::max(hi, d);
    }
    fig.shape = hi - lo;

    // Time: onset, energy after 50 ms, decay of the backward-integrated energy.
    double peak = 0;
    for (double s : samples)
        peak = std::max(peak, std::fabs(s));
    size_t onset = 0;
    while (onset < samples.size() && std::fabs(samples[onset]) < peak * 0.1)
        ++onset;
    std::vector<double> remaining(samples.size() + 1, 0.0);
    for (size_t n = samples.size(); n-- > 0;)
        remaining[n] = remaining[n + 1] + samples[n] * samples[n];
    const size_t after = onset + static_cast<size_t>(std::lround(0.05 * sampleRate));
    fig.energyAfter50ms = toDb((after < samples.size() ? remaining[after] : 0.0) / remaining[0]);
    fig.decayTo40Ms = -1;
    for (size_t n = onset; n < samples.size(); ++n)
        if (remaining[n] <= remaining[0] * 1e-4)
        {
            fig.decayTo40Ms = 1000.0 * static_cast<double>(n - onset) / sampleRate;
            break;
        }

    // 2nd-order Butterworth high-pass at 500 Hz (bilinear, prewarped).
    const double k = std::tan(3.14159265358979323846 * 500.0 / sampleRate), norm = 1 / (1 + std::sqrt(2.0) * k + k * k);
    const double a1 = 2 * (k * k - 1) * norm, a2 = (1 - std::sqrt(2.0) * k + k * k) * norm;
    double s1 = 0, s2 = 0, direct = 0, rest = 0;
    const double windowStart = static_cast<double>(onset) - 0.0005 * sampleRate, windowEnd = static_cast<double>(onset) + 0.0025 * sampleRate;
    for (size_t n = 0; n < samples.size(); ++n)
    {
        const double y = norm * samples[n] + s1;
        s1 = -2 * norm * samples[n] - a1 * y + s2;
        s2 = norm * samples[n] - a2 * y;
        const double at = static_cast<double>(n);
        (at >= windowStart && at < windowEnd ? direct : rest) += y * y;
    }
    fig.directToReverberant = toDb(direct / std::max(rest, 1e-300));
    return fig;
}

double curveDistance(const Figures& a, const Figures& b)
{
    const auto& grid = gridHz();
    double sum = 0;
    int n = 0;
    for (size_t i = 0; i < grid.size(); ++i)
        if (grid[i] >= 100 && grid[i] <= 6000)
        {
            const double d = a.sixth[i] - b.sixth[i];
            sum += d * d;
            ++n;
        }
    return std::sqrt(sum / std::max(n, 1));
}

std::vector<double> readWav(const std::string& path, double& sampleRate)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u32 = [&b](size_t at) {
        return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16)) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
    };
    auto u16 = [&b](size_t at) { return static_cast<unsigned>(b[at] | (b[at + 1] << 8)); };
    std::vector<double> x;
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return x;
    unsigned format = 0, channels = 0, bits = 0;
    for (size_t at = 12; at + 8 <= b.size();)
    {
        const std::uint32_t size = u32(at + 4);
        const size_t body = at + 8, end = std::min(b.size(), body + size);
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && size >= 16 && end - body >= 16)
        {
            format = u16(body);
            channels = u16(body + 2);
            sampleRate = u32(body + 4);
            bits = u16(body + 14);
            if (format == 0xFFFE && size >= 26)
                format = u16(body + 24);
        }
        else if (std::memcmp(b.data() + at, "data", 4) == 0 && channels > 0 && bits % 8 == 0 && bits > 0)
        {
            const size_t frame = channels * bits / 8;
            for (size_t p = body; p + frame <= end; p += frame)
            {
                if (format == 3 && bits == 32)
                {
                    float f;
                    std::memcpy(&f, b.data() + p, 4);
                    x.push_back(f);
                }
                else if (format == 1 && bits == 16)
                    x.push_back(static_cast<std::int16_t>(u16(p)) / 32768.0);
                else if (format == 1 && bits == 24)
                {
                    std::int32_t v = b[p] | (b[p + 1] << 8) | (b[p + 2] << 16);
                    if (v & 0x800000)
                        v -= 0x1000000;
                    x.push_back(v / 8388608.0);
                }
                else if (format == 1 && bits == 32)
                    x.push_back(static_cast<std::int32_t>(u32(p)) / 2147483648.0);
                else
                    return {};
            }
        }
        at = body + size + (size & 1);
    }
    return x;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}
} // namespace morvane3::irfigures
