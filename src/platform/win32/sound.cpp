// The soundtrack output: an Ogg Vorbis stream decoded from memory into winmm's waveOut, fed by a thread of
// its own from a ring of small buffers.
#include "platform/platform.h"
#include "platform/sound_decoder.h"
#include "platform/win32/win32.h"

#include <mmsystem.h>

#include <atomic>
#include <cstring>

namespace {

// At most 1024 frames per buffer keeps the music within ~25 ms of the clock.
constexpr int kBufferFrames = 1024;
constexpr int kBufferBytes = kBufferFrames * kSoundOutputChannels * 2;
constexpr int kBufferCount = 4;

struct SoundState {
    HWAVEOUT device = nullptr;
    HANDLE bufferDone = nullptr; // signalled by winmm when a buffer has played
    HANDLE feeder = nullptr;
    CRITICAL_SECTION lock;       // the decoder and the buffers, shared with the feeding thread
    bool playing = false;
    bool paused = false; // by soundPause: buffers stay queued, the device holds them
    bool quitting = false;
    SoundDecoder decoder;
    WAVEHDR headers[kBufferCount] = {};
    uint8_t buffers[kBufferCount][kBufferBytes] = {};
};

SoundState* gSound = nullptr;
std::atomic<bool> gMuted{false};

// Decoding goes on while muted so the music stays in time with the clock. Called with the lock held.
void fill(WAVEHDR& header) {
    auto* out = reinterpret_cast<uint8_t*>(header.lpData);
    int produced = gSound->decoder.produce(out, kBufferBytes);
    if (gMuted.load(std::memory_order_relaxed)) {
        produced = 0;
    }
    std::memset(out + produced, 0, size_t(kBufferBytes - produced));
    waveOutWrite(gSound->device, &header, sizeof header);
}

DWORD WINAPI feed(void*) {
    for (;;) {
        WaitForSingleObject(gSound->bufferDone, INFINITE);
        EnterCriticalSection(&gSound->lock);
        if (gSound->quitting) {
            LeaveCriticalSection(&gSound->lock);
            return 0;
        }
        if (gSound->playing) {
            for (WAVEHDR& header : gSound->headers) {
                if ((header.dwFlags & WHDR_DONE) != 0) {
                    header.dwFlags &= ~DWORD(WHDR_DONE);
                    fill(header);
                }
            }
        }
        LeaveCriticalSection(&gSound->lock);
    }
}

} // namespace

bool soundInit() {
    if (gSound != nullptr) {
        return true;
    }
    // No audio device is not an error: the demo then plays silently.
    if (waveOutGetNumDevs() == 0) {
        return false;
    }
    auto* sound = new SoundState;
    sound->bufferDone = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kSoundOutputChannels;
    format.nSamplesPerSec = kSoundOutputRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = WORD(format.nChannels * format.wBitsPerSample / 8);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    if (sound->bufferDone == nullptr ||
        waveOutOpen(&sound->device, WAVE_MAPPER, &format, DWORD_PTR(sound->bufferDone), 0, CALLBACK_EVENT) !=
            MMSYSERR_NOERROR) {
        if (sound->bufferDone != nullptr) {
            CloseHandle(sound->bufferDone);
        }
        delete sound;
        return false;
    }
    waveOutPause(sound->device);
    InitializeCriticalSection(&sound->lock);
    for (int i = 0; i < kBufferCount; ++i) {
        WAVEHDR& header = sound->headers[i];
        header.lpData = reinterpret_cast<LPSTR>(sound->buffers[i]);
        header.dwBufferLength = kBufferBytes;
        waveOutPrepareHeader(sound->device, &header, sizeof header);
    }
    gSound = sound;
    gSound->feeder = CreateThread(nullptr, 0, feed, nullptr, 0, nullptr);
    gMuted.store(false);
    return true;
}

bool soundOpenStream(const uint8_t* data, size_t size) {
    if (gSound == nullptr || data == nullptr) {
        return false;
    }
    EnterCriticalSection(&gSound->lock);
    bool opened = gSound->decoder.open(data, size);
    LeaveCriticalSection(&gSound->lock);
    return opened;
}

void soundPlay() {
    if (gSound == nullptr) {
        return;
    }
    EnterCriticalSection(&gSound->lock);
    if (!gSound->playing) {
        gSound->playing = true;
        for (WAVEHDR& header : gSound->headers) {
            if ((header.dwFlags & WHDR_INQUEUE) == 0) {
                header.dwFlags &= ~DWORD(WHDR_DONE);
                fill(header);
            }
        }
    }
    waveOutRestart(gSound->device);
    LeaveCriticalSection(&gSound->lock);
}

void soundSetMute(bool muted) {
    gMuted.store(muted, std::memory_order_relaxed);
}

void soundStop() {
    if (gSound == nullptr) {
        return;
    }
    EnterCriticalSection(&gSound->lock);
    gSound->playing = false;
    waveOutPause(gSound->device);
    LeaveCriticalSection(&gSound->lock);
}

void soundPause(bool paused) {
    if (gSound == nullptr) {
        return;
    }
    EnterCriticalSection(&gSound->lock);
    gSound->paused = paused;
    if (paused) {
        waveOutPause(gSound->device);
    } else if (gSound->playing) {
        waveOutRestart(gSound->device);
    }
    LeaveCriticalSection(&gSound->lock);
}

void soundSeek(uint32_t ms) {
    if (gSound == nullptr) {
        return;
    }
    EnterCriticalSection(&gSound->lock);
    // The queued buffers hold the old moment: the device gives them back, and they are filled again from the
    // new one, so what plays next is the new moment.
    waveOutReset(gSound->device);
    if (gSound->paused || !gSound->playing) {
        waveOutPause(gSound->device);
    }
    gSound->decoder.seek(ms);
    if (gSound->playing) {
        for (WAVEHDR& header : gSound->headers) {
            if ((header.dwFlags & WHDR_INQUEUE) == 0) {
                header.dwFlags &= ~DWORD(WHDR_DONE);
                fill(header);
            }
        }
    }
    LeaveCriticalSection(&gSound->lock);
}

void soundClose() {
    if (gSound == nullptr) {
        return;
    }
    EnterCriticalSection(&gSound->lock);
    gSound->quitting = true;
    gSound->playing = false;
    LeaveCriticalSection(&gSound->lock);
    SetEvent(gSound->bufferDone);
    if (gSound->feeder != nullptr) {
        WaitForSingleObject(gSound->feeder, INFINITE);
        CloseHandle(gSound->feeder);
    }
    // The thread is gone, so the decoder and the buffers are ours alone.
    waveOutReset(gSound->device);
    for (WAVEHDR& header : gSound->headers) {
        waveOutUnprepareHeader(gSound->device, &header, sizeof header);
    }
    waveOutClose(gSound->device);
    CloseHandle(gSound->bufferDone);
    DeleteCriticalSection(&gSound->lock);
    gSound->decoder.close();
    delete gSound;
    gSound = nullptr;
    gMuted.store(false);
}
