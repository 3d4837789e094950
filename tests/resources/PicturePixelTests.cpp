// Pixel-level checks of the generated pictures: knob filmstrips turn through
// their sweep with a symmetric middle frame, placement pictures are
// transparent around the microphone, the buttons carry their colours and
// the window background leaves the photograph's area black.

#include "PictureDecoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using morvane3::editorPictureTable;
using morvane3::pictureTable;
using picturetest::decodeEntry;
using picturetest::Image;
using picturetest::Rgba;

namespace
{
constexpr int frames = 127;
const char* const strips[] = {"knobHPF", "knobLPF", "knobLMF", "knobHMF", "knobLMGain", "knobHMGain", "knobChannelLevel", "knobOutputLevel"};

// Premultiplied channel, so fully transparent pixels compare equal whatever their colour.
int pre(const Rgba& p, int channel)
{
    const int v = channel == 0 ? p.r : channel == 1 ? p.g : channel == 2 ? p.b : 255;
    return v * p.a / 255;
}

// Mean absolute difference between frame `a` and the mirror image of frame `b`,
// and the share of pixels that differ by more than 24 in some channel.
struct MirrorDifference
{
    double mean;
    double outliers;
};

MirrorDifference mirrorDifference(const Image& strip, int a, int b)
{
    const int fh = strip.height / frames;
    double sum = 0, outliers = 0;
    for (int y = 0; y < fh; ++y)
        for (int x = 0; x < strip.width; ++x)
        {
            const Rgba& p = strip.at(x, a * fh + y);
            const Rgba& q = strip.at(strip.width - 1 - x, b * fh + y);
            int worst = 0;
            for (int c = 0; c < 4; ++c)
            {
                const int d = std::abs(pre(p, c) - pre(q, c));
                sum += d;
                worst = std::max(worst, d);
            }
            outliers += worst > 24;
        }
    const double n = double(fh) * strip.width;
    return {sum / (4 * n), outliers / n};
}

// Angle of the red pointer around the knob body, degrees clockwise from up.
double pointerAngle(const Image& strip, int frame)
{
    const int fh = strip.height / frames;
    double bx = 0, by = 0, bn = 0, px = 0, py = 0, pn = 0;
    for (int y = 0; y < fh; ++y)
        for (int x = 0; x < strip.width; ++x)
        {
            const Rgba& p = strip.at(x, frame * fh + y);
            if (p.a > 128)
            {
                bx += x;
                by += y;
                ++bn;
            }
            if (p.a > 200 && p.r > 170 && p.g < 110 && p.b < 90)
            {
                px += x;
                py += y;
                ++pn;
            }
        }
    if (bn == 0 || pn == 0)
        return NAN;
    const double dx = px / pn - bx / bn, dy = py / pn - by / bn;
    return std::atan2(dx, -dy) * 180.0 / 3.14159265358979323846;
}
} // namespace

TEST(Filmstrips, TurnThroughTheSweepWithTheMiddleFrameUpright)
{
    for (const char* key : strips)
    {
        SCOPED_TRACE(key);
        const Image strip = decodeEntry(editorPictureTable, key);
        ASSERT_GT(strip.width, 0);
        ASSERT_EQ(strip.height % frames, 0);

        // The two ends differ, and mirror each other like every pair k, 126 - k.
        EXPECT_GT(mirrorDifference(strip, 0, 0).mean, 0.0); // a frame is not symmetric away from the middle
        const auto ends = mirrorDifference(strip, 0, 126);
        EXPECT_LT(ends.mean, 1.0);
        EXPECT_LT(ends.outliers, 0.01);
        int differing = 0;
        const int fh = strip.height / frames;
        for (int y = 0; y < fh; ++y)
            for (int x = 0; x < strip.width; ++x)
                differing += std::abs(pre(strip.at(x, y), 0) - pre(strip.at(x, 126 * fh + y), 0)) > 24;
        EXPECT_GT(differing, 10);

        const auto middle = mirrorDifference(strip, 63, 63);
        EXPECT_LT(middle.mean, 0.5);
        EXPECT_LT(middle.outliers, 0.005);
        const auto pair = mirrorDifference(strip, 20, 106);
        EXPECT_LT(pair.mean, 1.0);

        for (int frame : {0, 21, 63, 84, 126})
        {
            const double expected = -150.0 + 300.0 * frame / 126.0;
            EXPECT_NEAR(pointerAngle(strip, frame), expected, 8.0) << "frame " << frame;
        }
    }
}

TEST(Filmstrips, AreTransparentAtTheCornersOfEveryFrame)
{
    for (const char* key : strips)
    {
        const Image strip = decodeEntry(editorPictureTable, key);
        const int fh = strip.height / frames, w = strip.width;
        for (int f = 0; f < frames; ++f)
            for (const auto& [x, y] : {std::pair {0, 0}, {w - 1, 0}, {0, fh - 1}, {w - 1, fh - 1}})
                ASSERT_EQ(strip.at(x, f * fh + y).a, 0) << key << " frame " << f;
    }
}

TEST(PlacementPictures, ShowAMicrophoneAndLeaveTheCornersTransparent)
{
    const std::vector<std::string> cabinets {"1960", "Chordal", "Blackface", "Dazed", "Tweed", "Manatee", "Motown"};
    const std::vector<std::string> microphones {"121", "409", "421", "545", "57", "i5", "Reference", "U87"};
    for (const auto& c : cabinets)
        for (const auto& m : microphones)
            for (const char* p : {"On Axis", "Off Axis"})
                for (const char* d : {"Close", "Mid", "Far"})
                {
                    const std::string name = c + " " + m + " " + p + " " + d;
                    const Image image = decodeEntry(pictureTable, name);
                    ASSERT_EQ(image.width, 388) << name;
                    int opaque = 0;
                    for (const auto& px : image.pixels)
                        opaque += px.a > 200;
                    EXPECT_GT(opaque, 300) << name;
                    EXPECT_LT(opaque, 388 * 252 / 3) << name;
                    for (int y = 0; y < 4; ++y)
                        for (int x = 0; x < 4; ++x)
                        {
                            EXPECT_EQ(image.at(x, y).a, 0) << name;
                            EXPECT_EQ(image.at(387 - x, y).a, 0) << name;
                            EXPECT_EQ(image.at(x, 251 - y).a, 0) << name;
                            EXPECT_EQ(image.at(387 - x, 251 - y).a, 0) << name;
                        }
                }
}

TEST(EditorPictures, ButtonsAndLightsCarryTheirColours)
{
    auto average = [](const Image& image, int x0, int y0, int x1, int y1) {
        double r = 0, g = 0, b = 0;
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
            {
                const Rgba& p = image.at(x, y);
                if (p.r > 225 && p.g > 225 && p.b > 225)
                    continue; // the letter
                r += p.r;
                g += p.g;
                b += p.b;
                ++n;
            }
        return Rgba {int(r / n), int(g / n), int(b / n), 255};
    };
    auto hasWhite = [](const Image& image) {
        for (const auto& p : image.pixels)
            if (p.a == 255 && p.r > 235 && p.g > 235 && p.b > 235)
                return true;
        return false;
    };
    const Image off = decodeEntry(editorPictureTable, "muteButtonOff");
    const Image on = decodeEntry(editorPictureTable, "muteButtonOn");
    ASSERT_EQ(off.width, 24);
    ASSERT_EQ(on.width, 24);
    const Rgba grey = average(off, 3, 3, 21, 12), red = average(on, 3, 3, 21, 12);
    EXPECT_LT(std::abs(grey.r - grey.g) + std::abs(grey.g - grey.b), 20);
    EXPECT_GT(grey.r, 60);
    EXPECT_GT(red.r, red.g + 80);
    EXPECT_GT(red.r, red.b + 80);
    EXPECT_TRUE(hasWhite(off));
    EXPECT_TRUE(hasWhite(on));

    const Image lit = decodeEntry(editorPictureTable, "bypassLedLit");
    const Image dark = decodeEntry(editorPictureTable, "bypassLedDark");
    ASSERT_EQ(lit.width, 11);
    ASSERT_EQ(dark.width, 11);
    const Rgba l = lit.at(5, 5), d = dark.at(5, 5);
    EXPECT_GT(l.r, 200);
    EXPECT_GT(l.g, 170);
    EXPECT_LT(l.b, l.g - 60);
    EXPECT_LT(d.r + d.g + d.b, 3 * 110);
    EXPECT_GT(l.r + l.g + l.b, d.r + d.g + d.b + 200);
    for (const Image* image : {&lit, &dark})
        EXPECT_EQ(image->at(0, 0).a, 0);
}

TEST(EditorPictures, BackgroundLeavesThePhotographAreasBlackAndIsTexturedElsewhere)
{
    const Image background = decodeEntry(editorPictureTable, "editorBackground");
    ASSERT_EQ(background.width, 810);
    for (int x0 : {11, 411})
        for (int y = 79; y < 79 + 252; ++y)
            for (int x = x0; x < x0 + 388; ++x)
            {
                const Rgba& p = background.at(x, y);
                ASSERT_LE(p.r + p.g + p.b, 12) << x << "," << y;
            }
    // The title strip between the logo and the preset buttons is textured, not flat.
    int lo = 255, hi = 0;
    for (int y = 4; y < 36; ++y)
        for (int x = 280; x < 330; ++x)
        {
            lo = std::min(lo, background.at(x, y).g);
            hi = std::max(hi, background.at(x, y).g);
        }
    EXPECT_GT(hi - lo, 6);
}

TEST(EditorPictures, EqualiserPanelScalesAndLightSocketsLineUpWithTheControls)
{
    const Image panel = decodeEntry(editorPictureTable, "eqPanel");
    ASSERT_EQ(panel.width, 390);
    ASSERT_EQ(panel.height, 149);
    auto luminance = [](const Rgba& p) { return (p.r * 3 + p.g * 6 + p.b) / 10; };

    // Window bounds of channel 1's knobs; the panel is drawn at (10, 441).
    struct Knob
    {
        const char* strip;
        int x, y, w, h;
    };
    const Knob knobs[] = {{"knobHPF", 19, 442, 80, 72},   {"knobLPF", 19, 514, 80, 75},     {"knobLMF", 112, 442, 83, 72},
                          {"knobHMF", 219, 442, 63, 72},  {"knobLMGain", 120, 519, 69, 65}, {"knobHMGain", 214, 519, 72, 65},
                          {"knobChannelLevel", 305, 505, 78, 84}};
    for (const auto& k : knobs)
    {
        SCOPED_TRACE(k.strip);
        const Image strip = decodeEntry(editorPictureTable, k.strip);
        ASSERT_EQ(strip.width, k.w);
        // Top of the knob body in the upright frame, on its middle column.
        const int middle = k.w / 2, frame63 = 63 * k.h;
        int top = -1;
        for (int y = 0; y < k.h && top < 0; ++y)
            if (strip.at(middle, frame63 + y).a > 128)
                top = y;
        ASSERT_GT(top, 0);
        // Straight above it the panel prints the scale's middle tick, a thin bright mark.
        const int px = k.x - 10, py = k.y - 441 + top;
        int tickRow = -1;
        for (int y = py - 1; y > py - 12 && y >= 0 && tickRow < 0; --y)
            if (std::max(luminance(panel.at(px + middle, y)), luminance(panel.at(px + middle - (k.w % 2 == 0 ? 1 : 0), y))) > 140)
                tickRow = y;
        ASSERT_GE(tickRow, 0) << "no tick above the knob";
        EXPECT_LT(luminance(panel.at(px + middle - 5, tickRow)), 120);
        EXPECT_LT(luminance(panel.at(px + middle + 5, tickRow)), 120);
    }

    // A dark socket under each bypass light's bounds.
    const int lights[][2] = {{66, 503}, {69, 576}, {162, 503}, {262, 503}};
    for (const auto& l : lights)
    {
        const int x = l[0] - 10, y = l[1] - 441;
        for (int dy = 3; dy < 8; ++dy)
            for (int dx = 3; dx < 8; ++dx)
                EXPECT_LT(luminance(panel.at(x + dx, y + dy)), 25) << l[0] << "," << l[1];
        EXPECT_GT(luminance(panel.at(x + 5, y - 12)), 25) << "panel surface above the socket";
    }
}

TEST(PlacementPictures, DistancesAndPositionsMoveTheMicrophone)
{
    struct Centroid
    {
        double x, y;
        int count;
    };
    auto centroid = [](const Image& image) {
        double x = 0, y = 0;
        int n = 0;
        for (int py = 0; py < image.height; ++py)
            for (int px = 0; px < image.width; ++px)
                if (image.at(px, py).a > 200)
                {
                    x += px;
                    y += py;
                    ++n;
                }
        return Centroid {n ? x / n : 0, n ? y / n : 0, n};
    };
    auto apart = [](const Centroid& a, const Centroid& b) { return std::hypot(a.x - b.x, a.y - b.y); };

    for (const char* cabinet : {"1960", "Chordal", "Blackface", "Dazed", "Tweed", "Manatee", "Motown"})
        for (const char* mic : {"121", "409", "421", "545", "57", "i5", "Reference", "U87"})
        {
            const std::string stem = std::string(cabinet) + " " + mic + " ";
            Centroid on[3], off[3];
            const char* distances[] = {"Close", "Mid", "Far"};
            for (int d = 0; d < 3; ++d)
            {
                on[d] = centroid(decodeEntry(pictureTable, stem + "On Axis " + distances[d]));
                off[d] = centroid(decodeEntry(pictureTable, stem + "Off Axis " + distances[d]));
            }
            SCOPED_TRACE(stem);
            // Each step back moves the microphone, further for Far than for Mid.
            for (const Centroid* c : {on, off})
            {
                EXPECT_GT(apart(c[0], c[1]), 4.0);
                EXPECT_GT(apart(c[0], c[2]), apart(c[0], c[1]) + 4.0);
            }
            // Off axis the capsule sits elsewhere on the cone.
            EXPECT_GT(apart(on[0], off[0]), 8.0);
        }
}
