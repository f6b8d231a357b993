// Linked into the decoder suites: TOMBLORA_TEST_DECODERS=alternative runs the whole suite on the LZMA SDK
// decoder and stb_vorbis instead of liblzma and libvorbisfile (ctest registers each suite both ways).
#include "archive/archive.h"
#include "platform/sound_decoder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct DecoderChoice {
    DecoderChoice() {
        const char* choice = std::getenv("TOMBLORA_TEST_DECODERS");
        if (choice != nullptr && std::strcmp(choice, "alternative") == 0 &&
            (!selectLzmaDecoder(LzmaDecoderKind::LzmaSdk) || !selectVorbisDecoder(VorbisDecoderKind::StbVorbis))) {
            std::fprintf(stderr, "this build lacks the alternative decoders\n");
            std::exit(1);
        }
    }
};

DecoderChoice gChoice;

} // namespace
