// RGB frame helpers and the tool's PNG writer.
#include "frame_image.h"

#include "whole_file.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

void appendBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(uint8_t(value >> shift));
    }
}

// Appends one chunk: length, type, data, and the CRC of type and data.
void appendChunk(std::vector<uint8_t>& out, const char type[4], const uint8_t* data, size_t size) {
    appendBigEndian(out, uint32_t(size));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), out.data() + typeAt, uInt(size + 4));
    appendBigEndian(out, uint32_t(crc));
}

// Every row with the Sub filter (each byte less the same channel of the pixel to its left).
void filterRows(const RgbImage& image, std::vector<uint8_t>& filtered) {
    const size_t rowBytes = size_t(image.width) * 3;
    filtered.resize(size_t(image.height) * (rowBytes + 1));
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* in = image.pixels.data() + size_t(y) * rowBytes;
        uint8_t* out = filtered.data() + size_t(y) * (rowBytes + 1);
        out[0] = 1;
        std::memcpy(out + 1, in, std::min<size_t>(3, rowBytes));
        for (size_t x = 3; x < rowBytes; ++x) {
            out[1 + x] = uint8_t(in[x] - in[x - 3]);
        }
    }
}

} // namespace

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

bool encodePng(const RgbImage& image, std::vector<uint8_t>& png, std::vector<uint8_t>& scratch) {
    png.clear();
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != size_t(image.width) * image.height * 3) {
        return false;
    }
    filterRows(image, scratch);
    static const uint8_t kSignature[8] = {137, 'P', 'N', 'G', '\r', '\n', 26, '\n'};
    png.insert(png.end(), kSignature, kSignature + 8);
    uint8_t header[13] = {};
    for (int i = 0; i < 4; ++i) {
        header[i] = uint8_t(uint32_t(image.width) >> (24 - 8 * i));
        header[4 + i] = uint8_t(uint32_t(image.height) >> (24 - 8 * i));
    }
    header[8] = 8; // bits per channel
    header[9] = 2; // RGB
    appendChunk(png, "IHDR", header, sizeof header);

    // Run-length matching at the fastest level: most of a frame's gain comes from the filter, and a
    // whole production of frames has to be written in a fraction of its running time.
    z_stream stream = {};
    if (deflateInit2(&stream, 1, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK) {
        return false;
    }
    const size_t bound = deflateBound(&stream, uLong(scratch.size()));
    const size_t dataAt = png.size() + 8;
    png.resize(dataAt + bound);
    stream.next_in = scratch.data();
    stream.avail_in = uInt(scratch.size());
    stream.next_out = png.data() + dataAt;
    stream.avail_out = uInt(bound);
    const int status = deflate(&stream, Z_FINISH);
    const size_t compressed = stream.total_out;
    deflateEnd(&stream);
    if (status != Z_STREAM_END) {
        png.clear();
        return false;
    }
    // The chunk's length and type go in front of the data deflate wrote in place.
    png.resize(dataAt + compressed);
    const size_t lengthAt = dataAt - 8;
    for (int i = 0; i < 4; ++i) {
        png[lengthAt + size_t(i)] = uint8_t(uint32_t(compressed) >> (24 - 8 * i));
    }
    std::memcpy(&png[lengthAt + 4], "IDAT", 4);
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), png.data() + lengthAt + 4, uInt(compressed + 4));
    appendBigEndian(png, uint32_t(crc));
    appendChunk(png, "IEND", nullptr, 0);
    return true;
}

bool writePngFile(const std::string& path, const RgbImage& image) {
    std::vector<uint8_t> png;
    std::vector<uint8_t> scratch;
    return writePngFile(path, image, png, scratch);
}

bool writePngFile(const std::string& path, const RgbImage& image, std::vector<uint8_t>& png,
                  std::vector<uint8_t>& scratch) {
    if (!encodePng(image, png, scratch)) {
        return false;
    }
    std::string error;
    return writeWholeFile(path, png.data(), png.size(), error);
}

std::string framePath(const std::string& dir, uint32_t ms) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06u.png", ms);
    return dir.empty() ? std::string(name) : dir + "/" + name;
}
