// tomblora-icon: turns a captured frame into the square application icon (centre crop, area-averaged).
#include "frame_image.h"

#include "gfx/gfx.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool readFile(const char* path, std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    uint8_t buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    int size = argc == 4 ? std::atoi(argv[3]) : 0;
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: tomblora-icon FRAME.png ICON.png SIZE (16 to 1024)\n");
        return 2;
    }
    std::vector<uint8_t> png;
    DecodedImage decoded;
    if (!readFile(argv[1], png) || !decodePng(png.data(), png.size(), 3, decoded)) {
        std::fprintf(stderr, "tomblora-icon: cannot read the PNG '%s'\n", argv[1]);
        return 1;
    }
    RgbImage frame(decoded.width, decoded.height);
    frame.pixels.assign(decoded.pixels, decoded.pixels + frame.pixels.size());
    freeDecodedImage(decoded);
    RgbImage icon = resampleArea(cropCentreSquare(frame), size, size);
    if (!writePngFile(argv[2], icon)) {
        std::fprintf(stderr, "tomblora-icon: cannot write '%s'\n", argv[2]);
        return 1;
    }
    return 0;
}
