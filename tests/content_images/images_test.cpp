// Generated pictures: names, sizes, alpha, orientation of the full-screen images, tiling, atlas layout.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "decoded_png.h"
#include "images/atlas.h"
#include "images/images.h"

namespace {

const std::vector<ContentFile>& images() {
    static const std::vector<ContentFile> files = buildImages();
    return files;
}

DecodedPng decodedImage(const std::string& name) {
    const ContentFile* file = findEntry(images(), name);
    return file ? decodePng(file->data) : DecodedPng{};
}

struct MeanColor {
    double r = 0, g = 0, b = 0;
};

MeanColor meanOfRows(const DecodedPng& image, int firstRow, int rowCount) {
    MeanColor mean;
    for (int y = firstRow; y < firstRow + rowCount; ++y)
        for (int x = 0; x < image.width; ++x) {
            mean.r += image.pixel(x, y)[0];
            mean.g += image.pixel(x, y)[1];
            mean.b += image.pixel(x, y)[2];
        }
    double n = double(rowCount) * image.width;
    return {mean.r / n, mean.g / n, mean.b / n};
}

// Mean absolute RGB difference between two columns (or rows, with transposed = true).
double lineDifference(const DecodedPng& image, int a, int b, bool rows) {
    double sum = 0;
    int length = rows ? image.width : image.height;
    for (int i = 0; i < length; ++i) {
        const uint8_t* p = rows ? image.pixel(i, a) : image.pixel(a, i);
        const uint8_t* q = rows ? image.pixel(i, b) : image.pixel(b, i);
        for (int c = 0; c < 3; ++c)
            sum += std::abs(int(p[c]) - int(q[c]));
    }
    return sum / length;
}

const char* const kRequiredNames[] = {
    "default.png",        "bg1.png",       "bg2.png",  "bg3.png",    "sunglow.png", "cliffdark.png",
    "Terex_MainBody.png", "harvester.png", "Tire.png", "osprey.png", "grass.png"};

} // namespace

TEST(ContentImages, EveryRequiredEntryDecodesWithPowerOfTwoSize) {
    ASSERT_EQ(images().size(), std::size(kRequiredNames));
    for (const char* name : kRequiredNames) {
        SCOPED_TRACE(name);
        const ContentFile* file = findEntry(images(), name);
        ASSERT_NE(file, nullptr);
        EXPECT_FALSE(file->compress);
        DecodedPng image = decodePng(file->data);
        ASSERT_FALSE(image.rgba.empty());
        EXPECT_TRUE(isPowerOfTwo(image.width) && isPowerOfTwo(image.height));
        EXPECT_LE(std::max(image.width, image.height), 512);
        bool wantsAlpha = std::string(name) == "grass.png";
        EXPECT_EQ(image.storedChannels, wantsAlpha ? 4 : 3);
        // RGB rows are uploaded with the GL's default 4-byte unpack alignment.
        EXPECT_EQ(image.width * 3 % 4, 0);
    }
}

TEST(ContentImages, OutputIsByteIdenticalFromBuildToBuild) {
    std::vector<ContentFile> again = buildImages();
    ASSERT_EQ(again.size(), images().size());
    for (size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(again[i].name, images()[i].name);
        EXPECT_TRUE(again[i].data == images()[i].data) << again[i].name;
    }
}

TEST(ContentImages, DefaultTextureIsNearWhite) {
    DecodedPng image = decodedImage("default.png");
    ASSERT_FALSE(image.rgba.empty());
    for (size_t i = 0; i < image.rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            ASSERT_GE(image.rgba[i + size_t(c)], 244);
}

// The screen quad puts the first stored row at the bottom of the screen.
TEST(ContentImages, FullScreenPicturesAreStoredUpsideDown) {
    DecodedPng field = decodedImage("bg2.png");
    ASSERT_FALSE(field.rgba.empty());
    MeanColor fieldBottom = meanOfRows(field, 0, 8), fieldTop = meanOfRows(field, field.height - 8, 8);
    EXPECT_GT(fieldTop.b - fieldTop.r, 80) << "deep blue sky belongs in the last rows";
    EXPECT_LT(fieldBottom.b - fieldBottom.r, 40) << "hazy treeline belongs in the first rows";

    DecodedPng chase = decodedImage("bg3.png");
    ASSERT_FALSE(chase.rgba.empty());
    MeanColor chaseBottom = meanOfRows(chase, 0, 8), chaseTop = meanOfRows(chase, chase.height - 8, 8);
    EXPECT_GT(chaseBottom.r, chaseBottom.b + 80) << "warm horizon belongs in the first rows";
    EXPECT_GT(chaseTop.b, chaseTop.r + 50) << "blue zenith belongs in the last rows";

    DecodedPng title = decodedImage("bg1.png");
    ASSERT_FALSE(title.rgba.empty());
    MeanColor titleBottom = meanOfRows(title, 0, 8), titleTop = meanOfRows(title, title.height - 8, 8);
    EXPECT_GT(titleBottom.r, titleTop.r + 20) << "violet foot belongs in the first rows";
}

TEST(ContentImages, SunGlowIsBlackExceptAroundTheSun) {
    DecodedPng glow = decodedImage("sunglow.png");
    ASSERT_FALSE(glow.rgba.empty());
    for (int x = 0; x < glow.width; ++x)
        for (int y : {0, glow.height - 1}) {
            const uint8_t* p = glow.pixel(x, y);
            ASSERT_EQ(p[0] + p[1] + p[2], 0) << "x " << x << " row " << y;
        }
    for (int y = 0; y < glow.height; ++y)
        for (int x : {0, glow.width - 1}) {
            const uint8_t* p = glow.pixel(x, y);
            ASSERT_EQ(p[0] + p[1] + p[2], 0) << "x " << x << " row " << y;
        }

    int brightestX = 0, brightestY = 0, brightest = -1;
    for (int y = 0; y < glow.height; ++y)
        for (int x = 0; x < glow.width; ++x) {
            const uint8_t* p = glow.pixel(x, y);
            if (p[0] + p[1] + p[2] > brightest)
                brightest = p[0] + p[1] + p[2], brightestX = x, brightestY = y;
        }
    // Texel row of a screen height: the quad shows t = 0.0049 at the bottom edge, 0.9757 at the top.
    double expectedX = kSunGlowScreenX * glow.width;
    double expectedRow = (0.0049 + kSunGlowScreenY * (0.9757 - 0.0049)) * glow.height;
    EXPECT_NEAR(brightestX + 0.5, expectedX, 1.5);
    EXPECT_NEAR(brightestY + 0.5, expectedRow, 1.5);
    const uint8_t* core = glow.pixel(brightestX, brightestY);
    EXPECT_GT(core[0], core[2]) << "the core is warm";
    EXPECT_LT(core[2], 200) << "the core must not blow out to white";
}

TEST(ContentImages, GrassHasRealAlphaAndStandsOnTheBottomEdge) {
    DecodedPng grass = decodedImage("grass.png");
    ASSERT_FALSE(grass.rgba.empty());
    size_t clear = 0, opaque = 0, pixels = size_t(grass.width) * size_t(grass.height);
    for (size_t i = 0; i < pixels; ++i) {
        uint8_t alpha = grass.rgba[i * 4 + 3];
        clear += alpha == 0;
        opaque += alpha == 255;
    }
    EXPECT_GT(clear, pixels / 4);
    EXPECT_GT(opaque, pixels / 10);

    auto opaqueShareOfRow = [&](int y) {
        int count = 0;
        for (int x = 0; x < grass.width; ++x)
            count += grass.pixel(x, y)[3] > 128;
        return double(count) / grass.width;
    };
    EXPECT_GT(opaqueShareOfRow(grass.height - 1), 0.6) << "blade roots along the picture's bottom edge";
    EXPECT_LT(opaqueShareOfRow(0), 0.05) << "only sky between the tips";
}

TEST(ContentImages, TileableTexturesHaveNoSeams) {
    for (const char* name : {"cliffdark.png", "grass.png"}) {
        SCOPED_TRACE(name);
        DecodedPng image = decodedImage(name);
        ASSERT_FALSE(image.rgba.empty());
        double neighbours = 0;
        for (int x = 1; x < image.width; ++x)
            neighbours += lineDifference(image, x - 1, x, false);
        neighbours /= image.width - 1;
        EXPECT_LT(lineDifference(image, image.width - 1, 0, false), 2.0 * neighbours + 2.0);
    }
    DecodedPng rock = decodedImage("cliffdark.png");
    double neighbours = 0;
    for (int y = 1; y < rock.height; ++y)
        neighbours += lineDifference(rock, y - 1, y, true);
    neighbours /= rock.height - 1;
    EXPECT_LT(lineDifference(rock, rock.height - 1, 0, true), 2.0 * neighbours + 2.0);
}

namespace {

struct AtlasUnderTest {
    const char* image;
    int width, height;
    std::vector<AtlasRegion> regions;
};

std::vector<AtlasUnderTest> atlases() {
    using namespace terexAtlas;
    return {
        {"Terex_MainBody.png",
         kWidth,
         kHeight,
         {paint, panel, stripes, window, grille, darkMetal, greyMetal, headlight, taillight, mudPaint}},
        {"harvester.png",
         harvesterAtlas::kWidth,
         harvesterAtlas::kHeight,
         {harvesterAtlas::paint, harvesterAtlas::stripe, harvesterAtlas::panel, harvesterAtlas::glass,
          harvesterAtlas::grille, harvesterAtlas::reel, harvesterAtlas::darkMetal, harvesterAtlas::steel,
          harvesterAtlas::cutterBar, harvesterAtlas::headlight, harvesterAtlas::warning,
          harvesterAtlas::tyre}},
        {"Tire.png",
         tireAtlas::kWidth,
         tireAtlas::kHeight,
         {tireAtlas::tread, tireAtlas::sidewall, tireAtlas::rim, tireAtlas::rubber, tireAtlas::hubMetal,
          tireAtlas::rimBarrel}},
        {"osprey.png",
         ospreyAtlas::kWidth,
         ospreyAtlas::kHeight,
         {ospreyAtlas::skin, ospreyAtlas::wing, ospreyAtlas::canopy, ospreyAtlas::marking,
          ospreyAtlas::darkMetal, ospreyAtlas::belly, ospreyAtlas::nacelle, ospreyAtlas::soot}},
        {"grass.png", grassAtlas::kWidth, grassAtlas::kHeight, {}},
    };
}

bool overlaps(const AtlasRegion& a, const AtlasRegion& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

} // namespace

TEST(ContentImages, AtlasRegionsMatchTheirPictures) {
    for (const AtlasUnderTest& atlas : atlases()) {
        SCOPED_TRACE(atlas.image);
        DecodedPng image = decodedImage(atlas.image);
        EXPECT_EQ(image.width, atlas.width);
        EXPECT_EQ(image.height, atlas.height);
        for (size_t i = 0; i < atlas.regions.size(); ++i) {
            const AtlasRegion& r = atlas.regions[i];
            EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.width <= atlas.width &&
                        r.y + r.height <= atlas.height)
                << "region " << i;
            EXPECT_EQ(r.imageWidth, atlas.width);
            EXPECT_EQ(r.imageHeight, atlas.height);
            for (size_t j = i + 1; j < atlas.regions.size(); ++j)
                EXPECT_FALSE(overlaps(r, atlas.regions[j])) << "regions " << i << " and " << j;
        }
    }
}

TEST(ContentImages, AtlasUvsPutVUpFromThePicturesBottomEdge) {
    // The truck's clean paint is the top-left quarter of a 256 x 256 picture.
    EXPECT_FLOAT_EQ(terexAtlas::paint.u0(), 0.0f);
    EXPECT_FLOAT_EQ(terexAtlas::paint.u1(), 0.5f);
    EXPECT_FLOAT_EQ(terexAtlas::paint.v0(), 0.5f);
    EXPECT_FLOAT_EQ(terexAtlas::paint.v1(), 1.0f);
    // The mud strip fills the picture's bottom 32 rows: v from 0 to 0.125.
    EXPECT_FLOAT_EQ(terexAtlas::mudPaint.v0(), 0.0f);
    EXPECT_FLOAT_EQ(terexAtlas::mudPaint.v1(), 0.125f);
    EXPECT_FLOAT_EQ(terexAtlas::mudPaint.u(0.5f), (64.0f + 96.0f) / 256.0f);
    EXPECT_FLOAT_EQ(terexAtlas::mudPaint.v(0.5f), 0.0625f);
}
