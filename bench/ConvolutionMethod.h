#pragma once
// One way of doing the benchmark's work: a stereo input convolved with two
// mono cabinet responses, four mono convolutions per block. Output channel
// 2c + i is cabinet c applied to input channel i.

#include <memory>
#include <vector>

namespace bench
{
class ConvolutionMethod
{
public:
    virtual ~ConvolutionMethod() = default;
    // Exactly the block size given at creation, every call.
    virtual void process(float* const* input, float* const* output, int numSamples) = 0;
};

struct MethodDescription
{
    const char* name;
    std::unique_ptr<ConvolutionMethod> (*create)(const std::vector<float>& cabinet1,
                                                 const std::vector<float>& cabinet2, int blockSize);
};

std::unique_ptr<ConvolutionMethod> createTovdspMethod(const std::vector<float>&, const std::vector<float>&, int);
std::unique_ptr<ConvolutionMethod> createZitaMethod(const std::vector<float>&, const std::vector<float>&, int);
#if MORVANE3_BENCH_WITH_JUCE
std::unique_ptr<ConvolutionMethod> createJuceMethod(const std::vector<float>&, const std::vector<float>&, int);
#endif

// Number of threads of this process, from /proc/self/task.
int threadCount();
} // namespace bench
