// What a window shows, for the end-to-end tests:
//   window_picture grab WINDOW_ID OUT.ppm   the window's pixels (XGetImage) as a binary PPM
//   window_picture bars IN.ppm              black outside the 4:3 picture's rectangle, a picture inside it
//   window_picture compare IN.ppm FRAME.png MAX   mean difference per channel of two same-size pictures <= MAX
// Exits 0 when the check holds (or the grab worked), 1 otherwise, with what was found on standard output.
#include "app/app.h"
#include "gfx/gfx.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb; // top row first
    const uint8_t* at(int32_t x, int32_t y) const { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
};

int grab(const char* id, const char* out) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 1;
    const Window window = std::strtoul(id, nullptr, 0);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0) return 1;
    XImage* image = XGetImage(display, window, 0, 0, unsigned(attributes.width), unsigned(attributes.height), AllPlanes,
                              ZPixmap);
    if (image == nullptr) return 1;
    std::FILE* file = std::fopen(out, "wb");
    if (file == nullptr) return 1;
    std::fprintf(file, "P6\n%d %d\n255\n", attributes.width, attributes.height);
    for (int y = 0; y < attributes.height; ++y) {
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            const uint8_t rgb[3] = {uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel)};
            std::fwrite(rgb, 1, 3, file);
        }
    }
    std::fclose(file);
    XDestroyImage(image);
    XCloseDisplay(display);
    return 0;
}

bool readPpm(const char* path, Picture& picture) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    int maxValue = 0;
    const bool header = std::fscanf(file, "P6 %d %d %d", &picture.width, &picture.height, &maxValue) == 3 &&
                        std::fgetc(file) != EOF && picture.width > 0 && picture.height > 0;
    if (header) {
        picture.rgb.resize(size_t(picture.width) * size_t(picture.height) * 3);
    }
    const bool whole = header && std::fread(picture.rgb.data(), 1, picture.rgb.size(), file) == picture.rgb.size();
    std::fclose(file);
    return whole;
}

bool readPng(const char* path, Picture& picture) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    DecodedImage image;
    if (!decodePng(bytes.data(), bytes.size(), 3, image)) return false;
    picture.width = image.width;
    picture.height = image.height;
    picture.rgb.assign(image.pixels, image.pixels + size_t(image.width) * size_t(image.height) * 3);
    freeDecodedImage(image);
    return true;
}

int bars(const Picture& shot) {
    const PictureRect rect = fitPicture(shot.width, shot.height);
    const int32_t top = shot.height - rect.y - rect.height; // rect.y counts from the bottom
    size_t litOutside = 0, litInside = 0;
    for (int32_t y = 0; y < shot.height; ++y) {
        for (int32_t x = 0; x < shot.width; ++x) {
            const uint8_t* p = shot.at(x, y);
            const bool lit = p[0] + p[1] + p[2] > 0;
            const bool inside = x >= rect.x && x < rect.x + rect.width && y >= top && y < top + rect.height;
            (inside ? litInside : litOutside) += lit ? 1 : 0;
        }
    }
    const size_t insideCount = size_t(rect.width) * size_t(rect.height);
    std::printf("%dx%d: picture %dx%d at %d,%d; %zu lit pixels outside it, %zu of %zu inside\n", shot.width,
                shot.height, rect.width, rect.height, rect.x, top, litOutside, litInside, insideCount);
    return litOutside == 0 && litInside * 2 > insideCount ? 0 : 1;
}

int compare(const Picture& a, const Picture& b, double limit) {
    if (a.width != b.width || a.height != b.height) {
        std::printf("sizes differ: %dx%d and %dx%d\n", a.width, a.height, b.width, b.height);
        return 1;
    }
    uint64_t total = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) total += uint64_t(std::abs(a.rgb[i] - b.rgb[i]));
    const double mean = double(total) / double(a.rgb.size());
    std::printf("mean difference %.3f per channel (limit %.3f)\n", mean, limit);
    return mean <= limit ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    Picture first, second;
    if (command == "grab" && argc == 4) return grab(argv[2], argv[3]);
    if (command == "bars" && argc == 3 && readPpm(argv[2], first)) return bars(first);
    if (command == "compare" && argc == 5 && readPpm(argv[2], first) && readPng(argv[3], second)) {
        return compare(first, second, std::atof(argv[4]));
    }
    std::fprintf(stderr, "window_picture: bad arguments or unreadable file\n");
    return 2;
}
