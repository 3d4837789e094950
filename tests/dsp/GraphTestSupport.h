#pragma once
// Fixtures for the graph tests: a deleter that records what reaches it, and
// probe nodes that record how they are evaluated.
#include "dsp/tovdsp.h"

#include <algorithm>
#include <vector>

namespace graphtest
{
// Installs itself as currentDeleter for its lifetime and records every
// object disposed (then deletes it, as the built-in deleter does).
class RecordingDeleter : public tovdsp::Deleter
{
public:
    RecordingDeleter() : previous(tovdsp::currentDeleter) { tovdsp::currentDeleter = this; }
    ~RecordingDeleter() override { tovdsp::currentDeleter = previous; }

    void dispose(tovdsp::SmartPointer* object) override
    {
        disposed.push_back(object);
        delete object;
    }
    bool saw(const void* object) const { return std::find(disposed.begin(), disposed.end(), object) != disposed.end(); }

    std::vector<const void*> disposed;

private:
    tovdsp::Deleter* previous;
};

// Outputs base + position + i (+ 1000 * channel when perChannel), and records
// every compute and the channels it was pulled with.
class ProbeNode : public tovdsp::TovDSPInternal
{
public:
    explicit ProbeNode(float baseValue = 0.0f, bool channelDependent = false)
        : TovDSPInternal(0), base(baseValue), perChannel(channelDependent) {}

    void compute(unsigned char* doneFlag, int position, int channel) override
    {
        ++computes;
        channels.push_back(channel);
        for (int i = 0; i < output.length; ++i)
            output.data[i] = base + static_cast<float>(position + i) + (perChannel ? 1000.0f * static_cast<float>(channel) : 0.0f);
        if (finishAt >= 0 && position >= finishAt && doneFlag != nullptr)
            *doneFlag = 1;
    }

    float base;
    bool perChannel;
    int finishAt = -1; // sets the done flag from this position on
    int computes = 0;
    std::vector<int> channels;
};

// Plays a fixed signal from its start, one block after the other.
class SignalNode : public tovdsp::TovDSPInternal
{
public:
    explicit SignalNode(std::vector<float> samples) : TovDSPInternal(0), signal(std::move(samples)) {}

    void compute(unsigned char*, int, int) override
    {
        for (int i = 0; i < output.length; ++i, ++cursor)
            output.data[i] = cursor < signal.size() ? signal[cursor] : 0.0f;
    }

    std::vector<float> signal;
    size_t cursor = 0;
};

// Pulls channel `channel` of `array` for `length` samples at `position` and
// copies the result.
inline std::vector<float> pullBlock(tovdsp::TovDSPArray& array, int channel, int length, int position)
{
    array.prepare(-1, length, position);
    unsigned char done = 0;
    const float* data = array.pull(channel, &done, position);
    return std::vector<float>(data, data + length);
}

// Renders `total` samples of every channel of `array` in blocks of `block`.
inline std::vector<std::vector<float>> render(tovdsp::TovDSPArray& array, int channels, int total, int block, int position = 0)
{
    std::vector<std::vector<float>> result(static_cast<size_t>(channels));
    for (int done = 0; done < total; done += block)
    {
        const int n = std::min(block, total - done);
        array.prepare(-1, n, position + done);
        unsigned char flag = 0;
        for (int c = 0; c < channels; ++c)
        {
            const float* data = array.pull(c, &flag, position + done);
            result[static_cast<size_t>(c)].insert(result[static_cast<size_t>(c)].end(), data, data + n);
        }
    }
    return result;
}

// Restores the library settings a test changed.
struct SettingsGuard
{
    double rate = tovdsp::settings::sampleRate;
    double duration = tovdsp::settings::sampleDuration;
    int block = tovdsp::settings::blockSize;
    ~SettingsGuard()
    {
        tovdsp::settings::sampleRate = rate;
        tovdsp::settings::sampleDuration = duration;
        tovdsp::settings::blockSize = block;
    }
};
} // namespace graphtest
