// Fuzz target: PNG decoding to 3 and 4 components on arbitrary bytes.
#include "gfx/gfx.h"

#include <initializer_list>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int32_t components : {3, 4}) {
        DecodedImage image;
        if (decodePng(data, size, components, image)) {
            if (image.width <= 0 || image.height <= 0 || image.width > 4096 || image.height > 4096) {
                __builtin_trap();
            }
            // Touch the last byte so a short buffer shows up under the address sanitizer.
            size_t bytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * static_cast<size_t>(components);
            volatile uint8_t last = image.pixels[bytes - 1];
            (void)last;
            freeDecodedImage(image);
        }
    }
    return 0;
}
