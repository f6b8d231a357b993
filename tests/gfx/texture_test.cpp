// Textures from archive entries: upload layout, formats, parameters and undecodable entries.
#include "gfx/gfx.h"
#include "support/gl_test_context.h"

#include <GL/gl.h>

#include <memory>
#include <string>

namespace {

using TextureTest = GlTest;

std::vector<uint8_t> readTexture(GLenum format, int32_t width, int32_t height) {
    std::vector<uint8_t> texels(static_cast<size_t>(width) * height * (format == GL_RGBA ? 4 : 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

TEST_F(TextureTest, RgbRowsOfThreeTexelsUploadUnsheared) {
    // 9-byte rows: with an unpack alignment of 4 every row after the first would start 3 bytes late.
    std::vector<uint8_t> pixels;
    for (uint8_t i = 0; i < 3 * 5; ++i) {
        pixels.insert(pixels.end(), {static_cast<uint8_t>(i * 10), static_cast<uint8_t>(200 - i * 10), static_cast<uint8_t>(i)});
    }
    TestArchive archive({storedEntry("odd.png", encodePng(3, 5, 3, pixels))});
    ASSERT_TRUE(archive.ok()) << archive.error();
    std::unique_ptr<Texture> texture(Texture::loadFromArchive("odd.png", 0));
    ASSERT_NE(texture->id(), 0u);
    EXPECT_EQ(texture->width, 3);
    EXPECT_EQ(texture->height, 5);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), texture->id());
    EXPECT_EQ(readTexture(GL_RGB, 3, 5), pixels);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
}

TEST_F(TextureTest, FormatCodeChoosesRgbaOrRgb) {
    struct Case {
        int32_t sourceComponents;
        int32_t format;
        GLint internalFormat;
        std::vector<uint8_t> texel; // read back as RGBA
    };
    const Case cases[] = {
        {4, 1, GL_RGBA, {10, 20, 30, 40}},
        {4, 0, GL_RGB, {10, 20, 30, 255}}, // alpha lost
        {3, 1, GL_RGBA, {10, 20, 30, 255}}, // opaque everywhere
        {4, 2, GL_RGB, {10, 20, 30, 255}},
        {4, 3, GL_RGB, {10, 20, 30, 255}},
        {4, -1, GL_RGB, {10, 20, 30, 255}},
        {4, 7, GL_RGB, {10, 20, 30, 255}},
    };
    TestArchive archive({storedEntry("rgba.png", encodePng(2, 2, 4, solidPixels(2, 2, 4, {10, 20, 30, 40}))),
                         storedEntry("rgb.png", encodePng(2, 2, 3, solidPixels(2, 2, 3, {10, 20, 30})))});
    ASSERT_TRUE(archive.ok()) << archive.error();
    for (const Case& c : cases) {
        std::unique_ptr<Texture> texture(Texture::loadFromArchive(c.sourceComponents == 4 ? "rgba.png" : "rgb.png", c.format));
        ASSERT_NE(texture->id(), 0u);
        GLint internalFormat = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internalFormat);
        EXPECT_EQ(internalFormat, c.internalFormat) << "format code " << c.format;
        std::vector<uint8_t> texels = readTexture(GL_RGBA, 2, 2);
        EXPECT_EQ(std::vector<uint8_t>(texels.begin(), texels.begin() + 4), c.texel) << "format code " << c.format;
    }
}

TEST_F(TextureTest, RepeatsAndFiltersLinearlyWithoutMipmaps) {
    TestArchive archive({storedEntry("a.png", encodePng(4, 4, 3, solidPixels(4, 4, 3, {1, 2, 3})))});
    ASSERT_TRUE(archive.ok()) << archive.error();
    std::unique_ptr<Texture> texture(Texture::loadFromArchive("a.png", 0));
    const std::pair<GLenum, GLint> expected[] = {{GL_TEXTURE_WRAP_S, GL_REPEAT},
                                                 {GL_TEXTURE_WRAP_T, GL_REPEAT},
                                                 {GL_TEXTURE_MIN_FILTER, GL_LINEAR},
                                                 {GL_TEXTURE_MAG_FILTER, GL_LINEAR}};
    for (const auto& [parameter, value] : expected) {
        GLint actual = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, parameter, &actual);
        EXPECT_EQ(actual, value) << std::hex << parameter;
    }
    GLint level1Width = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1Width);
    EXPECT_EQ(level1Width, 0);
}

TEST_F(TextureTest, UndecodableEntryReportsAndStaysEmpty) {
    std::vector<uint8_t> png = encodePng(4, 4, 3, solidPixels(4, 4, 3, {1, 2, 3}));
    const std::string bmp = std::string("BM\x46\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00", 14) + std::string(56, '\0');
    const std::string jpeg = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11);
    TestArchive archive({storedEntry("picture.bmp", bmp), storedEntry("photo.jpg", jpeg),
                         storedEntry("half.png", std::vector<uint8_t>(png.begin(), png.begin() + 30))});
    ASSERT_TRUE(archive.ok()) << archive.error();
    for (const char* name : {"picture.bmp", "photo.jpg", "half.png"}) {
        testing::internal::CaptureStdout();
        std::unique_ptr<Texture> texture(Texture::loadFromArchive(name, 0));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("error loading ") + name + "\n");
        EXPECT_EQ(texture->id(), 0u);
        EXPECT_EQ(texture->width, 0);
        EXPECT_EQ(texture->height, 0);
    }
}

} // namespace
