// The soundtrack output: an Ogg Vorbis stream decoded from memory into an SDL audio device.
#include "platform/platform.h"
#include "platform/sound_decoder.h"

#include <SDL.h>

#include <atomic>
#include <cstring>

namespace {

// At most 1024 frames per buffer keeps the music within ~25 ms of the clock.
constexpr Uint16 kOutputFrames = 1024;

// The device and the decoder it plays; the decoder is the audio thread's while the device runs.
struct SoundState {
    SDL_AudioDeviceID device = 0;
    SoundDecoder decoder;
};

SoundState gSound;
std::atomic<bool> gMuted{false};

// Runs on SDL's audio thread. Decoding goes on while muted so the music stays in time with the clock.
void fillAudio(void*, Uint8* out, int length) {
    int produced = gSound.decoder.produce(out, length);
    if (gMuted.load(std::memory_order_relaxed)) {
        produced = 0;
    }
    std::memset(out + produced, 0, static_cast<size_t>(length - produced));
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
    wanted.freq = kSoundOutputRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kSoundOutputChannels;
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
    bool opened = gSound.decoder.open(data, size);
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

void soundPause(bool paused) {
    if (gSound.device != 0) {
        SDL_PauseAudioDevice(gSound.device, paused ? 1 : 0);
    }
}

void soundSeek(uint32_t ms) {
    if (gSound.device != 0) {
        SDL_LockAudioDevice(gSound.device);
        gSound.decoder.seek(ms);
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
    gSound.decoder.close();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    gMuted.store(false);
}
