// The sound layer on SDL's disk driver: what a short generated Ogg stream writes to the output file.
#include "platform/platform.h"
#include "platform/sound_decoder.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include <vector>

namespace {

// A 440 Hz sine at half scale, every channel alike, as Ogg Vorbis; 880 Hz from `higherFrom` seconds on.
std::vector<uint8_t> encodeSine(int rate, int channels, double seconds, double higherFrom = 1e9) {
    vorbis_info info;
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, channels, rate, 0.5f);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);
    std::vector<uint8_t> out;
    ogg_page page;
    auto appendPage = [&] {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    while (ogg_stream_flush(&stream, &page) != 0) {
        appendPage();
    }
    const int frames = static_cast<int>(rate * seconds);
    const int chunk = 1024;
    for (int done = 0; done <= frames; done += chunk) {
        int count = std::min(chunk, frames - done);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, count);
            for (int i = 0; i < count; ++i) {
                const double at = double(done + i) / rate;
                const double frequency = at < higherFrom ? 440.0 : 880.0;
                float value = 0.5f * static_cast<float>(std::sin(2.0 * M_PI * frequency * at));
                for (int c = 0; c < channels; ++c) {
                    buffer[c][i] = value;
                }
            }
        }
        vorbis_analysis_wrote(&dsp, count > 0 ? count : 0);
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    appendPage();
                }
            }
        }
        if (count <= 0) {
            break;
        }
    }
    while (ogg_stream_flush(&stream, &page) != 0) {
        appendPage();
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

// What the disk driver wrote: 16-bit stereo frames at 44100 Hz, left channel kept.
struct Output {
    std::vector<int16_t> left;
    size_t loudFrames() const {
        size_t loud = 0;
        for (int16_t v : left) {
            loud += std::abs(v) > 2000 ? 1 : 0;
        }
        return loud;
    }
    size_t firstLoud() const {
        for (size_t i = 0; i < left.size(); ++i) {
            if (std::abs(left[i]) > 2000) {
                return i;
            }
        }
        return left.size();
    }
    // Sign changes per second over the loud stretch.
    double crossingRate() const {
        size_t begin = firstLoud();
        size_t end = begin;
        size_t crossings = 0;
        for (size_t i = begin + 1; i < left.size() && std::abs(left[i]) + std::abs(left[i - 1]) > 0; ++i) {
            crossings += (left[i - 1] < 0) != (left[i] < 0) ? 1 : 0;
            end = i;
        }
        return end > begin ? crossings * 44100.0 / static_cast<double>(end - begin) : 0.0;
    }
};

class SoundTest : public testing::Test {
  protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("tomblora-sound-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        file = folder / "out.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    }
    void TearDown() override {
        soundClose();
        std::filesystem::remove_all(folder);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    Output readOutput() {
        std::ifstream in(file, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Output output;
        for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
            int16_t sample;
            std::memcpy(&sample, bytes.data() + i, 2);
            output.left.push_back(sample);
        }
        return output;
    }
    Output play(const std::vector<uint8_t>& ogg, bool mutedFirst, uint32_t firstMs, uint32_t thenMs) {
        EXPECT_TRUE(soundInit());
        EXPECT_TRUE(soundOpenStream(ogg.data(), ogg.size()));
        soundSetMute(mutedFirst);
        soundPlay();
        sleepMilliseconds(firstMs);
        soundSetMute(false);
        sleepMilliseconds(thenMs);
        soundStop();
        soundClose();
        return readOutput();
    }

    std::filesystem::path folder;
    std::filesystem::path file;
};

TEST_F(SoundTest, StreamsAtTheRightPitchWithOrWithoutConversion) {
    struct Case {
        int rate, channels;
    };
    for (Case c : {Case{44100, 2}, Case{22050, 1}}) {
        Output output = play(encodeSine(c.rate, c.channels, 1.0), false, 0, 500);
        // Half a second of the stream has been written, sounding from the start.
        EXPECT_GT(output.loudFrames(), 44100u * 3 / 10) << c.rate;
        EXPECT_LT(output.firstLoud(), 4410u) << c.rate;
        // 440 Hz: 880 sign changes a second.
        EXPECT_NEAR(output.crossingRate(), 880.0, 30.0) << c.rate;
    }
}

TEST_F(SoundTest, MutedOutputIsSilentWhileTheStreamGoesOn) {
    Output output = play(encodeSine(44100, 2, 1.0), true, 500, 900);
    // Silent while muted; after the unmute only what is left of the one-second stream sounds.
    EXPECT_GT(output.firstLoud(), 44100u * 4 / 10);
    EXPECT_GT(output.loudFrames(), 44100u * 2 / 10);
    EXPECT_LT(output.loudFrames(), 44100u * 7 / 10);
}

// The device pauses on the 440 Hz half, the stream moves into the 880 Hz half, and the device goes on: what
// the driver writes after the resume is the new moment, at most one buffer (1024 frames, 23 ms) later.
TEST_F(SoundTest, ASeekWhilePausedResumesAtTheNewMoment) {
    const std::vector<uint8_t> ogg = encodeSine(44100, 2, 2.0, 1.0);
    ASSERT_TRUE(soundInit());
    ASSERT_TRUE(soundOpenStream(ogg.data(), ogg.size()));
    soundPlay();
    sleepMilliseconds(300);
    soundPause(true);
    sleepMilliseconds(200);
    soundSeek(1500);
    const size_t resumedAt = std::filesystem::file_size(file) / 4;
    soundPause(false);
    sleepMilliseconds(300);
    soundClose();
    Output output = readOutput();
    ASSERT_GT(output.left.size(), resumedAt + 4410);
    Output after;
    after.left.assign(output.left.begin() + std::ptrdiff_t(resumedAt), output.left.end());
    // The output may still hold the last buffer taken while paused (silence), then the 880 Hz tone.
    std::printf("new moment heard %zu frames after the resume\n", after.firstLoud());
    EXPECT_LE(after.firstLoud(), 1102u); // 25 ms
    EXPECT_NEAR(after.crossingRate(), 1760.0, 40.0);
}

void expectExactSeeks(VorbisDecoderKind kind);

// Either decoder, after a seek, hands out the very samples that decoding from the start gives at that
// moment, also past the end (nothing) and back again.
TEST(SoundDecoderSeek, GivesTheSamplesOfThatMoment) {
    for (VorbisDecoderKind kind : {VorbisDecoderKind::Vorbisfile, VorbisDecoderKind::StbVorbis}) {
        if (vorbisDecoderAvailable(kind)) expectExactSeeks(kind);
    }
}

void expectExactSeeks(VorbisDecoderKind kind) {
    SCOPED_TRACE(kind == VorbisDecoderKind::Vorbisfile ? "vorbisfile" : "stb_vorbis");
    const std::vector<uint8_t> ogg = encodeSine(44100, 2, 2.0, 1.0);
    SoundDecoder decoder(kind);
    ASSERT_TRUE(decoder.open(ogg.data(), ogg.size()));
    std::vector<uint8_t> whole(44100 * 4 * 3);
    whole.resize(size_t(decoder.produce(whole.data(), int(whole.size()))));
    ASSERT_GT(whole.size(), 44100u * 4);
    std::vector<uint8_t> part(4096);
    for (uint32_t ms : {700u, 0u, 1900u, 5000u, 250u}) {
        decoder.seek(ms);
        const size_t offset = size_t(ms) * 441 / 10 * 4;
        const size_t expected = std::min(part.size(), offset < whole.size() ? whole.size() - offset : 0);
        ASSERT_EQ(size_t(decoder.produce(part.data(), int(part.size()))), expected) << ms;
        EXPECT_EQ(std::memcmp(part.data(), whole.data() + std::min(offset, whole.size()), expected), 0) << ms;
    }
    decoder.close();
}

TEST_F(SoundTest, DamagedDataDoesNotOpen) {
    ASSERT_TRUE(soundInit());
    std::vector<uint8_t> ogg = encodeSine(44100, 2, 0.1);
    std::vector<uint8_t> noise(4096);
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<uint8_t>(i * 7919u >> 3);
    }
    EXPECT_FALSE(soundOpenStream(noise.data(), noise.size()));
    EXPECT_FALSE(soundOpenStream(ogg.data(), 0));
    EXPECT_FALSE(soundOpenStream(ogg.data(), 100));
    EXPECT_TRUE(soundOpenStream(ogg.data(), ogg.size()));
}

TEST(SoundWithoutDevice, EverythingIsAQuietNoOp) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(soundInit());
    uint8_t bytes[16] = {};
    EXPECT_FALSE(soundOpenStream(bytes, sizeof bytes));
    soundPlay();
    soundSetMute(true);
    soundStop();
    soundClose();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

} // namespace
