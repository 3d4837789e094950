#include "dsp/FilterStrip.h"

#include "dsp/SwitchMix.h"

#include <algorithm>

namespace tovdsp
{
bool FilterStripTovDSPInternal::forceSse2 = false;

namespace
{
enum Input
{
    signalInput = 0,
    frequencyInput = 1,
    inverseQInput = 5,
    gainInput = 9,
    bypassInput = 11,
    levelInput = 15
};

double d(float x)
{
    return static_cast<double>(x);
}

float fl(double x)
{
    return static_cast<float>(x);
}

bool fusable(const TovDSPArray& signal, const FilterStripParameters& p)
{
    if (signal.width < 1 || signal.width > 2)
        return false;
    auto blockConstant = [](const TovDSPArray& array) {
        return array.width == 1 && array.nodes[0]->isBlockConstant();
    };
    for (int k = 0; k < 4; ++k)
        if (!blockConstant(p.frequency[k]) || !blockConstant(p.inverseQ[k]) || !blockConstant(p.bypass[k]))
            return false;
    return blockConstant(p.gainDb[0]) && blockConstant(p.gainDb[1]) && blockConstant(p.level);
}
} // namespace

FilterStripTovDSPInternal::FilterStripTovDSPInternal(const TovDSPArray& signal, const FilterStripParameters& p)
    : ProxyOwnerTovDSPInternal(numInputs, static_cast<int>(signal.width) - 1),
      channels(static_cast<int>(signal.width))
{
    setInput(signalInput, signal);
    for (unsigned int k = 0; k < 4; ++k)
    {
        setInput(frequencyInput + k, p.frequency[k].orNull());
        setInput(inverseQInput + k, p.inverseQ[k].orNull());
        setInput(bypassInput + k, p.bypass[k].orNull());
    }
    setInput(gainInput, p.gainDb[0].orNull());
    setInput(gainInput + 1, p.gainDb[1].orNull());
    setInput(levelInput, p.level.orNull());

    const TovDSPArray none;
    filters[0] = new BHiPassTovDSPInternal(none, none, none);
    filters[1] = new BPeakEQTovDSPInternal(none, none, none, none);
    filters[2] = new BPeakEQTovDSPInternal(none, none, none, none);
    filters[3] = new BLowPassTovDSPInternal(none, none, none);
    prime();
}

FilterStripTovDSPInternal::~FilterStripTovDSPInternal()
{
    for (auto* filter : filters)
        filter->release();
}

// Coefficients and delay values as the tree's filter nodes are made with
// (see the Biquad factories): from the current values of their arguments.
void FilterStripTovDSPInternal::prime()
{
    for (int s = 0; s < 4; ++s)
    {
        const bool peak = s == 1 || s == 2;
        filters[s]->setCoefficients(inputs[frequencyInput + s].currentValue(0), inputs[inverseQInput + s].currentValue(0),
                                    peak ? inputs[gainInput + s - 1].currentValue(0) : 1.0f);
    }
    for (int c = 0; c < channels; ++c)
    {
        const float x = inputs[signalInput].currentValue(c);
        float stageIn = x;
        for (int s = 0; s < 4; ++s)
        {
            const bool peak = s == 1 || s == 2;
            const float primed = fl(BEQBaseTovDSPInternal::sanitise(
                d(peak ? fl(d(inputs[gainInput + s - 1].currentValue(c)) * d(stageIn)) : stageIn)));
            state.state1[2 * s + c] = state.state2[2 * s + c] = d(primed);
            const bool last = s == 3;
            stageIn = switchMix(primed, stageIn, inputs[bypassInput + s].currentValue(c),
                                last ? inputs[levelInput].currentValue(c) : 1.0f, last);
        }
        outputTable[c]->setCurrentValue(stageIn);
    }
}

void FilterStripTovDSPInternal::compute(unsigned char* doneFlag, int position, int)
{
    const int length = output.length;
    const float* in0 = inputs[signalInput].pull(0, doneFlag, position);
    const float* in1 = channels > 1 ? inputs[signalInput].pull(1, doneFlag, position) : in0;
    float value[numInputs] = {};
    for (unsigned int k = 1; k < numInputs; ++k)
    {
        const float* samples = inputs[k].pull(0, doneFlag, position);
        value[k] = samples != nullptr ? samples[0] : 0.0f;
    }
    const int n0 = readyOutput(0, length);
    const int n1 = channels > 1 ? readyOutput(1, length) : n0;
    const int n = std::min(n0, n1);
    if (n <= 0 || in0 == nullptr || in1 == nullptr)
        return;
    float* out0 = outputTable[0]->output.data;
    float* out1 = channels > 1 ? outputTable[1]->output.data : nullptr;

    // The high-pass and low-pass nodes' gain input is a constant 0, which
    // their coefficients ignore.
    filters[0]->useParameters(value[frequencyInput], value[inverseQInput], 0.0f);
    filters[1]->useParameters(value[frequencyInput + 1], value[inverseQInput + 1], value[gainInput]);
    filters[2]->useParameters(value[frequencyInput + 2], value[inverseQInput + 2], value[gainInput + 1]);
    filters[3]->useParameters(value[frequencyInput + 3], value[inverseQInput + 3], 0.0f);

    filterstrip::Coefficients c;
    for (int s = 0; s < 4; ++s)
    {
        const BEQBaseTovDSPInternal& f = *filters[s];
        const float bypass = value[bypassInput + s];
        for (int lane = 2 * s; lane < 2 * s + 2; ++lane)
        {
            c.feedback1[lane] = f.feedback1;
            c.feedback2[lane] = f.feedback2;
            c.b0[lane] = f.b0;
            c.b1[lane] = f.b1;
            c.b2[lane] = f.b2;
            c.dry[lane] = bypass;
            c.wet[lane] = fl(1.0 - d(bypass));
        }
    }
    c.level = value[levelInput];

#if defined(__x86_64__)
    if (filterstrip::haveAvx() && !forceSse2)
        filterstrip::runAvx(c, state, in0, in1, out0, out1, n);
    else
#endif
        filterstrip::runSse2(c, state, in0, in1, out0, out1, n);

    for (int lane = 0; lane < 8; ++lane)
    {
        state.state1[lane] = BEQBaseTovDSPInternal::sanitise(state.state1[lane]);
        state.state2[lane] = BEQBaseTovDSPInternal::sanitise(state.state2[lane]);
    }
}

TovDSPArray FilterStrip(const TovDSPArray& signal, const FilterStripParameters& p)
{
    if (fusable(signal, p))
    {
        auto* strip = new FilterStripTovDSPInternal(signal, p);
        TovDSPArray result = strip->makeOutputs();
        for (unsigned int c = 0; c < result.width; ++c)
            result.nodes[c]->setCurrentValue(strip->outputNode(static_cast<int>(c))->output.lastSample());
        return result;
    }
    const TovDSPArray one(1.0f), zero(0.0f);
    const auto h = BHiPass(signal, p.frequency[0], p.inverseQ[0], one, zero);
    const auto s1 = SwitchMix(h, signal, p.bypass[0]);
    const auto m = BPeakEQ(s1, p.frequency[1], p.inverseQ[1], p.gainDb[0], one, zero);
    const auto s2 = SwitchMix(m, s1, p.bypass[1]);
    const auto k = BPeakEQ(s2, p.frequency[2], p.inverseQ[2], p.gainDb[1], one, zero);
    const auto s3 = SwitchMix(k, s2, p.bypass[2]);
    const auto l = BLowPass(s3, p.frequency[3], p.inverseQ[3], one, zero);
    return SwitchMix(l, s3, p.bypass[3], p.level);
}
} // namespace tovdsp
