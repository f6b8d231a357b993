// The capture tool's PNG encoder and its writer threads: files that decode to the very pixels given.
#include "frame_image.h"
#include "png_writer_pool.h"

#include "gfx/gfx.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

// Noise, flat runs and gradients, different for every seed.
RgbImage patterned(int32_t width, int32_t height, uint32_t seed) {
    RgbImage image(width, height);
    uint32_t state = seed * 2654435761u + 1;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            uint8_t* pixel = image.at(x, y);
            pixel[0] = x < width / 3 ? uint8_t(state >> 24) : uint8_t(seed);
            pixel[1] = uint8_t(x + y);
            pixel[2] = y % 7 == 0 ? 255 : uint8_t(x * 3);
        }
    }
    return image;
}

// The PNG file decoded by the demo's own decoder; empty when it does not decode.
std::vector<uint8_t> decodedPixels(const fs::path& path, int32_t& width, int32_t& height) {
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    DecodedImage image;
    if (!decodePng(bytes.data(), bytes.size(), 3, image)) {
        return {};
    }
    width = image.width;
    height = image.height;
    std::vector<uint8_t> pixels(image.pixels, image.pixels + size_t(width) * size_t(height) * 3);
    freeDecodedImage(image);
    return pixels;
}

class PngWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tomblora-png-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    fs::path folder;
};

TEST_F(PngWriterTest, FilesDecodeToThePixelsGivenAtEverySize) {
    const int32_t sizes[][2] = {{1, 1}, {2, 3}, {320, 240}, {641, 17}};
    for (const auto& size : sizes) {
        RgbImage image = patterned(size[0], size[1], uint32_t(size[0]));
        fs::path path = folder / ("image-" + std::to_string(size[0]) + ".png");
        ASSERT_TRUE(writePngFile(path.string(), image));
        int32_t width = 0;
        int32_t height = 0;
        EXPECT_EQ(decodedPixels(path, width, height), image.pixels) << size[0] << " x " << size[1];
        EXPECT_EQ(width, size[0]);
        EXPECT_EQ(height, size[1]);
    }
    std::vector<uint8_t> png;
    std::vector<uint8_t> scratch;
    EXPECT_FALSE(encodePng(RgbImage(), png, scratch));
}

TEST_F(PngWriterTest, PoolWritesEveryQueuedFrameBeforeFinishReturns) {
    PngWriterPool pool(3, 2);
    for (uint32_t i = 0; i < 24; ++i) {
        ASSERT_TRUE(pool.write((folder / framePath("", i)).string(), patterned(64, 48, i)));
    }
    std::string failed;
    ASSERT_TRUE(pool.finish(failed)) << failed;
    for (uint32_t i = 0; i < 24; ++i) {
        int32_t width = 0;
        int32_t height = 0;
        EXPECT_EQ(decodedPixels(folder / framePath("", i), width, height), patterned(64, 48, i).pixels) << i;
    }
}

TEST_F(PngWriterTest, PoolNamesTheFileItCouldNotWriteAndTakesNoMore) {
    PngWriterPool pool(1, 1);
    const std::string unwritable = (folder / "missing" / "frame.png").string();
    ASSERT_TRUE(pool.write(unwritable, patterned(8, 8, 1)));
    std::string failed;
    EXPECT_FALSE(pool.finish(failed));
    EXPECT_EQ(failed, unwritable);
    EXPECT_FALSE(pool.write((folder / "late.png").string(), patterned(8, 8, 2)));
    EXPECT_FALSE(fs::exists(folder / "late.png"));
}

} // namespace
