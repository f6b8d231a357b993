// Writes the tones of the sound decoder suite into a folder, for its cross-built copy: write_test_tones DIR
#include "ogg_tone.h"

#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tomblora_write_test_tones DIR\n");
        return 2;
    }
    std::filesystem::create_directories(argv[1]);
    for (double seconds : {0.5, 2.0, 8.0}) {
        const std::vector<uint8_t> tone = encodeRisingTone(seconds, 440.0, 0.2, 0.4);
        const std::string path = std::string(argv[1]) + "/" + toneFileName(seconds, 440.0, 0.2, 0.4);
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(tone.data()), std::streamsize(tone.size()));
        if (tone.empty() || !file.flush()) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
