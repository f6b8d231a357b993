// The full-screen quad: orientation, coverage, additive blending and the state it leaves.
#include "gfx/gfx.h"
#include "support/gl_test_context.h"

#include <GL/gl.h>

#include <cmath>
#include <memory>

namespace {

class ScreenQuadTest : public GlTest {
  protected:
    uint32_t makeTexture(int32_t width, int32_t height, const std::vector<uint8_t>& rgb) {
        texture.reset();
        archive.reset();
        archive = std::make_unique<TestArchive>(std::vector<ArchiveInput>{storedEntry("quad.png", encodePng(width, height, 3, rgb))});
        EXPECT_TRUE(archive->ok()) << archive->error();
        texture.reset(Texture::loadFromArchive("quad.png", 0));
        return texture->id();
    }
    uint32_t solidTexture(uint8_t r, uint8_t g, uint8_t b) { return makeTexture(2, 2, solidPixels(2, 2, 3, {r, g, b})); }
    void clearTo(float r, float g, float b) {
        glClearColor(r, g, b, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    std::unique_ptr<TestArchive> archive;
    std::unique_ptr<Texture> texture;
};

TEST_F(ScreenQuadTest, FirstImageRowLiesAtTheBottom) {
    // 64 rows: 0-7 red, 56-63 blue, green between.
    std::vector<uint8_t> rgb;
    for (int row = 0; row < 64; ++row) {
        std::vector<uint8_t> colour = row < 8 ? std::vector<uint8_t>{255, 0, 0} : row >= 56 ? std::vector<uint8_t>{0, 0, 255} : std::vector<uint8_t>{0, 255, 0};
        for (int x = 0; x < 4; ++x) {
            rgb.insert(rgb.end(), colour.begin(), colour.end());
        }
    }
    uint32_t id = makeTexture(4, 64, rgb);
    drawScreenQuad(id, false);
    EXPECT_EQ(gl.readPixel(160, 4), (Rgb{255, 0, 0}));
    EXPECT_EQ(gl.readPixel(160, 120), (Rgb{0, 255, 0}));
    EXPECT_EQ(gl.readPixel(160, 235), (Rgb{0, 0, 255}));
}

TEST_F(ScreenQuadTest, ReachesPastTheBottomBy001AndTheTopBy005) {
    // Red = texel row index, so the colour read tells which t each screen row samples.
    std::vector<uint8_t> rgb;
    for (int row = 0; row < 256; ++row) {
        for (int x = 0; x < 4; ++x) {
            rgb.insert(rgb.end(), {static_cast<uint8_t>(row), 0, 0});
        }
    }
    uint32_t id = makeTexture(4, 256, rgb);
    drawScreenQuad(id, false);
    for (int row : {0, 1, 60, 120, 180, 238, 239}) {
        double y = -1.0 + (row + 0.5) * 2.0 / 240.0;
        double t = (y + 1.01) / (1.05 + 1.01);
        double texel = t * 256.0 - 0.5;
        EXPECT_NEAR(gl.readPixel(100, row).r, texel, 1.5) << "screen row " << row;
    }
}

TEST_F(ScreenQuadTest, CoversEveryPixel) {
    uint32_t id = solidTexture(0, 255, 0);
    clearTo(1, 0, 1);
    drawScreenQuad(id, false);
    std::vector<uint8_t> frame = gl.readFrame();
    int uncovered = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            uncovered += GlTestContext::pixelOf(frame, x, y) == Rgb{0, 255, 0} ? 0 : 1;
        }
    }
    EXPECT_EQ(uncovered, 0);
}

TEST_F(ScreenQuadTest, TextureZeroDrawsWhite) {
    clearTo(0, 0, 0);
    drawScreenQuad(0, false);
    EXPECT_EQ(gl.readPixel(0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(gl.readPixel(319, 239), (Rgb{255, 255, 255}));
}

TEST_F(ScreenQuadTest, AdditiveAddsAndSaturates) {
    struct Case {
        Rgb texel;
        Rgb expected; // over a frame of (100, 200, 50)
    };
    const Case cases[] = {
        {{0, 0, 0}, {100, 200, 50}},
        {{200, 100, 0}, {255, 255, 50}},
        {{20, 30, 40}, {120, 230, 90}},
    };
    for (const Case& c : cases) {
        uint32_t id = solidTexture(c.texel.r, c.texel.g, c.texel.b);
        clearTo(100 / 255.0f, 200 / 255.0f, 50 / 255.0f);
        drawScreenQuad(id, true);
        EXPECT_TRUE(nearColour(gl.readPixel(50, 50), c.expected, 1)) << gl.readPixel(50, 50) << " for " << c.texel;
    }
}

void expectStateAfterQuad(uint32_t texture) {
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    GLint mode = 0, bound = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(static_cast<uint32_t>(bound), texture);
    for (GLenum matrix : {GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX}) {
        float m[16];
        glGetFloatv(matrix, m);
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << "matrix " << std::hex << matrix << " element " << std::dec << i;
        }
    }
}

void scrambleState() {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 2, 0, 2, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(3, 4, 5);
    glMatrixMode(GL_TEXTURE);
}

TEST_F(ScreenQuadTest, LeavesTheStateOfItsContract) {
    uint32_t id = solidTexture(10, 10, 10);

    scrambleState();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    drawScreenQuad(id, false);
    expectStateAfterQuad(id);
    EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "a plain quad leaves blending as the caller set it";
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);

    scrambleState();
    drawScreenQuad(id, true);
    expectStateAfterQuad(id);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_ONE);
    EXPECT_EQ(destination, GL_ONE);
}

TEST_F(ScreenQuadTest, NeitherTestsNorWritesDepth) {
    uint32_t id = solidTexture(0, 0, 255);
    glEnable(GL_DEPTH_TEST);
    glClearDepth(0.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glDepthFunc(GL_LESS); // a tested quad at depth 0.5 would fail everywhere against 0
    drawScreenQuad(id, false);
    EXPECT_EQ(gl.readPixel(160, 120), (Rgb{0, 0, 255}));
    float depth = -1;
    glReadPixels(160, 120, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 0.0f);
    glClearDepth(1.0);
}

} // namespace
