#include "RealFft.h"

#include <fftw3.h>
#include <mutex>

namespace morvane3::irsynth
{
namespace
{
std::mutex& plannerLock()
{
    static std::mutex lock;
    return lock;
}
} // namespace

RealFft::RealFft(int size) : n(size)
{
    std::lock_guard<std::mutex> guard(plannerLock());
    time = fftw_alloc_real(static_cast<size_t>(n));
    auto* bins_ = fftw_alloc_complex(static_cast<size_t>(n / 2 + 1));
    spectrum = reinterpret_cast<std::complex<double>*>(bins_);
    forwardPlan = fftw_plan_dft_r2c_1d(n, time, bins_, FFTW_ESTIMATE);
    inversePlan = fftw_plan_dft_c2r_1d(n, bins_, time, FFTW_ESTIMATE);
}

RealFft::~RealFft()
{
    std::lock_guard<std::mutex> guard(plannerLock());
    fftw_destroy_plan(static_cast<fftw_plan>(forwardPlan));
    fftw_destroy_plan(static_cast<fftw_plan>(inversePlan));
    fftw_free(time);
    fftw_free(spectrum);
}

void RealFft::forward()
{
    fftw_execute(static_cast<fftw_plan>(forwardPlan));
}

void RealFft::inverse()
{
    // c2r overwrites its input; callers treat the spectrum as consumed.
    fftw_execute(static_cast<fftw_plan>(inversePlan));
    const double scale = 1.0 / n;
    for (int i = 0; i < n; ++i)
        time[i] *= scale;
}
} // namespace morvane3::irsynth
