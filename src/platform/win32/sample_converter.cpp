// Rate and channel conversion: the first two channels (one channel twice) resampled by linear
// interpolation. Input is held in a fixed buffer sized for the decoder's chunks; nothing grows later.
#include "platform/sound_decoder.h"

#include <cstring>

namespace {

class LinearConverter final : public SampleConverter {
  public:
    LinearConverter(int channels, long rate) : channels(channels), step(double(rate) / kSoundOutputRate) {}

    void put(const char* samples, int bytes) override {
        compact();
        const int frames = bytes / 2 / channels;
        for (int i = 0; i < frames && held < kCapacityFrames; ++i) {
            int16_t frame[8];
            std::memcpy(frame, samples + size_t(i) * size_t(channels) * 2, size_t(channels) * 2);
            input[held * 2] = frame[0];
            input[held * 2 + 1] = channels > 1 ? frame[1] : frame[0];
            ++held;
        }
    }

    void flush() override { flushed = true; }

    void clear() override {
        position = 0;
        held = 0;
        flushed = false;
    }

    int available() override { return producible() * 4; }

    int get(uint8_t* out, int bytes) override {
        int frames = producible();
        if (frames > bytes / 4) {
            frames = bytes / 4;
        }
        for (int i = 0; i < frames; ++i) {
            const int index = int(position);
            const double fraction = position - index;
            const int next = index + 1 < held ? index + 1 : index;
            int16_t frame[2];
            for (int c = 0; c < 2; ++c) {
                const double a = input[index * 2 + c];
                const double b = input[next * 2 + c];
                frame[c] = int16_t(a + (b - a) * fraction);
            }
            std::memcpy(out + size_t(i) * 4, frame, 4);
            position += step;
        }
        return frames * 4;
    }

  private:
    // Two decoder chunks of mono input at most.
    static constexpr int kCapacityFrames = 4096;

    // Output frames that the input held now determines: each needs the input frame after its position,
    // except at the end of the stream.
    int producible() const {
        const double last = flushed ? held - 1 : held - 2;
        if (held == 0 || position > last) {
            return 0;
        }
        return int((last - position) / step) + 1;
    }

    // Drops the input frames that every later output frame is past.
    void compact() {
        const int used = int(position);
        if (used <= 0) {
            return;
        }
        const int drop = used < held ? used : held;
        std::memmove(input, input + drop * 2, size_t(held - drop) * 4);
        held -= drop;
        position -= drop;
    }

    int channels;
    double step;
    double position = 0;
    int held = 0;
    bool flushed = false;
    int16_t input[kCapacityFrames * 2] = {};
};

} // namespace

SampleConverter* SampleConverter::create(int channels, long rate) {
    return new LinearConverter(channels, rate);
}
