// Resource archive (.salad): reader, in-memory index and writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Directory prefix of the archive path ("" = the working directory).
extern char archiveBaseDir[256];
// File name of the archive; the capture tool may point it elsewhere before the first request.
extern char archiveFileName[256];

constexpr int32_t kMaxArchiveEntries = 100;
constexpr int32_t kArchiveNameBytes = 32;

// One decoded entry, owned by the archive until release.
struct ResourceEntry {
    char name[32]; // NUL-padded; not terminated when 32 characters long
    int32_t size;  // bytes in data
    uint8_t* data; // no terminator appended
};

class ResourceArchive {
  public:
    // The shared archive; the first call opens archiveBaseDir + archiveFileName.
    static ResourceArchive* instance();
    // Deletes the shared archive after release (shutdown).
    static void destroyInstance();
    // Reads and decodes the whole file. A missing file shows the "Resource file" box and leaves the index
    // empty; a malformed file is fatal (message naming archive and entry, exit code -1).
    void open(const char* path);
    // The entry with that name (first 32 characters); a missing name is fatal ("Resource ... not found").
    ResourceEntry* find(const char* name);
    void release();

    ResourceEntry* entries = nullptr;
    int32_t count = 0;
};

// ---- fault-collecting reader, shared by the program and `salad` ----

struct ArchiveFault {
    std::string entry; // entry name, or "" for the file as a whole
    std::string message;
};

struct DecodedEntry {
    std::string name;
    int32_t storedSize = 0;
    int32_t size = 0;
    uint8_t method = 0;
    std::vector<uint8_t> data;
};

// Reads and decodes an archive held in memory; returns every entry it could decode and appends every
// fault found. Never reads outside the bytes given and never allocates on an unchecked size.
std::vector<DecodedEntry> readArchiveBytes(const uint8_t* bytes, size_t size, std::vector<ArchiveFault>& faults);

// ---- writer ----

enum class ArchiveMethod : uint8_t { Stored = 0, Lzma = 1 };

struct ArchiveInput {
    std::string name; // at most 32 bytes
    std::vector<uint8_t> data;
    ArchiveMethod method = ArchiveMethod::Lzma;
};

// Builds the archive bytes; returns false with a reason for names over 32 bytes, duplicate names, more
// than 100 entries or an encoder failure. The output is byte-identical for identical input.
bool writeArchiveBytes(const std::vector<ArchiveInput>& inputs, std::vector<uint8_t>& out, std::string& error);
