// The archive reader of the demo and salad alike: entry decoding through the LZMA decoder in use.
#include "archive/archive.h"
#include "archive/archive_local.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

// Room given to a growing output first: a table size that the stream cannot back is then found out
// before the whole claimed size is allocated.
constexpr size_t kFirstOutputChunk = size_t(1) << 20;

// Decoding stops once size bytes exist, whatever the stream holds after them. The output grows only as
// fast as the stream really yields bytes.
bool decodeLzmaGrowing(const uint8_t* blob, size_t blobSize, std::vector<uint8_t>& out, int32_t size,
                       std::string& error) {
    std::unique_ptr<LzmaDecoder> decoder(newLzmaDecoder());
    if (!decoder->start(blob, blobSize, size, error)) {
        return false;
    }
    size_t target = size_t(size);
    size_t produced = 0;
    do {
        size_t room = std::min(target, std::max(kFirstOutputChunk, out.size() * 2));
        out.reserve(room); // exactly: the demo keeps these blocks for the whole run
        out.resize(room);
        size_t got = decoder->run(out.data() + produced, room - produced);
        produced += got;
        if (produced < room) {
            out.resize(produced);
            error = decoder->failure(produced, size);
            return false;
        }
    } while (produced < target);
    return true;
}

} // namespace

std::vector<DecodedEntry> readArchiveBytes(const uint8_t* bytes, size_t size,
                                           std::vector<ArchiveFault>& faults) {
    ArchiveHeader header;
    std::vector<ArchiveRecord> table;
    std::vector<DecodedEntry> entries;
    if (!parseArchiveLayout(bytes, size, header, table, faults)) {
        return entries;
    }
    entries.reserve(table.size());
    for (size_t i = 0; i < table.size(); ++i) {
        const ArchiveRecord& record = table[i];
        if (!record.usable) {
            continue;
        }
        DecodedEntry entry;
        entry.name = record.name;
        entry.storedSize = record.storedSize;
        entry.size = record.size;
        entry.method = record.method;
        std::string error;
        bool decoded = false;
        try {
            // Even an empty entry gets its properties checked: ones the decoder refuses mark a damaged blob.
            if (record.method == 1) {
                decoded = decodeLzmaGrowing(bytes + record.blobOffset, size_t(record.storedSize), entry.data,
                                            record.size, error);
            } else {
                entry.data.assign(bytes + record.blobOffset, bytes + record.blobOffset + record.size);
                decoded = true;
            }
        } catch (const std::bad_alloc&) {
            error = formatText("out of memory for %d decoded bytes", record.size);
        }
        if (decoded) {
            entries.push_back(std::move(entry));
            continue;
        }
        faults.push_back(ArchiveFault{record.name, int32_t(i), error});
    }
    return entries;
}
