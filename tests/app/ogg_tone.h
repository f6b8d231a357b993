// Ogg Vorbis test signals encoded in memory.
#pragma once

#include <cstdint>
#include <vector>

// A stereo 44100 Hz sine tone of `seconds` whose amplitude rises linearly from startLevel to endLevel
// (fractions of full scale), so that a stretch of output tells where in the stream it came from.
std::vector<uint8_t> encodeRisingTone(double seconds, double frequency, double startLevel, double endLevel);
