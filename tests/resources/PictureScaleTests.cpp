// The pictures drawn finer for large editors: a knob frame drawn alone is the
// strip's frame, and a picture drawn at twice the pixels is the same picture
// (averaged back down it matches the 100 % one), not a corner of it, a
// shifted copy or a texture left at the old size.

#include "PictureDecoding.h"

#include "resources/pictures/Cabinets.h"
#include "resources/pictures/EditorArt.h"
#include "resources/pictures/Filmstrips.h"
#include "resources/pictures/Microphones.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

using morvane3::editorPictureTable;
using morvane3::pictureTable;
using picturetest::decodeEntry;
using picturetest::Image;
using namespace morvane3::pictures;

namespace
{
// A drawn surface as the tests see the compiled-in pictures: through PNG.
Image toImage(cairo_surface_t* surface)
{
    std::vector<unsigned char> png;
    cairo_surface_write_to_png_stream(
        surface,
        [](void* closure, const unsigned char* data, unsigned int length)
        {
            auto* out = static_cast<std::vector<unsigned char>*>(closure);
            out->insert(out->end(), data, data + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &png);
    cairo_surface_destroy(surface);
    return picturetest::decode(png.data(), static_cast<int>(png.size()));
}

// Channel c of a pixel, premultiplied, so transparent pixels agree whatever their colour.
double channel(const picturetest::Rgba& p, int c)
{
    return c == 3 ? p.a : (c == 0 ? p.r : c == 1 ? p.g : p.b) * p.a / 255.0;
}

// Mean absolute difference per channel between `fine` averaged over 2 x 2
// blocks and `coarse`.
double halvedDifference(const Image& fine, const Image& coarse)
{
    double sum = 0.0;
    for (int y = 0; y < coarse.height; ++y)
        for (int x = 0; x < coarse.width; ++x)
            for (int c = 0; c < 4; ++c)
            {
                double mean = 0.0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        mean += channel(fine.at(2 * x + dx, 2 * y + dy), c) / 4.0;
                sum += std::abs(mean - channel(coarse.at(x, y), c));
            }
    return sum / (4.0 * coarse.width * coarse.height);
}

// The same measure between a picture and itself moved one pixel to the right:
// what an error of one pixel costs in this picture.
double onePixelShiftDifference(const Image& image)
{
    double sum = 0.0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 1; x < image.width; ++x)
            for (int c = 0; c < 4; ++c)
                sum += std::abs(channel(image.at(x, y), c) - channel(image.at(x - 1, y), c));
    return sum / (4.0 * (image.width - 1) * image.height);
}
} // namespace

TEST(KnobFrames, DrawnAloneAreTheStripsFramesOneByOne)
{
    for (const auto& spec : knobSpecs())
    {
        const Image strip = decodeEntry(editorPictureTable, spec.key);
        ASSERT_EQ(strip.height, spec.frameHeight * filmstripFrames) << spec.key;
        for (int frame = 0; frame < filmstripFrames; frame += 5)
        {
            const Image alone = toImage(drawKnobFrame(spec, frame, 1.0));
            ASSERT_EQ(alone.width, spec.frameWidth);
            ASSERT_EQ(alone.height, spec.frameHeight);
            int different = 0;
            for (int y = 0; y < spec.frameHeight; ++y)
                for (int x = 0; x < spec.frameWidth; ++x)
                {
                    // Premultiplied, within rounding: the rasteriser's edge
                    // coverage may differ by one step for a frame not at the top.
                    const auto& a = alone.at(x, y);
                    const auto& b = strip.at(x, frame * spec.frameHeight + y);
                    const auto pre = [](int v, int alpha) { return v * alpha / 255; };
                    if (std::abs(a.a - b.a) > 2 || std::abs(pre(a.r, a.a) - pre(b.r, b.a)) > 2 ||
                        std::abs(pre(a.g, a.a) - pre(b.g, b.a)) > 2 || std::abs(pre(a.b, a.a) - pre(b.b, b.a)) > 2)
                        ++different;
                }
            EXPECT_EQ(different, 0) << spec.key << " frame " << frame;
        }
    }
}

TEST(ScaledPictures, AtTwiceThePixelsAreTheSamePictures)
{
    const OverlaySet& set = overlaySetOf("Tweed");
    const struct
    {
        std::string name;
        Image atOne;
        std::function<cairo_surface_t*()> drawAtTwo;
    } cases[] = {
        {"editorBackground", decodeEntry(editorPictureTable, "editorBackground"),
         [] { return drawEditorBackground(2.0); }},
        {"eqPanel", decodeEntry(editorPictureTable, "eqPanel"), [] { return drawEqPanel(2.0); }},
        {"muteButtonOn", decodeEntry(editorPictureTable, "muteButtonOn"), [] { return drawMuteButton(true, 2.0); }},
        {"Tweed", decodeEntry(pictureTable, "Tweed"), [] { return drawCabinet("Tweed", 2.0); }},
        {"1960", decodeEntry(pictureTable, "1960"), [] { return drawCabinet("1960", 2.0); }},
        {"Tweed 57 Off Axis Far", decodeEntry(pictureTable, "Tweed 57 Off Axis Far"),
         [&] { return drawPlacement(set, "57", "Off Axis", "Far", 2.0); }},
    };
    for (const auto& c : cases)
    {
        ASSERT_GT(c.atOne.width, 0) << c.name;
        const Image atTwo = toImage(c.drawAtTwo());
        ASSERT_EQ(atTwo.width, 2 * c.atOne.width) << c.name;
        ASSERT_EQ(atTwo.height, 2 * c.atOne.height) << c.name;
        const double difference = halvedDifference(atTwo, c.atOne), shift = onePixelShiftDifference(c.atOne);
        std::cout << c.name << ": drawn at 2x and averaged down differs from 1x by " << difference
                  << " per channel; a one-pixel shift of 1x by " << shift << std::endl;
        EXPECT_LT(difference, shift) << c.name;
    }
}
