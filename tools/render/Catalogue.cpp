#include "tools/render/Catalogue.h"

namespace morvane3::render
{

const std::vector<SelectorEntry>& cabinets()
{
    static const std::vector<SelectorEntry> table {
        {10, "1960"}, {20, "Angora"}, {30, "Eagle"}, {40, "Excel"}, {50, "Green"},
        {60, "Igor"}, {70, "Ogre"}, {80, "Oversize"}, {90, "Sterling"}, {100, "Tangerine"},
        {110, "Damien"}, {120, "Genzie"}, {130, "Blackface"}, {140, "Chordal"}, {150, "Dazed"},
        {160, "Top Boost"}, {170, "Tweed"}, {180, "Zodiac"}, {190, "Manatee"}, {200, "Motown"}};
    return table;
}

const std::vector<SelectorEntry>& microphones()
{
    static const std::vector<SelectorEntry> table {
        {10, "121"}, {20, "409"}, {30, "421"}, {40, "545"}, {50, "57"}, {60, "i5"}, {70, "Reference"}, {80, "U87"}};
    return table;
}

const std::vector<SelectorEntry>& positions()
{
    static const std::vector<SelectorEntry> table {{10, "On Axis"}, {20, "Off Axis"}};
    return table;
}

const std::vector<SelectorEntry>& distances()
{
    static const std::vector<SelectorEntry> table {{10, "Close"}, {20, "Mid"}, {30, "Far"}};
    return table;
}

namespace
{
const char* nameOf(const std::vector<SelectorEntry>& table, int code)
{
    for (const auto& entry : table)
        if (entry.code == code)
            return entry.name;
    return nullptr;
}
} // namespace

std::vector<std::string> allIrNames()
{
    std::vector<std::string> names;
    names.reserve(960);
    for (const auto& c : cabinets())
        for (const auto& m : microphones())
            for (const auto& p : positions())
                for (const auto& d : distances())
                    names.push_back(std::string(c.name) + ' ' + m.name + ' ' + p.name + ' ' + d.name);
    return names;
}

std::optional<IrSelection> findIrSelection(const std::string& irName)
{
    // Cabinet and position names contain spaces, so match whole names rather than
    // splitting the text at spaces.
    for (const auto& c : cabinets())
        for (const auto& m : microphones())
            for (const auto& p : positions())
                for (const auto& d : distances())
                    if (irName == std::string(c.name) + ' ' + m.name + ' ' + p.name + ' ' + d.name)
                        return IrSelection {c.code, m.code, p.code, d.code};
    return std::nullopt;
}

std::string irNameOf(const IrSelection& selection)
{
    const char* c = nameOf(cabinets(), selection.cabinet);
    const char* m = nameOf(microphones(), selection.microphone);
    const char* p = nameOf(positions(), selection.position);
    const char* d = nameOf(distances(), selection.distance);
    if (c == nullptr || m == nullptr || p == nullptr || d == nullptr)
        return {};
    return std::string(c) + ' ' + m + ' ' + p + ' ' + d;
}

float codeToNormalised(int code) { return static_cast<float>(code / 1000.0); }

int normalisedToCode(float value)
{
    const float scaled = static_cast<float>(static_cast<double>(value) * 1000.0);
    return static_cast<int>(scaled);
}

} // namespace morvane3::render
