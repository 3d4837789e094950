#pragma once
// A socket in the graph that plays one source array and crossfades linearly to
// another when replugged. One output per source channel.
//
// Threads: replug runs on the message thread and must be serialised with the
// evaluation of the graph by the caller; compute runs on the audio thread and
// allocates nothing. At the end of a crossfade the old sources are released
// through currentDeleter (install a deferring deleter to keep their deletion
// off the audio thread).
//
// The fade step is derived from the sample duration captured when the plug is
// constructed, so a later change of the library settings by another plug-in
// instance does not alter this graph.
#include "dsp/ArrayList.h"
#include "dsp/ProxyGroup.h"

namespace tovdsp
{
class PlugTovDSPInternal : public ProxyOwnerTovDSPInternal
{
public:
    explicit PlugTovDSPInternal(const TovDSPArray& source);
    ~PlugTovDSPInternal() override;

    void cascadeA() override;
    void cascadeB() override;
    void prepareExtra(int blockSize, int position, int channel) override;
    void compute(unsigned char* doneFlag, int position, int channel) override;
    // Always true. replace: drop every other source (at once when
    // fadeSeconds <= 0 or NaN, else when the fade ends).
    bool replug(const TovDSPArray& source, bool replace, float fadeSeconds) override;
    const TovDSPArray& currentSource() const override;

    ArrayList* sources;            // arrays that keep running
    int current = -1;              // index in sources of the array being played
    int fadeFrom = -1;             // index being faded out, -1 when steady
    float newGain = 0.0f;          // gain of the current source at the next block of a fade
    float oldGain = 0.0f;          // gain of the faded-out source at that point
    float fadeStep = 0.0f;         // gain change per sample
    bool replaceAfterFade = false; // replace argument of the last replug
    ArrayList* pending;            // becomes sources when a replacing fade ends
    ArrayList* spare = nullptr;    // empty list made ready by replug, so the fade's end allocates nothing
    double sampleDuration;         // captured at construction

private:
    void finishFade();
};

// A plug playing `source`; each output starts from the source's current value
// for its channel.
TovDSPArray Plug(const TovDSPArray& source);
} // namespace tovdsp
