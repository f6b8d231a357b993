// Test helper: decodes Ogg Vorbis bytes from memory with vorbisfile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct DecodedAudio {
    bool ok = false;
    long rate = 0;
    int channels = 0;
    std::vector<float> samples; // interleaved
    size_t frames() const { return channels ? samples.size() / static_cast<size_t>(channels) : 0; }
};

DecodedAudio decodeOgg(const std::vector<uint8_t>& bytes);
