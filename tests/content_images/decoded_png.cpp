// The stb PNG decoder, compiled for the content tests only.
#include "decoded_png.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_image.h>
#pragma GCC diagnostic pop

DecodedPng decodePng(const std::vector<uint8_t>& data) {
    DecodedPng image;
    stbi_uc* pixels = stbi_load_from_memory(data.data(), int(data.size()), &image.width, &image.height,
                                            &image.storedChannels, 4);
    if (!pixels) return {};
    image.rgba.assign(pixels, pixels + size_t(image.width) * size_t(image.height) * 4);
    stbi_image_free(pixels);
    return image;
}

const ContentFile* findEntry(const std::vector<ContentFile>& files, const std::string& name) {
    for (const ContentFile& file : files)
        if (file.name == name) return &file;
    return nullptr;
}

bool isPowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}
