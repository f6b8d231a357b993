// The soundtrack player: mute toggles, the playback-time answer, and the mixed output while muted.
#include "app/app.h"
#include "ogg_tone.h"
#include "support/gl_test_context.h"
#include "test_production.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

void closePlayer() {
    if (SoundtrackPlayer* player = SoundtrackPlayer::existing()) {
        player->stop();
        player->close();
        SoundtrackPlayer::destroyInstance();
    }
}

TEST(SoundtrackPlayer, MuteFlipsOnEveryToggleAndPlaybackTimeIsUnknown) {
    useHeadlessDrivers();
    TestArchive production(testProductionEntries());
    ASSERT_TRUE(production.ok()) << production.error();
    SoundtrackPlayer* player = SoundtrackPlayer::instance();
    EXPECT_EQ(SoundtrackPlayer::instance(), player);
    EXPECT_FALSE(player->isMuted());
    EXPECT_EQ(player->playbackTime(), -1);
    player->open("soundtrack.ogg");
    EXPECT_EQ(player->playbackTime(), -1);
    player->play();
    EXPECT_EQ(player->playbackTime(), -1);
    for (int presses = 1; presses <= 6; ++presses) {
        player->toggleMute();
        EXPECT_EQ(player->isMuted(), presses % 2 == 1) << presses << " presses";
    }
    player->stop();
    EXPECT_EQ(player->playbackTime(), -1);
    closePlayer();
}

// The tone rises from 0.1 to 0.9 of full scale over its two seconds.
constexpr double kToneSeconds = 2.0;
constexpr double kStartLevel = 0.1;
constexpr double kEndLevel = 0.9;
constexpr int kRate = 44100;
constexpr size_t kWindowFrames = kRate / 100; // 10 ms

double toneLevelAt(double seconds) { return kStartLevel + (kEndLevel - kStartLevel) * seconds / kToneSeconds; }

struct Window {
    double peak = 0; // of the left channel, as a fraction of full scale
    bool silent = true;
};

std::vector<int16_t> readSamples(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

class DiskAudio : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("tomblora-audio-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        output = (folder / "mix.raw").string();
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    }
    void TearDown() override {
        closePlayer();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path folder;
    std::string output;
};

TEST_F(DiskAudio, MutedOutputIsSilentWhileTheMusicGoesOn) {
    TestProductionOptions options;
    options.soundtrack = encodeRisingTone(kToneSeconds, 440.0, kStartLevel, kEndLevel);
    ASSERT_GT(options.soundtrack.size(), 1000u);
    TestArchive production(testProductionEntries(options));
    ASSERT_TRUE(production.ok()) << production.error();

    // The disk driver writes in real time, but a loaded machine slows it down: each stretch lasts until the
    // driver has written that much audio, not a fixed wall-clock time.
    auto writtenFrames = [&] {
        std::error_code ignored;
        const auto bytes = std::filesystem::file_size(output, ignored);
        return ignored ? size_t(0) : size_t(bytes) / 4;
    };
    auto playFor = [&](double seconds) {
        const size_t target = writtenFrames() + size_t(seconds * kRate);
        for (int waited = 0; writtenFrames() < target && waited < 10000; waited += 5) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    };
    SoundtrackPlayer* player = SoundtrackPlayer::instance();
    player->open("soundtrack.ogg");
    player->play();
    playFor(0.4);
    player->toggleMute();
    playFor(0.5);
    player->toggleMute();
    playFor(0.4);
    closePlayer();

    const std::vector<int16_t> samples = readSamples(output);
    const size_t frames = samples.size() / 2;
    ASSERT_GT(frames, static_cast<size_t>(kRate)) << "the disk driver wrote too little";

    // The music starts at the first sound after the silence the paused device wrote.
    size_t start = 0;
    while (start < frames && samples[2 * start] == 0) ++start;
    ASSERT_LT(start, frames) << "no sound at all";

    std::vector<Window> windows;
    for (size_t at = start; at + kWindowFrames <= frames; at += kWindowFrames) {
        Window window;
        for (size_t i = at; i < at + kWindowFrames; ++i) {
            window.peak = std::max(window.peak, std::abs(samples[2 * i]) / 32768.0);
            window.silent = window.silent && samples[2 * i] == 0 && samples[2 * i + 1] == 0;
        }
        windows.push_back(window);
    }

    // Sound, then a stretch of exact silence while muted, then sound again.
    size_t firstSilent = 0;
    while (firstSilent < windows.size() && !windows[firstSilent].silent) ++firstSilent;
    size_t firstLoudAgain = firstSilent;
    while (firstLoudAgain < windows.size() && windows[firstLoudAgain].silent) ++firstLoudAgain;
    ASSERT_LT(firstLoudAgain + 3, windows.size()) << "the sound did not come back after unmuting";
    const double mutedSeconds = (firstLoudAgain - firstSilent) * 0.01;
    EXPECT_NEAR(mutedSeconds, 0.5, 0.25);
    EXPECT_NEAR(firstSilent * 0.01, 0.4, 0.25);

    // Before the mute each window has the level of its own place in the stream.
    for (size_t w = 1; w + 1 < firstSilent; ++w) {
        EXPECT_NEAR(windows[w].peak, toneLevelAt((w + 0.5) * 0.01), 0.05) << "window " << w;
    }
    // After it the music goes on from where the decoding has got to, not from where it was muted.
    for (size_t w = firstLoudAgain + 1; w + 1 < windows.size() && windows[w].peak > 0; ++w) {
        EXPECT_NEAR(windows[w].peak, toneLevelAt((w + 0.5) * 0.01), 0.05) << "window " << w;
    }
    const double levelAtMute = toneLevelAt(firstSilent * 0.01);
    EXPECT_GT(windows[firstLoudAgain + 1].peak, levelAtMute + 0.1);
}

} // namespace
