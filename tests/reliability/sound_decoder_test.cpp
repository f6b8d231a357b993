// The soundtrack decoder on damaged streams: what is whole plays, damage ends the music early instead of
// failing the open or reading past the bytes, and nothing that is not Ogg Vorbis opens.
#include "ogg_tone.h"
#include "platform/sound_decoder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Output bytes of 44100 Hz stereo 16-bit for this many seconds.
constexpr double kBytesPerSecond = 44100.0 * 2 * 2;

// Decodes to the end in device-sized pieces; the bytes produced, -1 when the stream does not open.
long long decodeAll(const std::vector<uint8_t>& stream) {
    SoundDecoder decoder;
    if (!decoder.open(stream.data(), stream.size())) {
        EXPECT_FALSE(decoder.isOpen());
        return -1;
    }
    std::vector<uint8_t> buffer(4096);
    long long total = 0;
    for (;;) {
        const int produced = decoder.produce(buffer.data(), int(buffer.size()));
        EXPECT_GE(produced, 0);
        EXPECT_LE(produced, int(buffer.size()));
        total += produced;
        if (produced < int(buffer.size())) break;
    }
    decoder.close();
    return total;
}

// The bytes copied to a buffer of exactly their size, so the address sanitizer sees any read past them.
std::vector<uint8_t> exact(const std::vector<uint8_t>& bytes, size_t size) {
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(size));
}

} // namespace

TEST(SoundDecoder, PlaysAWholeStreamToItsLength) {
    const std::vector<uint8_t> tone = encodeRisingTone(2.0, 440.0, 0.2, 0.4);
    const long long total = decodeAll(tone);
    EXPECT_NEAR(double(total), 2.0 * kBytesPerSecond, 0.01 * kBytesPerSecond);
}

// Pages hold about a second of this tone, so a cut loses at most that much beyond the bytes cut away.
constexpr double kToneSeconds = 8.0;

TEST(SoundDecoder, StreamCutShortPlaysUpToTheCut) {
    const std::vector<uint8_t> tone = encodeRisingTone(kToneSeconds, 440.0, 0.2, 0.4);
    for (size_t percent : {60u, 90u}) {
        SCOPED_TRACE(percent);
        const long long total = decodeAll(exact(tone, tone.size() * percent / 100));
        EXPECT_GT(double(total), (double(percent) / 100.0 * kToneSeconds - 2.0) * kBytesPerSecond);
        EXPECT_LT(double(total), kToneSeconds * kBytesPerSecond);
    }
}

TEST(SoundDecoder, StreamDamagedInTheMiddlePlaysAtLeastTheFrontPart) {
    std::vector<uint8_t> tone = encodeRisingTone(kToneSeconds, 440.0, 0.2, 0.4);
    for (size_t i = tone.size() / 2; i < tone.size() * 3 / 4; i += 7) tone[i] ^= 0xA5;
    const long long total = decodeAll(tone);
    EXPECT_GT(double(total), (kToneSeconds / 2 - 1.0) * kBytesPerSecond);
    EXPECT_LE(double(total), (kToneSeconds + 0.01) * kBytesPerSecond);
}

TEST(SoundDecoder, HoleBeforeTheFirstSoundIsSkipped) {
    // The first audio page damaged: older code took the hole at open for a dead stream and stayed silent.
    std::vector<uint8_t> tone = encodeRisingTone(kToneSeconds, 440.0, 0.2, 0.4);
    size_t audioPage = 0;
    for (size_t i = 1, pages = 0; i + 4 < tone.size(); ++i) {
        if (tone[i] == 'O' && tone[i + 1] == 'g' && tone[i + 2] == 'g' && tone[i + 3] == 'S' && ++pages == 2) {
            audioPage = i;
            break;
        }
    }
    ASSERT_GT(audioPage, 0u);
    for (size_t i = audioPage + 200; i < audioPage + 600; i += 5) tone[i] ^= 0x5A;
    EXPECT_GT(double(decodeAll(tone)), (kToneSeconds - 2.0) * kBytesPerSecond);
}

TEST(SoundDecoder, RefusesWhatIsNoPlayableStream) {
    const std::vector<uint8_t> tone = encodeRisingTone(0.5, 440.0, 0.2, 0.4);
    const std::string notOgg = "OggS and nothing a decoder could use";
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"text", std::vector<uint8_t>(notOgg.begin(), notOgg.end())},
        {"first page only", exact(tone, 58)},
        {"headers cut", exact(tone, 200)},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.what);
        EXPECT_EQ(decodeAll(bad.bytes), -1);
    }
}
