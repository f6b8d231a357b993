// The bitmap font on screen: glyph placement, pen advance, corner colours and the state left behind.
#include "gfx/gfx.h"
#include "support/gl_test_context.h"

#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

struct GlyphSpec {
    int id, width, height, yoffset, xadvance;
};

std::string descriptor(const std::vector<GlyphSpec>& glyphs, int lineHeight = 16, const char* page = "page.png") {
    std::string text = "info face=\"Test\" size=16\n";
    text += "common lineHeight=" + std::to_string(lineHeight) +
            " base=12 scaleW=64 scaleH=64 pages=1 packed=0 alphaChnl=0 redChnl=4 greenChnl=4 blueChnl=4\n";
    text += std::string("page id=0 file=\"") + page + "\"\n";
    text += "chars count=" + std::to_string(glyphs.size()) + "\n";
    for (const GlyphSpec& g : glyphs) {
        // xoffset 5 on purpose: it must not shift anything.
        text += "char id=" + std::to_string(g.id) + " x=0 y=0 width=" + std::to_string(g.width) + " height=" +
                std::to_string(g.height) + " xoffset=5 yoffset=" + std::to_string(g.yoffset) +
                " xadvance=" + std::to_string(g.xadvance) + " page=0 chnl=15\n";
    }
    return text;
}

class BitmapFontTest : public GlTest {
  protected:
    void loadFont(const std::vector<GlyphSpec>& glyphs, int lineHeight = 16) {
        archive = std::make_unique<TestArchive>(std::vector<ArchiveInput>{
            storedEntry("t.fnt", descriptor(glyphs, lineHeight)),
            storedEntry("page.png", encodePng(64, 64, 4, solidPixels(64, 64, 4, {255, 255, 255, 255})))});
        ASSERT_TRUE(archive->ok()) << archive->error();
        font.reset(BitmapFont::load("t.fnt"));
        ASSERT_NE(font->pageTexture->id(), 0u);
        // What the loading screen sets before drawing text.
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_DEPTH_TEST);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
    }
    bool lit(int x, int y) { return gl.readPixel(x, y) == Rgb{255, 255, 255}; }
    bool dark(int x, int y) { return gl.readPixel(x, y) == Rgb{0, 0, 0}; }

    std::unique_ptr<TestArchive> archive;
    std::unique_ptr<BitmapFont> font;
};

const GlyphSpec kWorkedGlyph{'A', 10, 12, 2, 11};

TEST_F(BitmapFontTest, WorkedPlacementExample) {
    loadFont({kWorkedGlyph});
    font->drawText(-0.95f, -0.95f, "A", false);
    // x -0.95..-0.8875 is pixels 8..17; y -0.93333..-0.83333 is rows 8..19.
    EXPECT_TRUE(lit(8, 8));
    EXPECT_TRUE(lit(17, 8));
    EXPECT_TRUE(lit(8, 19));
    EXPECT_TRUE(lit(17, 19));
    EXPECT_TRUE(dark(7, 12)) << "xoffset must not shift the glyph";
    EXPECT_TRUE(dark(18, 12));
    EXPECT_TRUE(dark(12, 7));
    EXPECT_TRUE(dark(12, 20));
}

TEST_F(BitmapFontTest, NextGlyphStarts00590625FurtherRight) {
    loadFont({kWorkedGlyph});
    font->drawText(-0.95f, -0.95f, "AA", false);
    // 0.0590625 NDC is 9.45 pixels: the second glyph spans 17.45..27.45.
    EXPECT_TRUE(lit(26, 12));
    EXPECT_TRUE(dark(27, 12));
}

TEST_F(BitmapFontTest, SpaceAddsAQuarterLineHeightOfPixels) {
    loadFont({kWorkedGlyph}, 16);
    font->drawText(-0.95f, -0.95f, "A A", false);
    // No glyph for the space: 4 pixels more, the second A spans 21.45..31.45.
    EXPECT_TRUE(dark(19, 12));
    EXPECT_TRUE(lit(22, 12));
    EXPECT_TRUE(lit(30, 12));
    EXPECT_TRUE(dark(31, 12));
}

TEST_F(BitmapFontTest, SpaceGlyphIsDrawnAndAdvancesToo) {
    loadFont({kWorkedGlyph, {' ', 2, 2, 0, 2}}, 16);
    font->drawText(-0.95f, -0.95f, " A", false);
    // 4 pixels, then the space glyph itself (at 12..13, rows 6..7) and its advance 0.45 * 4 = 1.8.
    EXPECT_TRUE(lit(12, 6));
    EXPECT_TRUE(lit(14, 12));
    EXPECT_TRUE(lit(23, 12));
    EXPECT_TRUE(dark(24, 12));
}

TEST_F(BitmapFontTest, UndrawableBytesNeitherDrawNorMove) {
    loadFont({kWorkedGlyph});
    font->drawText(-0.95f, -0.95f, "AA", false);
    const std::vector<uint8_t> reference = gl.readFrame();
    for (const char* text : {"A\x80" "A", "A\xff" "A", "AzA", "A\x01" "A"}) {
        glClear(GL_COLOR_BUFFER_BIT);
        font->drawText(-0.95f, -0.95f, text, false);
        EXPECT_TRUE(gl.readFrame() == reference) << "text with byte " << int(static_cast<uint8_t>(text[1]));
    }
}

TEST_F(BitmapFontTest, ShiftStartsThePenLeftByTheTextAdvance) {
    loadFont({kWorkedGlyph});
    font->drawText(0.0f, -0.95f, "A", true);
    // Pen starts at -(11 + 10) / 320 NDC = -10.5 pixels from the centre: pixels 149.5..159.5.
    EXPECT_TRUE(lit(150, 12));
    EXPECT_TRUE(lit(158, 12));
    EXPECT_TRUE(dark(148, 12));
    EXPECT_TRUE(dark(160, 12));
}

TEST_F(BitmapFontTest, LoadingCornerColours) {
    std::vector<GlyphSpec> letters;
    for (char c : std::string("LOADIN G")) {
        if (c != ' ') {
            letters.push_back({c, 24, 24, 0, 40});
        }
    }
    loadFont(letters);
    font->setColor(1, 1, 0, 1);
    font->setCornerColor(0, 1, 0.5f, 0, 1);
    font->setCornerColor(3, 0, 0, 0, 1);
    font->drawText(-0.95f, -0.95f, "LOADING", false);
    const Rgb orange{255, 128, 0}, yellow{255, 255, 0}, black{0, 0, 0};
    // Each letter spans 24 x 24 pixels from x = 8 + 28.8 k, rows 6..29; samples 1 to 2 pixels in from a corner
    // carry up to ~45 of the neighbouring corners' colours.
    for (int k = 0; k < 7; ++k) {
        int left = static_cast<int>(std::ceil(8 + 28.8 * k));
        int right = left + 22;
        const std::pair<Rgb, Rgb> corners[] = {{gl.readPixel(left + 1, 7), orange},
                                               {gl.readPixel(right - 1, 7), yellow},
                                               {gl.readPixel(left + 1, 28), yellow},
                                               {gl.readPixel(right - 1, 28), black}};
        for (int corner = 0; corner < 4; ++corner) {
            EXPECT_TRUE(nearColour(corners[corner].first, corners[corner].second, 48))
                << "letter " << k << " corner " << corner << ": " << corners[corner].first;
        }
    }
}

TEST_F(BitmapFontTest, CornerIndicesOutsideTheQuadAreIgnored) {
    loadFont({kWorkedGlyph});
    font->setColor(0.5f, 0.25f, 0.75f, 1);
    font->setCornerColor(-1, 0, 0, 0, 0);
    font->setCornerColor(4, 0, 0, 0, 0);
    const float expected[4] = {0.5f, 0.25f, 0.75f, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(font->cornerColors[i], expected[i % 4]) << i;
    }
}

TEST_F(BitmapFontTest, EmptyTextDrawsNothingAndLeavesTheState) {
    loadFont({kWorkedGlyph});
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    glMatrixMode(GL_TEXTURE);
    glBindTexture(GL_TEXTURE_2D, 0);
    const std::vector<uint8_t> before = gl.readFrame();
    font->drawText(-0.95f, -0.95f, "", false);
    EXPECT_TRUE(gl.readFrame() == before);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    GLint mode = 0, bound = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(static_cast<uint32_t>(bound), font->pageTexture->id());
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
    }
}

TEST(BitmapFontLoad, PageThatDoesNotDecodeLeavesTextureZero) {
    GlTestContext gl;
    ASSERT_TRUE(gl.open()) << gl.error();
    TestArchive archive({storedEntry("t.fnt", descriptor({kWorkedGlyph})), storedEntry("page.png", std::string("not a png"))});
    ASSERT_TRUE(archive.ok()) << archive.error();
    testing::internal::CaptureStdout();
    std::unique_ptr<BitmapFont> font(BitmapFont::load("t.fnt"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "error loading page.png\n");
    EXPECT_EQ(font->pageTexture->id(), 0u);
    EXPECT_TRUE(font->glyphs[65].valid);
    EXPECT_EQ(font->lineHeight, 16);
    for (float c : font->cornerColors) {
        EXPECT_EQ(c, 1.0f);
    }
}

} // namespace
