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
constexpr int32_t kArchiveHeaderBytes = 12;
constexpr int32_t kArchiveRecordBytes = 44;
constexpr int32_t kArchiveNameFieldBytes = 34;
constexpr int32_t kMaxArchiveNameLength = 33;
// 5 property bytes and the 8-byte size field that is never read.
constexpr int32_t kLzmaBlobHeaderBytes = 13;
// Every entry is decoded into memory at start-up; more than this is a damaged table, not content.
constexpr int64_t kMaxDecodedBytes = int64_t(1) << 30;

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
    // Releases and deletes the shared archive (shutdown); a later instance() would open it afresh.
    static void destroyInstance();
    // Reads and decodes the whole file. A missing file shows the "Resource file" box and leaves the index
    // empty; a malformed file is fatal (message naming archive and entry, exit code -1).
    void open(const char* path);
    // The entry with that name (first 32 characters); a missing name is fatal ("Resource ... not found").
    ResourceEntry* find(const char* name);
    // Frees every entry's data and the entries array; the index is empty afterwards.
    void release();

    ResourceEntry* entries = nullptr;
    int32_t count = 0;
    std::vector<std::vector<uint8_t>> blocks; // owns the entries' data
};

// ---- file layout, shared by the program and `salad` ----

struct ArchiveFault {
    std::string entry;  // entry name as stored, or "" for the file as a whole
    int32_t index = -1; // table position of the entry, -1 for the file as a whole
    std::string message;
};

struct ArchiveHeader {
    char magic[5] = {'S', 'A', 'L', 'A', 'D'};
    uint8_t version = 1;
    int16_t entryCount = 0;
    uint32_t reserved = 0;
};

// One record of the entry table, its name turned back into plain text, and where its blob lies.
struct ArchiveRecord {
    int32_t storedSize = 0;
    int32_t size = 0;
    uint8_t method = 0; // 1 = LZMA, anything else = stored
    uint8_t nameLength = 0;
    std::string name;        // the first nameLength name bytes (at most the 34 of the field)
    int64_t blobOffset = -1; // file offset of the blob; -1 when an earlier record makes it unknowable
    bool usable = false;     // passed every check: the blob lies in the data area and fits the sizes
};

// Parses header and table and locates every blob; appends a fault for every record that is not usable.
// False when the header or the table itself is unusable (no record is returned then).
bool parseArchiveLayout(const uint8_t* bytes, size_t size, ArchiveHeader& header,
                        std::vector<ArchiveRecord>& table, std::vector<ArchiveFault>& faults);

// The name with control, high, quote and backslash bytes written as \xNN, safe to print.
std::string printableEntryName(const std::string& name);

// "ARCHIVE: entry "NAME": MESSAGE", or "ARCHIVE: MESSAGE" for a fault of the file as a whole.
std::string describeArchiveFault(const std::string& archive, const ArchiveFault& fault);

// ---- LZMA decoders ----

// liblzma where the system has it; the LZMA SDK decoder (built from its source) everywhere. Both give the
// same entries and the same fault reports.
enum class LzmaDecoderKind { Liblzma, LzmaSdk };
bool lzmaDecoderAvailable(LzmaDecoderKind kind);
// The decoder every later decode uses (the default is liblzma where available). False when this build
// lacks it; the selection stays then.
bool selectLzmaDecoder(LzmaDecoderKind kind);

// ---- the reader: the demo and salad both decode through readArchiveBytes ----

struct DecodedEntry {
    std::string name;
    int32_t storedSize = 0;
    int32_t size = 0;
    uint8_t method = 0;
    std::vector<uint8_t> data;
};

// Reads and decodes an archive held in memory; returns every entry it could decode, in table order, and
// appends every fault found (an entry left out always has one; faults of the layout come first). Never
// reads outside the bytes given and never allocates on an unchecked size.
std::vector<DecodedEntry> readArchiveBytes(const uint8_t* bytes, size_t size,
                                           std::vector<ArchiveFault>& faults);

// The demo's reader of the archive file; lives only while the archive is being opened.
class ArchiveFile {
  public:
    // Reads the whole file into bytes. 0 when the file was opened (faults of reading it are in faults),
    // -1 when it cannot be opened (the "Resource file" box has been shown).
    int32_t read();
    // Frees the file bytes and forgets the faults.
    void clear();

    std::string path;
    std::vector<uint8_t> bytes; // the whole file
    std::vector<ArchiveFault> faults;
};

// ---- writer ----

enum class ArchiveMethod : uint8_t { Stored = 0, Lzma = 1 };

struct ArchiveInput {
    std::string name; // 0 to 32 bytes, no NUL
    std::vector<uint8_t> data;
    ArchiveMethod method = ArchiveMethod::Lzma;
};

// Builds the archive bytes; returns false with a reason for names over 32 bytes or holding a NUL,
// duplicate names, more than 100 entries, more than 1 GiB of data or an encoder failure. The output is
// byte-identical for identical input.
bool writeArchiveBytes(const std::vector<ArchiveInput>& inputs, std::vector<uint8_t>& out,
                       std::string& error);
