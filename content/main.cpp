// The content generator: builds every scene, image, the font and the soundtrack and packs tomblora.salad.
#include "content.h"

#include "archive/archive.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <future>
#include <string>

namespace {

int usage(const char* reason) {
    if (reason) std::fprintf(stderr, "tomblora-content: %s\n", reason);
    std::fprintf(reason ? stderr : stdout,
                 "usage: tomblora-content --out ARCHIVE [--dump DIR]\n"
                 "  --out ARCHIVE  write the production's archive\n"
                 "  --dump DIR     also write every entry as a file into DIR\n");
    return reason ? 2 : 0;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "tomblora-content: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int buildArchive(const std::string& outPath, const std::string& dumpDir);

int main(int argc, char** argv) {
    std::string outPath;
    std::string dumpDir;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help")) return usage(nullptr);
        if (!std::strcmp(argv[i], "--out") && i + 1 < argc) {
            outPath = argv[++i];
        } else if (!std::strcmp(argv[i], "--dump") && i + 1 < argc) {
            dumpDir = argv[++i];
        } else {
            return usage((std::string("unknown or incomplete argument: ") + argv[i]).c_str());
        }
    }
    if (outPath.empty()) return usage("--out is required");
    try {
        return buildArchive(outPath, dumpDir);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tomblora-content: %s\n", error.what());
        return 1;
    }
}

int buildArchive(const std::string& outPath, const std::string& dumpDir) {
    const auto start = std::chrono::steady_clock::now();
    // The soundtrack takes longest; it runs beside the rest.
    std::future<ContentFile> music = std::async(std::launch::async, buildSoundtrack);
    std::vector<ContentFile> files = buildImages();
    for (ContentFile& file : buildFont()) files.push_back(std::move(file));
    for (ContentFile& file : buildScenes()) files.push_back(std::move(file));
    files.push_back(music.get());

    std::vector<ArchiveInput> inputs;
    for (const ContentFile& file : files) {
        inputs.push_back({file.name, file.data, file.compress ? ArchiveMethod::Lzma : ArchiveMethod::Stored});
        if (!dumpDir.empty() && !writeFile(dumpDir + "/" + file.name, file.data)) return 1;
    }
    std::vector<uint8_t> archive;
    std::string error;
    if (!writeArchiveBytes(inputs, archive, error)) {
        std::fprintf(stderr, "tomblora-content: %s\n", error.c_str());
        return 1;
    }
    if (!writeFile(outPath, archive)) return 1;

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("tomblora-content: %zu entries, %zu bytes, %.1f s\n", files.size(), archive.size(), seconds);
    return 0;
}
