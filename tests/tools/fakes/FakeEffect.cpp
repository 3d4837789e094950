// Stand-in plug-in binaries for testing the host without the real processor.
// FAKE_KIND selects the behaviour:
//   0  a working effect: one-sample delay times "gain", mono or stereo, that marks
//      host mistakes (processing before resume, blocks longer than announced) with NaN
//   1  an entry point that returns no effect
//   2  an effect with the wrong magic number
//   3  a shared library without an entry point
//   4  a working effect that crashes when asked to process
#define FST_DONT_DEPRECATE_UNKNOWN 1
#include <pluginterfaces/fst/fst.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{

struct Fake
{
    AEffect effect {};
    float gain = 1.0f;
    float previous[2] = {0.0f, 0.0f};
    int blockSize = 0;
    bool resumed = false;
    float chunk = 0.0f;
};

Fake* fakeOf(AEffect* e) { return static_cast<Fake*>(e->object); }

VstIntPtr dispatcher(AEffect* e, int opcode, int index, VstIntPtr value, void* ptr, float opt)
{
    Fake* f = fakeOf(e);
    switch (opcode)
    {
        case effClose: delete f; return 0;
        case effGetParamName: std::strcpy(static_cast<char*>(ptr), index == 0 ? "gain" : ""); return 0;
        case effGetParamDisplay: std::strcpy(static_cast<char*>(ptr), "x"); return 0;
        case effGetParamLabel: std::strcpy(static_cast<char*>(ptr), ""); return 0;
        case effGetEffectName: std::strcpy(static_cast<char*>(ptr), "Fake Delay"); return 1;
        case effSetBlockSize: f->blockSize = static_cast<int>(value); return 0;
        case effSetSampleRate: (void) opt; return 0;
        case effMainsChanged:
            f->resumed = value != 0;
            f->previous[0] = f->previous[1] = 0.0f;
            return 0;
        case effSetSpeakerArrangement:
        {
            auto* in = reinterpret_cast<VstSpeakerArrangement*>(value);
            auto* out = static_cast<VstSpeakerArrangement*>(ptr);
            if (in == nullptr || out == nullptr || in->numChannels != out->numChannels || in->numChannels < 1
                || in->numChannels > 2)
                return 0;
            e->numInputs = e->numOutputs = in->numChannels;
            return 1;
        }
        case effGetChunk:
            f->chunk = f->gain;
            *static_cast<void**>(ptr) = &f->chunk;
            return sizeof f->chunk;
        case effSetChunk:
            if (value == sizeof(float))
                std::memcpy(&f->gain, ptr, sizeof(float));
            return 0;
        default: return 0;
    }
}

void setParameter(AEffect* e, int index, float v)
{
    if (index == 0)
        fakeOf(e)->gain = v;
}

float getParameter(AEffect* e, int index) { return index == 0 ? fakeOf(e)->gain : 0.0f; }

void processReplacing(AEffect* e, float** in, float** out, int n)
{
#if FAKE_KIND == 4
    volatile int* nowhere = nullptr;
    *nowhere = n; // a faulty plug-in: the host must report it, not die silently
#endif
    Fake* f = fakeOf(e);
    const bool misuse = ! f->resumed || n > f->blockSize || n < 1;
    for (int c = 0; c < e->numOutputs; ++c)
        for (int i = 0; i < n; ++i)
        {
            out[c][i] = misuse ? std::numeric_limits<float>::quiet_NaN() : f->gain * f->previous[c];
            f->previous[c] = in[c][i];
        }
}

} // namespace

#if FAKE_KIND != 3
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host)
{
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
#if FAKE_KIND == 1
    return nullptr;
#else
    Fake* f = new Fake;
    AEffect& e = f->effect;
    e.magic = FAKE_KIND == 2 ? 0x12345678 : kEffectMagic;
    e.dispatcher = dispatcher;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.processReplacing = processReplacing;
    e.numParams = 1;
    e.numInputs = e.numOutputs = 2;
    e.flags = effFlagsCanReplacing | effFlagsProgramChunks;
    e.uniqueID = CCONST('F', 'a', 'k', 'e');
    e.object = f;
    return &e;
#endif
}
#endif
