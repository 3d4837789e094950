#include "editor/WindowScale.h"

#include <dlfcn.h>

#include <cmath>
#include <cstdlib>

namespace morvane3
{
namespace
{
const char* const settingsTag = "MORVANE3WINDOW";
const char* const scaleAttribute = "scale";

// The resource database of the default display. libX11 is opened at run time,
// as the framework does, so the plug-in does not link it and a machine
// without X answers "no resources".
juce::String xResources()
{
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (x11 == nullptr)
        return {};
    using OpenDisplay = void* (*)(const char*);
    using ResourceString = char* (*)(void*);
    using CloseDisplay = int (*)(void*);
    auto open = reinterpret_cast<OpenDisplay>(dlsym(x11, "XOpenDisplay"));
    auto resources = reinterpret_cast<ResourceString>(dlsym(x11, "XResourceManagerString"));
    auto close = reinterpret_cast<CloseDisplay>(dlsym(x11, "XCloseDisplay"));
    juce::String text;
    if (open != nullptr && resources != nullptr && close != nullptr)
        if (void* display = open(nullptr))
        {
            if (const char* database = resources(display))
                text = juce::String::fromUTF8(database);
            close(display);
        }
    dlclose(x11);
    return text;
}
} // namespace

int toWindowPixels(double layoutValue, double scale)
{
    return (int)std::floor(layoutValue * scale + 0.5);
}

float clampWindowScale(double scale)
{
    if (!std::isfinite(scale))
        return 1.0f;
    return juce::jlimit(minimumWindowScale, maximumWindowScale, (float)scale);
}

juce::File windowSettingsFile()
{
    return juce::File::getSpecialLocation(juce::File::userApplicationDataDirectory)
        .getChildFile("Morvane3")
        .getChildFile("window.xml");
}

std::optional<float> readRememberedScale(const juce::File& file)
{
    if (!file.exists())
        return std::nullopt;
    const auto document = juce::XmlDocument::parse(file);
    if (document == nullptr || !document->hasTagName(settingsTag) || !document->hasAttribute(scaleAttribute))
        return 1.0f;
    const auto text = document->getStringAttribute(scaleAttribute).trim();
    if (text.isEmpty() || !text.containsOnly("0123456789.eE+-"))
        return 1.0f;
    const double value = text.getDoubleValue();
    if (!std::isfinite(value) || value < minimumWindowScale - 0.001 || value > maximumWindowScale + 0.001)
        return 1.0f;
    return clampWindowScale(value);
}

void writeRememberedScale(const juce::File& file, float scale)
{
    juce::XmlElement settings(settingsTag);
    settings.setAttribute(scaleAttribute, juce::String(clampWindowScale(scale), 4));
    if (file.getParentDirectory().createDirectory().wasOk())
        settings.writeTo(file);
}

double xftDpiFromResources(const juce::String& resources)
{
    for (const auto& line : juce::StringArray::fromLines(resources))
    {
        const auto trimmed = line.trim();
        if (!trimmed.startsWith("Xft.dpi"))
            continue;
        const auto value = trimmed.fromFirstOccurrenceOf(":", false, false).trim();
        if (value.isNotEmpty() && value.containsOnly("0123456789."))
            return value.getDoubleValue();
    }
    return 0.0;
}

float desktopScale()
{
    if (const char* gdkScale = std::getenv("GDK_SCALE"))
    {
        const int factor = juce::String(gdkScale).trim().getIntValue();
        if (factor >= 1)
            return clampWindowScale(factor);
    }
    const double dpi = xftDpiFromResources(xResources());
    return dpi > 0.0 ? clampWindowScale(dpi / 96.0) : 1.0f;
}
} // namespace morvane3
