// PNG decoding: component conversion and what is refused.
#include "gfx/gfx.h"
#include "support/gl_test_context.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DecodePng, ConvertsToTheRequestedComponents) {
    struct Case {
        int32_t sourceComponents;
        std::vector<uint8_t> sourcePixel;
        int32_t requested;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {3, {10, 20, 30}, 3, {10, 20, 30}},
        {3, {10, 20, 30}, 4, {10, 20, 30, 255}}, // RGB asked as RGBA: opaque
        {4, {10, 20, 30, 40}, 3, {10, 20, 30}},  // RGBA asked as RGB: alpha dropped
        {4, {10, 20, 30, 40}, 4, {10, 20, 30, 40}},
        {1, {77}, 3, {77, 77, 77}},
        {2, {77, 5}, 4, {77, 77, 77, 5}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> png = encodePng(3, 2, c.sourceComponents, solidPixels(3, 2, c.sourceComponents, c.sourcePixel));
        DecodedImage image;
        ASSERT_TRUE(decodePng(png.data(), png.size(), c.requested, image)) << c.sourceComponents << "->" << c.requested;
        EXPECT_EQ(image.width, 3);
        EXPECT_EQ(image.height, 2);
        EXPECT_EQ(image.components, c.requested);
        std::vector<uint8_t> last(image.pixels + 5 * c.requested, image.pixels + 6 * c.requested);
        EXPECT_EQ(last, c.expected);
        freeDecodedImage(image);
        EXPECT_EQ(image.pixels, nullptr);
    }
}

TEST(DecodePng, KeepsStoredRowOrder) {
    std::vector<uint8_t> pixels = {255, 0, 0, 0, 0, 255}; // 1 x 2: first row red, second blue
    std::vector<uint8_t> png = encodePng(1, 2, 3, pixels);
    DecodedImage image;
    ASSERT_TRUE(decodePng(png.data(), png.size(), 3, image));
    EXPECT_EQ(std::vector<uint8_t>(image.pixels, image.pixels + 6), pixels);
    freeDecodedImage(image);
}

TEST(DecodePng, RefusesWhatIsNotAUsablePng) {
    std::vector<uint8_t> valid = encodePng(8, 8, 3, solidPixels(8, 8, 3, {1, 2, 3}));
    std::vector<uint8_t> truncated(valid.begin(), valid.begin() + static_cast<long>(valid.size() / 2));
    std::vector<uint8_t> corrupt = valid;
    for (size_t i = 40; i < corrupt.size() - 12; ++i) {
        corrupt[i] ^= 0x5a;
    }
    // Signature and header of the valid image, then an IDAT that claims 2 GB but holds 4 bytes.
    std::vector<uint8_t> hugeChunk(valid.begin(), valid.begin() + 33);
    const uint8_t claim[] = {0x7f, 0xff, 0xff, 0xf0, 'I', 'D', 'A', 'T', 1, 2, 3, 4};
    for (uint8_t byte : claim) {
        hugeChunk.push_back(byte);
    }
    const std::string bmp = std::string("BM\x36\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00", 18) + std::string(40, '\0');
    const std::string jpeg = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
    const std::string gif = "GIF89a\x01\x00\x01\x00\x00\x00\x00;";
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int32_t components;
    };
    const Case cases[] = {
        {"bmp", std::vector<uint8_t>(bmp.begin(), bmp.end()), 3},
        {"jpeg", std::vector<uint8_t>(jpeg.begin(), jpeg.end()), 3},
        {"gif", std::vector<uint8_t>(gif.begin(), gif.end()), 4},
        {"truncated", truncated, 3},
        {"corrupt", corrupt, 4},
        {"signature only", std::vector<uint8_t>(valid.begin(), valid.begin() + 8), 3},
        {"two components asked", valid, 2},
        {"chunk longer than the data", hugeChunk, 3},
        {"wider than 4096", encodePng(4097, 1, 1, std::vector<uint8_t>(4097, 9)), 3},
    };
    for (const Case& c : cases) {
        DecodedImage image;
        EXPECT_FALSE(decodePng(c.bytes.data(), c.bytes.size(), c.components, image)) << c.what;
        EXPECT_EQ(image.pixels, nullptr) << c.what;
    }
    DecodedImage image;
    EXPECT_FALSE(decodePng(valid.data(), 0, 3, image));
    EXPECT_FALSE(decodePng(nullptr, valid.size(), 3, image));
}

TEST(DecodePng, AcceptsTheLargestSide) {
    std::vector<uint8_t> png = encodePng(4096, 1, 1, std::vector<uint8_t>(4096, 9));
    DecodedImage image;
    ASSERT_TRUE(decodePng(png.data(), png.size(), 3, image));
    EXPECT_EQ(image.width, 4096);
    freeDecodedImage(image);
}

} // namespace
