// Header and entry-table parsing with every limit of the format checked, and fault wording.
#include "archive/archive.h"
#include "archive/archive_local.h"

#include <cstring>

namespace {

void addFault(std::vector<ArchiveFault>& faults, const ArchiveRecord* record, int32_t index,
              std::string message) {
    ArchiveFault fault;
    if (record) {
        fault.entry = record->name;
        fault.index = index;
    }
    fault.message = std::move(message);
    faults.push_back(std::move(fault));
}

ArchiveRecord decodeRecord(const uint8_t* p) {
    ArchiveRecord record;
    record.storedSize = int32_t(readLe32(p));
    record.size = int32_t(readLe32(p + 4));
    record.method = p[8];
    record.nameLength = p[9];
    int32_t kept = record.nameLength < kArchiveNameFieldBytes ? record.nameLength : kArchiveNameFieldBytes;
    for (int32_t i = 0; i < kept; ++i) {
        record.name.push_back(char(uint8_t(p[10 + i] + 128)));
    }
    return record;
}

// Checks the sizes of one record; the blob's position is checked by the caller.
void checkRecordSizes(const ArchiveRecord& record, int32_t index, int64_t& decodedTotal,
                      std::vector<ArchiveFault>& faults) {
    if (record.nameLength > kMaxArchiveNameLength) {
        addFault(faults, &record, index, formatText("name length %d exceeds 33", record.nameLength));
    }
    if (record.storedSize < 0) {
        addFault(faults, &record, index, formatText("stored size %d is negative", record.storedSize));
    }
    if (record.size < 0) {
        addFault(faults, &record, index, formatText("size %d is negative", record.size));
    } else if (decodedTotal + record.size > kMaxDecodedBytes) {
        addFault(faults, &record, index,
                 formatText("size %d brings the decoded total past the 1 GiB limit", record.size));
    } else {
        decodedTotal += record.size;
    }
    if (record.method == 1 && record.storedSize >= 0 && record.storedSize < kLzmaBlobHeaderBytes) {
        addFault(faults, &record, index,
                 formatText("LZMA blob of %d bytes is shorter than its 13-byte header", record.storedSize));
    }
    if (record.method != 1 && record.storedSize >= 0 && record.size >= 0 && record.storedSize < record.size) {
        addFault(faults, &record, index,
                 formatText("stored blob of %d bytes is shorter than its size %d", record.storedSize,
                            record.size));
    }
}

} // namespace

bool parseArchiveLayout(const uint8_t* bytes, size_t size, ArchiveHeader& header,
                        std::vector<ArchiveRecord>& table, std::vector<ArchiveFault>& faults) {
    table.clear();
    if (size < size_t(kArchiveHeaderBytes)) {
        addFault(faults, nullptr, -1, formatText("file of %zu bytes ends inside the 12-byte header", size));
        return false;
    }
    std::memcpy(header.magic, bytes, 5);
    header.version = bytes[5];
    header.entryCount = int16_t(readLe16(bytes + 6));
    header.reserved = readLe32(bytes + 8);
    // The original reader never looked at the magic; a wrong one means this is not an archive at all.
    if (std::memcmp(header.magic, "SALAD", 5) != 0) {
        addFault(faults, nullptr, -1, "not an archive: the header does not start with \"SALAD\"");
        return false;
    }
    if (header.entryCount < 0 || header.entryCount > kMaxArchiveEntries) {
        addFault(faults, nullptr, -1, formatText("entry count %d is outside 0 to 100", header.entryCount));
        return false;
    }
    size_t tableBytes = size_t(header.entryCount) * kArchiveRecordBytes;
    if (size - kArchiveHeaderBytes < tableBytes) {
        addFault(faults, nullptr, -1,
                 formatText("entry table of %d records (%zu bytes) does not fit in the file of %zu bytes",
                            header.entryCount, tableBytes, size));
        return false;
    }

    int64_t tableStart = int64_t(size - tableBytes);
    int64_t blobOffset = kArchiveHeaderBytes; // -1 once an invalid stored size hides the rest
    int64_t decodedTotal = 0;
    for (int32_t i = 0; i < header.entryCount; ++i) {
        ArchiveRecord record = decodeRecord(bytes + tableStart + int64_t(i) * kArchiveRecordBytes);
        size_t faultsBefore = faults.size();
        checkRecordSizes(record, i, decodedTotal, faults);
        if (blobOffset < 0) {
            addFault(faults, &record, i, "blob cannot be located: an earlier entry's stored size is invalid");
        } else if (record.storedSize < 0) {
            blobOffset = -1;
        } else {
            record.blobOffset = blobOffset;
            blobOffset += record.storedSize;
            if (blobOffset > tableStart) {
                addFault(faults, &record, i,
                         formatText("blob of %d bytes at offset %lld runs past the data area, which ends at "
                                    "offset %lld: the file ends early",
                                    record.storedSize, (long long)record.blobOffset, (long long)tableStart));
            }
        }
        record.usable = faults.size() == faultsBefore;
        table.push_back(std::move(record));
    }
    return true;
}

std::string printableEntryName(const std::string& name) {
    // Names come from the file: keep control and high bytes from reaching the terminal raw.
    std::string out;
    for (char c : name) {
        uint8_t byte = uint8_t(c);
        if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\') {
            out += formatText("\\x%02X", byte);
        } else {
            out += c;
        }
    }
    return out;
}

std::string describeArchiveFault(const std::string& archive, const ArchiveFault& fault) {
    if (fault.index < 0) {
        return archive + ": " + fault.message;
    }
    return archive + ": entry \"" + printableEntryName(fault.entry) + "\": " + fault.message;
}
