// The same work done by a general-purpose multi-threaded partitioned
// convolver, at its smallest latency, processing synchronously.
#include "ConvolutionMethod.h"

#include <zita-convolver.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace bench
{
namespace
{
// Thread start-up of this convolver is not synchronised with start_process:
// wait until the worker threads exist and the count has been steady a while.
void waitForThreadCount(int atLeast, int atMost)
{
    int steady = 0;
    int last = -1;
    for (int i = 0; i < 2000 && steady < 20; ++i)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const int now = threadCount();
        const bool inRange = now >= atLeast && now <= atMost;
        steady = (inRange && now == last) ? steady + 1 : 0;
        last = now;
    }
}

class ZitaMethod : public ConvolutionMethod
{
public:
    ZitaMethod(const std::vector<float>& cabinet1, const std::vector<float>& cabinet2, int blockSize)
        : quantum(blockSize)
    {
        const int length = static_cast<int>(cabinet1.size());
        const uint32_t minPart = static_cast<uint32_t>(std::max<int>(blockSize, Convproc::MINPART));
        convolver.configure(2, 4, static_cast<uint32_t>(length), static_cast<uint32_t>(blockSize), minPart,
                            Convproc::MAXPART, 0.0f);
        for (int c = 0; c < 2; ++c)
        {
            float* data = const_cast<float*>(c == 0 ? cabinet1.data() : cabinet2.data());
            convolver.impdata_create(0, static_cast<uint32_t>(2 * c), 1, data, 0, length);
            convolver.impdata_create(1, static_cast<uint32_t>(2 * c + 1), 1, data, 0, length);
        }
        baseThreads = threadCount();
        convolver.start_process(0, SCHED_OTHER);
        waitForThreadCount(baseThreads + 1, 1000);
    }

    ~ZitaMethod() override
    {
        convolver.stop_process();
        for (int i = 0; i < 5000 && !convolver.check_stop(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        waitForThreadCount(0, baseThreads); // its workers must be gone before the memory goes
        convolver.cleanup();
    }

    void process(float* const* input, float* const* output, int n) override
    {
        for (uint32_t i = 0; i < 2; ++i)
            std::memcpy(convolver.inpdata(i), input[i], sizeof(float) * static_cast<size_t>(n));
        convolver.process(true);
        for (uint32_t o = 0; o < 4; ++o)
            std::memcpy(output[o], convolver.outdata(o), sizeof(float) * static_cast<size_t>(n));
    }

private:
    Convproc convolver;
    int quantum;
    int baseThreads = 0;
};
} // namespace

std::unique_ptr<ConvolutionMethod> createZitaMethod(const std::vector<float>& cabinet1,
                                                    const std::vector<float>& cabinet2, int blockSize)
{
    return std::make_unique<ZitaMethod>(cabinet1, cabinet2, blockSize);
}
} // namespace bench
