// ArchiveFile: reads the archive file into memory in one pass.
#include "archive/archive.h"
#include "archive/archive_local.h"
#include "platform/platform.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace {

// Stored blobs are at most slightly larger than the 1 GiB of decoded data an archive may hold.
constexpr int64_t kMaxArchiveFileBytes = int64_t(2) << 30;

// What the path is when it is not a regular file; "" when it is one (or cannot be looked at).
const char* notAFile(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) {
        return "";
    }
    if (S_ISDIR(info.st_mode)) {
        return "a folder";
    }
#ifdef S_ISFIFO
    if (S_ISFIFO(info.st_mode)) {
        return "a FIFO";
    }
#endif
    return "a device or other special file";
}

} // namespace

int32_t ArchiveFile::read() {
    if (!bytes.empty() || !faults.empty()) {
        clear();
    }
    // A FIFO would block the start for good and a device (/dev/zero) would be read for gigabytes.
    if (const char* kind = notAFile(path); kind[0] != '\0') {
        faults.push_back({"", -1, std::string("is ") + kind + ", not a file; not read"});
        return 0;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        showErrorBox(("Resource file \"" + path + "\" not found").c_str());
        return -1;
    }
    struct stat info {};
    if (fstat(fileno(file), &info) == 0 && int64_t(info.st_size) > kMaxArchiveFileBytes) {
        faults.push_back({"", -1,
                          formatText("file of %lld bytes is larger than the 2 GiB an archive may be",
                                     (long long)info.st_size)});
        std::fclose(file);
        return 0;
    }
    try {
        bytes.reserve(size_t(info.st_size > 0 ? info.st_size : 0));
        uint8_t chunk[65536];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            if (int64_t(bytes.size() + got) > kMaxArchiveFileBytes) {
                faults.push_back({"", -1, "file is larger than the 2 GiB an archive may be"});
                break;
            }
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
    } catch (const std::bad_alloc&) {
        faults.push_back({"", -1, "out of memory reading the file"});
    }
    if (std::ferror(file)) {
        faults.push_back({"", -1, std::string("read error: ") + std::strerror(errno)});
    }
    std::fclose(file);
    return 0;
}

void ArchiveFile::clear() {
    std::vector<uint8_t>().swap(bytes);
    faults.clear();
}
