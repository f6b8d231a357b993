// ResourceArchive: the shared in-memory index of decoded entries and its lookup.
#include "archive/archive.h"
#include "archive/archive_local.h"
#include "platform/platform.h"

#include <cstring>
#include <new>

namespace {

ResourceArchive* gArchive = nullptr;

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
    // A demo must not start on half its content: the first fault ends the program.
    if (!file.faults.empty()) {
        fatalError(describeArchiveFault(path, file.faults.front()).c_str());
    }
    int32_t total = int32_t(file.table.size());
    entries = new (std::nothrow) ResourceEntry[size_t(total)];
    if (!entries) {
        fatalError((std::string(path) + ": out of memory for the entry index").c_str());
    }
    for (int32_t i = 0; i < total; ++i) {
        const ArchiveRecord& record = file.table[size_t(i)];
        ResourceEntry& entry = entries[i];
        std::memset(entry.name, 0, sizeof entry.name);
        std::memcpy(entry.name, record.name.c_str(), strnlen(record.name.c_str(), sizeof entry.name));
        entry.size = record.size;
        entry.data = new (std::nothrow) uint8_t[size_t(record.size)];
        count = i + 1;
        std::string error;
        if (!entry.data) {
            error = formatText("out of memory for %d decoded bytes", record.size);
        } else if (decodeArchiveRecord(record, file.bytes.data(), entry.data, error)) {
            continue;
        }
        fatalError(describeArchiveFault(path, ArchiveFault{record.name, i, error}).c_str());
    }
    file.clear();
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
    for (int32_t i = 0; i < count; ++i) {
        delete[] entries[i].data;
    }
    delete[] entries;
    entries = nullptr;
    count = 0;
}
