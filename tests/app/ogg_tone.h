// Ogg Vorbis test signals encoded in memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A stereo 44100 Hz sine tone of `seconds` whose amplitude rises linearly from startLevel to endLevel
// (fractions of full scale), so that a stretch of output tells where in the stream it came from.
std::vector<uint8_t> encodeRisingTone(double seconds, double frequency, double startLevel, double endLevel);

// The file a Linux build writes such a tone to, for the cross-built tests, which have no encoder and read
// the tones from the folder TOMBLORA_TEST_TONES names instead (tests/windows/tone_files.cpp).
inline std::string toneFileName(double seconds, double frequency, double startLevel, double endLevel) {
    char name[96];
    std::snprintf(name, sizeof name, "tone-%g-%g-%g-%g.ogg", seconds, frequency, startLevel, endLevel);
    return name;
}
