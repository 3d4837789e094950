#pragma once
// Drives convolution nodes block by block outside a full graph: a feed node
// plays a prepared signal, and the runner pulls every output channel with a
// given sequence of block lengths.

#include "dsp/TovDSPArray.h"
#include "dsp/TovDSPInternal.h"

#include <cstring>
#include <functional>
#include <vector>

namespace convtest
{
class FeedNode : public tovdsp::TovDSPInternal
{
public:
    explicit FeedNode(std::vector<float> signalToPlay) : TovDSPInternal(0), signal(std::move(signalToPlay)) {}

    void compute(unsigned char*, int, int) override
    {
        for (int i = 0; i < output.length; ++i)
        {
            const size_t index = cursor + static_cast<size_t>(i);
            output.data[i] = index < signal.size() ? signal[index] : 0.0f;
        }
        cursor += static_cast<size_t>(output.length);
    }

    std::vector<float> signal;
    size_t cursor = 0;
};

// An array of feed nodes, one per signal.
inline tovdsp::TovDSPArray feedArray(const std::vector<std::vector<float>>& signals)
{
    std::vector<tovdsp::TovDSPInternal*> nodes;
    for (const auto& s : signals)
        nodes.push_back(new FeedNode(s));
    return tovdsp::TovDSPArray(nodes.data(), static_cast<int>(nodes.size()));
}

inline tovdsp::TovDSPArray feedArray(const std::vector<float>& signal)
{
    return feedArray(std::vector<std::vector<float>>{signal});
}

using BlockLengths = std::function<int(int blockIndex)>;

// Pulls `total` samples of every channel of `outputs`, block by block; result
// [channel][sample].
inline std::vector<std::vector<float>> run(tovdsp::TovDSPArray& outputs, size_t total, const BlockLengths& lengths)
{
    std::vector<std::vector<float>> result(outputs.width);
    int position = 0;
    for (int block = 0; static_cast<size_t>(position) < total; ++block)
    {
        int n = lengths(block);
        n = std::min<int>(n, static_cast<int>(total) - position);
        outputs.prepare(-1, n, position);
        unsigned char done = 0;
        for (unsigned int ch = 0; ch < outputs.width; ++ch)
        {
            const float* data = outputs.pull(static_cast<int>(ch), &done, position);
            result[ch].insert(result[ch].end(), data, data + n);
        }
        position += n;
    }
    return result;
}

inline BlockLengths fixedLength(int n)
{
    return [n](int) { return n; };
}

inline BlockLengths cycle(std::vector<int> lengths)
{
    return [lengths](int block) { return lengths[static_cast<size_t>(block) % lengths.size()]; };
}
} // namespace convtest
