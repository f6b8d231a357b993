// Contact sheet: evenly spaced frames in a grid, each labelled with its time in the demo's bitmap font.
#pragma once

#include "frame_image.h"

#include "gfx/gfx.h"

#include <cstdint>
#include <string>
#include <vector>

// The demo font drawn on the CPU, so labels never touch the colour buffer the next frame builds on.
struct LabelFont {
    Glyph glyphs[256];
    int32_t lineHeight = 0;
    int32_t scaleW = 1;
    int32_t scaleH = 1;
    int32_t pageWidth = 0;
    int32_t pageHeight = 0;
    std::vector<uint8_t> page; // RGBA, first row at the top
};

// Takes the glyph table of the loaded font and decodes its page image (PNG bytes). False when the page does
// not decode; labels are then left out.
bool makeLabelFont(const BitmapFont& font, const uint8_t* pagePng, size_t pageSize, LabelFont& out);

// Rows the text covers above (ascent) and below (descent) its reference line, in pixels; each at least 0
// and at most limit, whatever the font's metrics.
void measureLabel(const LabelFont& font, const char* text, int32_t limit, int32_t& ascent, int32_t& descent);

// Pixels a label may touch: columns left..right-1, rows top..bottom-1.
struct LabelClip {
    int32_t left, top, right, bottom;
};

// Draws text texel for pixel with the engine's pen advance (0.45 x (xadvance + width) pixels per glyph); x is
// the left edge, baseline the image row of the reference line. Alpha-blends colour by the glyph's alpha.
// Nothing outside clip (or the image) changes, and the time taken is bounded by the clip's size, whatever
// sizes and offsets the font gives.
void drawLabel(RgbImage& image, int32_t x, int32_t baseline, const char* text, const LabelFont& font,
               const uint8_t colour[3], const LabelClip& clip);

class ContactSheet {
  public:
    static constexpr int32_t kCellWidth = 320;
    static constexpr int32_t kCellHeight = 240;
    static constexpr int32_t kColumns = 6;
    static constexpr int32_t kGap = 4;
    // The label strip under each cell; the same with any font or none, so the layout alone sets the size.
    static constexpr int32_t kStripHeight = 22;

    // One cell per entry of times; font may be null (no labels).
    void begin(const std::vector<uint32_t>& times, const LabelFont* font);
    // Fills every cell showing this time with the frame, scaled to the cell size.
    void addFrame(uint32_t time, const RgbImage& frame);
    const RgbImage& image() const { return sheet; }

  private:
    void cellOrigin(size_t cell, int32_t& x, int32_t& y) const;

    std::vector<uint32_t> cellTimes;
    const LabelFont* labelFont = nullptr;
    int32_t labelAscent = 0;
    RgbImage sheet;
};
