// The picture table and the editor picture table: keys, PNG formats and
// sizes, and the sharing of placement pictures between cabinets.

#include "PictureDecoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

using morvane3::editorPictureTable;
using morvane3::findResource;
using morvane3::pictureTable;
using picturetest::readHeader;

namespace
{
const std::vector<std::string> cabinets {"1960", "Angora", "Eagle", "Excel", "Green", "Igor", "Ogre",
                                         "Oversize", "Sterling", "Tangerine", "Damien", "Genzie", "Blackface",
                                         "Chordal", "Dazed", "Top Boost", "Tweed", "Zodiac", "Manatee", "Motown"};
const std::vector<std::string> microphones {"121", "409", "421", "545", "57", "i5", "Reference", "U87"};
const std::vector<std::string> positions {"On Axis", "Off Axis"};
const std::vector<std::string> distances {"Close", "Mid", "Far"};

// Which cabinets share placement pictures.
std::string overlaySet(const std::string& cabinet)
{
    static const std::set<std::string> a {"1960", "Angora", "Eagle", "Excel", "Green", "Igor", "Ogre", "Oversize", "Sterling", "Tangerine"};
    static const std::set<std::string> b {"Damien", "Genzie", "Chordal", "Top Boost", "Zodiac"};
    return a.count(cabinet) ? "A" : b.count(cabinet) ? "B" : cabinet;
}

void forEachIrName(const std::function<void(const std::string&, const std::string&)>& f)
{
    for (const auto& c : cabinets)
        for (const auto& m : microphones)
            for (const auto& p : positions)
                for (const auto& d : distances)
                    f(c, c + " " + m + " " + p + " " + d);
}

std::string contentOf(const std::string& key)
{
    const auto [data, size] = findResource(pictureTable, key.c_str());
    return data ? std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(size)) : std::string();
}
} // namespace

TEST(PictureTable, HoldsExactlyTheCabinetAndImpulseResponseNamesInSortedOrder)
{
    ASSERT_EQ(pictureTable.count, 980);
    for (int i = 1; i < pictureTable.count; ++i)
        EXPECT_LT(std::strcmp(pictureTable.entries[i - 1].name, pictureTable.entries[i].name), 0) << pictureTable.entries[i].name;
    for (const auto& c : cabinets)
        EXPECT_NE(findResource(pictureTable, c.c_str()).first, nullptr) << c;
    forEachIrName([](const std::string&, const std::string& name) {
        EXPECT_NE(findResource(pictureTable, name.c_str()).first, nullptr) << name;
    });
    EXPECT_EQ(findResource(pictureTable, "1960 121 On Axis").first, nullptr);
    EXPECT_EQ(findResource(pictureTable, "editorBackground").first, nullptr);
}

TEST(PictureTable, PhotographsAreRgbAndPlacementsRgbaAt388By252)
{
    for (const auto& c : cabinets)
    {
        const auto [data, size] = findResource(pictureTable, c.c_str());
        const auto h = readHeader(data, size);
        ASSERT_TRUE(h.valid) << c;
        EXPECT_EQ(h.width, 388u) << c;
        EXPECT_EQ(h.height, 252u) << c;
        EXPECT_EQ(h.bitDepth, 8) << c;
        EXPECT_EQ(h.colourType, 2) << c;
    }
    forEachIrName([](const std::string&, const std::string& name) {
        const auto [data, size] = findResource(pictureTable, name.c_str());
        const auto h = readHeader(data, size);
        ASSERT_TRUE(h.valid) << name;
        EXPECT_EQ(h.width, 388u) << name;
        EXPECT_EQ(h.height, 252u) << name;
        EXPECT_EQ(h.bitDepth, 8) << name;
        EXPECT_EQ(h.colourType, 6) << name;
    });
}

TEST(PictureTable, CabinetsOfOneOverlaySetShareTheirPlacementPictures)
{
    EXPECT_EQ(findResource(pictureTable, "Chordal 57 On Axis Mid").first, findResource(pictureTable, "Damien 57 On Axis Mid").first);
    EXPECT_NE(findResource(pictureTable, "Dazed 57 On Axis Mid").first, findResource(pictureTable, "Damien 57 On Axis Mid").first);

    // Same data for every cabinet of a set, different data across sets.
    std::map<std::string, const unsigned char*> firstOfSet;
    forEachIrName([&](const std::string& cabinet, const std::string& name) {
        const std::string suffix = name.substr(cabinet.size());
        const std::string key = overlaySet(cabinet) + suffix;
        const auto* data = findResource(pictureTable, name.c_str()).first;
        const auto [it, inserted] = firstOfSet.emplace(key, data);
        if (!inserted)
        {
            EXPECT_EQ(it->second, data) << name;
        }
    });
    EXPECT_EQ(firstOfSet.size(), 336u);
}

TEST(PictureTable, PlacementsAndPhotographsAreAllDistinctPictures)
{
    std::set<const unsigned char*> placementData;
    std::set<std::string> placementContent;
    forEachIrName([&](const std::string&, const std::string& name) {
        placementData.insert(findResource(pictureTable, name.c_str()).first);
        placementContent.insert(contentOf(name));
    });
    EXPECT_EQ(placementData.size(), 336u);
    EXPECT_EQ(placementContent.size(), 336u);

    std::set<std::string> photographs;
    for (const auto& c : cabinets)
        photographs.insert(contentOf(c));
    EXPECT_EQ(photographs.size(), 20u);
}

TEST(EditorPictureTable, HoldsTheFourteenEditorPicturesAtTheirSizes)
{
    struct Expected
    {
        const char* key;
        uint32_t width, height;
    };
    const Expected expected[] = {
        {"editorBackground", 810, 600}, {"eqPanel", 390, 149},       {"muteButtonOff", 24, 15},
        {"muteButtonOn", 24, 15},       {"bypassLedLit", 11, 11},    {"bypassLedDark", 11, 11},
        {"knobHPF", 80, 9144},          {"knobLPF", 80, 9525},       {"knobLMF", 83, 9144},
        {"knobHMF", 63, 9144},          {"knobLMGain", 69, 8255},    {"knobHMGain", 72, 8255},
        {"knobChannelLevel", 78, 10668}, {"knobOutputLevel", 26, 3302},
    };
    ASSERT_EQ(editorPictureTable.count, 14);
    for (const auto& e : expected)
    {
        const auto [data, size] = findResource(editorPictureTable, e.key);
        const auto h = readHeader(data, size);
        ASSERT_TRUE(h.valid) << e.key;
        EXPECT_EQ(h.width, e.width) << e.key;
        EXPECT_EQ(h.height, e.height) << e.key;
        EXPECT_EQ(h.bitDepth, 8) << e.key;
        EXPECT_TRUE(h.colourType == 2 || h.colourType == 6) << e.key;
        if (std::strncmp(e.key, "knob", 4) == 0)
        {
            EXPECT_EQ(h.colourType, 6) << e.key << " must be transparent around the knob";
            EXPECT_EQ(h.height % 127, 0u) << e.key;
        }
    }
}
