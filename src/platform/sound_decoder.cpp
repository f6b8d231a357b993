// Ogg Vorbis decoding from memory with conversion to the output format; no audio device involved.
#include "platform/sound_decoder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kBigEndian = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 1 : 0;
// Vorbis allows up to 255 channels; the converter takes at most 8.
constexpr int kMaxStreamChannels = 8;

size_t readMemory(void* destination, size_t size, size_t count, void* user) {
    auto* source = static_cast<SoundMemorySource*>(user);
    if (size == 0) {
        return 0;
    }
    size_t left = source->size - source->position;
    size_t items = count < left / size ? count : left / size;
    std::memcpy(destination, source->data + source->position, items * size);
    source->position += items * size;
    return items;
}

int seekMemory(void* user, ogg_int64_t offset, int whence) {
    auto* source = static_cast<SoundMemorySource*>(user);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR) {
        base = static_cast<ogg_int64_t>(source->position);
    } else if (whence == SEEK_END) {
        base = static_cast<ogg_int64_t>(source->size);
    } else if (whence != SEEK_SET) {
        return -1;
    }
    // The offset may come from the stream's own page headers: keep the sum from overflowing.
    if (offset < -base || offset > static_cast<ogg_int64_t>(source->size) - base) {
        return -1;
    }
    source->position = static_cast<size_t>(base + offset);
    return 0;
}

long tellMemory(void* user) {
    return static_cast<long>(static_cast<SoundMemorySource*>(user)->position);
}

} // namespace

// Decodes up to `capacity` bytes of 16-bit samples; 0 at the end of the stream or on damage that cannot
// be skipped. A chained stream whose later link changes rate or channels ends there, since the converter
// was set up for the first link.
int SoundDecoder::decodeInto(char* destination, int capacity) {
    if (firstBlockUsed < firstBlockBytes) {
        const int bytes = std::min(capacity, firstBlockBytes - firstBlockUsed);
        std::memcpy(destination, firstBlock + firstBlockUsed, static_cast<size_t>(bytes));
        firstBlockUsed += bytes;
        return bytes;
    }
    for (;;) {
        int section = 0;
        long bytes = ov_read(&vorbis, destination, capacity, kBigEndian, 2, 1, &section);
        if (bytes == OV_HOLE) {
            continue;
        }
        if (bytes <= 0) {
            return 0;
        }
        vorbis_info* info = ov_info(&vorbis, section);
        if (info == nullptr || info->rate != streamRate || info->channels != streamChannels) {
            return 0;
        }
        return static_cast<int>(bytes);
    }
}

int SoundDecoder::produceConverted(uint8_t* out, int length) {
    int produced = 0;
    while (produced < length) {
        if (SDL_AudioStreamAvailable(converter) > 0) {
            int got = SDL_AudioStreamGet(converter, out + produced, length - produced);
            if (got <= 0) {
                break;
            }
            produced += got;
            continue;
        }
        if (streamEnded) {
            break;
        }
        int decoded = decodeInto(chunk, kChunkBytes);
        if (decoded > 0) {
            SDL_AudioStreamPut(converter, chunk, decoded);
        } else {
            streamEnded = true;
            SDL_AudioStreamFlush(converter);
        }
    }
    return produced;
}

int SoundDecoder::produceDirect(uint8_t* out, int length) {
    int produced = 0;
    while (produced < length && !streamEnded) {
        int decoded = decodeInto(reinterpret_cast<char*>(out + produced), length - produced);
        if (decoded > 0) {
            produced += decoded;
        } else {
            streamEnded = true;
        }
    }
    return produced;
}

int SoundDecoder::produce(uint8_t* out, int length) {
    if (!streamOpen || length <= 0) {
        return 0;
    }
    return converter != nullptr ? produceConverted(out, length) : produceDirect(out, length);
}

void SoundDecoder::close() {
    if (converter != nullptr) {
        SDL_FreeAudioStream(converter);
        converter = nullptr;
    }
    if (streamOpen) {
        ov_clear(&vorbis);
        streamOpen = false;
    }
    streamEnded = false;
    firstBlockBytes = 0;
    firstBlockUsed = 0;
}

// The converter grows its buffers on first use; one pass of silence at open keeps that off the audio thread.
void SoundDecoder::warmUpConverter() {
    std::memset(chunk, 0, sizeof chunk);
    SDL_AudioStreamPut(converter, chunk, kChunkBytes);
    uint8_t scratch[kChunkBytes];
    while (SDL_AudioStreamGet(converter, scratch, sizeof scratch) > 0) {
    }
}

bool SoundDecoder::openStream() {
    const ov_callbacks callbacks{readMemory, seekMemory, nullptr, tellMemory};
    if (ov_open_callbacks(&source, &vorbis, nullptr, 0, callbacks) != 0) {
        return false;
    }
    streamOpen = true;
    vorbis_info* info = ov_info(&vorbis, -1);
    if (info == nullptr) {
        close();
        return false;
    }
    streamRate = info->rate;
    streamChannels = info->channels;
    decodeFirstBlock();
    if (firstBlockBytes < 0) {
        close();
        return false;
    }
    return true;
}

// A hole (a page lost to damage) is skipped, as decodeInto does; a stream that ends before its first sound
// plays silence. Negative on an error.
void SoundDecoder::decodeFirstBlock() {
    int section = 0;
    long bytes = ov_read(&vorbis, firstBlock, sizeof firstBlock, kBigEndian, 2, 1, &section);
    while (bytes == OV_HOLE) {
        bytes = ov_read(&vorbis, firstBlock, sizeof firstBlock, kBigEndian, 2, 1, &section);
    }
    firstBlockBytes = static_cast<int>(bytes);
    firstBlockUsed = 0;
}

void SoundDecoder::seek(uint32_t ms) {
    if (!streamOpen) {
        return;
    }
    if (converter != nullptr) {
        SDL_AudioStreamClear(converter);
    }
    const ogg_int64_t frame = static_cast<ogg_int64_t>(ms) * streamRate / 1000;
    const ogg_int64_t frames = ov_pcm_total(&vorbis, -1);
    // Past the end, or where damage stops the seek, the stream has ended: silence, as at its natural end.
    if ((frames >= 0 && frame >= frames) || ov_pcm_seek(&vorbis, frame) != 0) {
        streamEnded = true;
        firstBlockBytes = 0;
        firstBlockUsed = 0;
        return;
    }
    streamEnded = false;
    decodeFirstBlock();
    if (firstBlockBytes <= 0) {
        firstBlockBytes = 0;
        streamEnded = true;
    }
}

bool SoundDecoder::open(const uint8_t* data, size_t size) {
    close();
    if (data == nullptr) {
        return false;
    }
    source = SoundMemorySource{data, size, 0};
    if (!openStream()) {
        return false;
    }
    if (streamRate != kSoundOutputRate || streamChannels != kSoundOutputChannels) {
        if (streamChannels < 1 || streamChannels > kMaxStreamChannels || streamRate < 1 || streamRate > 0x7fffffff) {
            close();
            return false;
        }
        converter = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(streamChannels), static_cast<int>(streamRate),
                                       AUDIO_S16SYS, kSoundOutputChannels, kSoundOutputRate);
        if (converter == nullptr) {
            close();
            return false;
        }
        warmUpConverter();
    }
    return true;
}
