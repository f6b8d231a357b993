// The font descriptor reader: positional lines, formats, and the faults it reports and skips.
#include "gfx/gfx.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const char kInfo[] = "info face=\"Test\" size=16 bold=0 italic=0\n";
const char kCommon[] = "common lineHeight=18 base=14 scaleW=64 scaleH=128 pages=1 packed=0 alphaChnl=0 redChnl=4 "
                       "greenChnl=4 blueChnl=4\n";
const char kPage[] = "page id=0 file=\"page.png\"\n";

std::string charLine(int id, int x, int width, int xadvance) {
    return "char id=" + std::to_string(id) + "   x=" + std::to_string(x) + "   y=32   width=" + std::to_string(width) +
           "   height=16   xoffset=1   yoffset=3   xadvance=" + std::to_string(xadvance) + "   page=0  chnl=15\n";
}

std::string header(int count) {
    return std::string(kInfo) + kCommon + kPage + "chars count=" + std::to_string(count) + "\n";
}

struct Parsed {
    std::unique_ptr<FontDescriptor> font = std::make_unique<FontDescriptor>();
    std::string output;
};

Parsed parse(const std::string& text) {
    Parsed parsed;
    testing::internal::CaptureStdout();
    parseFontDescriptor("demo.fnt", reinterpret_cast<const uint8_t*>(text.data()), text.size(), *parsed.font);
    parsed.output = testing::internal::GetCapturedStdout();
    return parsed;
}

int validCount(const FontDescriptor& font) {
    int count = 0;
    for (const Glyph& glyph : font.glyphs) {
        count += glyph.valid ? 1 : 0;
    }
    return count;
}

TEST(FontDescriptor, ReadsHeaderAndGlyphPlacement) {
    Parsed parsed = parse(header(1) + charLine(65, 16, 8, 9) + "kernings count=0\n");
    const FontDescriptor& font = *parsed.font;
    EXPECT_EQ(parsed.output, "");
    EXPECT_EQ(font.lineHeight, 18);
    EXPECT_EQ(font.scaleW, 64);
    EXPECT_EQ(font.scaleH, 128);
    EXPECT_EQ(font.pages, 1);
    EXPECT_STREQ(font.pageFile, "page.png");
    const Glyph& a = font.glyphs[65];
    ASSERT_TRUE(a.valid);
    EXPECT_FLOAT_EQ(a.texLeft, 0.25f);    // 16 / 64
    EXPECT_FLOAT_EQ(a.texTop, 0.25f);     // 32 / 128
    EXPECT_FLOAT_EQ(a.texRight, 0.375f);  // + 8 / 64
    EXPECT_FLOAT_EQ(a.texBottom, 0.375f); // + 16 / 128
    EXPECT_EQ(a.width, 8);
    EXPECT_EQ(a.height, 16);
    EXPECT_EQ(a.xoffset, 1);
    EXPECT_EQ(a.yoffset, 3);
    EXPECT_EQ(a.xadvance, 9);
    EXPECT_EQ(a.chnl, 15);
    EXPECT_EQ(validCount(font), 1);
}

TEST(FontDescriptor, CrLfLinesReadAlike) {
    std::string lf = header(2) + charLine(65, 16, 8, 9) + charLine(66, 24, 7, 8);
    std::string crlf;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    Parsed a = parse(lf);
    Parsed b = parse(crlf);
    EXPECT_EQ(b.output, "");
    EXPECT_STREQ(b.font->pageFile, "page.png");
    for (int id : {65, 66}) {
        EXPECT_TRUE(b.font->glyphs[id].valid);
        EXPECT_EQ(b.font->glyphs[id].width, a.font->glyphs[id].width);
        EXPECT_EQ(b.font->glyphs[id].texRight, a.font->glyphs[id].texRight);
    }
}

TEST(FontDescriptor, LaterLineForAnIdWins) {
    Parsed parsed = parse(header(2) + charLine(65, 16, 8, 9) + charLine(65, 0, 12, 13));
    EXPECT_EQ(parsed.font->glyphs[65].width, 12);
    EXPECT_EQ(parsed.font->glyphs[65].xadvance, 13);
    EXPECT_FLOAT_EQ(parsed.font->glyphs[65].texLeft, 0.0f);
}

// A line short of fields writes what it has; the rest keep the glyph's earlier values (0 for a new id).
TEST(FontDescriptor, CharLinesShortOfFieldsKeepTheRest) {
    Parsed parsed = parse(header(4) + "char id=65 x=16 y=32 width=8 height=16 xoffset=1 yoffset=3 xadvance=9\n" +
                          "char id=66 x=16 y=32 width=8\n" + charLine(67, 16, 8, 9) + "char id=67 x=32\n");
    EXPECT_EQ(parsed.output, "");
    const Glyph* glyphs = parsed.font->glyphs;
    EXPECT_TRUE(glyphs[65].valid && glyphs[65].xadvance == 9 && glyphs[65].texBottom == 0.375f); // no page, chnl
    EXPECT_TRUE(glyphs[66].valid && glyphs[66].height == 0 && glyphs[66].texRight == 0.375f);   // cut after width
    // Only x again: y counts as 0, the sizes stay.
    EXPECT_TRUE(glyphs[67].width == 8 && glyphs[67].texLeft == 0.5f && glyphs[67].texTop == 0.0f &&
                glyphs[67].texBottom == 0.125f);
}

struct FaultCase {
    const char* name;
    std::string text;
    int validGlyphs;
    const char* warning; // expected within the output
};

class FontDescriptorFaults : public testing::TestWithParam<FaultCase> {};

TEST_P(FontDescriptorFaults, AreReportedAndSkipped) {
    const FaultCase& fault = GetParam();
    Parsed parsed = parse(fault.text);
    EXPECT_EQ(validCount(*parsed.font), fault.validGlyphs);
    EXPECT_NE(parsed.output.find(fault.warning), std::string::npos) << parsed.output;
}

std::string longInfoLine(size_t length) {
    return std::string(length, 'i') + "\n";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FontDescriptorFaults,
    testing::Values(
        FaultCase{"IdsOutsideTheTable", header(4) + charLine(65, 0, 8, 9) + charLine(-1, 0, 8, 9) + charLine(300, 0, 8, 9) + charLine(66, 0, 8, 9), 2,
                  "demo.fnt(7): character id 300 outside 0..255, skipped"},
        FaultCase{"NegativeId", header(1) + charLine(-1, 0, 8, 9), 0, "demo.fnt(5): character id -1 outside 0..255, skipped"},
        FaultCase{"EndsBeforeTheAnnouncedLines", header(5) + charLine(65, 0, 8, 9) + charLine(66, 0, 8, 9), 2,
                  "descriptor ends after 2 of 5 char lines"},
        FaultCase{"HugeCount", header(2147483647) + charLine(65, 0, 8, 9), 1, "ends after 1 of 2147483647"},
        FaultCase{"NegativeCount", header(-3) + charLine(65, 0, 8, 9), 0, "chars count -3 is negative"},
        FaultCase{"SecondPageTakesTheCountLine",
                  std::string(kInfo) + kCommon + kPage + "page id=1 file=\"page2.png\"\nchars count=1\n" + charLine(65, 0, 8, 9), 0,
                  "demo.fnt(4): no chars count line"},
        FaultCase{"ZeroPageSize",
                  std::string(kInfo) + "common lineHeight=18 base=14 scaleW=0 scaleH=128 pages=1 packed=0 alphaChnl=0 redChnl=4 greenChnl=4 blueChnl=4\n" +
                      kPage + "chars count=1\n" + charLine(65, 0, 8, 9),
                  0, "page size 0x128 is not positive"},
        FaultCase{"CommonLineMissing", std::string(kInfo) + "nothing here\n" + kPage + "chars count=1\n" + charLine(65, 0, 8, 9), 0,
                  "demo.fnt(2): no common line"},
        // A 256-byte piece ends the line; the line feed after it reads as an empty line, shifting the rest.
        FaultCase{"InfoLineOf256", longInfoLine(256) + kCommon + kPage + "chars count=1\n" + charLine(65, 0, 8, 9), 0,
                  "demo.fnt(2): no common line"},
        FaultCase{"Empty", "", 0, "no common line"}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST(FontDescriptor, InfoLineOf255FitsOneLine) {
    Parsed parsed = parse(longInfoLine(255) + kCommon + kPage + "chars count=1\n" + charLine(65, 0, 8, 9));
    EXPECT_EQ(parsed.output, "");
    EXPECT_TRUE(parsed.font->glyphs[65].valid);
}

TEST(FontDescriptor, PageWithoutQuotesOrNameIsReported) {
    Parsed parsed = parse(std::string(kInfo) + kCommon + "page id=0\nchars count=0\n");
    EXPECT_STREQ(parsed.font->pageFile, "");
    EXPECT_NE(parsed.output.find("demo.fnt(3): no page line"), std::string::npos);
}

} // namespace
