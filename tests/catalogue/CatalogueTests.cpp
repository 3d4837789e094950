// The catalogue as the processor and the editor see it: vocabulary codes and
// names, impulse-response names, the name-keyed lookups and the decoding of a
// WAV resource at every working sample rate.

#include "catalogue/ImpulseResponseDecoder.h"
#include "catalogue/ResourceLookup.h"
#include "catalogue/Vocabulary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

namespace
{
using namespace morvane3;

// Expected vocabulary, written out independently of the implementation.
struct Expected
{
    int code;
    const char* name;
    const char* group;
};
const Expected expectedCabinets[] = {
    {10, "1960", "4x12 Cabinets"},       {20, "Angora", "4x12 Cabinets"},     {30, "Eagle", "4x12 Cabinets"},
    {40, "Excel", "4x12 Cabinets"},      {50, "Green", "4x12 Cabinets"},      {60, "Igor", "4x12 Cabinets"},
    {70, "Ogre", "4x12 Cabinets"},       {80, "Oversize", "4x12 Cabinets"},   {90, "Sterling", "4x12 Cabinets"},
    {100, "Tangerine", "4x12 Cabinets"}, {110, "Damien", "2x12 Cabinets"},    {120, "Genzie", "2x12 Cabinets"},
    {130, "Blackface", "Vintage Combos"}, {140, "Chordal", "Vintage Combos"}, {150, "Dazed", "Vintage Combos"},
    {160, "Top Boost", "Vintage Combos"}, {170, "Tweed", "Vintage Combos"},   {180, "Zodiac", "Vintage Combos"},
    {190, "Manatee", "Bass Cabinets"},   {200, "Motown", "Bass Cabinets"},
};
const Expected expectedMicrophones[] = {
    {10, "121", "Dynamic Microphones"}, {20, "409", "Dynamic Microphones"},         {30, "421", "Dynamic Microphones"},
    {40, "545", "Dynamic Microphones"}, {50, "57", "Dynamic Microphones"},          {60, "i5", "Dynamic Microphones"},
    {70, "Reference", "Condenser Microphones"}, {80, "U87", "Condenser Microphones"},
};

TEST(Vocabulary, EveryCodeHasItsNameAndGroupAndEveryNameItsCode)
{
    ASSERT_EQ(cabinets().size(), 20u);
    ASSERT_EQ(microphones().size(), 8u);
    for (size_t i = 0; i < 20; ++i)
    {
        const Expected& e = expectedCabinets[i];
        EXPECT_EQ(cabinets()[i].code, e.code);
        EXPECT_EQ(cabinetName(e.code), juce::String(e.name));
        EXPECT_EQ(cabinetCode(e.name), e.code);
        EXPECT_EQ(cabinetDisplayGroup(e.code), juce::String(e.group));
    }
    for (size_t i = 0; i < 8; ++i)
    {
        const Expected& e = expectedMicrophones[i];
        EXPECT_EQ(microphones()[i].code, e.code);
        EXPECT_EQ(microphoneName(e.code), juce::String(e.name));
        EXPECT_EQ(microphoneCode(e.name), e.code);
        EXPECT_EQ(microphoneDisplayGroup(e.code), juce::String(e.group));
    }
    EXPECT_EQ(positionName(10), "On Axis");
    EXPECT_EQ(positionName(20), "Off Axis");
    EXPECT_EQ(distanceName(10), "Close");
    EXPECT_EQ(distanceName(20), "Mid");
    EXPECT_EQ(distanceName(30), "Far");
    EXPECT_EQ(positionCode("Off Axis"), 20);
    EXPECT_EQ(distanceCode("Far"), 30);
}

TEST(Vocabulary, CodesWithoutANameGiveEmptyResults)
{
    for (int code : {0, 5, 11, 210, 1000, -10})
    {
        EXPECT_EQ(cabinetName(code), "") << code;
        EXPECT_EQ(cabinetDisplayGroup(code), "") << code;
        EXPECT_EQ(cabinetOverlaySet(code), "") << code;
    }
    EXPECT_EQ(microphoneName(90), "");
    EXPECT_EQ(microphoneDisplayGroup(0), "");
    EXPECT_EQ(positionName(30), "");
    EXPECT_EQ(distanceName(40), "");
    EXPECT_EQ(cabinetCode("1961"), 0);
    EXPECT_EQ(microphoneCode("u87"), 0); // names are case-sensitive
    EXPECT_EQ(distanceCode(""), 0);
    EXPECT_EQ(makeIRNameFromCodes(10, 10, 10, 40), "");
}

TEST(Vocabulary, CabinetsShareOverlaySetsAsTheirLayoutsDo)
{
    for (int code = 10; code <= 100; code += 10)
        EXPECT_EQ(cabinetOverlaySet(code), "A") << code;
    for (int code : {110, 120, 140, 160, 180})
        EXPECT_EQ(cabinetOverlaySet(code), "B") << code;
    for (int code : {130, 150, 170, 190, 200})
        EXPECT_EQ(cabinetOverlaySet(code), cabinetName(code)) << code;
}

TEST(ImpulseResponseNames, JoinTheFourNamesWithSingleSpaces)
{
    EXPECT_EQ(makeIRName("1960", "121", "On Axis", "Close"), "1960 121 On Axis Close");
    EXPECT_EQ(makeIRName("Top Boost", "Reference", "Off Axis", "Far"), "Top Boost Reference Off Axis Far");
    EXPECT_EQ(makeIRNameFromCodes(200, 80, 20, 30), "Motown U87 Off Axis Far");
}

TEST(ResourceLookup, FindsEveryImpulseResponseNameAndNothingElse)
{
    const auto close = findImpulseResponse("1960 121 On Axis Close");
    EXPECT_NE(close.first, nullptr);
    EXPECT_EQ(close.second, 59588);
    EXPECT_NE(findImpulseResponse("Motown U87 Off Axis Far").first, nullptr);
    for (const char* bad : {"Motown U87 Off Axis", "", "1960 121 On Axis Close ", "1960  121 On Axis Close"})
    {
        const auto r = findImpulseResponse(bad);
        EXPECT_EQ(r.first, nullptr) << bad;
        EXPECT_EQ(r.second, 0) << bad;
    }
    EXPECT_EQ(findPicture("").first, nullptr);
    EXPECT_EQ(findPicture("Motown U87 Off Axis").second, 0);
    EXPECT_NE(findPicture("1960 121 On Axis Close").first, nullptr);
    EXPECT_NE(findPicture("Motown U87 Off Axis Far").first, nullptr);
    EXPECT_NE(findPicture("Top Boost").first, nullptr) << "cabinet photographs are keyed by cabinet name";
    // Cabinets of one overlay set share their placement pictures; a cabinet of its own does not.
    ASSERT_NE(findPicture("Chordal 57 On Axis Mid").first, nullptr);
    EXPECT_EQ(findPicture("Chordal 57 On Axis Mid").first, findPicture("Damien 57 On Axis Mid").first);
    EXPECT_NE(findPicture("Dazed 57 On Axis Mid").first, findPicture("Damien 57 On Axis Mid").first);

    std::set<const void*> files;
    for (const auto& c : cabinets())
        for (const auto& m : microphones())
            for (const auto& p : positions())
                for (const auto& d : distances())
                {
                    const auto name = makeIRName(c.name, m.name, p.name, d.name);
                    const auto r = findImpulseResponse(name);
                    EXPECT_EQ(r.second, 59588) << name;
                    files.insert(r.first);
                }
    EXPECT_EQ(files.size(), 960u) << "each name has a file of its own";
}

// A mono 24-bit 44100 Hz WAV holding `samples` (raw 24-bit values).
std::vector<unsigned char> makeWav(const std::vector<std::int32_t>& samples)
{
    std::vector<unsigned char> w;
    auto tag = [&w](const char* t) { w.insert(w.end(), t, t + 4); };
    auto u32 = [&w](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            w.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    auto u16 = [&w](unsigned v) {
        w.push_back(static_cast<unsigned char>(v));
        w.push_back(static_cast<unsigned char>(v >> 8));
    };
    const auto dataBytes = static_cast<std::uint32_t>(3 * samples.size());
    tag("RIFF");
    u32(36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(44100);
    u32(132300);
    u16(3);
    u16(24);
    tag("data");
    u32(dataBytes);
    for (std::int32_t s : samples)
        for (int i = 0; i < 3; ++i)
            w.push_back(static_cast<unsigned char>(static_cast<std::uint32_t>(s) >> (8 * i)));
    return w;
}

TEST(ImpulseResponseDecoder, DecodesEveryWorkingRateToItsLength)
{
    ImpulseResponseDecoder decoder;
    const auto wav = findImpulseResponse("Top Boost Reference Off Axis Far");
    ASSERT_NE(wav.first, nullptr);
    const std::pair<double, int> expected[] = {{44100, 19404}, {48000, 21120}, {88200, 38808},
                                               {96000, 42240}, {192000, 84480}, {176400, 77616}, {22050, 9702},
                                               {32000, 14080}, {8000, 3520}, {768000, 337920},
                                               // beyond the rates worked at: left at 44100 Hz
                                               {7999, 19404}, {1.0e6, 19404}, {0.0, 19404}};
    for (const auto& [rate, length] : expected)
    {
        const tovdsp::Buffer b = decoder.decode(wav.first, wav.second, rate);
        EXPECT_EQ(b.channelCount, 1) << rate;
        EXPECT_EQ(b.length, length) << rate;
        EXPECT_EQ(decoder.current().length, length) << rate;
    }
}

TEST(ImpulseResponseDecoder, ReproducesTheFileSamplesScaledToFullScale)
{
    // Independent reading of the 24-bit samples from the embedded bytes.
    const auto wav = findImpulseResponse("1960 57 On Axis Close");
    ASSERT_NE(wav.first, nullptr);
    const auto* bytes = static_cast<const unsigned char*>(wav.first);
    ImpulseResponseDecoder decoder;
    const tovdsp::Buffer b = decoder.decode(wav.first, wav.second, 44100);
    ASSERT_EQ(b.length, 19404);
    double largest = 0;
    for (int n = 0; n < 19404; ++n)
    {
        const unsigned char* s = bytes + 44 + 3 * n;
        std::int32_t v = s[0] | (s[1] << 8) | (s[2] << 16);
        if (v & 0x800000)
            v -= 0x1000000;
        ASSERT_FLOAT_EQ(b.channelSamples(0)[n], static_cast<float>(v / 8388608.0)) << n;
        largest = std::max(largest, std::fabs(v / 8388608.0));
    }
    EXPECT_GT(largest, 0.05) << "the response is not silence";

    // At 48000 Hz the samples are interpolated, not rescaled: the peak stays within a few per cent.
    const tovdsp::Buffer up = decoder.decode(wav.first, wav.second, 48000);
    double upLargest = 0;
    for (int n = 0; n < up.length; ++n)
        upLargest = std::max(upLargest, static_cast<double>(std::fabs(up.channelSamples(0)[n])));
    EXPECT_NEAR(upLargest, largest, 0.1 * largest);
}

TEST(ImpulseResponseDecoder, MapsTwentyFourBitExtremesToFullScale)
{
    const auto wav = makeWav({0x7FFFFF, static_cast<std::int32_t>(0x800000), 0, 0x400000, 1});
    ImpulseResponseDecoder decoder;
    const tovdsp::Buffer b = decoder.decode(wav.data(), static_cast<int>(wav.size()), 44100);
    ASSERT_EQ(b.length, 5);
    const float* s = b.channelSamples(0);
    EXPECT_LT(s[0], 1.0f);
    EXPECT_NEAR(s[0], 1.0, 2.0 / 8388608.0);
    EXPECT_EQ(s[1], -1.0f);
    EXPECT_EQ(s[2], 0.0f);
    EXPECT_EQ(s[3], 0.5f);
    EXPECT_FLOAT_EQ(s[4], static_cast<float>(1.0 / 8388608.0));
}

TEST(ImpulseResponseDecoder, ReturnsAnEmptyBufferForMissingOrUnreadableBytes)
{
    ImpulseResponseDecoder decoder;
    const auto good = findImpulseResponse("1960 121 On Axis Close");
    ASSERT_EQ(decoder.decode(good.first, good.second, 44100).length, 19404);

    EXPECT_EQ(decoder.decode(nullptr, 0, 44100).length, 0);
    EXPECT_EQ(decoder.current().length, 0) << "a failed decode does not keep the previous response";
    EXPECT_EQ(decoder.decode(good.first, 0, 48000).length, 0);
    EXPECT_EQ(decoder.decode(good.first, -5, 48000).length, 0);

    std::vector<unsigned char> garbage(4096);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<unsigned char>((i * 2654435761u) >> 13);
    EXPECT_EQ(decoder.decode(garbage.data(), static_cast<int>(garbage.size()), 44100).length, 0);

    // A WAV cut off inside its header, and one whose header is complete but whose data is missing.
    const auto wav = makeWav({1, 2, 3});
    EXPECT_EQ(decoder.decode(wav.data(), 20, 44100).length, 0);
    EXPECT_EQ(decoder.decode(wav.data(), 44, 96000).length, 0);
    EXPECT_EQ(decoder.decode(good.first, 30, 44100).channelCount, 0);
}
} // namespace

namespace
{
// Power of a response at `frequency` Hz, as a spectral density (divided by
// the rate), so responses sampled at different rates compare directly.
double densityAt(const tovdsp::Buffer& response, double rate, double frequency)
{
    const double w = 2.0 * std::acos(-1.0) * frequency / rate;
    const double c = std::cos(w), sn = std::sin(w);
    double re = 0.0, im = 0.0, pr = 1.0, pi = 0.0; // running e^{-jwn}
    const float* x = response.channelSamples(0);
    for (int n = 0; n < response.length; ++n)
    {
        re += (double) x[n] * pr;
        im += (double) x[n] * pi;
        const double next = pr * c + pi * sn;
        pi = pi * c - pr * sn;
        pr = next;
    }
    return (re * re + im * im) / (rate * rate);
}

// Level in dB of the band a third of an octave wide around `centre`.
double thirdOctaveDb(const tovdsp::Buffer& response, double rate, double centre)
{
    constexpr int points = 48;
    const double low = centre * std::pow(2.0, -1.0 / 6.0), high = centre * std::pow(2.0, 1.0 / 6.0);
    double sum = 0.0;
    for (int i = 0; i < points; ++i)
        sum += densityAt(response, rate, low + (high - low) * (i + 0.5) / points);
    return 10.0 * std::log10(sum / points);
}
} // namespace

TEST(ImpulseResponseDecoder, ResponsesAtOtherRatesKeepTheCatalogueMagnitude)
{
    for (const char* name : {"1960 121 On Axis Close", "Motown U87 Off Axis Far"})
    {
        const auto wav = findImpulseResponse(name);
        ASSERT_NE(wav.first, nullptr);
        ImpulseResponseDecoder decoder;
        const tovdsp::Buffer original = decoder.decode(wav.first, wav.second, 44100.0);
        for (const double rate : {176400.0, 32000.0, 22050.0})
        {
            ImpulseResponseDecoder other;
            const tovdsp::Buffer converted = other.decode(wav.first, wav.second, rate);
            ASSERT_EQ(converted.length, (int) (rate / 44100.0 * 19404.0)) << rate;
            // Linear interpolation (upwards) weighs the band with its own
            // triangle kernel, sinc^2 at the catalogue rate; the band-limited
            // conversion (downwards) is flat.
            const double top = 0.4 * std::min(rate, 44100.0);
            for (double centre = 31.25; centre <= top; centre *= std::pow(2.0, 1.0 / 3.0))
            {
                double expected = thirdOctaveDb(original, 44100.0, centre);
                if (rate > 44100.0)
                {
                    const double x = std::acos(-1.0) * centre / 44100.0;
                    expected += 20.0 * std::log10(std::pow(std::sin(x) / x, 2.0));
                }
                EXPECT_NEAR(thirdOctaveDb(converted, rate, centre), expected, 1.0) << name << " at " << rate << " Hz, " << centre << " Hz";
            }
        }
    }
}

TEST(ImpulseResponseDecoder, LoweringTheRateFoldsNothingBack)
{
    // 15 kHz at 44100 Hz lies above the Nyquist frequency of 22050 Hz; taken
    // without a band limit it would reappear at 7050 Hz at nearly full level.
    std::vector<float> tone(19404);
    for (size_t n = 0; n < tone.size(); ++n)
        tone[n] = (float) std::sin(2.0 * std::acos(-1.0) * 15000.0 * (double) n / 44100.0);
    const auto lowered = ImpulseResponseDecoder::atRate(tovdsp::bufferFromSamples((int) tone.size(), tone.data()), 22050.0);
    ASSERT_EQ(lowered.length, 9702);
    double power = 0.0;
    for (int n = 1000; n < lowered.length - 1000; ++n) // away from the edges' transients
        power += (double) lowered.channelSamples(0)[n] * (double) lowered.channelSamples(0)[n];
    EXPECT_LT(10.0 * std::log10(power / (lowered.length - 2000) / 0.5), -60.0);

    // A tone inside the new band keeps its level.
    for (size_t n = 0; n < tone.size(); ++n)
        tone[n] = (float) std::sin(2.0 * std::acos(-1.0) * 5000.0 * (double) n / 44100.0);
    const auto kept = ImpulseResponseDecoder::atRate(tovdsp::bufferFromSamples((int) tone.size(), tone.data()), 22050.0);
    power = 0.0;
    for (int n = 1000; n < kept.length - 1000; ++n)
        power += (double) kept.channelSamples(0)[n] * (double) kept.channelSamples(0)[n];
    EXPECT_NEAR(10.0 * std::log10(power / (kept.length - 2000) / 0.5), 0.0, 0.1);
}
