// The soundtrack entry: renders the song through the mixer and encodes it as Ogg Vorbis.
#include "soundtrack.h"

#include "content.h"
#include "encoder.h"
#include "mixer.h"
#include "song.h"
#include "synth.h"

#include <cmath>

namespace music {

// Master settings for the whole track: a dotted-eighth echo, a medium room, and a release of a few
// milliseconds at the very end, so what is left of the last chord's tail lands on zero with the last picture.
// The peak target bounds the peaks between the samples too; the codec adds its own on top, which the
// encoding trims back to kHeardCeiling, under the -1 dB a party's player needs.
static const MasterSettings kMaster{
    .delaySeconds = 0.75 * kBeatSeconds,
    .delayFeedback = 0.38f,
    .reverbRoom = 0.72f,
    .reverbDamping = 0.5f,
    .fadeStart = kSongSeconds - 0.012, // the last chord's tail ...
    .fadeEnd = kSongSeconds - 0.004,   // ... goes to silence with the last picture
    .peakTarget = 0.81f,               // -1.8 dB true peak before the codec
    .drive = 2.75f,                    // about -14 LUFS integrated
};
constexpr float kHeardCeiling = 0.82f; // -1.7 dB true peak after decoding

std::vector<float> renderSoundtrack() {
    static_assert(kTrackSampleRate == kSampleRate);
    Mix mix(static_cast<size_t>(std::lround(kSongSeconds * kSampleRate)));
    renderSong(mix);
    return masterMix(mix, kMaster);
}

std::vector<uint8_t> encodeSoundtrack(const std::vector<float>& interleaved) {
    const VorbisSettings settings{kTrackSampleRate, kTrackChannels, 0.4f, kTrackStreamSerial, 20.5};
    std::vector<uint8_t> ogg = encodeOggVorbis(interleaved, settings);
    // The codec's noise rides on the loudest hits and lifts their peaks up to a decibel over the master's
    // ceiling. Where the decoded track passes kHeardCeiling the gain dips once more around the peak, and
    // the track is encoded again.
    std::vector<float> trimmed = interleaved;
    if (trimOvershoots(trimmed, decodeOggVorbis(ogg), kHeardCeiling, 0.05))
        ogg = encodeOggVorbis(trimmed, settings);
    return ogg;
}

} // namespace music

ContentFile buildSoundtrack() {
    return {"soundtrack.ogg", music::encodeSoundtrack(music::renderSoundtrack()), false};
}
