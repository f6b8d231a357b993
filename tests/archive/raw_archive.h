// Hand-built archive bytes for tests: any header and table, including ones the writer would refuse.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct RawRecord {
    int32_t storedSize;
    int32_t size;
    uint8_t method;
    std::string name;    // at most 34 bytes land in the name field
    int nameLength = -1; // -1: the name's length
};

inline void appendRawLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(uint8_t(value >> (8 * i)));
    }
}

// Header with the given count (which may disagree with the records), the data area, then the table.
inline std::vector<uint8_t> rawArchive(int16_t count, const std::vector<uint8_t>& dataArea,
                                       const std::vector<RawRecord>& records, const char* magic = "SALAD") {
    std::vector<uint8_t> out(magic, magic + 5);
    out.push_back(1);
    appendRawLe(out, uint16_t(count), 2);
    appendRawLe(out, 0, 4);
    out.insert(out.end(), dataArea.begin(), dataArea.end());
    for (const RawRecord& record : records) {
        appendRawLe(out, uint32_t(record.storedSize), 4);
        appendRawLe(out, uint32_t(record.size), 4);
        out.push_back(record.method);
        out.push_back(uint8_t(record.nameLength < 0 ? int(record.name.size()) : record.nameLength));
        for (size_t i = 0; i < 34; ++i) {
            out.push_back(i < record.name.size() ? uint8_t(uint8_t(record.name[i]) ^ 0x80) : 0x55);
        }
    }
    return out;
}

inline std::vector<uint8_t> bytesOf(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline std::vector<uint8_t> joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
