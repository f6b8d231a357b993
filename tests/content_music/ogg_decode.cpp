// Test helper: decodes Ogg Vorbis bytes from memory with vorbisfile.
#include "ogg_decode.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

namespace {

struct Cursor {
    const std::vector<uint8_t>* bytes;
    size_t pos;
};

size_t readCursor(void* dst, size_t size, size_t count, void* source) {
    auto* c = static_cast<Cursor*>(source);
    size_t n = std::min(size * count, c->bytes->size() - c->pos);
    std::memcpy(dst, c->bytes->data() + c->pos, n);
    c->pos += n;
    return size ? n / size : 0;
}

} // namespace

DecodedAudio decodeOgg(const std::vector<uint8_t>& bytes) {
    DecodedAudio out;
    Cursor cursor{&bytes, 0};
    OggVorbis_File file;
    if (ov_open_callbacks(&cursor, &file, nullptr, 0, {readCursor, nullptr, nullptr, nullptr}) != 0)
        return out;
    vorbis_info* info = ov_info(&file, -1);
    out.rate = info->rate;
    out.channels = info->channels;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        long frames = ov_read_float(&file, &pcm, 4096, &section);
        if (frames < 0) {
            ov_clear(&file);
            return out;
        }
        if (frames == 0) break;
        for (long i = 0; i < frames; ++i)
            for (int c = 0; c < out.channels; ++c)
                out.samples.push_back(pcm[c][i]);
    }
    ov_clear(&file);
    out.ok = true;
    return out;
}
