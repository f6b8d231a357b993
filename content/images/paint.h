// Painting of worn machinery shared by the vehicle atlases: noisy paint, seams, rivets, grime and lamps.
#pragma once

#include "builders.h"

// Paint colour with slow blotches and fine speckle, both tileable over the region.
Color noisyPaint(const Color& base, float fu, float fv, int seed, float blotch = 0.06f,
                 float speckle = 0.03f);
// Fills the region with noisy paint.
void fillPaint(Image& image, const AtlasRegion& region, const Color& base, int seed, float blotch = 0.06f);
// Sheet-metal seams: a dark groove with a lit lip below it, every spacing texels (0 for none) inside the
// region; rows of rivets along them when rivetStep > 0.
void drawSeams(Image& image, const AtlasRegion& region, int spacingX, int spacingY, int rivetStep);
// Darkens the region toward its bottom edge with blotchy dirt.
void addGrime(Image& image, const AtlasRegion& region, const Color& dirt, float strength, int seed);
// Streaks of rust or soot running down from random points.
void addStreaks(Image& image, const AtlasRegion& region, const Color& stain, int count, int seed);
// Diagonal two-colour warning stripes with a period that divides the region's width.
void fillDiagonalStripes(Image& image, const AtlasRegion& region, const Color& a, const Color& b, int period);
// Glass with a sky reflection band, inside a frame of the given width and colour.
void fillGlass(Image& image, const AtlasRegion& region, const Color& tint, const Color& frame,
               int frameWidth);
// Horizontal slats in a frame: radiator grilles.
void fillGrille(Image& image, const AtlasRegion& region, const Color& frame, int slatPitch);
// Bare metal with horizontal brushing and a few scratches.
void fillMetal(Image& image, const AtlasRegion& region, const Color& base, int seed);
// A round lamp centred in the region, on black.
void fillLamp(Image& image, const AtlasRegion& region, const Color& lens);
// Chevron tyre tread: lugs repeating along u, the V pointing toward +u.
void fillTread(Image& image, const AtlasRegion& region, int period);
