// The soundtrack player: the archive's Ogg entry played from memory through the sound layer.
#include "app/app.h"

#include "archive/archive.h"

#include <cstdio>

namespace {
SoundtrackPlayer* gSoundtrackPlayer = nullptr;
}

SoundtrackPlayer* SoundtrackPlayer::instance() {
    if (!gSoundtrackPlayer) {
        gSoundtrackPlayer = new SoundtrackPlayer();
        // No audio device is not an error: the demo then plays silently.
        gSoundtrackPlayer->deviceOpen = soundInit();
    }
    return gSoundtrackPlayer;
}

SoundtrackPlayer* SoundtrackPlayer::existing() { return gSoundtrackPlayer; }

void SoundtrackPlayer::destroyInstance() {
    if (gSoundtrackPlayer && gSoundtrackPlayer->deviceOpen) gSoundtrackPlayer->close();
    delete gSoundtrackPlayer;
    gSoundtrackPlayer = nullptr;
}

void SoundtrackPlayer::open(const char* entryName) {
    ResourceEntry* entry = ResourceArchive::instance()->find(entryName);
    if (!deviceOpen) return;
    streamOpen = soundOpenStream(entry->data, static_cast<size_t>(entry->size));
    // Like an image that does not decode: reported, and the demo goes on (silently).
    if (!streamOpen) std::printf("error loading %s: not a playable Ogg Vorbis stream, playing without music\n", entryName);
}

void SoundtrackPlayer::play() {
    if (streamOpen) soundPlay();
}

void SoundtrackPlayer::toggleMute() {
    muted = !muted;
    soundSetMute(muted);
}

void SoundtrackPlayer::pause(bool paused) {
    if (streamOpen) soundPause(paused);
}

void SoundtrackPlayer::seek(uint32_t ms) {
    if (streamOpen) soundSeek(ms);
}

void SoundtrackPlayer::stop() {
    if (streamOpen) soundStop();
}

void SoundtrackPlayer::close() {
    soundClose();
    streamOpen = false;
    deviceOpen = false;
}
