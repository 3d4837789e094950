// State chunks the fuzzer found: text the framework's XML parser must never
// see (it reads past the end of broken UTF-8, and loops on processing
// instructions inside an element). Restoring them changes nothing.
#include "support/HardeningSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace morvane3;

namespace
{
std::string chunkAround(const std::string& text)
{
    std::string chunk = "VC2!";
    const auto length = (uint32_t) text.size();
    for (int i = 0; i < 4; ++i)
        chunk.push_back((char) ((length >> (8 * i)) & 0xff));
    return chunk + text; // no closing zero: the host's bytes end where the text does
}
} // namespace

TEST(StateChunkInput, BrokenUtf8AndInnerProcessingInstructionsAreRefusedWithoutEffect)
{
    hardening::ensureJuceRuntime();
    Morvane3AudioProcessor processor;
    const float before = processor.getParameterValue(c1HPF);
    const std::string cases[] = {
        "<MORVANESETTINGS c1HPF=\"0.9\" outputLevel=\"0.5\"\xf0",
        "<MORVANESETTINGS c1HPF=\"0.9\" c2Level=\"\xe2\x82\"/>",
        "<MORVANESETTINGS c1HPF=\"0.9\"><A id=\"B<?xml v0\" e/\"?>#C<?xml\"?>#D",
    };
    for (const auto& text : cases)
    {
        const auto chunk = chunkAround(text);
        processor.setStateInformation(chunk.data(), (int) chunk.size());
        EXPECT_EQ(processor.getParameterValue(c1HPF), before) << text;
    }

    // A well-formed chunk still restores.
    const auto good = chunkAround("<MORVANESETTINGS c1HPF=\"0.9\"/>");
    processor.setStateInformation(good.data(), (int) good.size());
    EXPECT_EQ(processor.getParameterValue(c1HPF), 0.9f);
}
