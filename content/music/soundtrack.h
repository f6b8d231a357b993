// The soundtrack as rendered audio, before and after encoding; buildSoundtrack() (content.h) wraps these.
#pragma once

#include <cstdint>
#include <vector>

namespace music {

constexpr int kTrackSampleRate = 44100;
constexpr int kTrackChannels = 2;
constexpr int kTrackStreamSerial = 0x70B1;

// The mastered track: interleaved stereo floats, exactly 172 s, peaks below full scale.
std::vector<float> renderSoundtrack();

// The mastered track as Ogg Vorbis bytes.
std::vector<uint8_t> encodeSoundtrack(const std::vector<float>& interleaved);

} // namespace music
