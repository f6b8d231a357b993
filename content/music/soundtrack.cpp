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
// The peak target leaves room for the codec's overshoot above -0.3 dBFS.
static const MasterSettings kMaster{
    .delaySeconds = 0.75 * kBeatSeconds,
    .delayFeedback = 0.38f,
    .reverbRoom = 0.72f,
    .reverbDamping = 0.5f,
    .fadeStart = kSongSeconds - 0.012, // the last chord's tail ...
    .fadeEnd = kSongSeconds - 0.004,   // ... goes to silence with the last picture
    .peakTarget = 0.70f,               // -3.1 dBFS: the codec's overshoot stays under -1.5 dB true peak
    .drive = 2.9f,                     // about -15 LUFS integrated
};

std::vector<float> renderSoundtrack() {
    static_assert(kTrackSampleRate == kSampleRate);
    Mix mix(static_cast<size_t>(std::lround(kSongSeconds * kSampleRate)));
    renderSong(mix);
    return masterMix(mix, kMaster);
}

std::vector<uint8_t> encodeSoundtrack(const std::vector<float>& interleaved) {
    return encodeOggVorbis(interleaved, {kTrackSampleRate, kTrackChannels, 0.4f, kTrackStreamSerial, 20.5});
}

} // namespace music

ContentFile buildSoundtrack() {
    return {"soundtrack.ogg", music::encodeSoundtrack(music::renderSoundtrack()), false};
}
