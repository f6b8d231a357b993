// Fuzz target: arbitrary bytes as the soundtrack, decoded and converted the way the audio callback does.
#include "platform/sound_decoder.h"

#include <cstdint>
#include <cstdlib>
#include <initializer_list>

namespace {

// Stops a stream that would decode for minutes; damage, not length, is what is looked for.
constexpr int kMaxOutputBytes = 8 << 20;

} // namespace

// libvorbisfile 1.3.7 loses the 8-byte list of stream serial numbers it makes in _fetch_headers when a
// damaged header page stops it there; the library is not ours, and at most one open a run can leak it.
// stb_vorbis 2022-09 loses the entry lengths of a sparse codebook (setup_temp_malloc in start_decoder) when a
// damaged setup header stops it; an arena given to stb_vorbis would avoid that, but its clean-up after a
// failed comment allocation then indexes a null list. One failed open a run can leak it.
#ifdef FUZZ_STB_VORBIS
// stb_vorbis computes some setup sizes from the stream in int and asks malloc for the wrapped value; a
// real process gets null back, which stb_vorbis reports as out of memory. The fuzzer's runs do the same.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}
#endif

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libvorbisfile.so\nleak:start_decoder\n";
}

// fuzz_ogg_stb: the same on stb_vorbis.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
#ifdef FUZZ_STB_VORBIS
    selectVorbisDecoder(VorbisDecoderKind::StbVorbis);
#endif
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SoundDecoder decoder;
    if (!decoder.open(data, size)) {
        if (decoder.isOpen()) {
            std::abort();
        }
        return 0;
    }
    // The audio callback asks for odd sizes too when the device's buffer is not a multiple of a chunk.
    static uint8_t buffer[4100];
    int total = 0;
    for (int length : {4096, 1, 3, 4100}) {
        int produced = decoder.produce(buffer, length);
        if (produced < 0 || produced > length) {
            std::abort();
        }
        total += produced;
    }
    while (total < kMaxOutputBytes) {
        int produced = decoder.produce(buffer, 4096);
        if (produced < 0 || produced > 4096) {
            std::abort();
        }
        if (produced < 4096 && !decoder.ended()) {
            std::abort();
        }
        if (produced == 0) {
            break;
        }
        total += produced;
    }
    decoder.close();
    return 0;
}
