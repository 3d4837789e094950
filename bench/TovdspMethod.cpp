// Our own convolution as the plug-in runs it: per cabinet channel the direct
// head and five segments of growing partition size, each over the stereo
// input, summed per output channel by a mixer, longest partition first; both
// cabinets read one set of spectrum feeds, so each input is transformed once
// per partition size.
#include "ConvolutionMethod.h"

#include "dsp/ArrayList.h"
#include "dsp/ConvolutionLayout.h"
#include "dsp/DirectConvolve.h"
#include "dsp/MixArray.h"
#include "dsp/PartConvolve.h"
#include "dsp/Settings.h"

#include <cstring>

namespace bench
{
namespace
{
// Hands the current block of one input channel to the graph.
class BlockInputNode : public tovdsp::TovDSPInternal
{
public:
    BlockInputNode() : TovDSPInternal(0) {}
    void compute(unsigned char*, int, int) override
    {
        std::memcpy(output.data, source, sizeof(float) * static_cast<size_t>(output.length));
    }
    const float* source = nullptr;
};

using tovdsp::convolutionSegments;
constexpr int segmentCount = tovdsp::convolutionSegmentCount;

class TovdspMethod : public ConvolutionMethod
{
public:
    TovdspMethod(const std::vector<float>& cabinet1, const std::vector<float>& cabinet2, int blockSize)
    {
        tovdsp::setSampleRateAndBlockSize(blockSize, 44100.0);
        inputNodes[0] = new BlockInputNode;
        inputNodes[1] = new BlockInputNode;
        tovdsp::TovDSPInternal* pointers[2] = {inputNodes[0], inputNodes[1]};
        const tovdsp::TovDSPArray input(pointers, 2);
        for (int s = 0; s < segmentCount; ++s)
        {
            const auto& segment = convolutionSegments[s];
            feeds[s] = tovdsp::SpectrumFeeds(input, segment.log2Size, tovdsp::feedPartitions(segment), blockSize);
        }
        for (int c = 0; c < 2; ++c)
        {
            const std::vector<float>& ir = c == 0 ? cabinet1 : cabinet2;
            const tovdsp::Buffer response = tovdsp::bufferFromSamples(static_cast<int32_t>(ir.size()), ir.data());
            auto* list = new tovdsp::ArrayList();
            for (int s = segmentCount - 1; s >= 0; --s)
                list->append(tovdsp::PartConvolveFromFeeds(response, feeds[s], convolutionSegments[s].start,
                                                           convolutionSegments[s].end));
            list->append(tovdsp::DirectConvolve(response, input));
            cabinets[c] = tovdsp::MixArray(list);
            list->release();
        }
    }

    void process(float* const* input, float* const* output, int n) override
    {
        inputNodes[0]->source = input[0];
        inputNodes[1]->source = input[1];
        unsigned char done = 0;
        for (auto& cabinet : cabinets)
            cabinet.prepare(-1, n, position);
        for (int c = 0; c < 2; ++c)
            for (int ch = 0; ch < 2; ++ch)
                std::memcpy(output[2 * c + ch], cabinets[c].pull(ch, &done, position),
                            sizeof(float) * static_cast<size_t>(n));
        position += n;
    }

private:
    BlockInputNode* inputNodes[2] = {};  // owned by the arrays
    tovdsp::TovDSPArray feeds[segmentCount];
    tovdsp::TovDSPArray cabinets[2];
    int position = 0;
};
} // namespace

std::unique_ptr<ConvolutionMethod> createTovdspMethod(const std::vector<float>& cabinet1,
                                                      const std::vector<float>& cabinet2, int blockSize)
{
    return std::make_unique<TovdspMethod>(cabinet1, cabinet2, blockSize);
}
} // namespace bench
