#include "dsp/Plug.h"

#include "dsp/Settings.h"

#include <algorithm>

namespace tovdsp
{
PlugTovDSPInternal::PlugTovDSPInternal(const TovDSPArray& source)
    : ProxyOwnerTovDSPInternal(0, static_cast<int>(source.width) - 1),
      sources(new ArrayList()),
      pending(new ArrayList()),
      sampleDuration(settings::sampleDuration)
{
    replug(source, true, 0.0f);
}

PlugTovDSPInternal::~PlugTovDSPInternal()
{
    pending->release();
    if (spare != nullptr)
        spare->release();
    sources->release();
}

bool PlugTovDSPInternal::replug(const TovDSPArray& source, bool replace, float fadeSeconds)
{
    const bool fades = fadeSeconds > 0.0f; // NaN does not fade
    if (replace && !fades)
    {
        fadeFrom = -1;
        ArrayList* old = sources;
        sources = new ArrayList(source);
        old->release();
        current = 0;
        return true;
    }
    const int found = sources->find(source);
    if (current != -1 && fades)
    {
        oldGain = 1.0f;
        newGain = 0.0f;
        fadeFrom = current;
        fadeStep = static_cast<float>(static_cast<double>(static_cast<float>(sampleDuration)) / static_cast<double>(fadeSeconds));
    }
    else
    {
        fadeFrom = -1;
    }
    if (found == -1)
    {
        sources->append(source);
        current = sources->count - 1;
    }
    else
    {
        current = found;
    }
    replaceAfterFade = replace;
    if (replace && fades)
    {
        ArrayList* old = pending;
        pending = new ArrayList(source);
        old->release();
        if (spare == nullptr)
            spare = new ArrayList();
    }
    return true;
}

const TovDSPArray& PlugTovDSPInternal::currentSource() const
{
    return sources->at(current);
}

void PlugTovDSPInternal::cascadeA()
{
    for (int j = 0; j < sources->count; ++j)
        sources->elements[j].cascadeA();
}

void PlugTovDSPInternal::cascadeB()
{
    for (int j = 0; j < sources->count; ++j)
        sources->elements[j].cascadeB();
}

void PlugTovDSPInternal::prepareExtra(int blockSize, int position, int)
{
    for (int j = 0; j < sources->count; ++j)
        sources->elements[j].prepare(-1, blockSize, position);
}

void PlugTovDSPInternal::compute(unsigned char* doneFlag, int position, int)
{
    const int length = output.length;
    const int outputs = outputCount();
    const int entries = sources->count;
    for (int j = 0; j < entries; ++j)
    {
        const TovDSPArray& entry = sources->at(j);
        if (j != current)
        {
            entry.pull(-1, doneFlag, position);
            continue;
        }
        if (fadeFrom == -1)
        {
            for (int k = 0; k < outputs; ++k)
            {
                const float* in = entry.pull(k, doneFlag, position);
                const int n = readyOutput(k, length);
                if (in != nullptr)
                    std::copy(in, in + n, outputTable[k]->output.data);
            }
            continue;
        }

        const TovDSPArray& faded = sources->at(fadeFrom);
        float a = newGain;
        float b = oldGain;
        for (int k = 0; k < outputs; ++k)
        {
            const float* fresh = entry.pull(k, doneFlag, position);
            const float* old = faded.pull(k, doneFlag, position);
            const int n = readyOutput(k, length);
            float* out = outputTable[k]->output.data;
            a = newGain;
            b = oldGain;
            for (int i = 0; i < length; ++i)
            {
                if (i < n && fresh != nullptr && old != nullptr)
                    out[i] = static_cast<float>(static_cast<double>(fresh[i]) * static_cast<double>(a)
                                                + static_cast<double>(b) * static_cast<double>(old[i]));
                b = static_cast<float>(static_cast<double>(b) - static_cast<double>(fadeStep));
                a = static_cast<float>(static_cast<double>(fadeStep) + static_cast<double>(a));
                if (!(b > 0.0f))
                {
                    b = 0.0f;
                    a = 1.0f;
                }
            }
        }
        if (b > 0.0f)
        {
            newGain = a;
            oldGain = b;
        }
        else
        {
            finishFade();
        }
    }
}

void PlugTovDSPInternal::finishFade()
{
    fadeFrom = -1;
    if (!replaceAfterFade)
        return;
    ArrayList* old = sources;
    sources = pending;
    current = 0;
    if (spare != nullptr)
    {
        // Hand the old list to the deleter instead of emptying it here, so
        // the audio thread frees no memory when a deferring deleter is in use.
        pending = spare;
        spare = nullptr;
        old->release();
    }
    else
    {
        old->clear();
        pending = old;
    }
}

TovDSPArray Plug(const TovDSPArray& source)
{
    const TovDSPArray& played = source.width > 0 ? source : TovDSPArray::null();
    auto* plug = new PlugTovDSPInternal(played);
    TovDSPArray result = plug->makeOutputs();
    for (unsigned int i = 0; i < result.width; ++i)
        result.nodes[i]->setCurrentValue(played.nodes[i % played.width]->currentValue(static_cast<int>(i)));
    return result;
}
} // namespace tovdsp
