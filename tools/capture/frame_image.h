// RGB frames of the capture tool: row order, resampling, cropping and PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A tightly packed 8-bit RGB image, first row at the top.
struct RgbImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;

    RgbImage() = default;
    RgbImage(int32_t w, int32_t h) : width(w), height(h), pixels(size_t(w) * size_t(h) * 3, 0) {}
    uint8_t* at(int32_t x, int32_t y) { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
    const uint8_t* at(int32_t x, int32_t y) const {
        return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 3];
    }
};

// glReadPixels gives the bottom row first; images and video want the top row first.
void flipRowsInto(const uint8_t* bottomFirst, int32_t width, int32_t height, RgbImage& topFirst);

// Area-averaging resample (each target pixel is the mean of the source area it covers).
RgbImage resampleArea(const RgbImage& source, int32_t width, int32_t height);

// The largest centred square of the image.
RgbImage cropCentreSquare(const RgbImage& source);

// Copies source into target with its top-left corner at (x, y); parts outside the target are dropped.
void blit(const RgbImage& source, RgbImage& target, int32_t x, int32_t y);

// The image as an 8-bit RGB PNG in png (scratch holds the filtered rows); false for an empty image.
bool encodePng(const RgbImage& image, std::vector<uint8_t>& png, std::vector<uint8_t>& scratch);
// Writes a PNG file; false when it cannot be written.
bool writePngFile(const std::string& path, const RgbImage& image);
// The same with buffers the caller keeps, so that writing many frames does not allocate for each.
bool writePngFile(const std::string& path, const RgbImage& image, std::vector<uint8_t>& png,
                  std::vector<uint8_t>& scratch);

// "DIR/frame-NNNNNN.png" for a demo time in ms.
std::string framePath(const std::string& dir, uint32_t ms);
