// Entry decoding (liblzma's raw LZMA1 decoder) and the fault-collecting reader built on it.
#include "archive/archive.h"
#include "archive/archive_local.h"

#include <lzma.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// The dictionary is clamped to the entry's size, so this only guards against a liblzma surprise.
constexpr uint64_t kDecoderMemoryLimit = uint64_t(kMaxDecodedBytes) + (uint64_t(64) << 20);

// Room given to a growing output first: a table size that the stream cannot back is then found out
// before the whole claimed size is allocated.
constexpr size_t kFirstOutputChunk = size_t(1) << 20;

class LzmaDecoder {
  public:
    ~LzmaDecoder() {
        lzma_end(&stream);
        std::free(options);
    }
    // Sets up a decoder for a blob of at least 13 bytes that must yield size bytes.
    bool start(const uint8_t* blob, size_t blobSize, int32_t size, std::string& error);
    // Decodes into the room given until it is full or the stream stops; the bytes written.
    size_t run(uint8_t* out, size_t room);
    // Why decoding stopped after produced of size bytes.
    std::string failure(size_t produced, int32_t size) const;

  private:
    lzma_stream stream = LZMA_STREAM_INIT;
    lzma_options_lzma* options = nullptr;
    lzma_ret last = LZMA_OK;
};

bool LzmaDecoder::start(const uint8_t* blob, size_t blobSize, int32_t size, std::string& error) {
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_properties_decode(&filters[0], nullptr, blob, 5) != LZMA_OK) {
        error = formatText("LZMA properties are invalid (byte 0x%02X, dictionary %u)", blob[0],
                           readLe32(blob + 1));
        return false;
    }
    options = static_cast<lzma_options_lzma*>(filters[0].options);
    // The header may claim up to 4 GiB; no match reaches further back than the output is long.
    options->dict_size = std::min<uint32_t>(options->dict_size, std::max<uint32_t>(uint32_t(size), 4096));
    options->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
    lzma_set_ext_size(*options, uint64_t(size));
    uint64_t memory = lzma_raw_decoder_memusage(filters);
    if (memory == UINT64_MAX || memory > kDecoderMemoryLimit) {
        error = formatText("LZMA decoder would need %llu bytes of memory", (unsigned long long)memory);
        return false;
    }
    lzma_ret ret = lzma_raw_decoder(&stream, filters);
    if (ret != LZMA_OK) {
        error = ret == LZMA_MEM_ERROR ? "out of memory starting the LZMA decoder"
                                      : formatText("LZMA decoder cannot start (code %d)", int(ret));
        return false;
    }
    stream.next_in = blob + kLzmaBlobHeaderBytes;
    stream.avail_in = blobSize - kLzmaBlobHeaderBytes;
    return true;
}

size_t LzmaDecoder::run(uint8_t* out, size_t room) {
    stream.next_out = out;
    stream.avail_out = room;
    while (stream.avail_out > 0 && last == LZMA_OK) {
        last = lzma_code(&stream, LZMA_FINISH);
    }
    return room - stream.avail_out;
}

std::string LzmaDecoder::failure(size_t produced, int32_t size) const {
    if (last == LZMA_MEM_ERROR) {
        return "out of memory in the LZMA decoder";
    }
    if (last == LZMA_DATA_ERROR) {
        return formatText("LZMA stream is damaged after %zu of %d bytes", produced, size);
    }
    return formatText("LZMA stream ends after %zu of %d bytes", produced, size);
}

// Decoding stops once size bytes exist, whatever the stream holds after them.
bool decodeLzmaFlat(const uint8_t* blob, size_t blobSize, uint8_t* out, int32_t size, std::string& error) {
    LzmaDecoder decoder;
    if (!decoder.start(blob, blobSize, size, error)) {
        return false;
    }
    size_t produced = decoder.run(out, size_t(size));
    if (produced == size_t(size)) {
        return true;
    }
    error = decoder.failure(produced, size);
    return false;
}

// Like decodeLzmaFlat, but the output grows only as fast as the stream really yields bytes.
bool decodeLzmaGrowing(const uint8_t* blob, size_t blobSize, std::vector<uint8_t>& out, int32_t size,
                       std::string& error) {
    LzmaDecoder decoder;
    if (!decoder.start(blob, blobSize, size, error)) {
        return false;
    }
    size_t target = size_t(size);
    size_t produced = 0;
    do {
        size_t room = std::min(target, std::max(kFirstOutputChunk, out.size() * 2));
        out.resize(room);
        size_t got = decoder.run(out.data() + produced, room - produced);
        produced += got;
        if (produced < room) {
            out.resize(produced);
            error = decoder.failure(produced, size);
            return false;
        }
    } while (produced < target);
    return true;
}

} // namespace

bool decodeArchiveRecord(const ArchiveRecord& record, const uint8_t* bytes, uint8_t* out,
                         std::string& error) {
    const uint8_t* blob = bytes + record.blobOffset;
    if (record.method != 1) {
        if (record.size > 0) {
            std::memcpy(out, blob, size_t(record.size));
        }
        return true;
    }
    // Even an empty entry gets its properties checked: ones the decoder refuses mark a damaged blob.
    return decodeLzmaFlat(blob, size_t(record.storedSize), out, record.size, error);
}

std::vector<DecodedEntry> readArchiveBytes(const uint8_t* bytes, size_t size,
                                           std::vector<ArchiveFault>& faults) {
    ArchiveHeader header;
    std::vector<ArchiveRecord> table;
    std::vector<DecodedEntry> entries;
    if (!parseArchiveLayout(bytes, size, header, table, faults)) {
        return entries;
    }
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
