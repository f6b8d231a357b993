// PNG images made in memory for the tests.
#include "support/gl_test_context.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

} // namespace

std::vector<uint8_t> encodePng(int32_t width, int32_t height, int32_t components, const std::vector<uint8_t>& pixels) {
    std::vector<uint8_t> png;
    if (pixels.size() < static_cast<size_t>(width) * height * components) {
        return png;
    }
    stbi_write_png_to_func(appendBytes, &png, width, height, components, pixels.data(), width * components);
    return png;
}

std::vector<uint8_t> solidPixels(int32_t width, int32_t height, int32_t components, const std::vector<uint8_t>& colour) {
    std::vector<uint8_t> pixels;
    pixels.reserve(static_cast<size_t>(width) * height * components);
    for (int32_t i = 0; i < width * height; ++i) {
        for (int32_t c = 0; c < components; ++c) {
            pixels.push_back(c < static_cast<int32_t>(colour.size()) ? colour[c] : 255);
        }
    }
    return pixels;
}
