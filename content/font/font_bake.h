// Baking of the demo's bitmap font from an outline font into one page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

struct BakedGlyph {
    int code;
    int x, y;          // top-left texel in the page (top row first)
    int width, height; // texels; 0 x 0 for blank glyphs such as the space
    int left;          // pixels from the pen to the glyph's left edge
    int bottom;        // pixels from the baseline up to the glyph's bottom edge (negative for descenders)
    float advance;     // the outline font's own pen advance, in pixels
};

struct BakedFont {
    Image page{0, 0};
    std::vector<BakedGlyph> glyphs;
    int lineHeight = 0; // pixels from one baseline to the next
    int base = 0;       // pixels from the top of a line to its baseline
};

// Rasterises codes firstCode to lastCode at emPixels pixels per em: white glyphs, alpha = coverage, one
// texel of clear space around each. Throws std::runtime_error if the font is unreadable or does not fit
// a 256 x 256 page.
BakedFont bakeFont(const std::vector<uint8_t>& fontFile, float emPixels, int firstCode, int lastCode);
