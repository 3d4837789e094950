#pragma once
// Procedural surface textures for the cabinet photographs: vinyl coverings
// and grille cloths. Each returns a new ARGB32 surface the caller destroys.

#include "Art.h"

namespace morvane3::pictures
{
enum class Covering
{
    Levant,  // fine pebbled vinyl
    Bronco,  // coarse wrinkled vinyl
    Smooth,  // almost plain, lacquered
    Twill,   // diagonal woven cloth, lacquered
    Carpet,  // rough felt of road cases and bass cabinets
};

enum class Weave
{
    SaltPepper, // basket weave of light and dark threads
    Basket,     // basket weave in one colour
    Plain,      // fine plain weave
    Striped,    // plain weave with thin vertical threads of a second colour
    Diamond,    // plain weave with a diagonal lattice of a second colour
    Sparkle,    // horizontal bands of bright and dark threads
    Perforated, // stamped metal with round holes
};

struct Cloth
{
    Weave weave;
    Colour main;   // dominant thread colour or metal
    Colour second; // flecks, stripes or lattice
    double alpha;  // opacity of the threads; the speakers show through the rest
};

// w x h are logical pixels; `scale` > 1 draws the texture that much finer.
cairo_surface_t* coveringTexture(int w, int h, const Colour& base, Covering kind, uint64_t seed, double scale = 1.0);
cairo_surface_t* clothTexture(int w, int h, const Cloth& cloth, uint64_t seed, double scale = 1.0);
} // namespace morvane3::pictures
