#pragma once
// A real-to-complex transform pair of one size, in double precision, for the
// build-time tools. Plans are made with FFTW_ESTIMATE (no timing, so the same
// plan and the same bytes on every run) under one process-wide lock, because
// the FFTW planner is not thread-safe; executing a plan is.

#include <complex>
#include <vector>

namespace morvane3::irsynth
{
class RealFft
{
public:
    explicit RealFft(int size);
    ~RealFft();
    RealFft(const RealFft&) = delete;
    RealFft& operator=(const RealFft&) = delete;

    int size() const { return n; }
    int bins() const { return n / 2 + 1; }

    // Unnormalised forward transform of time[0..n) into spectrum[0..n/2].
    void forward();
    // Inverse of the spectrum into time, scaled by 1/n (so inverse(forward(x)) == x).
    void inverse();

    double* time;               // n samples
    std::complex<double>* spectrum; // n/2 + 1 bins

private:
    int n;
    void* forwardPlan;
    void* inversePlan;
};
} // namespace morvane3::irsynth
