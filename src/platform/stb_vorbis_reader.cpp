// The stb_vorbis decoder, reading the whole stream from memory.
#include "platform/sound_decoder.h"

#define STB_VORBIS_HEADER_ONLY
#define STB_VORBIS_NO_STDIO
#include <stb_vorbis.h>

#include <climits>

VorbisReader* newVorbisfileReader();

namespace {

class StbVorbisReader final : public VorbisReader {
  public:
    ~StbVorbisReader() override { close(); }

    bool open(SoundMemorySource& source) override {
        close();
        if (source.size > size_t(INT_MAX)) {
            return false;
        }
        int error = 0;
        vorbis = stb_vorbis_open_memory(source.data, int(source.size), &error, nullptr);
        if (vorbis == nullptr) {
            return false;
        }
        const stb_vorbis_info info = stb_vorbis_get_info(vorbis);
        rate = long(info.sample_rate);
        channels = info.channels;
        return true;
    }

    int read(char* destination, int capacity) override {
        if (vorbis == nullptr || channels < 1) {
            return -1;
        }
        const int shorts = capacity / 2 / channels * channels;
        const int frames = stb_vorbis_get_samples_short_interleaved(vorbis, channels, reinterpret_cast<short*>(destination),
                                                                    shorts);
        return frames * channels * 2;
    }

    bool seek(int64_t frame) override {
        if (vorbis == nullptr || frame < 0 || frame >= int64_t(stb_vorbis_stream_length_in_samples(vorbis))) {
            return false;
        }
        return stb_vorbis_seek(vorbis, unsigned(frame)) != 0;
    }

    void close() override {
        if (vorbis != nullptr) {
            stb_vorbis_close(vorbis);
            vorbis = nullptr;
        }
    }

  private:
    stb_vorbis* vorbis = nullptr;
};

} // namespace

VorbisReader* newVorbisReader(VorbisDecoderKind kind) {
    if (kind == VorbisDecoderKind::StbVorbis) {
        return new StbVorbisReader;
    }
#ifdef TOMBLORA_HAVE_VORBISFILE
    return newVorbisfileReader();
#else
    return nullptr;
#endif
}

bool vorbisDecoderAvailable(VorbisDecoderKind kind) {
#ifdef TOMBLORA_HAVE_VORBISFILE
    (void)kind;
    return true;
#else
    return kind == VorbisDecoderKind::StbVorbis;
#endif
}

namespace {

VorbisDecoderKind gSelected =
#ifdef TOMBLORA_HAVE_VORBISFILE
    VorbisDecoderKind::Vorbisfile;
#else
    VorbisDecoderKind::StbVorbis;
#endif

} // namespace

VorbisDecoderKind defaultVorbisDecoder() {
    return gSelected;
}

bool selectVorbisDecoder(VorbisDecoderKind kind) {
    if (!vorbisDecoderAvailable(kind)) {
        return false;
    }
    gSelected = kind;
    return true;
}
