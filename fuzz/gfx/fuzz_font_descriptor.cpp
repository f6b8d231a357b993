// Fuzz target: the font descriptor reader on arbitrary bytes.
#include "gfx/gfx.h"

#include <cstdio>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The reader reports every fault on standard output; a gigabyte of that would slow the run to a crawl.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        return 0;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto font = std::make_unique<FontDescriptor>();
    parseFontDescriptor("fuzz.fnt", data, size, *font);
    // Every glyph that came out valid must have coordinates made from a positive page size.
    for (const Glyph& glyph : font->glyphs) {
        if (glyph.valid && (font->scaleW <= 0 || font->scaleH <= 0)) {
            __builtin_trap();
        }
    }
    if (font->pageFile[sizeof font->pageFile - 1] != '\0') {
        __builtin_trap();
    }
    return 0;
}
