#pragma once
// Second-order IIR filter nodes (direct form II) whose frequency, inverse Q
// and gain are themselves graph inputs. Coefficients follow the Audio EQ
// Cookbook (R. Bristow-Johnson) low-pass, high-pass and peakingEQ formulas.
//
// Coefficients and delay values are doubles; only the output is rounded to
// float. With a low corner at a high rate the poles crowd z = 1: the delay
// values of a signal at f Hz are about (rate / 2 pi f)^2 times larger than it,
// and the output is the small difference of such values. A float delay line
// would add noise growing with the square of the rate, and float coefficients
// (cos w0 within a few float steps of 1) would move the response.
//
// The sample duration is captured at construction (another plug-in instance
// may change the library settings later). The frequency used for the
// coefficients is clamped to [1 Hz, 0.49 x sample rate]; NaN and anything
// below 1 Hz count as 1 Hz. Above 0.49 x rate the recursion would be unstable.
//
// compute allocates nothing; with parameters whose first sample is unchanged
// since the previous block it costs one comparison per block beyond the
// filter itself, and coefficients are recomputed only where a parameter
// sample differs from the one before it.
#include "dsp/TovDSPArray.h"

namespace tovdsp
{
// Inputs: 0 signal, 1 frequency (Hz), 2 inverse Q, 3 gain (dB).
class BEQBaseTovDSPInternal : public TovDSPInternal
{
public:
    BEQBaseTovDSPInternal(const TovDSPArray& signal, const TovDSPArray& frequency, const TovDSPArray& inverseQ,
                          const TovDSPArray& gain);

    void compute(unsigned char* doneFlag, int position, int channel) override;
    // Loads a sanitised value into the output's last sample and both delay values.
    void setCurrentValue(float value) override;
    virtual void setCoefficients(float frequency, float inverseQ, float gain) = 0;
    // setCoefficients, unless the current coefficients were made from exactly
    // these parameters; records them as the last ones.
    void useParameters(float frequency, float inverseQ, float gain);

    // 0 unless the magnitude is strictly between 1e-15 and 1e15 (the float
    // values of those bounds); NaN gives 0.
    static double sanitise(double value);
    // The frequency the coefficients are computed from (see the class comment).
    double clampedFrequency(float frequency) const;

    double state1 = 0.0;    // w[n-1]
    double state2 = 0.0;    // w[n-2]
    double b0 = 0.0, b1 = 0.0, b2 = 0.0;
    double feedback1 = 0.0; // -a1/a0
    double feedback2 = 0.0; // -a2/a0
    float lastFrequency = 0.0f, lastInverseQ = 0.0f, lastGain = 0.0f; // parameters of the current coefficients
    double sampleDuration;  // seconds, captured at construction

protected:
    struct Angle
    {
        double cw, sw, alpha;
    };
    Angle angle(float frequency, float inverseQ) const;
    void filter(const float* in, float* out, int begin, int end);
};

class BLowPassTovDSPInternal : public BEQBaseTovDSPInternal
{
public:
    BLowPassTovDSPInternal(const TovDSPArray& signal, const TovDSPArray& frequency, const TovDSPArray& inverseQ);
    TovDSPInternal* channelNode(int channel) override;
    void setCoefficients(float frequency, float inverseQ, float gain) override;
};

class BHiPassTovDSPInternal : public BEQBaseTovDSPInternal
{
public:
    BHiPassTovDSPInternal(const TovDSPArray& signal, const TovDSPArray& frequency, const TovDSPArray& inverseQ);
    TovDSPInternal* channelNode(int channel) override;
    void setCoefficients(float frequency, float inverseQ, float gain) override;
};

class BPeakEQTovDSPInternal : public BEQBaseTovDSPInternal
{
public:
    BPeakEQTovDSPInternal(const TovDSPArray& signal, const TovDSPArray& frequency, const TovDSPArray& inverseQ,
                          const TovDSPArray& gain);
    TovDSPInternal* channelNode(int channel) override;
    void setCoefficients(float frequency, float inverseQ, float gain) override;
};

// One filter node per channel (the widest argument decides), primed from the
// arguments' current values, then finished with applyMulAdd(mul, add). An
// argument of width 0 is taken as the null array.
TovDSPArray BLowPass(const TovDSPArray& signal, const TovDSPArray& frequency, const TovDSPArray& inverseQ,
                     const TovDSPArray& mul, const TovDSPArray& add);
TovDSPArray BHiPass(const TovDSPArray& signal, const TovDSPArray& frequency, const TovDSPArray& inverseQ,
                    const TovDSPArray& mul, const TovDSPArray& add);
TovDSPArray BPeakEQ(const TovDSPArray& signal, const TovDSPArray& frequency, const TovDSPArray& inverseQ,
                    const TovDSPArray& gain, const TovDSPArray& mul, const TovDSPArray& add);
} // namespace tovdsp
