// The baked font: descriptor layout as the engine parses it, page image, baseline and the credits line width.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "decoded_png.h"

namespace {

struct FontGlyph {
    int x, y, width, height, xoffset, yoffset, xadvance, page, chnl;
};

struct ParsedFont {
    std::vector<std::string> lines;
    int lineHeight = 0, base = 0, scaleW = 0, scaleH = 0, pages = 0, charCount = -1;
    std::string pageFile;
    std::map<int, FontGlyph> glyphs;
    int unparsedCharLines = 0;
};

const std::vector<ContentFile>& fontFiles() {
    static const std::vector<ContentFile> files = buildFont();
    return files;
}

// Whole-line matches with the formats the engine reads; %n proves the format consumed the line.
ParsedFont parseDescriptor(const std::string& text) {
    ParsedFont font;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        font.lines.push_back(line);
    if (font.lines.size() < 4) return font;

    int end = 0;
    const char* common = font.lines[1].c_str();
    if (std::sscanf(
            common,
            "common lineHeight=%d base=%d scaleW=%d scaleH=%d pages=%d packed=0 alphaChnl=1 redChnl=0 "
            "greenChnl=0 blueChnl=0%n",
            &font.lineHeight, &font.base, &font.scaleW, &font.scaleH, &font.pages, &end) != 5 ||
        common[end] != '\0')
        font.pages = -1;

    char file[257] = {};
    end = 0;
    if (std::sscanf(font.lines[2].c_str(), "page id=0 file=\"%256[^\"]\"%n", file, &end) == 1 &&
        font.lines[2][size_t(end)] == '\0')
        font.pageFile = file;

    end = 0;
    if (std::sscanf(font.lines[3].c_str(), "chars count=%d%n", &font.charCount, &end) != 1 ||
        font.lines[3][size_t(end)] != '\0')
        font.charCount = -1;

    for (size_t i = 4; i < font.lines.size(); ++i) {
        int id = 0;
        FontGlyph g{};
        end = 0;
        const char* line = font.lines[i].c_str();
        if (std::sscanf(line,
                        "char id=%d x=%d y=%d width=%d height=%d xoffset=%d yoffset=%d xadvance=%d page=%d "
                        "chnl=%d%n",
                        &id, &g.x, &g.y, &g.width, &g.height, &g.xoffset, &g.yoffset, &g.xadvance, &g.page,
                        &g.chnl, &end) == 10 &&
            line[end] == '\0')
            font.glyphs[id] = g;
        else
            ++font.unparsedCharLines;
    }
    return font;
}

const ParsedFont& parsedFont() {
    static const ParsedFont font = [] {
        const ContentFile* descriptor = findEntry(fontFiles(), "demo.fnt");
        return descriptor ? parseDescriptor(std::string(descriptor->data.begin(), descriptor->data.end()))
                          : ParsedFont{};
    }();
    return font;
}

struct TextExtent {
    float left, right; // screen pixels from the left edge
};

// The engine's pen: 0.45 x (xadvance + width) pixels per glyph, a space adds a quarter line height first.
TextExtent measure(const ParsedFont& font, const std::string& text, float startPixel) {
    float pen = startPixel, right = startPixel;
    for (char c : text) {
        if (c == ' ') pen += 0.25f * float(font.lineHeight);
        auto found = font.glyphs.find(c);
        if (found == font.glyphs.end()) continue;
        right = std::max(right, pen + float(found->second.width));
        pen += 0.45f * float(found->second.xadvance + found->second.width);
    }
    return {startPixel, right};
}

} // namespace

TEST(ContentFont, DescriptorHasTheLayoutTheEngineReads) {
    const ContentFile* descriptor = findEntry(fontFiles(), "demo.fnt");
    ASSERT_NE(descriptor, nullptr);
    EXPECT_TRUE(descriptor->compress);
    std::string text(descriptor->data.begin(), descriptor->data.end());
    EXPECT_EQ(text.find('\r'), std::string::npos);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');

    const ParsedFont& font = parsedFont();
    ASSERT_GE(font.lines.size(), 4u);
    EXPECT_EQ(font.lines[0].rfind("info face=", 0), 0u);
    EXPECT_EQ(font.pages, 1);
    EXPECT_EQ(font.pageFile, "demofont.png");
    EXPECT_EQ(font.charCount, 95);
    EXPECT_EQ(font.lines.size(), size_t(4 + font.charCount));
    EXPECT_EQ(font.unparsedCharLines, 0);
    for (int code = 32; code <= 126; ++code) {
        ASSERT_EQ(font.glyphs.count(code), 1u) << "code " << code;
        EXPECT_EQ(font.glyphs.at(code).page, 0);
        EXPECT_EQ(font.glyphs.at(code).chnl, 15);
    }
    for (std::string line : font.lines)
        for (char c : line)
            EXPECT_TRUE(c >= 32 && c < 127) << line;
}

TEST(ContentFont, PageHoldsWhiteGlyphsWithCoverageAlphaAndClearPadding) {
    const ParsedFont& font = parsedFont();
    const ContentFile* page = findEntry(fontFiles(), font.pageFile);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->compress);
    DecodedPng image = decodePng(page->data);
    ASSERT_FALSE(image.rgba.empty());
    EXPECT_EQ(image.storedChannels, 4);
    EXPECT_EQ(image.width, font.scaleW);
    EXPECT_EQ(image.height, font.scaleH);
    EXPECT_TRUE(isPowerOfTwo(image.width) && isPowerOfTwo(image.height));

    std::vector<bool> inGlyph(size_t(image.width) * size_t(image.height), false);
    for (const auto& [code, g] : font.glyphs) {
        SCOPED_TRACE(code);
        ASSERT_TRUE(g.x >= 1 && g.y >= 1 && g.x + g.width + 1 <= image.width &&
                    g.y + g.height + 1 <= image.height);
        for (const auto& [otherCode, o] : font.glyphs) {
            if (otherCode == code || g.width == 0 || o.width == 0) continue;
            bool touching = g.x - 1 < o.x + o.width && o.x < g.x + g.width + 1 && g.y - 1 < o.y + o.height &&
                            o.y < g.y + g.height + 1;
            EXPECT_FALSE(touching) << "glyphs " << code << " and " << otherCode
                                   << " need a texel between them";
        }
        for (int y = g.y; y < g.y + g.height; ++y)
            for (int x = g.x; x < g.x + g.width; ++x)
                inGlyph[size_t(y) * size_t(image.width) + size_t(x)] = true;
    }
    int inked = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.pixel(x, y);
            ASSERT_TRUE(p[0] == 255 && p[1] == 255 && p[2] == 255) << x << "," << y;
            if (!inGlyph[size_t(y) * size_t(image.width) + size_t(x)]) {
                ASSERT_EQ(p[3], 0) << x << "," << y;
            }
            inked += p[3] > 0;
        }
    EXPECT_GT(inked, 2000);
}

// The engine lifts each glyph's bottom edge by yoffset above the pen's line, and draws the page's top row of
// the glyph at the top of the quad.
TEST(ContentFont, GlyphsShareABaseline) {
    const ParsedFont& font = parsedFont();
    ASSERT_FALSE(font.glyphs.empty());
    for (char c : std::string("AHKTXEix"))
        EXPECT_EQ(font.glyphs.at(c).yoffset, 0) << c;
    for (char c : std::string("OSaeo"))
        EXPECT_GE(font.glyphs.at(c).yoffset, -1) << c; // round overshoot
    for (char c : std::string("gjpqy"))
        EXPECT_LT(font.glyphs.at(c).yoffset, -2) << c;
    const FontGlyph& H = font.glyphs.at('H');
    const FontGlyph& dash = font.glyphs.at('-');
    EXPECT_GT(dash.yoffset, 2) << "a dash floats above the baseline";
    EXPECT_LT(dash.yoffset + dash.height, H.height);
    for (char c : std::string("EKLT"))
        EXPECT_EQ(font.glyphs.at(c).height, H.height) << c;
    EXPECT_GT(H.height, 11);
    EXPECT_GT(font.lineHeight, H.height);
}

TEST(ContentFont, CreditsLineFitsTheScreenWidth) {
    const ParsedFont& font = parsedFont();
    ASSERT_FALSE(font.glyphs.empty());
    // Drawn from x = -0.95: 8 pixels from the left edge of the 320-pixel screen.
    TextExtent credits = measure(font, "HALDORIX MERIVANT VOXA", 8.0f);
    EXPECT_LT(credits.right, 312.0f);
    EXPECT_GT(credits.right, 240.0f) << "the line should use the width it has";

    // Titles drawn from x = -0.35: 104 pixels from the left.
    for (const char* title : {"KESTROVA", "TOMBLORA"}) {
        TextExtent extent = measure(font, title, 104.0f);
        EXPECT_LT(extent.right, 300.0f) << title;
        EXPECT_GT(extent.right - extent.left, 90.0f) << title;
    }
}

TEST(ContentFont, NeighbouringLettersBarelyOverlap) {
    const ParsedFont& font = parsedFont();
    ASSERT_FALSE(font.glyphs.empty());
    for (int c = 33; c <= 126; ++c) {
        const FontGlyph& g = font.glyphs.at(c);
        float advance = 0.45f * float(g.xadvance + g.width);
        EXPECT_GE(advance, float(g.width) - 2.0f) << char(c);
        EXPECT_LE(advance, float(g.width) + 6.0f) << char(c);
    }
    const FontGlyph& space = font.glyphs.at(' ');
    float spaceAdvance = 0.25f * float(font.lineHeight) + 0.45f * float(space.xadvance + space.width);
    EXPECT_GT(spaceAdvance, 4.0f);
    EXPECT_LT(spaceAdvance, 9.0f);
}

TEST(ContentFont, OutputIsByteIdenticalFromBuildToBuild) {
    std::vector<ContentFile> again = buildFont();
    ASSERT_EQ(again.size(), fontFiles().size());
    for (size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(again[i].name, fontFiles()[i].name);
        EXPECT_TRUE(again[i].data == fontFiles()[i].data) << again[i].name;
    }
}
