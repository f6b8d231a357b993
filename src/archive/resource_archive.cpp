// ResourceArchive: the shared in-memory index of decoded entries and its lookup.
#include "archive/archive.h"
#include "platform/platform.h"

#include <cstring>
#include <new>

namespace {

ResourceArchive* gArchive = nullptr;
// The data of every empty entry: a valid block of no bytes.
uint8_t gEmptyBlock[1];

} // namespace

ResourceArchive* ResourceArchive::instance() {
    if (!gArchive) {
        std::string path = std::string(archiveBaseDir) + archiveFileName;
        gArchive = new ResourceArchive;
        gArchive->open(path.c_str());
    }
    return gArchive;
}

void ResourceArchive::destroyInstance() {
    if (gArchive) {
        gArchive->release();
        delete gArchive;
        gArchive = nullptr;
    }
}

void ResourceArchive::open(const char* path) {
    release();
    ArchiveFile file;
    file.path = path;
    if (file.read() != 0) {
        return;
    }
    std::vector<ArchiveFault> faults = std::move(file.faults);
    std::vector<DecodedEntry> decoded;
    if (faults.empty()) {
        decoded = readArchiveBytes(file.bytes.data(), file.bytes.size(), faults);
    }
    file.clear();
    // A demo must not start on half its content: the first fault ends the program.
    if (!faults.empty()) {
        fatalError(describeArchiveFault(path, faults.front()).c_str());
    }
    entries = new (std::nothrow) ResourceEntry[decoded.size()];
    if (!entries) {
        fatalError((std::string(path) + ": out of memory for the entry index").c_str());
    }
    blocks.reserve(decoded.size());
    for (DecodedEntry& source : decoded) {
        ResourceEntry& entry = entries[count++];
        std::memset(entry.name, 0, sizeof entry.name);
        std::memcpy(entry.name, source.name.c_str(), strnlen(source.name.c_str(), sizeof entry.name));
        entry.size = int32_t(source.data.size());
        // The decoded block itself becomes the entry's data: nothing is copied, and it never moves.
        blocks.push_back(std::move(source.data));
        entry.data = entry.size > 0 ? blocks.back().data() : gEmptyBlock;
    }
}

ResourceEntry* ResourceArchive::find(const char* name) {
    if (!name) {
        name = "";
    }
    for (int32_t i = 0; i < count; ++i) {
        if (std::strncmp(name, entries[i].name, kArchiveNameBytes) == 0) {
            return &entries[i];
        }
    }
    fatalError((std::string("Resource \"") + name + "\" not found").c_str());
}

void ResourceArchive::release() {
    std::vector<std::vector<uint8_t>>().swap(blocks);
    delete[] entries;
    entries = nullptr;
    count = 0;
}
