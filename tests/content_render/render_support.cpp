// Helpers of the archive and render tests; the stb PNG decoder is compiled here for PNG only.
#include "render_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_image.h>
#pragma GCC diagnostic pop

std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string readTextFile(const std::string& path) {
    std::vector<uint8_t> bytes = readFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

int runTool(const std::string& command, const std::string& logPath) {
    int status = std::system((command + " >'" + logPath + "' 2>&1").c_str());
    return status == -1 || !WIFEXITED(status) ? -1 : WEXITSTATUS(status);
}

std::string freshWorkDir(const std::string& name) {
    std::filesystem::path dir = std::filesystem::path(TOMBLORA_RENDER_WORK_DIR) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

Rgba8Image decodePng(const std::vector<uint8_t>& data) {
    Rgba8Image image;
    stbi_uc* pixels = stbi_load_from_memory(data.data(), int(data.size()), &image.width, &image.height,
                                            &image.storedChannels, 4);
    if (!pixels) return {};
    image.rgba.assign(pixels, pixels + size_t(image.width) * size_t(image.height) * 4);
    stbi_image_free(pixels);
    return image;
}
