// Fuzzes the archive reader the demo and salad share: any bytes must give entries and faults, never a crash
// or a stray read.
#include "archive/archive.h"

#include <cstdlib>

// fuzz_archive_sdk: the same on the LZMA SDK decoder.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
#ifdef FUZZ_LZMA_SDK
    selectLzmaDecoder(LzmaDecoderKind::LzmaSdk);
#endif
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<ArchiveFault> faults;
    std::vector<DecodedEntry> entries = readArchiveBytes(data, size, faults);
    for (const DecodedEntry& entry : entries) {
        // What the reader returns must agree with itself.
        if (entry.size < 0 || entry.data.size() != size_t(entry.size) || entry.name.size() > 34) {
            std::abort();
        }
    }
    for (const ArchiveFault& fault : faults) {
        if (fault.message.empty() || describeArchiveFault("fuzz.salad", fault).empty()) {
            std::abort();
        }
    }
    return 0;
}
