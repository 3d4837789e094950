#include "editor/ScaledPictures.h"

#include "editor/CatalogueAccess.h"
#include "resources/pictures/Cabinets.h"
#include "resources/pictures/Catalogue.h"
#include "resources/pictures/EditorArt.h"
#include "resources/pictures/Filmstrips.h"
#include "resources/pictures/Microphones.h"

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <list>
#include <map>

namespace morvane3::scaled
{
namespace
{
// Cairo's ARGB32 and the framework's ARGB are both premultiplied 32-bit
// pixels in native byte order, so rows copy as they are; RGB24 leaves the
// alpha byte undefined and becomes opaque.
juce::Image toImage(cairo_surface_t* surface)
{
    cairo_surface_flush(surface);
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    const bool opaque = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24;
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);

    juce::Image image(juce::Image::ARGB, w, h, false);
    juce::Image::BitmapData pixels(image, juce::Image::BitmapData::writeOnly);
    for (int y = 0; y < h; ++y)
    {
        auto* target = pixels.getLinePointer(y);
        std::memcpy(target, data + (size_t)y * (size_t)stride, (size_t)w * 4);
        if (opaque)
            for (int x = 0; x < w; ++x)
                target[x * 4 + 3] = 0xff;
    }
    return image;
}

// Pictures by key, the most recently used first, within a byte budget: a
// window at 200 % shows about 12 MB of pictures, and turning the knobs
// through all their frames must not pile up the rest.
class PictureCache
{
  public:
    juce::Image get(const juce::String& key, const std::function<cairo_surface_t*()>& draw)
    {
        if (auto found = index.find(key); found != index.end())
        {
            entries.splice(entries.begin(), entries, found->second);
            return found->second->image;
        }
        juce::Image image;
        try
        {
            cairo_surface_t* surface = draw();
            image = toImage(surface);
            cairo_surface_destroy(surface);
        }
        catch (const std::exception&)
        {
            return {};
        }
        entries.push_front({key, image});
        index[key] = entries.begin();
        bytes += sizeOf(image);
        while (bytes > budgetBytes && entries.size() > 1)
        {
            bytes -= sizeOf(entries.back().image);
            index.erase(entries.back().key);
            entries.pop_back();
        }
        return image;
    }

    void clear()
    {
        entries.clear();
        index.clear();
        bytes = 0;
    }

  private:
    struct Entry
    {
        juce::String key;
        juce::Image image;
    };
    static size_t sizeOf(const juce::Image& image) { return (size_t)image.getWidth() * (size_t)image.getHeight() * 4; }

    static constexpr size_t budgetBytes = 64u * 1024u * 1024u;
    std::list<Entry> entries;
    std::map<juce::String, std::list<Entry>::iterator> index;
    size_t bytes = 0;
};

PictureCache& cache()
{
    static PictureCache instance;
    return instance;
}

juce::String keyOf(const juce::String& picture, float scale)
{
    return picture + "@" + juce::String(juce::roundToInt(scale * 1000.0f));
}

std::string text(const juce::String& s)
{
    return s.toStdString();
}
} // namespace

float pictureScale(float pixelScale)
{
    constexpr float steps = 20.0f;
    return std::ceil(pixelScale * steps - 0.01f) / steps;
}

juce::Image editorBackground(float pixelScale)
{
    pixelScale = pictureScale(pixelScale);
    return cache().get(keyOf("editorBackground", pixelScale),
                       [=] { return pictures::drawEditorBackground(pixelScale); });
}

juce::Image eqPanel(float pixelScale)
{
    pixelScale = pictureScale(pixelScale);
    return cache().get(keyOf("eqPanel", pixelScale), [=] { return pictures::drawEqPanel(pixelScale); });
}

juce::Image cabinetPhotograph(const juce::String& cabinet, float pixelScale)
{
    pixelScale = pictureScale(pixelScale);
    if (channelPicture(cabinet).first == nullptr)
        return {};
    return cache().get(keyOf("cabinet " + cabinet, pixelScale),
                       [=] { return pictures::drawCabinet(text(cabinet), pixelScale); });
}

juce::Image placementPicture(const juce::String& cabinet, const juce::String& microphone, const juce::String& position,
                             const juce::String& distance, float pixelScale)
{
    pixelScale = pictureScale(pixelScale);
    // Only names the catalogue holds; cabinets of one overlay set share a picture.
    if (channelPicture(irNameFromTexts(cabinet, microphone, position, distance)).first == nullptr)
        return {};
    try
    {
        const auto& set = pictures::overlaySetOf(text(cabinet));
        const juce::String key =
            "placement " + juce::String(set.name) + " " + microphone + " " + position + " " + distance;
        return cache().get(
            keyOf(key, pixelScale),
            [&] { return pictures::drawPlacement(set, text(microphone), text(position), text(distance), pixelScale); });
    }
    catch (const std::exception&)
    {
        return {};
    }
}

juce::Image knobFrame(const juce::String& stripKey, int frameIndex, float pixelScale)
{
    pixelScale = pictureScale(pixelScale);
    try
    {
        const auto& spec = pictures::knobSpec(text(stripKey));
        return cache().get(keyOf(stripKey + " " + juce::String(frameIndex), pixelScale),
                           [&] { return pictures::drawKnobFrame(spec, frameIndex, pixelScale); });
    }
    catch (const std::exception&)
    {
        return {};
    }
}

juce::Image muteButton(bool on, float pixelScale)
{
    pixelScale = pictureScale(pixelScale);
    return cache().get(keyOf(on ? "muteButtonOn" : "muteButtonOff", pixelScale),
                       [=] { return pictures::drawMuteButton(on, pixelScale); });
}

juce::Image bypassLight(bool lit, float pixelScale)
{
    pixelScale = pictureScale(pixelScale);
    return cache().get(keyOf(lit ? "bypassLedLit" : "bypassLedDark", pixelScale),
                       [=] { return pictures::drawBypassLight(lit, pixelScale); });
}

void clearCache()
{
    cache().clear();
}
} // namespace morvane3::scaled
