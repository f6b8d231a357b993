// The test tones of a cross-built suite: read from the files a Linux build encoded (write_test_tones.cpp).
#include "ogg_tone.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

std::vector<uint8_t> encodeRisingTone(double seconds, double frequency, double startLevel, double endLevel) {
    const char* folder = std::getenv("TOMBLORA_TEST_TONES");
    const std::string path = std::string(folder ? folder : ".") + "/" +
                             toneFileName(seconds, frequency, startLevel, endLevel);
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "no test tone %s (the Linux build's tomblora_write_test_tones writes it)\n",
                     path.c_str());
        std::exit(1);
    }
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
