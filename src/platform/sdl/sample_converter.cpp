// Rate and channel conversion through SDL's audio stream.
#include "platform/sound_decoder.h"

#include <SDL.h>

#include <cstring>

namespace {

class SdlConverter final : public SampleConverter {
  public:
    explicit SdlConverter(SDL_AudioStream* stream) : stream(stream) {}
    ~SdlConverter() override { SDL_FreeAudioStream(stream); }
    void put(const char* samples, int bytes) override { SDL_AudioStreamPut(stream, samples, bytes); }
    void flush() override { SDL_AudioStreamFlush(stream); }
    int available() override { return SDL_AudioStreamAvailable(stream); }
    int get(uint8_t* out, int bytes) override { return SDL_AudioStreamGet(stream, out, bytes); }
    void clear() override { SDL_AudioStreamClear(stream); }

  private:
    SDL_AudioStream* stream;
};

} // namespace

SampleConverter* SampleConverter::create(int channels, long rate) {
    SDL_AudioStream* stream = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(channels), static_cast<int>(rate),
                                                 AUDIO_S16SYS, kSoundOutputChannels, kSoundOutputRate);
    if (stream == nullptr) {
        return nullptr;
    }
    // The stream grows its buffers on first use; one pass of silence here keeps that off the audio thread.
    char silence[4096];
    std::memset(silence, 0, sizeof silence);
    SDL_AudioStreamPut(stream, silence, sizeof silence);
    uint8_t scratch[4096];
    while (SDL_AudioStreamGet(stream, scratch, sizeof scratch) > 0) {
    }
    return new SdlConverter(stream);
}
