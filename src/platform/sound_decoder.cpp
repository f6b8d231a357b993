// Ogg Vorbis decoding from memory with conversion to the output format; no audio device involved.
#include "platform/sound_decoder.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstring>

namespace {

// Vorbis allows up to 255 channels; the converters take at most 8.
constexpr int kMaxStreamChannels = 8;

} // namespace

SoundDecoder::SoundDecoder(VorbisDecoderKind kind) : reader(newVorbisReader(kind)) {}

SoundDecoder::~SoundDecoder() {
    delete reader;
}

// Decodes up to `capacity` bytes of 16-bit samples; 0 at the end of the stream or on damage that cannot
// be skipped.
int SoundDecoder::decodeInto(char* destination, int capacity) {
    if (firstBlockUsed < firstBlockBytes) {
        const int bytes = std::min(capacity, firstBlockBytes - firstBlockUsed);
        std::memcpy(destination, firstBlock + firstBlockUsed, static_cast<size_t>(bytes));
        firstBlockUsed += bytes;
        return bytes;
    }
    return std::max(reader->read(destination, capacity), 0);
}

int SoundDecoder::produceConverted(uint8_t* out, int length) {
    int produced = 0;
    while (produced < length) {
        if (converter->available() > 0) {
            int got = converter->get(out + produced, length - produced);
            if (got <= 0) {
                break;
            }
            produced += got;
            continue;
        }
        if (streamEnded) {
            break;
        }
        int decoded = decodeInto(chunk, kChunkBytes);
        if (decoded > 0) {
            converter->put(chunk, decoded);
        } else {
            streamEnded = true;
            converter->flush();
        }
    }
    return produced;
}

int SoundDecoder::produceDirect(uint8_t* out, int length) {
    int produced = 0;
    while (produced < length && !streamEnded) {
        int decoded = decodeInto(reinterpret_cast<char*>(out + produced), length - produced);
        if (decoded > 0) {
            produced += decoded;
        } else {
            streamEnded = true;
        }
    }
    return produced;
}

int SoundDecoder::produce(uint8_t* out, int length) {
    if (!streamOpen || length <= 0) {
        return 0;
    }
    return converter != nullptr ? produceConverted(out, length) : produceDirect(out, length);
}

void SoundDecoder::close() {
    delete converter;
    converter = nullptr;
    if (streamOpen) {
        reader->close();
        streamOpen = false;
    }
    streamEnded = false;
    firstBlockBytes = 0;
    firstBlockUsed = 0;
}

void SoundDecoder::seek(uint32_t ms) {
    if (!streamOpen) {
        return;
    }
    if (converter != nullptr) {
        converter->clear();
    }
    firstBlockUsed = 0;
    firstBlockBytes = 0;
    // Past the end, or where damage stops the seek, the stream has ended: silence, as at its natural end.
    streamEnded = !reader->seek(int64_t(ms) * reader->rate / 1000);
    if (!streamEnded) {
        firstBlockBytes = std::max(reader->read(firstBlock, sizeof firstBlock), 0);
        streamEnded = firstBlockBytes == 0;
    }
}

bool SoundDecoder::openStream() {
    if (reader == nullptr || !reader->open(source)) {
        return false;
    }
    streamOpen = true;
    // A stream that ends before its first sound opens and plays silence; one that fails there is refused.
    firstBlockBytes = reader->read(firstBlock, sizeof firstBlock);
    firstBlockUsed = 0;
    if (firstBlockBytes < 0) {
        close();
        return false;
    }
    return true;
}

bool SoundDecoder::open(const uint8_t* data, size_t size) {
    close();
    if (data == nullptr) {
        return false;
    }
    source = SoundMemorySource{data, size, 0};
    if (!openStream()) {
        return false;
    }
    const long rate = reader->rate;
    const int channels = reader->channels;
    if (rate != kSoundOutputRate || channels != kSoundOutputChannels) {
        if (channels < 1 || channels > kMaxStreamChannels || rate < 1 || rate > 0x7fffffff) {
            close();
            return false;
        }
        converter = SampleConverter::create(channels, rate);
        if (converter == nullptr) {
            close();
            return false;
        }
    }
    return true;
}

bool soundDecodeAll(const uint8_t* data, size_t size, size_t maxBytes, std::vector<uint8_t>& pcm) {
    pcm.clear();
    SoundDecoder decoder;
    if (!decoder.open(data, size)) {
        return false;
    }
    uint8_t block[16384];
    while (pcm.size() < maxBytes && !decoder.ended()) {
        const int got = decoder.produce(block, int(std::min(sizeof block, maxBytes - pcm.size())));
        if (got <= 0) {
            break;
        }
        pcm.insert(pcm.end(), block, block + got);
    }
    decoder.close();
    return true;
}
