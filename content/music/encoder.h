// Ogg Vorbis encoding into memory, and decoding back to check what a listener gets.
#pragma once

#include <cstdint>
#include <vector>

namespace music {

struct VorbisSettings {
    int sampleRate;
    int channels;
    float quality;    // VBR quality, -0.1 .. 1.0
    int streamSerial; // fixed, so the same audio always gives the same bytes
    // The encoder's low-pass in kHz; 0 keeps the one that comes with the quality (about 18.5 kHz at 0.4).
    double lowpassKhz = 0.0;
};

// Encodes interleaved float samples (full scale +-1). Throws std::runtime_error if libvorbis refuses the
// settings.
std::vector<uint8_t> encodeOggVorbis(const std::vector<float>& interleaved, const VorbisSettings& settings);

// Decodes Ogg Vorbis bytes back to interleaved float samples, as a player would; empty if they do not decode.
std::vector<float> decodeOggVorbis(const std::vector<uint8_t>& bytes);

} // namespace music
