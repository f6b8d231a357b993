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

void measureLabel(const LabelFont& font, const char* text, int32_t& ascent, int32_t& descent) {
    ascent = 0;
    descent = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (!drawable(font, *c)) {
            continue;
        }
        const Glyph& glyph = font.glyphs[uint8_t(*c)];
        ascent = std::max(ascent, glyph.yoffset + glyph.height);
        descent = std::max(descent, -glyph.yoffset);
    }
}

void drawLabel(RgbImage& image, int32_t x, int32_t baseline, const char* text, const LabelFont& font,
               const uint8_t colour[3]) {
    float pen = float(x);
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == ' ') {
            pen += 0.25f * float(font.lineHeight);
        }
        if (!drawable(font, *c)) {
            continue;
        }
        const Glyph& glyph = font.glyphs[uint8_t(*c)];
        int32_t texX = int32_t(std::lround(glyph.texLeft * float(font.scaleW)));
        int32_t texY = int32_t(std::lround(glyph.texTop * float(font.scaleH)));
        int32_t left = int32_t(std::lround(pen));
        // The glyph's bottom row sits yoffset rows above the reference line; its top texel row is drawn on
        // top.
        int32_t top = baseline - (glyph.yoffset + glyph.height) + 1;
        for (int32_t gy = 0; gy < glyph.height; ++gy) {
            int32_t py = top + gy;
            int32_t ty = texY + gy;
            if (py < 0 || py >= image.height || ty < 0 || ty >= font.pageHeight) {
                continue;
            }
            for (int32_t gx = 0; gx < glyph.width; ++gx) {
                int32_t px = left + gx;
                int32_t tx = texX + gx;
                if (px < 0 || px >= image.width || tx < 0 || tx >= font.pageWidth) {
                    continue;
                }
                const uint8_t* texel = &font.page[(size_t(ty) * size_t(font.pageWidth) + size_t(tx)) * 4];
                uint8_t* pixel = image.at(px, py);
                for (int ch = 0; ch < 3; ++ch) {
                    int ink = colour[ch] * texel[ch] / 255;
                    pixel[ch] = uint8_t((ink * texel[3] + pixel[ch] * (255 - texel[3]) + 127) / 255);
                }
            }
        }
        pen += 0.45f * float(glyph.xadvance + glyph.width);
    }
}

void ContactSheet::begin(const std::vector<uint32_t>& times, const LabelFont* font) {
    cellTimes = times;
    labelFont = font;
    stripHeight = 0;
    labelAscent = 0;
    if (font != nullptr) {
        int32_t descent = 0;
        measureLabel(*font, kLabelSample, labelAscent, descent);
        stripHeight = labelAscent + descent + 2 * kLabelPadding;
    }
    int32_t cells = int32_t(times.size());
    int32_t columns = std::max(1, std::min(kColumns, cells));
    int32_t rows = std::max(1, (cells + columns - 1) / columns);
    sheet = RgbImage(kGap + columns * (kCellWidth + kGap), kGap + rows * (kCellHeight + stripHeight + kGap));
    fill(sheet, kSheetBackground);
}

void ContactSheet::cellOrigin(size_t cell, int32_t& x, int32_t& y) const {
    int32_t columns = std::max(1, std::min(kColumns, int32_t(cellTimes.size())));
    x = kGap + int32_t(cell % size_t(columns)) * (kCellWidth + kGap);
    y = kGap + int32_t(cell / size_t(columns)) * (kCellHeight + stripHeight + kGap);
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
            drawLabel(sheet, x + kLabelPadding, y + kCellHeight + kLabelPadding + labelAscent - 1,
                      label.c_str(), *labelFont, kLabelColour);
        }
    }
}
