// PNG decoding: the only place the image decoder is compiled, restricted to PNG.
#include "gfx/gfx.h"

#include <climits>
#include <cstring>

#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_FAILURE_STRINGS
#define STB_IMAGE_STATIC
// Larger pictures have no place in a 320 x 240 production; the bound also caps what a damaged header can
// make the decoder allocate (4096 x 4096 x 4 bytes).
#define STBI_MAX_DIMENSIONS 4096
#define STB_IMAGE_IMPLEMENTATION
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wunused-function"
#elif defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb_image.h>
#if defined(__clang__)
#pragma clang diagnostic pop
#elif defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

// The decoder sizes its buffer from a chunk's declared length before it checks that the bytes are there,
// so a few bytes claiming a 2 GB chunk would make it allocate 2 GB. Every chunk up to IEND must fit.
bool chunksFitInside(const uint8_t* data, size_t size) {
    size_t position = 8; // past the signature, which the decoder checks
    while (size - position >= 12) {
        uint32_t length = (uint32_t{data[position]} << 24) | (uint32_t{data[position + 1]} << 16) |
                          (uint32_t{data[position + 2]} << 8) | uint32_t{data[position + 3]};
        if (length > size - position - 12) {
            return false;
        }
        bool last = std::memcmp(data + position + 4, "IEND", 4) == 0;
        position += 12 + static_cast<size_t>(length);
        if (last) {
            return true;
        }
    }
    return false;
}

} // namespace

bool decodePng(const uint8_t* data, size_t size, int32_t components, DecodedImage& image) {
    image = DecodedImage{};
    if (data == nullptr || size == 0 || size > static_cast<size_t>(INT_MAX) || (components != 3 && components != 4) ||
        size < 8 || !chunksFitInside(data, size)) {
        return false;
    }
    int width = 0;
    int height = 0;
    int sourceComponents = 0;
    stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &sourceComponents, components);
    if (pixels == nullptr) {
        return false;
    }
    image.pixels = pixels;
    image.width = width;
    image.height = height;
    image.components = components;
    return true;
}

void freeDecodedImage(DecodedImage& image) {
    stbi_image_free(image.pixels);
    image = DecodedImage{};
}
