// The raw LZMA1 decoder of the LZMA SDK (built from the source the system installs), reporting faults as
// the liblzma one does.
#include "archive/archive_local.h"

#include <LzmaDec.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

void* allocate(void*, size_t size) {
    return std::malloc(size);
}

void release(void*, void* address) {
    std::free(address);
}

ISzAlloc gAllocator = {allocate, release};

class LzmaSdk final : public LzmaDecoder {
  public:
    ~LzmaSdk() override {
        if (allocated) {
            LzmaDec_Free(&state, &gAllocator);
        }
    }
    bool start(const uint8_t* blob, size_t blobSize, int32_t size, std::string& error) override;
    size_t run(uint8_t* out, size_t room) override;
    std::string failure(size_t produced, int32_t size) const override;

  private:
    enum class Stop { None, Damaged, Short };

    CLzmaDec state;
    bool allocated = false;
    const uint8_t* input = nullptr;
    size_t inputLeft = 0;
    Stop stop = Stop::None;
};

bool LzmaSdk::start(const uint8_t* blob, size_t blobSize, int32_t size, std::string& error) {
    LzmaDec_Construct(&state);
    // The properties byte packs lc, lp and pb; like liblzma, lc + lp above 4 is refused.
    const unsigned packed = blob[0];
    const unsigned lc = packed % 9;
    const unsigned lp = packed / 9 % 5;
    if (packed >= 9 * 5 * 5 || lc + lp > 4) {
        error = formatText("LZMA properties are invalid (byte 0x%02X, dictionary %u)", blob[0],
                           readLe32(blob + 1));
        return false;
    }
    // The header may claim up to 4 GiB; no match reaches further back than the output is long.
    uint8_t properties[LZMA_PROPS_SIZE];
    std::memcpy(properties, blob, LZMA_PROPS_SIZE);
    const uint32_t dictionary = std::min<uint32_t>(readLe32(blob + 1), std::max<uint32_t>(uint32_t(size), 4096));
    for (int i = 0; i < 4; ++i) {
        properties[1 + i] = uint8_t(dictionary >> (8 * i));
    }
    const uint64_t memory = uint64_t(dictionary) + (uint64_t(1846) + (uint64_t(768) << (lc + lp))) * 2;
    if (memory > kDecoderMemoryLimit) {
        error = formatText("LZMA decoder would need %llu bytes of memory", (unsigned long long)memory);
        return false;
    }
    const SRes result = LzmaDec_Allocate(&state, properties, LZMA_PROPS_SIZE, &gAllocator);
    if (result != SZ_OK) {
        error = result == SZ_ERROR_MEM ? "out of memory starting the LZMA decoder"
                                       : formatText("LZMA decoder cannot start (code %d)", int(result));
        return false;
    }
    allocated = true;
    LzmaDec_Init(&state);
    input = blob + kLzmaBlobHeaderBytes;
    inputLeft = blobSize - kLzmaBlobHeaderBytes;
    return true;
}

size_t LzmaSdk::run(uint8_t* out, size_t room) {
    size_t done = 0;
    while (done < room && stop == Stop::None) {
        SizeT outLength = room - done;
        SizeT inLength = inputLeft;
        ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
        const SRes result = LzmaDec_DecodeToBuf(&state, out + done, &outLength, input, &inLength, LZMA_FINISH_ANY, &status);
        input += inLength;
        inputLeft -= inLength;
        done += outLength;
        if (result != SZ_OK) {
            stop = Stop::Damaged;
        } else if (status == LZMA_STATUS_FINISHED_WITH_MARK) {
            // An end marker before the entry's size is damage, as liblzma sees it when the size is known.
            if (done < room) {
                stop = Stop::Damaged;
            }
        } else if (outLength == 0 && inLength == 0) {
            stop = Stop::Short;
        }
    }
    return done;
}

std::string LzmaSdk::failure(size_t produced, int32_t size) const {
    if (stop == Stop::Damaged) {
        return formatText("LZMA stream is damaged after %zu of %d bytes", produced, size);
    }
    return formatText("LZMA stream ends after %zu of %d bytes", produced, size);
}

LzmaDecoderKind gSelected =
#ifdef TOMBLORA_HAVE_LIBLZMA
    LzmaDecoderKind::Liblzma;
#else
    LzmaDecoderKind::LzmaSdk;
#endif

} // namespace

LzmaDecoder* newLzmaSdkDecoder() {
    return new LzmaSdk;
}

bool lzmaDecoderAvailable(LzmaDecoderKind kind) {
#ifdef TOMBLORA_HAVE_LIBLZMA
    (void)kind;
    return true;
#else
    return kind == LzmaDecoderKind::LzmaSdk;
#endif
}

bool selectLzmaDecoder(LzmaDecoderKind kind) {
    if (!lzmaDecoderAvailable(kind)) {
        return false;
    }
    gSelected = kind;
    return true;
}

LzmaDecoder* newLzmaDecoder() {
#ifdef TOMBLORA_HAVE_LIBLZMA
    if (gSelected == LzmaDecoderKind::Liblzma) {
        return newLiblzmaDecoder();
    }
#endif
    return newLzmaSdkDecoder();
}
