// Private to the platform layer: an Ogg Vorbis stream decoded from memory into 44100 Hz stereo 16-bit
// samples. The audio callback and the fuzzer drive it alike; it needs no audio device. Two Vorbis decoders
// stand behind it (libvorbisfile where the system has it, stb_vorbis everywhere), and a rate converter from
// the backend folder.
#pragma once

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

enum class VorbisDecoderKind { Vorbisfile, StbVorbis };
// The decoder a SoundDecoder uses unless told otherwise: libvorbisfile where this build has it, stb_vorbis
// otherwise, until selectVorbisDecoder picks another (false when this build lacks it).
VorbisDecoderKind defaultVorbisDecoder();
bool selectVorbisDecoder(VorbisDecoderKind kind);
// True when this build holds that decoder.
bool vorbisDecoderAvailable(VorbisDecoderKind kind);

// One Vorbis decoder: 16-bit interleaved samples at the stream's own rate and channel count.
class VorbisReader {
  public:
    virtual ~VorbisReader() = default;
    // Opens the stream on the source (not copied); false when it is no Vorbis stream.
    virtual bool open(SoundMemorySource& source) = 0;
    // Decodes up to capacity bytes (whole sample frames); 0 at the end of the stream, negative on damage
    // that cannot be skipped. Damage that only loses pages is skipped.
    virtual int read(char* destination, int capacity) = 0;
    // Moves to sample frame `frame` of the stream; false when it lies past the end or damage stops the seek.
    virtual bool seek(int64_t frame) = 0;
    virtual void close() = 0;
    long rate = 0;
    int channels = 0;
};
VorbisReader* newVorbisReader(VorbisDecoderKind kind);

// Converts 16-bit interleaved samples of one rate and channel count to 44100 Hz stereo (backend code).
class SampleConverter {
  public:
    // Null when the conversion cannot be made. Every buffer it needs is allocated here.
    static SampleConverter* create(int channels, long rate);
    virtual ~SampleConverter() = default;
    virtual void put(const char* samples, int bytes) = 0;
    // No more input: what is held back for the next input comes out too.
    virtual void flush() = 0;
    virtual int available() = 0;
    virtual int get(uint8_t* out, int bytes) = 0;
    // Drops what it holds (after a seek), without freeing anything.
    virtual void clear() = 0;
};

class SoundDecoder {
  public:
    explicit SoundDecoder(VorbisDecoderKind kind = defaultVorbisDecoder());
    ~SoundDecoder();
    SoundDecoder(const SoundDecoder&) = delete;
    SoundDecoder& operator=(const SoundDecoder&) = delete;
    // Opens a decoder on bytes in memory (not copied; they must outlive close). Every allocation the
    // decoder and the rate converter need is made here, none later. False when the bytes are not a stream
    // that can be played; the decoder is closed then.
    bool open(const uint8_t* data, size_t size);
    // Fills out with up to length bytes of output samples; the bytes written, fewer than length only at the
    // end of the stream or where damage stops it. Never reads past the bytes given to open.
    int produce(uint8_t* out, int length);
    // Frees the decoder's stream and the converter. Not done by the destructor of a shared instance: that
    // must not be torn down by the process exit while the audio thread may still be running.
    void close();
    // Moves to ms milliseconds from the start (past the end: the stream has ended) and decodes the block
    // there, so that produce() goes on without setting anything up. The caller keeps the audio thread out.
    void seek(uint32_t ms);
    bool isOpen() const { return streamOpen; }
    bool ended() const { return streamEnded; }

  private:
    static constexpr int kChunkBytes = 4096;

    bool openStream();
    int decodeInto(char* destination, int capacity);
    int produceConverted(uint8_t* out, int length);
    int produceDirect(uint8_t* out, int length);

    VorbisReader* reader;
    bool streamOpen = false;
    bool streamEnded = false;
    SoundMemorySource source{};
    SampleConverter* converter = nullptr; // null when the stream is 44100 Hz stereo already
    char chunk[kChunkBytes] = {};
    // The first block, decoded at open so the decoder sets itself up there rather than on the audio
    // thread; handed out before anything else.
    char firstBlock[kChunkBytes] = {};
    int firstBlockBytes = 0;
    int firstBlockUsed = 0;
};
