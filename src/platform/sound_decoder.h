// Private to the platform layer: an Ogg Vorbis stream decoded from memory into 44100 Hz stereo 16-bit
// samples. The audio callback and the fuzzer drive it alike; it needs no audio device.
#pragma once

#include <SDL.h>
#include <vorbis/vorbisfile.h>

#include <cstddef>
#include <cstdint>

constexpr int kSoundOutputRate = 44100;
constexpr int kSoundOutputChannels = 2;

// The bytes the decoder reads, owned by the caller; only the audio thread reads them once playing.
struct SoundMemorySource {
    const uint8_t* data;
    size_t size;
    size_t position;
};

class SoundDecoder {
  public:
    // Opens a decoder on bytes in memory (not copied; they must outlive close). Every allocation the
    // decoder and the rate converter need is made here, none later. False when the bytes are not a stream
    // that can be played; the decoder is closed then.
    bool open(const uint8_t* data, size_t size);
    // Fills out with up to length bytes of output samples; the bytes written, fewer than length only at the
    // end of the stream or where damage stops it. Never reads past the bytes given to open.
    int produce(uint8_t* out, int length);
    // Moves to ms milliseconds from the start (past the end: the stream has ended) and decodes the block
    // there, so that produce() goes on without setting anything up. The caller keeps the audio thread out.
    void seek(uint32_t ms);
    // Frees the decoder and the converter. Not done by a destructor: the shared instance must not be torn
    // down by the process exit while the audio thread may still be running.
    void close();
    bool isOpen() const { return streamOpen; }
    bool ended() const { return streamEnded; }

  private:
    static constexpr int kChunkBytes = 4096;

    bool openStream();
    void decodeFirstBlock();
    int decodeInto(char* destination, int capacity);
    int produceConverted(uint8_t* out, int length);
    int produceDirect(uint8_t* out, int length);
    void warmUpConverter();

    bool streamOpen = false;
    bool streamEnded = false;
    SoundMemorySource source{};
    OggVorbis_File vorbis{};
    long streamRate = 0;
    int streamChannels = 0;
    SDL_AudioStream* converter = nullptr; // null when the stream is 44100 Hz stereo already
    char chunk[kChunkBytes] = {};
    // The first block, decoded at open so the decoder sets itself up there rather than on the audio
    // thread; handed out before anything else.
    char firstBlock[kChunkBytes] = {};
    int firstBlockBytes = 0;
    int firstBlockUsed = 0;
};
