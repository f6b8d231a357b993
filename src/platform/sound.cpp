// The soundtrack output: an Ogg Vorbis stream decoded from memory into an SDL audio device.
#include "platform/platform.h"

#include <SDL.h>
#include <vorbis/vorbisfile.h>

#include <atomic>
#include <cstring>

namespace {

constexpr int kOutputRate = 44100;
constexpr int kOutputChannels = 2;
// At most 1024 frames per buffer keeps the music within ~25 ms of the clock.
constexpr Uint16 kOutputFrames = 1024;
constexpr int kDecodeChunkBytes = 4096;

// The bytes the decoder reads, owned by the archive; only the audio thread reads them once playing.
struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t position;
};

struct SoundState {
    SDL_AudioDeviceID device = 0;
    bool streamOpen = false;
    bool ended = false;
    MemorySource source{};
    OggVorbis_File vorbis{};
    long streamRate = 0;
    int streamChannels = 0;
    SDL_AudioStream* converter = nullptr; // null when the stream is 44100 Hz stereo already
    char decodeChunk[kDecodeChunkBytes];
};

SoundState gSound;
std::atomic<bool> gMuted{false};

size_t readMemory(void* destination, size_t size, size_t count, void* user) {
    auto* source = static_cast<MemorySource*>(user);
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
    auto* source = static_cast<MemorySource*>(user);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR) {
        base = static_cast<ogg_int64_t>(source->position);
    } else if (whence == SEEK_END) {
        base = static_cast<ogg_int64_t>(source->size);
    } else if (whence != SEEK_SET) {
        return -1;
    }
    ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(source->size)) {
        return -1;
    }
    source->position = static_cast<size_t>(target);
    return 0;
}

long tellMemory(void* user) {
    return static_cast<long>(static_cast<MemorySource*>(user)->position);
}

constexpr int kBigEndian = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 1 : 0;

// Decodes up to `capacity` bytes of 16-bit samples; 0 at the end of the stream or on damage that cannot
// be skipped. A chained stream whose later link changes rate or channels ends there, since the converter
// was set up for the first link.
int decodeInto(char* destination, int capacity) {
    for (;;) {
        int section = 0;
        long bytes = ov_read(&gSound.vorbis, destination, capacity, kBigEndian, 2, 1, &section);
        if (bytes == OV_HOLE) {
            continue;
        }
        if (bytes <= 0) {
            return 0;
        }
        vorbis_info* info = ov_info(&gSound.vorbis, section);
        if (info == nullptr || info->rate != gSound.streamRate || info->channels != gSound.streamChannels) {
            return 0;
        }
        return static_cast<int>(bytes);
    }
}

int produceConverted(Uint8* out, int length) {
    int produced = 0;
    while (produced < length) {
        if (SDL_AudioStreamAvailable(gSound.converter) > 0) {
            int got = SDL_AudioStreamGet(gSound.converter, out + produced, length - produced);
            if (got <= 0) {
                break;
            }
            produced += got;
            continue;
        }
        if (gSound.ended) {
            break;
        }
        int decoded = decodeInto(gSound.decodeChunk, kDecodeChunkBytes);
        if (decoded > 0) {
            SDL_AudioStreamPut(gSound.converter, gSound.decodeChunk, decoded);
        } else {
            gSound.ended = true;
            SDL_AudioStreamFlush(gSound.converter);
        }
    }
    return produced;
}

int produceDirect(Uint8* out, int length) {
    int produced = 0;
    while (produced < length && !gSound.ended) {
        int decoded = decodeInto(reinterpret_cast<char*>(out + produced), length - produced);
        if (decoded > 0) {
            produced += decoded;
        } else {
            gSound.ended = true;
        }
    }
    return produced;
}

// Runs on SDL's audio thread. Decoding goes on while muted so the music stays in time with the clock.
void fillAudio(void*, Uint8* out, int length) {
    int produced = 0;
    if (gSound.streamOpen) {
        produced = gSound.converter != nullptr ? produceConverted(out, length) : produceDirect(out, length);
    }
    if (gMuted.load(std::memory_order_relaxed)) {
        produced = 0;
    }
    std::memset(out + produced, 0, static_cast<size_t>(length - produced));
}

void closeDecoder() {
    if (gSound.converter != nullptr) {
        SDL_FreeAudioStream(gSound.converter);
        gSound.converter = nullptr;
    }
    if (gSound.streamOpen) {
        ov_clear(&gSound.vorbis);
        gSound.streamOpen = false;
    }
    gSound.ended = false;
}

// The converter grows its buffers on first use; one pass of silence at open keeps that off the audio thread.
void warmUpConverter() {
    std::memset(gSound.decodeChunk, 0, sizeof gSound.decodeChunk);
    SDL_AudioStreamPut(gSound.converter, gSound.decodeChunk, kDecodeChunkBytes);
    Uint8 scratch[kDecodeChunkBytes];
    while (SDL_AudioStreamGet(gSound.converter, scratch, sizeof scratch) > 0) {
    }
}

bool openDecoder(const uint8_t* data, size_t size) {
    gSound.source = MemorySource{data, size, 0};
    ov_callbacks callbacks{readMemory, seekMemory, nullptr, tellMemory};
    if (ov_open_callbacks(&gSound.source, &gSound.vorbis, nullptr, 0, callbacks) != 0) {
        return false;
    }
    gSound.streamOpen = true;
    vorbis_info* info = ov_info(&gSound.vorbis, -1);
    // The decoder sets itself up on the first packet; doing that here keeps its allocations off the audio
    // thread. The bytes are in memory, so going back to the start is always possible.
    char first[kDecodeChunkBytes];
    if (info == nullptr || ov_read(&gSound.vorbis, first, sizeof first, kBigEndian, 2, 1, nullptr) < 0 ||
        ov_pcm_seek(&gSound.vorbis, 0) != 0) {
        closeDecoder();
        return false;
    }
    info = ov_info(&gSound.vorbis, -1);
    if (info == nullptr) {
        closeDecoder();
        return false;
    }
    gSound.streamRate = info->rate;
    gSound.streamChannels = info->channels;
    if (info->rate != kOutputRate || info->channels != kOutputChannels) {
        if (info->channels < 1 || info->channels > 8 || info->rate < 1 || info->rate > 0x7fffffff) {
            closeDecoder();
            return false;
        }
        gSound.converter = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(info->channels), static_cast<int>(info->rate),
                                              AUDIO_S16SYS, kOutputChannels, kOutputRate);
        if (gSound.converter == nullptr) {
            closeDecoder();
            return false;
        }
        warmUpConverter();
    }
    return true;
}

} // namespace

bool soundInit() {
    if (gSound.device != 0) {
        return true;
    }
    // No audio device is not an error: the demo then plays silently.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = kOutputRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kOutputChannels;
    wanted.samples = kOutputFrames;
    wanted.callback = fillAudio;
    SDL_AudioSpec obtained;
    gSound.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (gSound.device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    gMuted.store(false);
    return true;
}

bool soundOpenStream(const uint8_t* data, size_t size) {
    if (gSound.device == 0 || data == nullptr) {
        return false;
    }
    SDL_LockAudioDevice(gSound.device);
    closeDecoder();
    bool opened = openDecoder(data, size);
    SDL_UnlockAudioDevice(gSound.device);
    return opened;
}

void soundPlay() {
    if (gSound.device != 0) {
        SDL_PauseAudioDevice(gSound.device, 0);
    }
}

void soundSetMute(bool muted) {
    gMuted.store(muted, std::memory_order_relaxed);
}

void soundStop() {
    if (gSound.device != 0) {
        SDL_LockAudioDevice(gSound.device);
        SDL_PauseAudioDevice(gSound.device, 1);
        SDL_UnlockAudioDevice(gSound.device);
    }
}

void soundClose() {
    if (gSound.device == 0) {
        return;
    }
    // Closing the device ends its thread, after which the decoder is ours alone.
    SDL_CloseAudioDevice(gSound.device);
    gSound.device = 0;
    closeDecoder();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    gMuted.store(false);
}
