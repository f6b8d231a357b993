// The demo's bitmap font: "demo.fnt", a text BMFont descriptor, and its page "demofont.png".
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "content.h"
#include "font_bake.h"
#include "png.h"

namespace {

constexpr float kEmPixels = 19.0f; // largest size at which the credits line fits the 320-pixel screen
constexpr const char* kPageName = "demofont.png";
// The engine moves the pen by this share of (xadvance + width), and a space by a quarter of the line height
// on top of its own glyph's advance.
constexpr float kAdvanceShare = 0.45f;
constexpr float kSpaceShareOfLine = 0.25f;

std::vector<uint8_t> readFile(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) throw std::runtime_error(std::string("font: cannot open ") + path);
    std::vector<uint8_t> data;
    uint8_t buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        data.insert(data.end(), buffer, buffer + got);
    std::fclose(file);
    return data;
}

// xadvance such that the engine's advance comes out as the outline font's own advance.
int engineXAdvance(const BakedGlyph& glyph, int lineHeight) {
    float wanted = glyph.advance;
    if (glyph.code == ' ') wanted -= kSpaceShareOfLine * float(lineHeight);
    long value = std::lround(wanted / kAdvanceShare - float(glyph.width));
    return value < 0 ? 0 : int(value);
}

std::string formatDescriptor(const BakedFont& font) {
    std::string text;
    char line[256];
    std::snprintf(
        line, sizeof line,
        "info face=\"DejaVu Sans Bold\" size=%d bold=1 italic=0 charset=\"\" unicode=0 stretchH=100 "
        "smooth=1 aa=1 padding=0,0,0,0 spacing=1,1\n",
        int(kEmPixels));
    text += line;
    std::snprintf(line, sizeof line,
                  "common lineHeight=%d base=%d scaleW=%d scaleH=%d pages=1 packed=0 alphaChnl=1 redChnl=0 "
                  "greenChnl=0 blueChnl=0\n",
                  font.lineHeight, font.base, font.page.width, font.page.height);
    text += line;
    std::snprintf(line, sizeof line, "page id=0 file=\"%s\"\n", kPageName);
    text += line;
    std::snprintf(line, sizeof line, "chars count=%d\n", int(font.glyphs.size()));
    text += line;
    // yoffset lifts the glyph's bottom edge above the pen's reference line: the engine adds it.
    for (const BakedGlyph& glyph : font.glyphs) {
        std::snprintf(
            line, sizeof line,
            "char id=%d x=%d y=%d width=%d height=%d xoffset=%d yoffset=%d xadvance=%d page=0 chnl=15\n",
            glyph.code, glyph.x, glyph.y, glyph.width, glyph.height, glyph.left, glyph.bottom,
            engineXAdvance(glyph, font.lineHeight));
        text += line;
    }
    return text;
}

} // namespace

std::vector<ContentFile> buildFont() {
    BakedFont font = bakeFont(readFile(TOMBLORA_FONT_FILE), kEmPixels, 32, 126);
    std::string descriptor = formatDescriptor(font);
    return {{"demo.fnt", std::vector<uint8_t>(descriptor.begin(), descriptor.end()), true},
            {kPageName, encodePng(font.page, 4), false}};
}
