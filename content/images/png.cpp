// PNG encoder: the stb writer is compiled here with its symbols kept private to this file.
#include "png.h"

#include <cmath>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

static void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

static uint8_t toByte(float v) {
    return uint8_t(std::lround(clamp01(v) * 255.0f));
}

std::vector<uint8_t> encodePng(const Image& image, int channels) {
    std::vector<uint8_t> raw;
    raw.reserve(image.pixels.size() * size_t(channels));
    for (const Color& c : image.pixels) {
        raw.push_back(toByte(c.r));
        raw.push_back(toByte(c.g));
        raw.push_back(toByte(c.b));
        if (channels == 4) raw.push_back(toByte(c.a));
    }
    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(appendBytes, &png, image.width, image.height, channels, raw.data(),
                                image.width * channels))
        png.clear();
    return png;
}
