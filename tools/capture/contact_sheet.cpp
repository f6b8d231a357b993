// Contact sheet layout and the CPU rendering of its time labels.
#include "contact_sheet.h"

#include "capture_options.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const uint8_t kSheetBackground[3] = {16, 16, 20};
const uint8_t kLabelColour[3] = {255, 214, 64};
constexpr int32_t kLabelPadding = 3;
const char kLabelSample[] = "0123456789:.";

bool drawable(const LabelFont& font, char c) {
    auto code = static_cast<signed char>(c);
    return code >= 1 && font.glyphs[uint8_t(code)].valid;
}

void fill(RgbImage& image, const uint8_t colour[3]) {
    for (size_t i = 0; i < image.pixels.size(); i += 3) {
        std::memcpy(&image.pixels[i], colour, 3);
    }
}

} // namespace

bool makeLabelFont(const BitmapFont& font, const uint8_t* pagePng, size_t pageSize, LabelFont& out) {
    DecodedImage page;
    if (pagePng == nullptr || !decodePng(pagePng, pageSize, 4, page)) {
        return false;
    }
    std::copy(std::begin(font.glyphs), std::end(font.glyphs), std::begin(out.glyphs));
    out.lineHeight = font.lineHeight;
    out.scaleW = font.scaleW > 0 ? font.scaleW : page.width;
    out.scaleH = font.scaleH > 0 ? font.scaleH : page.height;
    out.pageWidth = page.width;
    out.pageHeight = page.height;
    out.page.assign(page.pixels, page.pixels + size_t(page.width) * size_t(page.height) * 4);
    freeDecodedImage(page);
    return true;
}

void measureLabel(const LabelFont& font, const char* text, int32_t limit, int32_t& ascent, int32_t& descent) {
    int64_t up = 0;
    int64_t down = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (!drawable(font, *c)) {
            continue;
        }
        const Glyph& glyph = font.glyphs[uint8_t(*c)];
        up = std::max(up, int64_t(glyph.yoffset) + glyph.height);
        down = std::max(down, -int64_t(glyph.yoffset));
    }
    ascent = int32_t(std::clamp<int64_t>(up, 0, limit));
    descent = int32_t(std::clamp<int64_t>(down, 0, limit));
}

void drawLabel(RgbImage& image, int32_t x, int32_t baseline, const char* text, const LabelFont& font,
               const uint8_t colour[3], const LabelClip& clip) {
    // 64-bit throughout: a hostile font's sizes and offsets must neither overflow nor set the loop lengths.
    const int64_t clipLeft = std::max(0, clip.left);
    const int64_t clipTop = std::max(0, clip.top);
    const int64_t clipRight = std::min(image.width, clip.right);
    const int64_t clipBottom = std::min(image.height, clip.bottom);
    double pen = double(x);
    for (const char* c = text; *c != '\0' && pen < double(clipRight); ++c) {
        if (*c == ' ') {
            pen += 0.25 * double(font.lineHeight);
        }
        if (!drawable(font, *c)) {
            continue;
        }
        const Glyph& glyph = font.glyphs[uint8_t(*c)];
        const int64_t texX = std::llround(std::clamp(double(glyph.texLeft) * font.scaleW, -1e12, 1e12));
        const int64_t texY = std::llround(std::clamp(double(glyph.texTop) * font.scaleH, -1e12, 1e12));
        const int64_t left = std::llround(std::max(pen, -1e12));
        // The glyph's bottom row sits yoffset rows above the reference line; its top texel row is drawn on
        // top.
        const int64_t top = int64_t(baseline) - (int64_t(glyph.yoffset) + glyph.height) + 1;
        // Pixels and texels that are both inside: the clip, the glyph and the page.
        const int64_t firstY = std::max({clipTop, top, top - texY});
        const int64_t endY = std::min({clipBottom, top + glyph.height, top - texY + font.pageHeight});
        const int64_t firstX = std::max({clipLeft, left, left - texX});
        const int64_t endX = std::min({clipRight, left + glyph.width, left - texX + font.pageWidth});
        for (int64_t py = firstY; py < endY; ++py) {
            const int64_t ty = texY + (py - top);
            for (int64_t px = firstX; px < endX; ++px) {
                const int64_t tx = texX + (px - left);
                const uint8_t* texel = &font.page[(size_t(ty) * size_t(font.pageWidth) + size_t(tx)) * 4];
                uint8_t* pixel = image.at(int32_t(px), int32_t(py));
                for (int ch = 0; ch < 3; ++ch) {
                    int ink = colour[ch] * texel[ch] / 255;
                    pixel[ch] = uint8_t((ink * texel[3] + pixel[ch] * (255 - texel[3]) + 127) / 255);
                }
            }
        }
        pen += 0.45 * (double(glyph.xadvance) + double(glyph.width));
    }
}

void ContactSheet::begin(const std::vector<uint32_t>& times, const LabelFont* font) {
    cellTimes = times;
    labelFont = font;
    labelAscent = 0;
    if (font != nullptr) {
        // A font taller than the strip is cut at its bottom; the label starts at the strip's top.
        int32_t descent = 0;
        measureLabel(*font, kLabelSample, kStripHeight - 2 * kLabelPadding, labelAscent, descent);
    }
    int32_t cells = int32_t(times.size());
    int32_t columns = std::max(1, std::min(kColumns, cells));
    int32_t rows = std::max(1, (cells + columns - 1) / columns);
    sheet = RgbImage(kGap + columns * (kCellWidth + kGap), kGap + rows * (kCellHeight + kStripHeight + kGap));
    fill(sheet, kSheetBackground);
}

void ContactSheet::cellOrigin(size_t cell, int32_t& x, int32_t& y) const {
    int32_t columns = std::max(1, std::min(kColumns, int32_t(cellTimes.size())));
    x = kGap + int32_t(cell % size_t(columns)) * (kCellWidth + kGap);
    y = kGap + int32_t(cell / size_t(columns)) * (kCellHeight + kStripHeight + kGap);
}

void ContactSheet::addFrame(uint32_t time, const RgbImage& frame) {
    RgbImage thumbnail;
    for (size_t cell = 0; cell < cellTimes.size(); ++cell) {
        if (cellTimes[cell] != time) {
            continue;
        }
        if (thumbnail.width == 0) {
            thumbnail = frame.width == kCellWidth && frame.height == kCellHeight
                            ? frame
                            : resampleArea(frame, kCellWidth, kCellHeight);
        }
        int32_t x = 0;
        int32_t y = 0;
        cellOrigin(cell, x, y);
        blit(thumbnail, sheet, x, y);
        if (labelFont != nullptr) {
            std::string label = formatClock(time);
            const LabelClip strip = {x, y + kCellHeight, x + kCellWidth, y + kCellHeight + kStripHeight};
            drawLabel(sheet, x + kLabelPadding, y + kCellHeight + kLabelPadding + labelAscent - 1,
                      label.c_str(), *labelFont, kLabelColour, strip);
        }
    }
}
