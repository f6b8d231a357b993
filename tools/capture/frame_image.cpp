// RGB frame helpers and the tool's one copy of the PNG writer.
#include "frame_image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

void flipRowsInto(const uint8_t* bottomFirst, int32_t width, int32_t height, RgbImage& topFirst) {
    if (topFirst.width != width || topFirst.height != height) {
        topFirst = RgbImage(width, height);
    }
    size_t rowBytes = size_t(width) * 3;
    for (int32_t y = 0; y < height; ++y) {
        std::memcpy(topFirst.at(0, y), bottomFirst + size_t(height - 1 - y) * rowBytes, rowBytes);
    }
}

RgbImage resampleArea(const RgbImage& source, int32_t width, int32_t height) {
    RgbImage target(width, height);
    if (source.width <= 0 || source.height <= 0) {
        return target;
    }
    // Work in units of 1 / (target size) of a source pixel so every edge is an integer.
    int64_t sw = source.width;
    int64_t sh = source.height;
    for (int32_t ty = 0; ty < height; ++ty) {
        int64_t y0 = ty * sh;
        int64_t y1 = (ty + 1) * sh;
        for (int32_t tx = 0; tx < width; ++tx) {
            int64_t x0 = tx * sw;
            int64_t x1 = (tx + 1) * sw;
            int64_t sum[3] = {0, 0, 0};
            for (int64_t sy = y0 / height; sy * height < y1 && sy < sh; ++sy) {
                int64_t coverY = std::min(y1, (sy + 1) * height) - std::max(y0, sy * height);
                for (int64_t sx = x0 / width; sx * width < x1 && sx < sw; ++sx) {
                    int64_t cover = coverY * (std::min(x1, (sx + 1) * width) - std::max(x0, sx * width));
                    const uint8_t* pixel = source.at(int32_t(sx), int32_t(sy));
                    for (int c = 0; c < 3; ++c) {
                        sum[c] += cover * pixel[c];
                    }
                }
            }
            int64_t area = sw * sh;
            uint8_t* out = target.at(tx, ty);
            for (int c = 0; c < 3; ++c) {
                out[c] = uint8_t((sum[c] + area / 2) / area);
            }
        }
    }
    return target;
}

RgbImage cropCentreSquare(const RgbImage& source) {
    int32_t side = std::min(source.width, source.height);
    RgbImage square(side, side);
    int32_t left = (source.width - side) / 2;
    int32_t top = (source.height - side) / 2;
    for (int32_t y = 0; y < side; ++y) {
        std::memcpy(square.at(0, y), source.at(left, top + y), size_t(side) * 3);
    }
    return square;
}

void blit(const RgbImage& source, RgbImage& target, int32_t x, int32_t y) {
    for (int32_t row = 0; row < source.height; ++row) {
        int32_t ty = y + row;
        if (ty < 0 || ty >= target.height) {
            continue;
        }
        int32_t from = std::max(0, -x);
        int32_t to = std::min(source.width, target.width - x);
        if (to > from) {
            std::memcpy(target.at(x + from, ty), source.at(from, row), size_t(to - from) * 3);
        }
    }
}

bool writePngFile(const std::string& path, const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0) {
        return false;
    }
    return stbi_write_png(path.c_str(), image.width, image.height, 3, image.pixels.data(), image.width * 3) !=
           0;
}

std::string framePath(const std::string& dir, uint32_t ms) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06u.png", ms);
    return dir.empty() ? std::string(name) : dir + "/" + name;
}
