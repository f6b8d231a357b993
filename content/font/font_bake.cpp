// Font baking on top of the stb TrueType rasteriser, compiled here with its symbols private to this file.
#include "font_bake.h"

#include <stdexcept>

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_truetype.h>
#pragma GCC diagnostic pop

namespace {

constexpr int kPageWidth = 256;
constexpr int kMaxPageHeight = 256;
constexpr int kPadding = 1;

// Shelf packing in code order; returns the page height needed (a power of two) or 0 if it does not fit.
int packGlyphs(std::vector<BakedGlyph>& glyphs) {
    int x = kPadding, y = kPadding, shelfHeight = 0;
    for (BakedGlyph& glyph : glyphs) {
        if (x + glyph.width + kPadding > kPageWidth) {
            x = kPadding;
            y += shelfHeight + kPadding;
            shelfHeight = 0;
        }
        glyph.x = x;
        glyph.y = y;
        x += glyph.width + kPadding;
        if (glyph.height > shelfHeight) shelfHeight = glyph.height;
    }
    int used = y + shelfHeight + kPadding;
    for (int height = 16; height <= kMaxPageHeight; height *= 2)
        if (used <= height) return height;
    return 0;
}

} // namespace

BakedFont bakeFont(const std::vector<uint8_t>& fontFile, float emPixels, int firstCode, int lastCode) {
    stbtt_fontinfo info;
    if (fontFile.empty() ||
        !stbtt_InitFont(&info, fontFile.data(), stbtt_GetFontOffsetForIndex(fontFile.data(), 0)))
        throw std::runtime_error("font: the outline font cannot be read");
    float scale = stbtt_ScaleForMappingEmToPixels(&info, emPixels);

    BakedFont font;
    int ascent = 0, descent = 0, lineGap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &lineGap);
    font.lineHeight = int((ascent - descent + lineGap) * scale + 0.5f);
    font.base = int(ascent * scale + 0.5f);

    for (int code = firstCode; code <= lastCode; ++code) {
        int advance = 0, bearing = 0, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        stbtt_GetCodepointHMetrics(&info, code, &advance, &bearing);
        stbtt_GetCodepointBitmapBox(&info, code, scale, scale, &x0, &y0, &x1, &y1);
        BakedGlyph glyph{code, 0, 0, x1 - x0, y1 - y0, x0, -y1, advance * scale};
        if (glyph.width <= 0 || glyph.height <= 0) glyph.width = glyph.height = glyph.bottom = 0;
        font.glyphs.push_back(glyph);
    }

    int pageHeight = packGlyphs(font.glyphs);
    if (pageHeight == 0) throw std::runtime_error("font: the glyphs do not fit one 256 x 256 page");
    font.page = Image(kPageWidth, pageHeight, {1, 1, 1, 0});

    std::vector<unsigned char> coverage;
    for (const BakedGlyph& glyph : font.glyphs) {
        if (glyph.width == 0) continue;
        coverage.assign(size_t(glyph.width) * size_t(glyph.height), 0);
        stbtt_MakeCodepointBitmap(&info, coverage.data(), glyph.width, glyph.height, glyph.width, scale,
                                  scale, glyph.code);
        for (int y = 0; y < glyph.height; ++y)
            for (int x = 0; x < glyph.width; ++x)
                font.page.at(glyph.x + x, glyph.y + y).a =
                    coverage[size_t(y) * size_t(glyph.width) + size_t(x)] / 255.0f;
    }
    return font;
}
