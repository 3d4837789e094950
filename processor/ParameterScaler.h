#pragma once

namespace morvane3
{
// Conversions between normalised parameter values and engineering values.
// Intermediates are formed in double precision and rounded to float at fixed
// points, so that a value survives normalise -> text -> denormalise unchanged
// and the editor and the processor agree bit for bit. Pure, any thread.
struct ParameterScaler
{
    float normalise(float max, float min, float value) const
    {
        const float range = (float) ((double) max - (double) min);
        const float offset = (float) ((double) value - (double) min);
        return (float) ((double) offset / (double) range);
    }

    float denormalise(float max, float min, float normalised) const
    {
        const float range = (float) ((double) max - (double) min);
        return (float) ((double) range * (double) normalised + (double) min);
    }

    float codeToNormalised(int code) const { return (float) ((double) code / 1000.0); }

    // Truncates toward zero. Values beyond the int range saturate and NaN
    // gives 0, so no input is undefined behaviour.
    int normalisedToCode(float normalised) const
    {
        const float t = (float) ((double) normalised * 1000.0);
        if (t != t)
            return 0;
        if (t >= 2147483648.0f)
            return 2147483647;
        if (t <= -2147483648.0f)
            return -2147483647 - 1;
        return (int) t;
    }
};
} // namespace morvane3
