// The libvorbisfile decoder, reading from memory through callbacks.
#include "platform/sound_decoder.h"

#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstring>

namespace {

size_t readMemory(void* destination, size_t size, size_t count, void* user) {
    auto* source = static_cast<SoundMemorySource*>(user);
    if (size == 0) {
        return 0;
    }
    size_t left = source->size - source->position;
    size_t items = count < left / size ? count : left / size;
    std::memcpy(destination, source->data + source->position, items * size);
    source->position += items * size;
    return items;
}

int seekMemory(void* user, ogg_int64_t offset, int whence) {
    auto* source = static_cast<SoundMemorySource*>(user);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR) {
        base = static_cast<ogg_int64_t>(source->position);
    } else if (whence == SEEK_END) {
        base = static_cast<ogg_int64_t>(source->size);
    } else if (whence != SEEK_SET) {
        return -1;
    }
    // The offset may come from the stream's own page headers: keep the sum from overflowing.
    if (offset < -base || offset > static_cast<ogg_int64_t>(source->size) - base) {
        return -1;
    }
    source->position = static_cast<size_t>(base + offset);
    return 0;
}

long tellMemory(void* user) {
    return static_cast<long>(static_cast<SoundMemorySource*>(user)->position);
}

class VorbisfileReader final : public VorbisReader {
  public:
    ~VorbisfileReader() override { close(); }

    bool open(SoundMemorySource& source) override {
        close();
        const ov_callbacks callbacks{readMemory, seekMemory, nullptr, tellMemory};
        if (ov_open_callbacks(&source, &vorbis, nullptr, 0, callbacks) != 0) {
            return false;
        }
        opened = true;
        vorbis_info* info = ov_info(&vorbis, -1);
        if (info == nullptr) {
            close();
            return false;
        }
        rate = info->rate;
        channels = info->channels;
        return true;
    }

    // A chained stream whose later link changes rate or channels ends there, since the converter was set up
    // for the first link.
    int read(char* destination, int capacity) override {
        for (;;) {
            int section = 0;
            long bytes = ov_read(&vorbis, destination, capacity, 0, 2, 1, &section);
            if (bytes == OV_HOLE) {
                continue;
            }
            if (bytes <= 0) {
                return bytes == 0 ? 0 : -1;
            }
            vorbis_info* info = ov_info(&vorbis, section);
            if (info == nullptr || info->rate != rate || info->channels != channels) {
                return 0;
            }
            return static_cast<int>(bytes);
        }
    }

    bool seek(int64_t frame) override {
        const ogg_int64_t frames = ov_pcm_total(&vorbis, -1);
        return frame >= 0 && (frames < 0 || frame < frames) && ov_pcm_seek(&vorbis, frame) == 0;
    }

    void close() override {
        if (opened) {
            ov_clear(&vorbis);
            opened = false;
        }
    }

  private:
    OggVorbis_File vorbis{};
    bool opened = false;
};

} // namespace

VorbisReader* newVorbisfileReader() {
    return new VorbisfileReader;
}
