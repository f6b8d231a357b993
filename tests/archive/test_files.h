// Temporary directories and whole-file helpers for the archive and salad tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

// A fatal error's exit(-1) as the parent sees it: 255 from a POSIX shell, -1 from Windows.
#ifdef _WIN32
constexpr int kFatalExitCode = -1;
#else
constexpr int kFatalExitCode = 255;
#endif

// A fresh directory under the system's temporary directory, removed with its contents at scope end.
class TempDir {
  public:
    TempDir() {
#ifdef _WIN32
        static int counter = 0;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            std::filesystem::path candidate = std::filesystem::temp_directory_path() /
                ("tomblora-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) path_ = candidate.generic_string();
        }
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "tomblora-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
#endif
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Mixed content: text-like runs, a ramp and noise from a fixed seed, so LZMA has work of each kind.
inline std::vector<uint8_t> sampleBytes(size_t size, uint32_t seed) {
    std::vector<uint8_t> out(size);
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        switch ((i / 1024) % 3) {
        case 0:
            out[i] = uint8_t("the harvester turns over the ledge "[i % 35]);
            break;
        case 1:
            out[i] = uint8_t(i * 7);
            break;
        default:
            out[i] = uint8_t(state >> 24);
            break;
        }
    }
    return out;
}
