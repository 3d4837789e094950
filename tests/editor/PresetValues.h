#pragma once
// A full set of parameter values for preset round trips: every knob on its
// interval grid, selection codes that exist and a mix of switches, so any
// reader and any round trip through the controls must reproduce them to the
// bit. Shared by the editor's preset tests and the tool's agreement test.
#include "editor/PresetFiles.h"
#include "processor/ParameterScaler.h"
#include "processor/ParameterTable.h"

namespace morvane3
{
inline ParameterValues distinctiveValues()
{
    const ParameterScaler scaler;
    ParameterValues v {};
    const auto knob = [&](int index, float live) {
        const auto& info = parameterInfo(index);
        v[(size_t) index] = scaler.normalise(info.max, info.min, live);
    };
    v[outputLevel] = 0.73f;
    v[c1Cabinet] = scaler.codeToNormalised(160);
    v[c1Microphone] = scaler.codeToNormalised(60);
    v[c1MicPos] = scaler.codeToNormalised(20);
    v[c1MicDistance] = scaler.codeToNormalised(30);
    knob(c1HPF, 75.0f);
    knob(c1LMF, 450.0f);
    knob(c1LMLevel, -2.5f);
    knob(c1HMF, 6100.0f);
    knob(c1HMLevel, 3.5f);
    knob(c1LPF, 8123.0f);
    v[c1Level] = 0.31f;
    v[c2Cabinet] = scaler.codeToNormalised(110);
    v[c2Microphone] = scaler.codeToNormalised(70);
    v[c2MicPos] = scaler.codeToNormalised(10);
    v[c2MicDistance] = scaler.codeToNormalised(20);
    knob(c2HPF, 33.0f);
    knob(c2LMF, 101.0f);
    knob(c2LMLevel, 6.0f);
    knob(c2HMF, 9999.0f);
    knob(c2HMLevel, -6.0f);
    knob(c2LPF, 13000.0f);
    v[c2Level] = 0.99f;
    v[c1Mute] = 0.0f;
    v[c2Mute] = 1.0f;
    v[sampleRateIndex] = 0.0f;
    v[c1HPFBypass] = 1.0f;
    v[c1LMFBypass] = 0.0f;
    v[c1HMFBypass] = 1.0f;
    v[c1LPFBypass] = 0.0f;
    v[c2HPFBypass] = 0.0f;
    v[c2LMFBypass] = 1.0f;
    v[c2HMFBypass] = 0.0f;
    v[c2LPFBypass] = 1.0f;
    return v;
}
} // namespace morvane3
