// images-preview: writes every generated picture and the font into a folder, for looking at them.
#include <cstdio>
#include <exception>
#include <string>

#include "content.h"

static bool writeFile(const std::string& path, const std::vector<uint8_t>& data) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    return std::fclose(file) == 0 && ok;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: images-preview OUTDIR\n");
        return 2;
    }
    try {
        std::vector<ContentFile> files = buildImages();
        for (ContentFile& file : buildFont())
            files.push_back(std::move(file));
        for (const ContentFile& file : files) {
            std::string path = std::string(argv[1]) + "/" + file.name;
            if (!writeFile(path, file.data)) {
                std::fprintf(stderr, "images-preview: cannot write %s\n", path.c_str());
                return 1;
            }
            std::printf("%-20s %8zu bytes\n", file.name.c_str(), file.data.size());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "images-preview: %s\n", error.what());
        return 1;
    }
    return 0;
}
