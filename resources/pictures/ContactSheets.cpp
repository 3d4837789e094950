// Review aid, not part of the plug-in: composes the generated pictures into
// sheets a person can judge at a glance: all photographs, one set's
// placements over a photograph, and the whole window with its controls'
// pictures at their bounds.

#include "Art.h"
#include "Catalogue.h"
#include "Knobs.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>

using namespace morvane3::pictures;

namespace
{
std::string pngDir;

cairo_surface_t* load(std::string key)
{
    for (char& c : key)
        if (c == ' ')
            c = '_';
    cairo_surface_t* s = cairo_image_surface_create_from_png((pngDir + "/" + key + ".png").c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot read " + key);
    return s;
}

void place(cairo_t* cr, const std::string& key, double x, double y, double srcY = 0, double w = -1, double h = -1)
{
    cairo_surface_t* s = load(key);
    if (w < 0)
    {
        w = cairo_image_surface_get_width(s);
        h = cairo_image_surface_get_height(s);
    }
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_set_source_surface(cr, s, x, y - srcY);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(s);
}

void label(cairo_t* cr, double x, double y, const std::string& text)
{
    setFont(cr, 11, true);
    cairo_set_source_rgb(cr, 1, 1, 0.6);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text.c_str());
}

void cabinetSheet(const std::string& path)
{
    cairo_surface_t* sheet = newSurface(CAIRO_FORMAT_RGB24, 4 * 392, 5 * 270);
    cairo_t* cr = cairo_create(sheet);
    const auto& names = cabinetNames();
    for (size_t i = 0; i < names.size(); ++i)
    {
        const double x = (i % 4) * 392.0, y = (i / 4) * 270.0;
        place(cr, "cabinet " + names[i], x, y);
        label(cr, x + 4, y + 265, names[i] + "  (set " + overlaySetOf(names[i]).name + ")");
    }
    cairo_destroy(cr);
    writePng(sheet, path);
    cairo_surface_destroy(sheet);
}

void placementSheet(const std::string& cabinet, const std::string& path)
{
    const std::string set = overlaySetOf(cabinet).name;
    cairo_surface_t* sheet = newSurface(CAIRO_FORMAT_RGB24, 6 * 392, 8 * 270);
    cairo_t* cr = cairo_create(sheet);
    int i = 0;
    for (const auto& mic : microphoneNames())
        for (const auto& position : positionNames())
            for (const auto& distance : distanceNames())
            {
                const double x = (i % 6) * 392.0, y = (i / 6) * 270.0;
                place(cr, "cabinet " + cabinet, x, y);
                place(cr, "placement " + irName(set, mic, position, distance), x, y);
                label(cr, x + 4, y + 265, irName(cabinet, mic, position, distance));
                ++i;
            }
    cairo_destroy(cr);
    writePng(sheet, path);
    cairo_surface_destroy(sheet);
}

// Every overlay set over one of its photographs: the 57 and the U87 at both
// positions, close and far.
void setsSheet(const std::string& path)
{
    const char* cabinets[] = {"Igor", "Genzie", "Blackface", "Dazed", "Tweed", "Manatee", "Motown"};
    const char* shots[][3] = {{"57", "On Axis", "Close"}, {"57", "Off Axis", "Far"}, {"U87", "On Axis", "Mid"}, {"U87", "Off Axis", "Far"}};
    cairo_surface_t* sheet = newSurface(CAIRO_FORMAT_RGB24, 4 * 392, 7 * 270);
    cairo_t* cr = cairo_create(sheet);
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 4; ++col)
        {
            const double x = col * 392.0, y = row * 270.0;
            const std::string cabinet = cabinets[row];
            place(cr, "cabinet " + cabinet, x, y);
            place(cr, "placement " + irName(overlaySetOf(cabinet).name, shots[col][0], shots[col][1], shots[col][2]), x, y);
            label(cr, x + 4, y + 265, irName(cabinet, shots[col][0], shots[col][1], shots[col][2]));
        }
    cairo_destroy(cr);
    writePng(sheet, path);
    cairo_surface_destroy(sheet);
}

void editorSheet(const std::string& path)
{
    cairo_surface_t* sheet = newSurface(CAIRO_FORMAT_RGB24, 810, 600);
    cairo_t* cr = cairo_create(sheet);
    place(cr, "editorBackground", 0, 0);
    const char* cabinet[2] = {"1960", "Chordal"};
    const char* placement[2] = {"A 57 On Axis Close", "B U87 Off Axis Far"};
    for (int ch = 0; ch < 2; ++ch)
    {
        place(cr, "eqPanel", eqPanelX[ch], eqPanelY);
        place(cr, std::string("cabinet ") + cabinet[ch], photoX[ch], photoY);
        place(cr, std::string("placement ") + placement[ch], photoX[ch], photoY);
        for (const auto& k : knobSpecs())
        {
            if (!k.onPanel)
                continue;
            // Channel 1 at the middle frame, channel 2 at the ends and between.
            const int frame = ch == 0 ? 63 : (k.key.size() % 3 == 0 ? 0 : k.key.size() % 3 == 1 ? 126 : 31);
            place(cr, k.key, eqPanelX[ch] + k.originX, eqPanelY + k.originY, frame * k.frameHeight, k.frameWidth, k.frameHeight);
        }
        for (size_t l = 0; l < bypassLightSpots().size(); ++l)
            place(cr, (l + ch) % 2 ? "bypassLedDark" : "bypassLedLit", eqPanelX[ch] + bypassLightSpots()[l].x,
                  eqPanelY + bypassLightSpots()[l].y);
        place(cr, ch ? "muteButtonOn" : "muteButtonOff", ch ? 770 : 370, 56);
        // Stand-ins for the framework's selection boxes and step buttons.
        for (double bx : {25.0, 215.0})
            for (double by : {355.0, 400.0})
            {
                roundedRect(cr, bx + ch * 402, by, 140, 20, 3);
                cairo_set_source_rgb(cr, 0x63 / 255.0, 0x63 / 255.0, 0x63 / 255.0);
                cairo_fill(cr);
                roundedRect(cr, bx + ch * 402 + 145, by, 30, 20, 3);
                cairo_fill(cr);
            }
    }
    const KnobSpec& out = knobSpecs().back();
    place(cr, out.key, out.originX, out.originY, 90 * out.frameHeight, out.frameWidth, out.frameHeight);
    roundedRect(cr, 341, 8, 129, 22, 3);
    cairo_set_source_rgb(cr, 0x63 / 255.0, 0x63 / 255.0, 0x63 / 255.0);
    cairo_fill(cr);
    setFont(cr, 12, false);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_move_to(cr, 270, 24);
    cairo_show_text(cr, "v 3.0.4");
    cairo_destroy(cr);
    writePng(sheet, path);
    cairo_surface_destroy(sheet);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s <picture folder> <sheet folder>\n", argv[0]);
        return 2;
    }
    try
    {
        pngDir = std::string(argv[1]) + "/png";
        const std::string out = argv[2];
        std::filesystem::create_directories(out);
        cabinetSheet(out + "/cabinets.png");
        placementSheet("1960", out + "/placements-1960.png");
        placementSheet("Chordal", out + "/placements-Chordal.png");
        setsSheet(out + "/placements-all-sets.png");
        editorSheet(out + "/editor.png");
        std::printf("contact sheets in %s\n", out.c_str());
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "contact sheets: %s\n", e.what());
        return 1;
    }
    return 0;
}
