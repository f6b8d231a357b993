// The image builders of the content generator, one per archive picture.
#pragma once

#include "atlas.h"
#include "canvas.h"

// Full-screen pictures: row 0 is the bottom of the screen.
Image makeFieldSky();      // "bg2.png"
Image makeTitleBackdrop(); // "bg1.png"
Image makeChaseSky();      // "bg3.png"
Image makeSunGlow();       // "sunglow.png"

// Surface textures: row 0 is the top of the picture.
Image makeDefaultWhite(); // "default.png"
Image makeCliffRock();    // "cliffdark.png"
Image makeGrassStrip();   // "grass.png", with alpha

Image makeTerexBody();       // "Terex_MainBody.png"
Image makeHarvesterLivery(); // "harvester.png"
Image makeTireAtlas();       // "Tire.png"
Image makeOspreySkin();      // "osprey.png"

// Screen height fraction (0 bottom, 1 top) shown by texel row y of a full-screen picture of the given height:
// the screen quad shows texture t from 0.0049 at the bottom edge to 0.9757 at the top.
float screenFractionOfRow(int y, int height);

// Calls paint(lx, ly, fu, fv) for every texel of the region and stores the colour it returns; lx, ly are
// texels from the region's top-left, fu, fv the texel centre's fraction across it (fv down).
template <class Paint> void paintRegion(Image& image, const AtlasRegion& region, Paint paint) {
    for (int ly = 0; ly < region.height; ++ly)
        for (int lx = 0; lx < region.width; ++lx)
            image.at(region.x + lx, region.y + ly) =
                paint(lx, ly, (lx + 0.5f) / float(region.width), (ly + 0.5f) / float(region.height));
}
