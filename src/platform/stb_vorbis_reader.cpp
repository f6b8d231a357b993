// The stb_vorbis decoder, reading the whole stream from memory.
#include "platform/sound_decoder.h"

#define STB_VORBIS_HEADER_ONLY
#define STB_VORBIS_NO_STDIO
#include <stb_vorbis.h>

#include <climits>
#include <cstring>

VorbisReader* newVorbisfileReader();

namespace {

uint32_t readLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// stb_vorbis frees every comment of the comment header when it gives up on one, including those it never
// allocated (and indexes a null list when the list itself could not be allocated): a comment count or
// length that the bytes cannot hold would crash it. Such a header is refused here. The comment header
// starts a page after the identification header's; a header so long that it spans pages is read across
// the page header and refused as well, which real encoders' headers of a few comments never are.
bool commentHeaderFits(const uint8_t* data, size_t size) {
    static const uint8_t kMagic[7] = {3, 'v', 'o', 'r', 'b', 'i', 's'};
    const size_t searched = size < (size_t(64) << 10) ? size : size_t(64) << 10;
    for (size_t at = 0; at + 7 <= searched; ++at) {
        if (std::memcmp(data + at, kMagic, 7) != 0) {
            continue;
        }
        size_t position = at + 7;
        auto take = [&](uint32_t& value) {
            if (size - position < 4) return false;
            value = readLe32(data + position);
            position += 4;
            return true;
        };
        uint32_t length = 0;
        if (!take(length) || length > size - position) return false;
        position += length;
        uint32_t count = 0;
        if (!take(count) || count > (size - position) / 4) return false;
        for (uint32_t i = 0; i < count; ++i) {
            if (!take(length) || length > size - position) return false;
            position += length;
        }
        return true;
    }
    return true; // no comment header: stb_vorbis refuses the stream before it would read one
}

class StbVorbisReader final : public VorbisReader {
  public:
    ~StbVorbisReader() override { close(); }

    bool open(SoundMemorySource& source) override {
        close();
        if (source.size > size_t(INT_MAX) || !commentHeaderFits(source.data, source.size)) {
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
