// morvane3-render driving the plug-in binary this build makes, as a DAW would:
// identity, the response of the default settings against an independent
// reference, block-size independence, layouts, and settings reaching the sound.
#include "ToolTestSupport.h"
#include "tools/render/Wav.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sstream>

using namespace toolstest;

// A build without the plug-in (MORVANE3_BUILD_PLUGIN=OFF) has nothing to load.
#ifdef MORVANE3_RENDER_NO_PLUGIN
#define REQUIRE_PLUGIN() GTEST_SKIP() << "this build makes no plug-in binary"
#else
#define REQUIRE_PLUGIN() static_cast<void>(0)
#endif

namespace
{

constexpr std::size_t impulseAt = 32768; // after the 10 ms fade and every convolution's start-up
constexpr std::size_t inputLength = impulseAt + 24000;
constexpr std::size_t tailLength = 22050; // the default 0.5 s

std::vector<std::vector<float>> impulseFile(int channels, std::size_t at = impulseAt)
{
    std::vector<std::vector<float>> c(static_cast<std::size_t>(channels), std::vector<float>(inputLength, 0.0f));
    c[0][at] = 1.0f;
    return c;
}

double peakOf(const std::vector<float>& x)
{
    double p = 0.0;
    for (float s : x)
        p = std::max(p, std::abs(static_cast<double>(s)));
    return p;
}

double maxDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    EXPECT_EQ(a.size(), b.size());
    double d = 0.0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        d = std::max(d, std::abs(static_cast<double>(a[i]) - static_cast<double>(b[i])));
    return d;
}

// Second-order sections from the cookbook formulas, in double precision.
std::vector<double> biquad(const std::vector<double>& x, bool highPass, double hz, double inverseQ, double rate)
{
    const double w0 = 2.0 * std::acos(-1.0) * hz / rate;
    const double alpha = std::sin(w0) * 0.5 * inverseQ, c = std::cos(w0);
    const double a0 = 1.0 + alpha, a1 = -2.0 * c, a2 = 1.0 - alpha;
    const double b0 = highPass ? (1.0 + c) / 2.0 : (1.0 - c) / 2.0;
    const double b1 = highPass ? -(1.0 + c) : 1.0 - c;
    const double b2 = b0;
    std::vector<double> y(x.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (std::size_t n = 0; n < x.size(); ++n)
    {
        y[n] = (b0 * x[n] + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) / a0;
        x2 = x1;
        x1 = x[n];
        y2 = y1;
        y1 = y[n];
    }
    return y;
}

// The catalogue file of a response if the build keeps the generated WAVs on disk
// (the generator names them with underscores for spaces).
std::string catalogueWav(const std::string& irName)
{
    std::string underscored = irName;
    std::replace(underscored.begin(), underscored.end(), ' ', '_');
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(MORVANE3_BUILD_RESOURCES_DIR, ec);
         ! ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    {
        const auto stem = it->path().stem().string();
        if (it->path().extension() == ".wav" && (stem == irName || stem == underscored))
            return it->path().string();
    }
    return {};
}

// What one channel alone contributes for a unit impulse at default filter settings:
// a quarter of the response, from its first sample, through the 20 Hz high-pass
// (Q 1.4) and the 14 kHz low-pass (Q 0.7); the peaking filters sit at 0 dB.
std::vector<double> referenceResponse(const std::vector<float>& ir, std::size_t length, double gain)
{
    std::vector<double> h(length, 0.0);
    for (std::size_t m = 0; m < std::min(ir.size(), length); ++m)
        h[m] = 0.25 * static_cast<double>(ir[m]);
    auto y = biquad(biquad(h, true, 20.0, 1.0 / 1.4, 44100.0), false, 14000.0, 1.0 / 0.7, 44100.0);
    for (auto& v : y)
        v *= gain;
    return y;
}

// The response as the plug-in prepares it above the catalogue's rate: linear
// interpolation over the stretched length, the read position rounded to
// single precision as the plug-in rounds it.
std::vector<double> preparedResponse(const std::vector<float>& ir, double rate)
{
    if (rate == 44100.0)
        return std::vector<double>(ir.begin(), ir.end());
    const auto m = static_cast<std::int32_t>(ir.size());
    const auto length = static_cast<std::int32_t>(rate / 44100.0 * static_cast<double>(m));
    std::vector<double> h(static_cast<std::size_t>(length));
    for (std::int32_t j = 0; j < length; ++j)
    {
        const double p = static_cast<double>(j) / static_cast<double>(length - 1);
        const float x = static_cast<float>(static_cast<double>(m - 1) * p);
        const auto i = static_cast<std::int32_t>(x);
        const double f = static_cast<float>(static_cast<double>(x) - i);
        const double next = i + 1 < m ? ir[static_cast<std::size_t>(i + 1)] : ir[0];
        h[static_cast<std::size_t>(j)] = (1.0 - f) * ir[static_cast<std::size_t>(i)] + f * next;
    }
    return h;
}

class PlugInRender : public ::testing::Test
{
protected:
    void SetUp() override { REQUIRE_PLUGIN(); }

    ScratchFolder scratch;

    // Renders `input` (per-channel samples) with extra arguments; returns the output.
    ReadBack render(const std::vector<std::vector<float>>& input, const std::vector<std::string>& extra)
    {
        const std::string in = scratch.file("in.wav"), out = scratch.file("out.wav");
        writeFloatWavFile(in, input);
        std::vector<std::string> args {"--quiet"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(in);
        args.push_back(out);
        const auto r = runTool(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        if (r.exitCode != 0)
            return {};
        return readFloatWavFile(out);
    }
};

} // namespace

TEST(PlugInIdentity, InfoShowsTheIdentifierAndAllThirtyFourParametersInOrder)
{
    REQUIRE_PLUGIN();
    const auto r = runTool({"--info"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Name:       Morvane 3\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Unique ID:  'Mvnc' (0x4D766E63)"), std::string::npos);
    EXPECT_NE(r.out.find("Version:    3.0.4"), std::string::npos);
    EXPECT_NE(r.out.find("Channels:   2 in, 2 out"), std::string::npos);
    EXPECT_NE(r.out.find("Parameters: 34\n"), std::string::npos);

    const char* names[] = {"outputLevel", "c1Cabinet", "c1Microphone", "c1MicPos", "c1MicDistance", "c1HPF", "c1LMF",
                           "c1LMLevel", "c1HMF", "c1HMLevel", "c1LPF", "c1Level", "c2Cabinet", "c2Microphone", "c2MicPos",
                           "c2MicDistance", "c2HPF", "c2LMF", "c2LMLevel", "c2HMF", "c2HMLevel", "c2LPF", "c2Level",
                           "c1Mute", "c2Mute", "sampleRate", "c1HPFBypass", "c1LMFBypass", "c1HMFBypass", "c1LPFBypass",
                           "c2HPFBypass", "c2LMFBypass", "c2HMFBypass", "c2LPFBypass"};
    std::istringstream lines(r.out);
    std::string line;
    int row = 0;
    while (std::getline(lines, line))
    {
        std::istringstream fields(line);
        int index;
        std::string name;
        if (! (fields >> index >> name) || index != row)
            continue;
        ASSERT_LT(row, 34);
        EXPECT_EQ(name, names[row]) << line;
        if (row == 0)
        {
            EXPECT_NE(line.find("0.50"), std::string::npos) << line; // the two-decimal display text
        }
        ++row;
    }
    EXPECT_EQ(row, 34);
}

TEST(PlugInIdentity, ListPrintsNineHundredSixtyDistinctCatalogueNames)
{
    const auto r = runTool({"--list"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::istringstream lines(r.out);
    std::vector<std::string> names;
    for (std::string line; std::getline(lines, line);)
        names.push_back(line);
    ASSERT_EQ(names.size(), 960u);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 960u);
    EXPECT_EQ(names.front(), "1960 121 On Axis Close");
    EXPECT_NE(std::find(names.begin(), names.end(), "Top Boost Reference Off Axis Far"), names.end());
}

TEST_F(PlugInRender, AnImpulseGivesOneCleanResponseOnItsOwnSideOnly)
{
    const auto out = render(impulseFile(2), {});
    ASSERT_EQ(out.channels.size(), 2u);
    EXPECT_EQ(out.sampleRate, 44100u);
    EXPECT_EQ(out.channels[0].size(), inputLength + tailLength);
    for (const auto& c : out.channels)
        for (float s : c)
            ASSERT_TRUE(std::isfinite(s));
    EXPECT_EQ(peakOf(out.channels[1]), 0.0);
    // Silence before the impulse, and its response starting no earlier than it.
    EXPECT_EQ(peakOf(std::vector<float>(out.channels[0].begin(), out.channels[0].begin() + impulseAt)), 0.0);
    const double peak = peakOf(out.channels[0]);
    EXPECT_GT(peak, 1e-3);
    EXPECT_LT(peak, 1.0);
}

TEST_F(PlugInRender, DefaultResponseIsAnEighthOfTheCatalogueResponseThroughTheFilters)
{
    const std::string wav = catalogueWav("1960 121 On Axis Close");
    if (wav.empty())
        GTEST_SKIP() << "the build keeps no catalogue WAV files under " << MORVANE3_BUILD_RESOURCES_DIR;
    const auto ir = morvane3::render::readWav(wav);
    ASSERT_EQ(ir.frameCount(), 19404u);

    const auto out = render(impulseFile(2), {});
    ASSERT_EQ(out.channels.size(), 2u);
    const std::size_t length = inputLength + tailLength - impulseAt;
    // Both channels play the same response at level 0.5, the sum at 0.5: 0.5 of one
    // channel's quarter-scaled convolution.
    const auto expected = referenceResponse(ir.channels[0], length, 0.5);
    double refPeak = 0.0, error = 0.0;
    std::size_t refPeakAt = 0, outPeakAt = 0;
    double outPeak = 0.0;
    for (std::size_t m = 0; m < length; ++m)
    {
        const double got = out.channels[0][impulseAt + m];
        error = std::max(error, std::abs(got - expected[m]));
        if (std::abs(expected[m]) > refPeak)
            refPeak = std::abs(expected[m]), refPeakAt = m;
        if (std::abs(got) > outPeak)
            outPeak = std::abs(got), outPeakAt = m;
    }
    EXPECT_EQ(outPeakAt, refPeakAt);
    EXPECT_NEAR(outPeak, refPeak, 1e-4 * refPeak);
    EXPECT_LT(error, 1e-4 * refPeak);
}

// With every filter bypassed, what a channel plays is its prepared response
// and nothing else: from its first sample on time (no part of it late), at
// every rate, and from the very start of playback (no fade in from the dry
// input after a preparation).
TEST_F(PlugInRender, BypassedChannelPlaysExactlyThePreparedResponseAtEveryRateFromTheFirstBlock)
{
    const std::string wav = catalogueWav("1960 121 On Axis Close");
    if (wav.empty())
        GTEST_SKIP() << "the build keeps no catalogue WAV files under " << MORVANE3_BUILD_RESOURCES_DIR;
    const auto ir = morvane3::render::readWav(wav);
    const std::vector<std::string> bypassed {"--set", "c2Mute=1", "--set", "c1HPFBypass=1", "--set", "c1LMFBypass=1",
                                             "--set", "c1HMFBypass=1", "--set", "c1LPFBypass=1"};
    for (const double rate : {44100.0, 48000.0, 96000.0, 192000.0, 384000.0, 768000.0})
    {
        const auto h = preparedResponse(ir.channels[0], rate);
        for (const std::size_t at : {static_cast<std::size_t>(50), static_cast<std::size_t>(rate / 10.0)})
        {
            std::vector<std::vector<float>> input(1, std::vector<float>(at + h.size() / 2, 0.0f));
            input[0][at] = 1.0f;
            const std::string in = scratch.file("in.wav"), out = scratch.file("out.wav");
            writeFloatWavFile(in, input, static_cast<std::uint32_t>(rate));
            std::vector<std::string> args {"--quiet"};
            args.insert(args.end(), bypassed.begin(), bypassed.end());
            args.insert(args.end(), {in, out});
            const auto run = runTool(args);
            ASSERT_EQ(run.exitCode, 0) << run.err;
            const auto y = readFloatWavFile(out).channels.at(0);
            ASSERT_GE(y.size(), at + h.size());

            // The best single gain, then what is left over, over the whole output.
            std::vector<double> expected(y.size(), 0.0);
            std::copy(h.begin(), h.end(), expected.begin() + static_cast<std::ptrdiff_t>(at));
            double cross = 0.0, power = 0.0;
            for (std::size_t t = 0; t < y.size(); ++t)
                cross += y[t] * expected[t], power += expected[t] * expected[t];
            const double gain = cross / power;
            double residual = 0.0;
            for (std::size_t t = 0; t < y.size(); ++t)
                residual += std::pow(y[t] - gain * expected[t], 2.0);
            const double residualDb = 10.0 * std::log10(residual / (gain * gain * power));
            EXPECT_GT(gain, 0.0);
            EXPECT_LE(residualDb, -100.0) << "at " << rate << " Hz, impulse at sample " << at;
        }
    }
}

TEST_F(PlugInRender, IrregularAndOddHostBlocksGiveTheSameOutputAsFixedOnes)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
    std::vector<std::vector<float>> input(2, std::vector<float>(40000));
    for (auto& c : input)
        for (auto& s : c)
            s = dist(random);
    const auto fixed = render(input, {"--block", "512"});
    ASSERT_EQ(fixed.channels.size(), 2u);
    const double peak = peakOf(fixed.channels[0]);
    ASSERT_GT(peak, 1e-3);
    for (const std::vector<std::string>& other : {std::vector<std::string> {"--block", "512", "--random-blocks", "1"},
                                                  std::vector<std::string> {"--block", "100", "--random-blocks", "2"},
                                                  std::vector<std::string> {"--block", "37"},
                                                  std::vector<std::string> {"--block", "4096"}})
    {
        const auto out = render(input, other);
        ASSERT_EQ(out.channels.size(), 2u) << other[1];
        for (std::size_t c = 0; c < 2; ++c)
            EXPECT_LT(maxDifference(out.channels[c], fixed.channels[c]), 2e-5 * peak) << other[1] << " " << other.back();
    }
}

TEST_F(PlugInRender, MonoFilesStayMonoAndSoundLikeTheLeftOfAStereoFile)
{
    auto stereoIn = impulseFile(2);
    std::vector<std::vector<float>> monoIn {stereoIn[0]};
    const auto stereo = render(stereoIn, {});
    const auto mono = render(monoIn, {}); // leaves the mono file as in.wav
    ASSERT_EQ(mono.channels.size(), 1u);
    // The plug-in itself runs in mono: it accepts the 1-in, 1-out arrangement.
    const auto r = runTool({scratch.file("in.wav"), scratch.file("mono-again.wav")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err.find("refused"), std::string::npos) << r.err;
    ASSERT_EQ(stereo.channels.size(), 2u);
    EXPECT_LT(maxDifference(mono.channels[0], stereo.channels[0]), 1e-5 * peakOf(stereo.channels[0]));
}

TEST_F(PlugInRender, ParameterSettingsReachTheSoundBeforePlaybackStarts)
{
    const auto input = impulseFile(2);
    const auto base = render(input, {});
    ASSERT_EQ(base.channels.size(), 2u);
    const double peak = peakOf(base.channels[0]);

    // Master level 1 instead of 0.5 doubles everything.
    const auto louder = render(input, {"--set", "outputLevel=1"});
    ASSERT_EQ(louder.channels.size(), 2u);
    std::vector<float> doubled = base.channels[0];
    for (auto& s : doubled)
        s *= 2.0f;
    EXPECT_LT(maxDifference(louder.channels[0], doubled), 1e-5 * peak);

    // Both channels muted: silence from the first sample.
    const auto muted = render(input, {"--set", "c1Mute=1", "--set", "c2Mute=1"});
    ASSERT_EQ(muted.channels.size(), 2u);
    EXPECT_EQ(peakOf(muted.channels[0]), 0.0);

    // One channel muted: half the default (both channels carry the same response).
    const auto half = render(input, {"--set", "c2Mute=1"});
    ASSERT_EQ(half.channels.size(), 2u);
    std::vector<float> halved = base.channels[0];
    for (auto& s : halved)
        s *= 0.5f;
    EXPECT_LT(maxDifference(half.channels[0], halved), 1e-5 * peak);

    // A continuous setting changes the sound too (the high-pass moved to 100 Hz).
    const auto filtered = render(input, {"--set", "c1HPF=0.8", "--set", "c2HPF=0.8"});
    ASSERT_EQ(filtered.channels.size(), 2u);
    EXPECT_GT(maxDifference(filtered.channels[0], base.channels[0]), 1e-3 * peak);
}

TEST_F(PlugInRender, CatalogueNamesPresetsAndStatesSelectTheSameSound)
{
    const auto input = impulseFile(2);
    // The same response in C1 alone and in C2 alone sounds the same: the names land
    // on the right channel's four selectors.
    const auto viaC1 = render(input, {"--c1", "Motown 57 On Axis Close", "--set", "c2Mute=1"});
    const auto viaC2 = render(input, {"--c2", "Motown 57 On Axis Close", "--set", "c1Mute=1"});
    const auto defaultC1 = render(input, {"--set", "c2Mute=1"});
    ASSERT_EQ(viaC1.channels.size(), 2u);
    ASSERT_EQ(viaC2.channels.size(), 2u);
    ASSERT_EQ(defaultC1.channels.size(), 2u);
    const double peak = peakOf(viaC1.channels[0]);
    EXPECT_LT(maxDifference(viaC1.channels[0], viaC2.channels[0]), 1e-5 * peak);
    EXPECT_GT(maxDifference(viaC1.channels[0], defaultC1.channels[0]), 1e-2 * peak) << "another cabinet sounds different";

    // A preset file with the same settings gives the same output.
    writeText(scratch.file("motown.mv3"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n<MORVANESETTINGS c1Cabinet=\"0.200000003\" c1Microphone=\"0.0500000007\"\n"
              "    c1MicPos=\"0.00999999978\" c1MicDistance=\"0.00999999978\" c2Mute=\"1\"/>\n");
    const auto viaPreset = render(input, {"--preset", scratch.file("motown.mv3")});
    ASSERT_EQ(viaPreset.channels.size(), 2u);
    EXPECT_LT(maxDifference(viaPreset.channels[0], viaC1.channels[0]), 1e-5 * peak);

    // So does the state chunk the plug-in hands out after those settings.
    auto r = runTool({"--quiet", "--c1", "Motown 57 On Axis Close", "--set", "c2Mute=1", "--save-state", scratch.file("states/motown.chunk")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto chunk = fileBytes(scratch.file("states/motown.chunk"));
    const std::string text(chunk.begin(), chunk.end());
    EXPECT_EQ(text.substr(0, 4), "VC2!");
    EXPECT_NE(text.find("c1Cabinet=\"0.200000003\""), std::string::npos) << text;
    EXPECT_NE(text.find("c2Mute=\"1\""), std::string::npos) << text;
    const auto viaState = render(input, {"--state", scratch.file("states/motown.chunk")});
    ASSERT_EQ(viaState.channels.size(), 2u);
    EXPECT_LT(maxDifference(viaState.channels[0], viaC1.channels[0]), 1e-5 * peak);
}

TEST_F(PlugInRender, PlotDrawsBothChannelsIntoANewFolder)
{
    const std::string png = scratch.file("plots/new/response.png");
    const auto r = runTool({"--quiet", "--c2", "Motown 57 On Axis Close", "--plot", png});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image), 1000);
    EXPECT_EQ(cairo_image_surface_get_height(image), 560);
    // Count pixels of each curve's colour: both responses must have been drawn.
    int orange = 0, blue = 0;
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < 560; ++y)
        for (int x = 0; x < 1000; ++x)
        {
            const unsigned char* p = data + y * stride + x * 4; // B, G, R, A
            if (p[2] > 180 && p[1] > 60 && p[1] < 120 && p[0] < 60)
                ++orange;
            if (p[0] > 160 && p[2] < 60 && p[1] > 60 && p[1] < 120)
                ++blue;
        }
    cairo_surface_destroy(image);
    EXPECT_GT(orange, 800);
    EXPECT_GT(blue, 800);
}

TEST_F(PlugInRender, DemoRendersTenSecondsOfStereoAndTheTail)
{
    const std::string wav = scratch.file("demo.wav");
    const auto r = runTool({"--quiet", "--demo", wav});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = readFloatWavFile(wav);
    ASSERT_EQ(out.channels.size(), 2u);
    EXPECT_EQ(out.sampleRate, 44100u);
    EXPECT_EQ(out.channels[0].size(), 441000u + tailLength);
    for (const auto& c : out.channels)
    {
        double energy = 0.0;
        for (float s : c)
        {
            ASSERT_TRUE(std::isfinite(s));
            energy += static_cast<double>(s) * static_cast<double>(s);
        }
        EXPECT_GT(std::sqrt(energy / static_cast<double>(c.size())), 1e-3);
    }
}

TEST_F(PlugInRender, ParameterSettingsKeepTheFallbackRateOfAGivenState)
{
    // At 4000 Hz, a rate no host really runs at, the plug-in prepares its responses
    // for the rate stored in its state. Setting a parameter on top of that state (here
    // to the value it already has) must not change that rate.
    const std::string body = "<MORVANESETTINGS sampleRate=\"96000\"/>";
    std::string chunk = "VC2!";
    for (int shift = 0; shift < 32; shift += 8)
        chunk += static_cast<char>((body.size() >> shift) & 0xFF);
    chunk += body;
    chunk += '\0';
    writeText(scratch.file("rate.chunk"), chunk);

    auto run = [&](double rate, std::vector<std::string> extra, const std::string& out) {
        writeFloatWavFile(scratch.file("in.wav"), impulseFile(1, 8192), static_cast<std::uint32_t>(rate));
        extra.insert(extra.end(), {"--quiet", "--state", scratch.file("rate.chunk"), scratch.file("in.wav"), scratch.file(out)});
        const auto r = runTool(extra);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return readFloatWavFile(scratch.file(out));
    };
    const auto stateOnly = run(4000, {}, "a.wav");
    const auto withSet = run(4000, {"--set", "outputLevel=0.5"}, "b.wav");
    const auto at44100 = run(4000, {"--set", "sampleRate=44100"}, "c.wav");
    ASSERT_EQ(stateOnly.channels.size(), 1u);
    ASSERT_EQ(withSet.channels.size(), 1u);
    ASSERT_EQ(at44100.channels.size(), 1u);
    const double peak = peakOf(stateOnly.channels[0]);
    EXPECT_LT(maxDifference(withSet.channels[0], stateOnly.channels[0]), 1e-5 * peak);
    // And the rate does matter there: responses prepared for 44100 Hz sound different.
    EXPECT_GT(maxDifference(at44100.channels[0], stateOnly.channels[0]), 1e-2 * peak);

    // At a rate hosts do run at, the responses follow the host whatever the state stores.
    const auto hostRate = run(22050, {}, "d.wav");
    const auto hostRateOther = run(22050, {"--set", "sampleRate=44100"}, "e.wav");
    ASSERT_EQ(hostRate.channels.size(), 1u);
    ASSERT_EQ(hostRateOther.channels.size(), 1u);
    EXPECT_GT(peakOf(hostRate.channels[0]), 1e-3);
    EXPECT_LT(maxDifference(hostRateOther.channels[0], hostRate.channels[0]), 1e-5 * peakOf(hostRate.channels[0]));
}
