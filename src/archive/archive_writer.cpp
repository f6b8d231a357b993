// Archive writer: stored or LZMA blobs (the .lzma "alone" format: liblzma's encoder, or the LZMA SDK's where
// the system has no liblzma) and the entry table.
#include "archive/archive.h"
#include "archive/archive_local.h"

#ifdef TOMBLORA_HAVE_LIBLZMA
#include <lzma.h>
#else
#include <LzmaEnc.h>

#include <cstdlib>
#endif

#include <algorithm>
#include <cstring>
#include <set>

namespace {

// Level 9 without "extreme": content is mostly PNG and Ogg, where extreme search wins next to nothing
// and costs several times the encoding time.
constexpr uint32_t kLzmaPreset = 9;

void appendLe16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void appendLe32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(uint8_t(value >> shift));
    }
}

#ifdef TOMBLORA_HAVE_LIBLZMA
bool encodeLzma(const std::vector<uint8_t>& data, std::vector<uint8_t>& blob, std::string& error) {
    lzma_options_lzma options;
    if (lzma_lzma_preset(&options, kLzmaPreset)) {
        error = "LZMA preset is not supported";
        return false;
    }
    // A dictionary beyond the input buys nothing and makes the reader's header claim more than it needs.
    uint64_t wanted = std::max<uint64_t>(data.size(), LZMA_DICT_SIZE_MIN);
    options.dict_size = uint32_t(std::min<uint64_t>(options.dict_size, wanted));
    lzma_stream stream = LZMA_STREAM_INIT;
    lzma_ret ret = lzma_alone_encoder(&stream, &options);
    if (ret != LZMA_OK) {
        error = formatText("LZMA encoder cannot start (code %d)", int(ret));
        return false;
    }
    blob.assign(data.size() + data.size() / 16 + 4096, 0);
    stream.next_in = data.data();
    stream.avail_in = data.size();
    stream.next_out = blob.data();
    stream.avail_out = blob.size();
    do {
        if (stream.avail_out == 0) {
            size_t used = blob.size();
            blob.resize(used * 2);
            stream.next_out = blob.data() + used;
            stream.avail_out = blob.size() - used;
        }
        ret = lzma_code(&stream, LZMA_FINISH);
    } while (ret == LZMA_OK);
    blob.resize(size_t(stream.total_out));
    lzma_end(&stream);
    if (ret != LZMA_STREAM_END) {
        error = formatText("LZMA encoder failed (code %d)", int(ret));
        return false;
    }
    return true;
}
#else
void* allocate(void*, size_t size) {
    return std::malloc(size);
}

void release(void*, void* address) {
    std::free(address);
}

// The same settings as liblzma's preset: dictionary up to 64 MiB, lc 3, lp 0, pb 2, nice length 64, binary
// tree match finder; an end marker and an unknown size in the header.
bool encodeLzma(const std::vector<uint8_t>& data, std::vector<uint8_t>& blob, std::string& error) {
    ISzAlloc allocator = {allocate, release};
    CLzmaEncProps properties;
    LzmaEncProps_Init(&properties);
    properties.level = int(kLzmaPreset);
    properties.dictSize = uint32_t(std::min<uint64_t>(uint64_t(64) << 20, std::max<uint64_t>(data.size(), 4096)));
    properties.lc = 3;
    properties.lp = 0;
    properties.pb = 2;
    properties.fb = 64;
    properties.algo = 1;
    properties.btMode = 1;
    properties.numHashBytes = 4;
    properties.writeEndMark = 1;
    properties.numThreads = 1;
    size_t room = data.size() + data.size() / 16 + 4096;
    blob.assign(size_t(kLzmaBlobHeaderBytes) + room, 0);
    SizeT propertiesSize = LZMA_PROPS_SIZE;
    SizeT streamSize = room;
    const SRes result = LzmaEncode(blob.data() + kLzmaBlobHeaderBytes, &streamSize, data.data(), data.size(), &properties,
                                   blob.data(), &propertiesSize, 1, nullptr, &allocator, &allocator);
    if (result != SZ_OK) {
        error = formatText("LZMA encoder failed (code %d)", int(result));
        return false;
    }
    std::memset(blob.data() + LZMA_PROPS_SIZE, 0xFF, 8);
    blob.resize(size_t(kLzmaBlobHeaderBytes) + streamSize);
    return true;
}
#endif

bool checkInputs(const std::vector<ArchiveInput>& inputs, std::string& error) {
    if (inputs.size() > size_t(kMaxArchiveEntries)) {
        error = formatText("%zu entries; an archive holds at most 100", inputs.size());
        return false;
    }
    std::set<std::string> names;
    uint64_t total = 0;
    for (const ArchiveInput& input : inputs) {
        if (input.name.size() > size_t(kArchiveNameBytes)) {
            error = "name \"" + input.name + "\" is longer than 32 bytes";
            return false;
        }
        // Lookups stop at a NUL, so such an entry could never be found under its whole name.
        if (input.name.find('\0') != std::string::npos) {
            error = "name \"" + input.name.substr(0, input.name.find('\0')) + "\" holds a NUL byte";
            return false;
        }
        if (!names.insert(input.name).second) {
            error = "name \"" + input.name + "\" appears twice";
            return false;
        }
        total += input.data.size();
        if (total > uint64_t(kMaxDecodedBytes)) {
            error = "entries add up to more than the 1 GiB an archive may hold";
            return false;
        }
    }
    return true;
}

void appendRecord(std::vector<uint8_t>& table, const ArchiveInput& input, size_t storedSize) {
    appendLe32(table, uint32_t(storedSize));
    appendLe32(table, uint32_t(input.data.size()));
    table.push_back(uint8_t(input.method));
    table.push_back(uint8_t(input.name.size()));
    for (int32_t i = 0; i < kArchiveNameFieldBytes; ++i) {
        table.push_back(size_t(i) < input.name.size() ? uint8_t(uint8_t(input.name[size_t(i)]) ^ 0x80) : 0);
    }
}

} // namespace

bool writeArchiveBytes(const std::vector<ArchiveInput>& inputs, std::vector<uint8_t>& out,
                       std::string& error) {
    out.clear();
    if (!checkInputs(inputs, error)) {
        return false;
    }
    out.insert(out.end(), {'S', 'A', 'L', 'A', 'D', 1});
    appendLe16(out, uint16_t(inputs.size()));
    appendLe32(out, 0);
    std::vector<uint8_t> table;
    std::vector<uint8_t> blob;
    for (const ArchiveInput& input : inputs) {
        if (input.method == ArchiveMethod::Stored) {
            out.insert(out.end(), input.data.begin(), input.data.end());
            appendRecord(table, input, input.data.size());
            continue;
        }
        if (!encodeLzma(input.data, blob, error)) {
            error = "entry \"" + input.name + "\": " + error;
            out.clear();
            return false;
        }
        if (blob.size() > size_t(INT32_MAX)) {
            error = "entry \"" + input.name + "\": compressed blob exceeds 2 GiB";
            out.clear();
            return false;
        }
        out.insert(out.end(), blob.begin(), blob.end());
        appendRecord(table, input, blob.size());
    }
    out.insert(out.end(), table.begin(), table.end());
    return true;
}
