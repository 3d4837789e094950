#include "catalogue/ResourceLookup.h"

#include "resources/ResourceTable.h"

namespace morvane3
{
namespace
{
std::pair<const void*, int> lookUp(const ResourceTable& table, const juce::String& name)
{
    const auto found = findResource(table, name.toRawUTF8());
    return {found.first, found.second};
}
} // namespace

std::pair<const void*, int> findImpulseResponse(const juce::String& name)
{
    return lookUp(impulseResponseTable, name);
}

std::pair<const void*, int> findPicture(const juce::String& name)
{
    return lookUp(pictureTable, name);
}
} // namespace morvane3
