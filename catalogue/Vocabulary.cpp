#include "catalogue/Vocabulary.h"

namespace morvane3
{
namespace
{
const char* const fourByTwelve = "4x12 Cabinets";
const char* const twoByTwelve = "2x12 Cabinets";
const char* const combos = "Vintage Combos";
const char* const bass = "Bass Cabinets";
const char* const dynamics = "Dynamic Microphones";
const char* const condensers = "Condenser Microphones";

const VocabularyEntry* find(const std::vector<VocabularyEntry>& list, int code)
{
    for (const auto& e : list)
        if (e.code == code)
            return &e;
    return nullptr;
}

int codeOf(const std::vector<VocabularyEntry>& list, const juce::String& name)
{
    for (const auto& e : list)
        if (name == e.name)
            return e.code;
    return 0;
}

juce::String nameOf(const std::vector<VocabularyEntry>& list, int code)
{
    const auto* e = find(list, code);
    return e != nullptr ? juce::String(e->name) : juce::String();
}
} // namespace

const std::vector<VocabularyEntry>& cabinets()
{
    static const std::vector<VocabularyEntry> list = {
        {10, "1960", fourByTwelve, "A"},     {20, "Angora", fourByTwelve, "A"},     {30, "Eagle", fourByTwelve, "A"},
        {40, "Excel", fourByTwelve, "A"},    {50, "Green", fourByTwelve, "A"},      {60, "Igor", fourByTwelve, "A"},
        {70, "Ogre", fourByTwelve, "A"},     {80, "Oversize", fourByTwelve, "A"},   {90, "Sterling", fourByTwelve, "A"},
        {100, "Tangerine", fourByTwelve, "A"}, {110, "Damien", twoByTwelve, "B"},   {120, "Genzie", twoByTwelve, "B"},
        {130, "Blackface", combos, ""},      {140, "Chordal", combos, "B"},         {150, "Dazed", combos, ""},
        {160, "Top Boost", combos, "B"},     {170, "Tweed", combos, ""},            {180, "Zodiac", combos, "B"},
        {190, "Manatee", bass, ""},          {200, "Motown", bass, ""},
    };
    return list;
}

const std::vector<VocabularyEntry>& microphones()
{
    static const std::vector<VocabularyEntry> list = {
        {10, "121", dynamics, ""}, {20, "409", dynamics, ""}, {30, "421", dynamics, ""},         {40, "545", dynamics, ""},
        {50, "57", dynamics, ""},  {60, "i5", dynamics, ""},  {70, "Reference", condensers, ""}, {80, "U87", condensers, ""},
    };
    return list;
}

const std::vector<VocabularyEntry>& positions()
{
    static const std::vector<VocabularyEntry> list = {{10, "On Axis", "", ""}, {20, "Off Axis", "", ""}};
    return list;
}

const std::vector<VocabularyEntry>& distances()
{
    static const std::vector<VocabularyEntry> list = {{10, "Close", "", ""}, {20, "Mid", "", ""}, {30, "Far", "", ""}};
    return list;
}

juce::String cabinetName(int code) { return nameOf(cabinets(), code); }
juce::String microphoneName(int code) { return nameOf(microphones(), code); }
juce::String positionName(int code) { return nameOf(positions(), code); }
juce::String distanceName(int code) { return nameOf(distances(), code); }

int cabinetCode(const juce::String& name) { return codeOf(cabinets(), name); }
int microphoneCode(const juce::String& name) { return codeOf(microphones(), name); }
int positionCode(const juce::String& name) { return codeOf(positions(), name); }
int distanceCode(const juce::String& name) { return codeOf(distances(), name); }

juce::String cabinetDisplayGroup(int code)
{
    const auto* e = find(cabinets(), code);
    return e != nullptr ? juce::String(e->displayGroup) : juce::String();
}

juce::String microphoneDisplayGroup(int code)
{
    const auto* e = find(microphones(), code);
    return e != nullptr ? juce::String(e->displayGroup) : juce::String();
}

juce::String cabinetOverlaySet(int code)
{
    const auto* e = find(cabinets(), code);
    if (e == nullptr)
        return {};
    return *e->overlaySet != 0 ? juce::String(e->overlaySet) : juce::String(e->name);
}

juce::String makeIRName(const juce::String& cabinet, const juce::String& microphone, const juce::String& position,
                        const juce::String& distance)
{
    return cabinet + " " + microphone + " " + position + " " + distance;
}

juce::String makeIRNameFromCodes(int cabinetCode_, int microphoneCode_, int positionCode_, int distanceCode_)
{
    const juce::String c = cabinetName(cabinetCode_), m = microphoneName(microphoneCode_);
    const juce::String p = positionName(positionCode_), d = distanceName(distanceCode_);
    if (c.isEmpty() || m.isEmpty() || p.isEmpty() || d.isEmpty())
        return {};
    return makeIRName(c, m, p, d);
}
} // namespace morvane3
