// The signal chain's arithmetic pinned down bit for bit: a fixed input and a
// fixed history of settings, switches and block lengths go through the whole
// chain (input sanitising, plugs and their crossfades, all four filter strips
// and bypass mixes, levels, the muted sum and the output level), and a hash of
// every output sample must match the stored one. Any change to the order or
// precision of an operation, or a shortcut that is not exact, shows up here.
//
// The convolutions the chain switches to are exact scalings of the input, not
// FFT convolutions: the rounding of a partitioned convolution depends on where
// its frames fall, which is free to change; its accuracy has its own tests.
//
// To regenerate after an intended change of the arithmetic, run
//   MORVANE3_REGENERATE_GOLDEN=1 ./processor_tests --gtest_filter='SignalChainGolden*'
// and paste the printed hash below.
#include "dsp/Arithmetic.h"
#include "dsp/Settings.h"
#include "processor/SignalChain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

using namespace morvane3;

namespace
{
constexpr uint64_t expectedHash = 0xb7dc6e1fa52eee07ull;

struct Lcg
{
    uint32_t state;
    uint32_t next()
    {
        state = state * 1664525u + 1013904223u;
        return state;
    }
    int below(int n) { return static_cast<int>((next() >> 8) % static_cast<uint32_t>(n)); }
    float unit() { return static_cast<float>(next() >> 8) / 16777216.0f; } // [0, 1)
};

struct Fnv
{
    uint64_t value = 0xcbf29ce484222325ull;
    void add(const float* samples, int n)
    {
        for (int i = 0; i < n; ++i)
        {
            uint32_t bits;
            std::memcpy(&bits, &samples[i], sizeof bits);
            for (int b = 0; b < 4; ++b)
            {
                value ^= (bits >> (8 * b)) & 0xffu;
                value *= 0x100000001b3ull;
            }
        }
    }
};

// Changes one setting, chosen by the generator, to a value that exercises a
// path: ordinary and extreme frequencies, boosts and cuts, bypass and mute
// switches at exactly 0, 1 and -0 (the exact shortcuts) and in between.
void changeSetting(LiveValues& live, Lcg& random)
{
    auto& ch = live.channels[random.below(2)];
    const float switchValues[] = { 0.0f, 1.0f, 0.0f, 1.0f, -0.0f, 0.5f, 0.25f };
    const float pick = random.unit();
    auto switchValue = [&] { return switchValues[random.below(7)]; };
    auto hz = [&](float low, float high) {
        const int r = random.below(16);
        if (r == 0)
            return 0.25f; // below the 1 Hz floor
        if (r == 1)
            return 40000.0f; // above the 0.49 x rate ceiling
        return low * std::pow(high / low, pick);
    };
    switch (random.below(15))
    {
        case 0: ch.hpfHz.store(hz(20.0f, 800.0f)); break;
        case 1: ch.lmfHz.store(hz(60.0f, 2000.0f)); break;
        case 2: ch.lmGainDb.store(-18.0f + 36.0f * pick); break;
        case 3: ch.hmfHz.store(hz(800.0f, 12000.0f)); break;
        case 4: ch.hmGainDb.store(-18.0f + 36.0f * pick); break;
        case 5: ch.lpfHz.store(hz(1000.0f, 20000.0f)); break;
        case 6: ch.level.store(2.0f * pick); break;
        case 7: ch.mute.store(switchValue()); break;
        case 8: ch.hpfBypass.store(switchValue()); break;
        case 9: ch.lmfBypass.store(switchValue()); break;
        case 10: ch.hmfBypass.store(switchValue()); break;
        case 11: ch.lpfBypass.store(switchValue()); break;
        case 12: live.outputLevel.store(2.0f * pick); break;
        default: break; // a block without changes keeps the filters' steady path
    }
}

// Noise, tones and a silent stretch (denormal decay), with the garbage the
// input sanitising must catch: infinities, NaN and absurd magnitudes.
float inputSample(int channel, int n, Lcg& random)
{
    if (n % 9973 == 17)
        return std::numeric_limits<float>::quiet_NaN();
    if (n % 7919 == 5)
        return (channel == 0 ? 1.0f : -1.0f) * std::numeric_limits<float>::infinity();
    if (n % 6007 == 3)
        return 3.0e9f;
    if (n >= 30000 && n < 42000)
        return 0.0f;
    const float tone = 0.3f * std::sin(0.0021f * static_cast<float>(n * (channel + 1)));
    return tone + 0.5f * (random.unit() - 0.5f);
}

uint64_t renderChain()
{
    tovdsp::setSampleRateAndBlockSize(512, 48000.0);

    constexpr int maxBlock = 1024;
    constexpr int total = 90000;
    LiveValues live;
    SignalChain chain(2, maxBlock, live);
    const tovdsp::TovDSPArray convolutions[3] = {
        tovdsp::Multiply(chain.getConvolutionInput(), tovdsp::TovDSPArray(0.5f)),
        tovdsp::Multiply(chain.getConvolutionInput(), tovdsp::TovDSPArray(-0.75f)),
        chain.getConvolutionInput(),
    };

    Lcg random { 20261209u };
    std::vector<float> input[2] = { std::vector<float>(maxBlock), std::vector<float>(maxBlock) };
    std::vector<float> output[2] = { std::vector<float>(maxBlock), std::vector<float>(maxBlock) };
    const int fixedLengths[] = { 32, 64, 128, 256, 512, 1024, 1, 7 };
    Fnv hash;
    int n = 0;
    for (int block = 0; n < total; ++block)
    {
        int length = block < 48 ? fixedLengths[block % 8] : 1 + random.below(maxBlock);
        length = std::min(length, total - n);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < length; ++i)
                input[c][static_cast<size_t>(i)] = inputSample(c, n + i, random);
        // Bursts of automation on every block, then quieter stretches.
        const int changes = (block / 40) % 2 == 0 ? 1 + random.below(6) : random.below(2);
        for (int k = 0; k < changes; ++k)
            changeSetting(live, random);
        if (block % 23 == 11)
            chain.switchConvolution(random.below(2), convolutions[random.below(3)]);

        const float* ins[2] = { input[0].data(), input[1].data() };
        float* outs[2] = { output[0].data(), output[1].data() };
        chain.process(ins, 2, outs, 2, length, static_cast<uint32_t>(n));
        hash.add(outs[0], length);
        hash.add(outs[1], length);
        n += length;
    }
    return hash.value;
}
} // namespace

TEST(SignalChainGolden, OutputIsBitIdenticalToTheStoredRendering)
{
    const uint64_t hash = renderChain();
    // A node that kept state across chains, or read memory it never wrote,
    // would render differently the second time.
    EXPECT_EQ(hash, renderChain());
    if (std::getenv("MORVANE3_REGENERATE_GOLDEN") != nullptr)
    {
        std::printf("expectedHash = 0x%016llxull;\n", static_cast<unsigned long long>(hash));
        GTEST_SKIP() << "regenerated; paste the printed hash into the test";
    }
    EXPECT_EQ(hash, expectedHash) << std::hex << "got 0x" << hash;
}
