// The host's mechanics, checked against stand-in plug-ins whose behaviour is known
// exactly: a one-sample delay times a "gain" parameter that turns any host mistake
// (processing before resume, a block longer than announced) into NaN.
#include "ToolTestSupport.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>

using namespace toolstest;

namespace
{

std::vector<std::vector<float>> noise(int channels, std::size_t frames, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::vector<std::vector<float>> out(static_cast<std::size_t>(channels), std::vector<float>(frames));
    for (auto& c : out)
        for (auto& s : c)
            s = dist(random);
    return out;
}

// What the delay stand-in must give for an input: every sample one later, scaled,
// then the tail of silence.
void expectDelayed(const ReadBack& out, const std::vector<std::vector<float>>& in, float gain, std::size_t tail)
{
    ASSERT_EQ(out.channels.size(), in.size());
    for (std::size_t c = 0; c < in.size(); ++c)
    {
        ASSERT_EQ(out.channels[c].size(), in[c].size() + tail) << "channel " << c;
        EXPECT_EQ(out.channels[c][0], 0.0f);
        for (std::size_t i = 1; i < out.channels[c].size(); ++i)
        {
            const float expected = i - 1 < in[c].size() ? gain * in[c][i - 1] : 0.0f;
            ASSERT_EQ(out.channels[c][i], expected) << "channel " << c << ", sample " << i;
        }
    }
}

class HostWithStandIn : public ::testing::Test
{
protected:
    ScratchFolder scratch;
    const std::string delay = MORVANE3_FAKE_DELAY_PLUGIN;
};

} // namespace

TEST_F(HostWithStandIn, PassesEverySampleInOrderWithFixedAndIrregularBlocks)
{
    const auto in = noise(2, 10007, 1);
    writeFloatWavFile(scratch.file("in.wav"), in, 48000);
    for (const std::vector<std::string>& blocks : {std::vector<std::string> {"--block", "64"},
                                                   std::vector<std::string> {"--block", "64", "--random-blocks", "5"},
                                                   std::vector<std::string> {"--block", "1"}})
    {
        std::vector<std::string> args {"--plugin", delay, "--tail", "0.01", "--quiet", scratch.file("in.wav"), scratch.file("out.wav")};
        args.insert(args.end(), blocks.begin(), blocks.end());
        const auto r = runTool(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const auto out = readFloatWavFile(scratch.file("out.wav"));
        EXPECT_EQ(out.sampleRate, 48000u);
        expectDelayed(out, in, 1.0f, 480);
    }
}

TEST_F(HostWithStandIn, KeepsMonoFilesMonoAndSetsParametersByName)
{
    const auto in = noise(1, 3000, 2);
    writeFloatWavFile(scratch.file("mono.wav"), in);
    const auto r = runTool({"--plugin", delay, "--set", "GAIN=0.5", "--tail", "0", "--quiet", scratch.file("mono.wav"), scratch.file("out.wav")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectDelayed(readFloatWavFile(scratch.file("out.wav")), in, 0.5f, 0);
}

TEST_F(HostWithStandIn, SavesTheStateChunkAndAppliesItAgain)
{
    auto r = runTool({"--plugin", delay, "--set", "gain=0.25", "--save-state", scratch.file("saved/gain.state"), "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto state = fileBytes(scratch.file("saved/gain.state"));
    ASSERT_EQ(state.size(), 4u);
    float saved;
    std::memcpy(&saved, state.data(), 4);
    EXPECT_EQ(saved, 0.25f);

    const auto in = noise(2, 1000, 3);
    writeFloatWavFile(scratch.file("in.wav"), in);
    r = runTool({"--plugin", delay, "--state", scratch.file("saved/gain.state"), "--tail", "0", scratch.file("in.wav"), scratch.file("out.wav")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectDelayed(readFloatWavFile(scratch.file("out.wav")), in, 0.25f, 0);
    EXPECT_NE(r.err.find("warning"), std::string::npos) << "a chunk that is not a settings document is worth a word";
}

TEST_F(HostWithStandIn, RefusesBinariesThatAreNotPlugInsAndReportsCrashes)
{
    writeFloatWavFile(scratch.file("in.wav"), noise(1, 100, 4));
    writeText(scratch.file("text.so"), "not a library");
    const struct
    {
        std::string plugin;
        std::string says;
        int exitCode = 1;
    } cases[] = {
        {MORVANE3_FAKE_NULL_PLUGIN, "returned no effect"},
        {MORVANE3_FAKE_MAGIC_PLUGIN, "wrong magic"},
        {MORVANE3_FAKE_NO_ENTRY_PLUGIN, "neither VSTPluginMain nor main"},
        {scratch.file("text.so"), "cannot load"},
        {scratch.file("missing.so"), "does not exist"},
        {scratch.folder().string(), "folder"},
        {MORVANE3_FAKE_CRASH_PLUGIN, "crashed (signal 11) while processing audio", 70},
    };
    for (const auto& c : cases)
    {
        const auto r = runTool({"--plugin", c.plugin, scratch.file("in.wav"), scratch.file("out.wav")});
        EXPECT_EQ(r.exitCode, c.exitCode) << c.plugin;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.plugin << ": " << r.err;
        EXPECT_FALSE(std::filesystem::exists(scratch.file("out.wav")));
    }
}

TEST_F(HostWithStandIn, ReportsBadInputsAndSettingsBeforeWritingAnything)
{
    writeFloatWavFile(scratch.file("in.wav"), noise(1, 100, 5));
    writeText(scratch.file("garbage.wav"), "RIFF....WAVEjunk");
    RawWav surround;
    surround.channels = 6;
    surround.data.assign(6 * 4 * 10, 0);
    const auto surroundBytes = buildWav(surround);
    writeText(scratch.file("surround.wav"), std::string(surroundBytes.begin(), surroundBytes.end()));
    writeText(scratch.file("other.mv3"), "<?xml version=\"1.0\"?>\n<OTHERSETTINGS a=\"1\"/>\n");
    writeText(scratch.file("cut.mv3"), "<MORVANESETTINGS c1HPF=\"0.");
    writeText(scratch.file("empty.state"), "");

    const struct
    {
        std::vector<std::string> args;
        int exitCode;
        std::string says;
    } cases[] = {
        {{scratch.file("missing.wav"), scratch.file("out.wav")}, 1, "cannot open"},
        {{scratch.file("garbage.wav"), scratch.file("out.wav")}, 1, "no \"fmt \" chunk"},
        {{scratch.file("surround.wav"), scratch.file("out.wav")}, 1, "channel count 6"},
        {{scratch.folder().string(), scratch.file("out.wav")}, 1, "is a folder"},
        {{"--set", "volume=1", scratch.file("in.wav"), scratch.file("out.wav")}, 1, "unknown parameter 'volume'"},
        {{"--set", "gain=loud", scratch.file("in.wav"), scratch.file("out.wav")}, 2, "not a number"},
        {{"--c1", "Motown 57 On Axis", scratch.file("in.wav"), scratch.file("out.wav")}, 2, "not an impulse-response name"},
        {{"--preset", scratch.file("other.mv3"), scratch.file("in.wav"), scratch.file("out.wav")}, 1, "not a Morvane 3 preset"},
        {{"--preset", scratch.file("cut.mv3"), scratch.file("in.wav"), scratch.file("out.wav")}, 1, "not a Morvane 3 preset"},
        {{"--preset", scratch.file("missing.mv3"), scratch.file("in.wav"), scratch.file("out.wav")}, 1, "cannot open"},
        {{"--state", scratch.file("empty.state"), scratch.file("in.wav"), scratch.file("out.wav")}, 1, "is empty"},
        {{"--block", "0", scratch.file("in.wav"), scratch.file("out.wav")}, 2, "--block"},
        {{scratch.file("in.wav")}, 2, "output file"},
        {{"--bogus"}, 2, "unknown option"},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> args {"--plugin", delay};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto r = runTool(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.says << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("morvane3-render: error:"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(scratch.file("out.wav"))) << c.says;
    }
}
