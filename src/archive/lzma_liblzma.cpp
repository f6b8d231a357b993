// The raw LZMA1 decoder of liblzma.
#include "archive/archive_local.h"

#include <lzma.h>

#include <algorithm>
#include <cstdlib>

namespace {

class Liblzma final : public LzmaDecoder {
  public:
    ~Liblzma() override {
        lzma_end(&stream);
        std::free(options);
    }
    bool start(const uint8_t* blob, size_t blobSize, int32_t size, std::string& error) override;
    size_t run(uint8_t* out, size_t room) override;
    std::string failure(size_t produced, int32_t size) const override;

  private:
    lzma_stream stream = LZMA_STREAM_INIT;
    lzma_options_lzma* options = nullptr;
    lzma_ret last = LZMA_OK;
};

bool Liblzma::start(const uint8_t* blob, size_t blobSize, int32_t size, std::string& error) {
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

size_t Liblzma::run(uint8_t* out, size_t room) {
    stream.next_out = out;
    stream.avail_out = room;
    while (stream.avail_out > 0 && last == LZMA_OK) {
        last = lzma_code(&stream, LZMA_FINISH);
    }
    return room - stream.avail_out;
}

std::string Liblzma::failure(size_t produced, int32_t size) const {
    if (last == LZMA_MEM_ERROR) {
        return "out of memory in the LZMA decoder";
    }
    if (last == LZMA_DATA_ERROR) {
        return formatText("LZMA stream is damaged after %zu of %d bytes", produced, size);
    }
    return formatText("LZMA stream ends after %zu of %d bytes", produced, size);
}

} // namespace

LzmaDecoder* newLiblzmaDecoder() {
    return new Liblzma;
}
