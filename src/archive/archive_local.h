// The archive module's own helpers: little-endian access and message formatting.
#pragma once

#include "archive/archive.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

inline uint16_t readLe16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

inline uint32_t readLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

__attribute__((format(TOMBLORA_PRINTF, 1, 2))) inline std::string formatText(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// One raw LZMA1 stream decoder behind the archive's decoding (see selectLzmaDecoder).
class LzmaDecoder {
  public:
    virtual ~LzmaDecoder() = default;
    // Sets up a decoder for a blob of at least 13 bytes (properties, size field, stream) that must yield
    // size bytes; false with the reason when the properties are refused or the memory limit is passed.
    virtual bool start(const uint8_t* blob, size_t blobSize, int32_t size, std::string& error) = 0;
    // Decodes into the room given until it is full or the stream stops; the bytes written.
    virtual size_t run(uint8_t* out, size_t room) = 0;
    // Why decoding stopped after produced of size bytes.
    virtual std::string failure(size_t produced, int32_t size) const = 0;
};

// A decoder of the kind selected now.
LzmaDecoder* newLzmaDecoder();
LzmaDecoder* newLiblzmaDecoder();
LzmaDecoder* newLzmaSdkDecoder();

// The dictionary is clamped to the entry's size, so this only guards against a decoder surprise.
constexpr uint64_t kDecoderMemoryLimit = uint64_t(kMaxDecodedBytes) + (uint64_t(64) << 20);
