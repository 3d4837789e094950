#pragma once
// Second-order IIR filter nodes (direct form II) whose frequency, inverse Q
// and gain are themselves graph inputs. Coefficients follow the Audio EQ
// Cookbook (R. Bristow-Johnson) low-pass, high-pass and peakingEQ formulas,
// with single-precision rounding at fixed points so results are reproducible.
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

    // 0 unless the magnitude is strictly between 1e-15 and 1e15.
    static float sanitise(float value);
    // The frequency the coefficients are computed from (see the class comment).
    double clampedFrequency(float frequency) const;

    float state1 = 0.0f;    // w[n-1]
    float state2 = 0.0f;    // w[n-2]
    float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f;
    float feedback1 = 0.0f; // -a1/a0
    float feedback2 = 0.0f; // -a2/a0
    float lastFrequency = 0.0f, lastInverseQ = 0.0f, lastGain = 0.0f; // parameters of the current coefficients
    double sampleDuration;  // seconds, captured at construction

protected:
    struct Angle
    {
        float cw, sw, alpha;
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
