// The host reads and edits the plug-in's settings document itself: state chunks,
// preset files and the catalogue names that stand for four selector values.
#include "tools/render/Catalogue.h"
#include "tools/render/Options.h"
#include "tools/render/Settings.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <set>

using namespace morvane3::render;

namespace
{
// The chunk text a freshly created plug-in hands its host.
const char* freshDocument =
    "<MORVANESETTINGS outputLevel=\"0.5\" c1Cabinet=\"0.00999999978\" c1Microphone=\"0.00999999978\" c1MicPos=\"0.00999999978\" "
    "c1MicDistance=\"0.00999999978\" c1HPF=\"0\" c1LMF=\"0.400000006\" c1LMLevel=\"0.5\" c1HMF=\"0.368421048\" c1HMLevel=\"0.5\" "
    "c1LPF=\"1\" c1Level=\"0.5\" c2Cabinet=\"0.00999999978\" c2Microphone=\"0.00999999978\" c2MicPos=\"0.00999999978\" "
    "c2MicDistance=\"0.00999999978\" c2HPF=\"0\" c2LMF=\"0.400000006\" c2LMLevel=\"0.5\" c2HMF=\"0.368421048\" c2HMLevel=\"0.5\" "
    "c2LPF=\"1\" c2Level=\"0.5\" c1Mute=\"0\" c2Mute=\"0\" sampleRate=\"44100\" c1HPFBypass=\"0\" c1LMFBypass=\"0\" "
    "c1HMFBypass=\"0\" c1LPFBypass=\"0\" c2HPFBypass=\"0\" c2LMFBypass=\"0\" c2HMFBypass=\"0\" c2LPFBypass=\"0\"/>";
} // namespace

TEST(SettingsDocument, ParsesAndRewritesTheChunkTextUnchangedAndEditsValuesInPlace)
{
    const auto element = parseFirstElement(freshDocument);
    ASSERT_TRUE(element);
    EXPECT_EQ(element->tag, "MORVANESETTINGS");
    ASSERT_EQ(element->attributes.size(), 34u);
    EXPECT_EQ(element->attributes[25].name, "sampleRate");
    EXPECT_EQ(element->attributes[25].value, "44100");
    EXPECT_EQ(toXmlText(*element), freshDocument);

    XmlElement edited = *element;
    edited.set("C1MUTE", "1");       // names compare without case, the original spelling stays
    edited.set("extraValue", "0.25"); // unknown names are appended
    EXPECT_EQ(edited.attributes.size(), 35u);
    EXPECT_EQ(edited.attributes[23].name, "c1Mute");
    EXPECT_EQ(edited.find("c1mute")->value, "1");
    EXPECT_EQ(edited.attributes.back().name, "extraValue");
}

TEST(SettingsDocument, WritesValuesTheWayThePlugInDoes)
{
    EXPECT_EQ(formatSettingValue(0.5f), "0.5");
    EXPECT_EQ(formatSettingValue(static_cast<double>(0.4f)), "0.400000006");
    EXPECT_EQ(formatSettingValue(static_cast<double>(0.01f)), "0.00999999978");
    EXPECT_EQ(formatSettingValue(44100.0), "44100");
    EXPECT_EQ(formatSettingValue(1.0f), "1");
    EXPECT_EQ(formatSettingValue(0.0f), "0");
    // Nine significant digits are enough for every float to survive the trip.
    for (float v : {0.1f, 0.368421048f, 1.0f / 3.0f, 7.0e-8f, 0.999999940f})
        EXPECT_EQ(std::strtof(formatSettingValue(static_cast<double>(v)).c_str(), nullptr), v);
}

TEST(SettingsDocument, StateChunksRoundTripAndForeignBlocksAreRecognised)
{
    const auto chunk = encodeStateChunk(freshDocument);
    const std::size_t n = std::strlen(freshDocument);
    ASSERT_EQ(chunk.size(), 8 + n + 1);
    EXPECT_EQ(std::string(chunk.begin(), chunk.begin() + 4), "VC2!");
    EXPECT_EQ(chunk[4] | (chunk[5] << 8) | (chunk[6] << 16) | (chunk[7] << 24), static_cast<int>(n));
    EXPECT_EQ(chunk.back(), 0);
    EXPECT_EQ(decodeStateChunk(chunk), std::string(freshDocument));

    auto withExtraByte = chunk;
    withExtraByte.push_back(0); // hosts may hand back one byte more
    EXPECT_EQ(decodeStateChunk(withExtraByte), std::string(freshDocument));

    auto wrongMagic = chunk;
    wrongMagic[0] = 'X';
    EXPECT_FALSE(decodeStateChunk(wrongMagic));
    auto zeroLength = chunk;
    zeroLength[4] = zeroLength[5] = zeroLength[6] = zeroLength[7] = 0;
    EXPECT_FALSE(decodeStateChunk(zeroLength));
    EXPECT_FALSE(decodeStateChunk({'V', 'C', '2', '!', 1, 0, 0, 0}));
    // A length beyond the block reads what is there.
    auto cut = chunk;
    cut.resize(8 + 10);
    EXPECT_EQ(decodeStateChunk(cut), std::string(freshDocument, 10));
}

TEST(SettingsDocument, ReadsPresetFilesInTheEditorsMultiLineLayout)
{
    const std::string preset = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<!-- saved by hand -->\n"
                               "<MORVANESETTINGS outputLevel=\"0.75\" c1Cabinet=\"0.200000003\"\n"
                               "                 c1Microphone = '0.0500000007' note=\"a &amp; b &lt;&#65;&#x42;&gt; &quot;q&quot;\"\n"
                               "                 c2Mute=\"1\"/>\n";
    const auto element = parseFirstElement(preset);
    ASSERT_TRUE(element);
    EXPECT_EQ(element->tag, "MORVANESETTINGS");
    ASSERT_EQ(element->attributes.size(), 5u);
    EXPECT_EQ(element->attributes[1].value, "0.200000003");
    EXPECT_EQ(element->attributes[2].name, "c1Microphone");
    EXPECT_EQ(element->attributes[2].value, "0.0500000007");
    EXPECT_EQ(element->attributes[3].value, "a & b <AB> \"q\"");
    // Escaping on the way out gives text that parses back to the same values.
    EXPECT_EQ(parseFirstElement(toXmlText(*element))->attributes[3].value, element->attributes[3].value);

    for (const char* broken : {"", "plain text", "<>", "<A b=\"1\"", "<A b=1/>", "<A b=\"1/>", "<!-- never closed", "<?xml"})
        EXPECT_FALSE(parseFirstElement(broken)) << broken;
    EXPECT_EQ(parseFirstElement("<Other x=\"1\">child</Other>")->tag, "Other");
}

TEST(Catalogue, HasNineHundredSixtyDistinctNamesThatMapBackToTheirCodes)
{
    const auto names = allIrNames();
    ASSERT_EQ(names.size(), 960u);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 960u);
    EXPECT_EQ(names.front(), "1960 121 On Axis Close");
    EXPECT_EQ(names.back(), "Motown U87 Off Axis Far");
    for (const auto& name : names)
    {
        const auto selection = findIrSelection(name);
        ASSERT_TRUE(selection) << name;
        EXPECT_EQ(irNameOf(*selection), name);
    }

    const auto motown = findIrSelection("Motown 57 On Axis Close");
    ASSERT_TRUE(motown);
    EXPECT_EQ(motown->cabinet, 200);
    EXPECT_EQ(motown->microphone, 50);
    EXPECT_EQ(motown->position, 10);
    EXPECT_EQ(motown->distance, 10);
    const auto topBoost = findIrSelection("Top Boost Reference Off Axis Far"); // spaces inside names
    ASSERT_TRUE(topBoost);
    EXPECT_EQ(topBoost->cabinet, 160);
    EXPECT_EQ(topBoost->microphone, 70);
    EXPECT_EQ(topBoost->position, 20);
    EXPECT_EQ(topBoost->distance, 30);

    for (const char* unknown : {"", "Motown 57 On Axis", "motown 57 on axis close", "Motown 57 On Axis Close ", "Motown 58 On Axis Close"})
        EXPECT_FALSE(findIrSelection(unknown)) << unknown;
    EXPECT_EQ(irNameOf({15, 10, 10, 10}), "");
    EXPECT_EQ(irNameOf({10, 10, 30, 10}), "");
}

TEST(CommandLine, ParsesJobsAndSettingsInOrderAndRejectsMistakes)
{
    const Options o = parseOptions({"--set", "c1HPF=0.25", "--c2", "Motown 57 On Axis Close", "in.wav", "--block=64", "out.wav",
                                    "--tail", "1.5", "--random-blocks", "7", "--set=outputLevel=1", "--quiet"});
    EXPECT_EQ(o.input, "in.wav");
    EXPECT_EQ(o.output, "out.wav");
    EXPECT_EQ(o.blockSize, 64);
    EXPECT_EQ(o.tailSeconds, 1.5);
    EXPECT_EQ(o.randomBlockSeed, 7u);
    EXPECT_TRUE(o.quiet);
    ASSERT_EQ(o.settings.size(), 3u);
    EXPECT_EQ(o.settings[0].text, "c1HPF=0.25");
    EXPECT_EQ(o.settings[1].kind, SettingArgument::Kind::channel2);
    EXPECT_EQ(o.settings[2].text, "outputLevel=1");

    const Options demo = parseOptions({"--demo", "out/demo.wav", "--plot", "out/demo.png"});
    EXPECT_TRUE(demo.demo);
    EXPECT_EQ(demo.output, "out/demo.wav");
    EXPECT_EQ(demo.plotPath, "out/demo.png");
    EXPECT_TRUE(parseOptions({"--list"}).list);

    const std::vector<std::vector<std::string>> wrong = {
        {},                                   // nothing to do
        {"in.wav"},                           // no output
        {"a.wav", "b.wav", "c.wav"},          // too many files
        {"--demo", "out.wav", "in.wav"},      // demo takes no input
        {"--block", "0", "a.wav", "b.wav"},   // block below 1
        {"--block", "12x", "a.wav", "b.wav"}, // not a number
        {"--tail", "-1", "a.wav", "b.wav"},   // negative tail
        {"--set", "novalue", "a.wav", "b.wav"},
        {"--frobnicate", "a.wav", "b.wav"},
        {"a.wav", "b.wav", "--c1"},           // missing value
        {"--list=yes"},
    };
    for (const auto& args : wrong)
        EXPECT_THROW(parseOptions(args), UsageError) << (args.empty() ? "(none)" : args.front());
}
