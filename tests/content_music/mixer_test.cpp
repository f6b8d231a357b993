// The mixing desk and the drum kit: panning, mastering, fade and hit timing.
#include "drums.h"
#include "mixer.h"
#include "synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace music;

TEST(Mixer, PanKeepsPowerConstant) {
    for (float pan : {-1.0f, -0.5f, 0.0f, 0.3f, 1.0f}) {
        ChannelGains g = gainsOf({.gain = 2.0f, .pan = pan});
        EXPECT_NEAR(g.left * g.left + g.right * g.right, 4.0f, 1e-4f) << pan;
    }
    EXPECT_NEAR(gainsOf({.pan = -1.0f}).right, 0.0f, 1e-6f);
    EXPECT_NEAR(gainsOf({.pan = 1.0f}).left, 0.0f, 1e-6f);
    EXPECT_GT(gainsOf({.pan = -0.5f}).left, gainsOf({.pan = -0.5f}).right);
}

TEST(Mixer, MasterHitsThePeakTargetAndFadesToSilence) {
    const size_t frames = 3 * kSampleRate;
    Mix mix(frames);
    Oscillator osc;
    ChannelGains g = gainsOf({.gain = 3.0f, .pan = 0.4f, .delaySend = 0.3f, .reverbSend = 0.3f});
    for (size_t i = 0; i < frames; ++i)
        mix.add(i, osc.sine(220.0f), g);
    MasterSettings settings{0.2, 0.5f, 0.5f, 0.5f, 2.0, 2.9, 0.8f};
    std::vector<float> out = masterMix(mix, settings);
    ASSERT_EQ(out.size(), 2 * frames);
    float peak = 0.0f;
    for (float s : out)
        peak = std::max(peak, std::fabs(s));
    EXPECT_NEAR(peak, 0.8f, 1e-5f);
    for (size_t i = 2 * static_cast<size_t>(2.9 * kSampleRate); i < out.size(); ++i)
        ASSERT_EQ(out[i], 0.0f);
    // Before the fade a steady input stays steady: the mastering is a fixed gain, nothing pumps.
    auto rms = [&](double from, double to) {
        double sum = 0.0;
        size_t a = 2 * static_cast<size_t>(from * kSampleRate), b = 2 * static_cast<size_t>(to * kSampleRate);
        for (size_t i = a; i < b; ++i)
            sum += out[i] * out[i];
        return std::sqrt(sum / (b - a));
    };
    EXPECT_NEAR(rms(1.0, 1.4) / rms(1.5, 1.9), 1.0, 0.05);
}

TEST(Drums, HitsStartOnTheirSampleAndDieAway) {
    for (auto hit : {addKick, addSnare, addCrash}) {
        Mix mix(4 * kSampleRate);
        hit(mix, 0.5, 1.0f);
        const size_t onset = kSampleRate / 2;
        for (size_t i = 0; i < onset; ++i)
            ASSERT_EQ(mix.left[i], 0.0f);
        float early = 0.0f;
        for (size_t i = onset; i < onset + 441; ++i)
            early = std::max(early, std::fabs(mix.left[i]));
        EXPECT_GT(early, 0.05f);
        EXPECT_EQ(mix.left.back(), 0.0f);
    }
}

TEST(Drums, RepeatedHitsRenderIdentically) {
    // Each hit seeds its own noise, so no hidden state carries from one hit to the next.
    Mix a(kSampleRate), b(kSampleRate);
    addSnare(a, 0.25, 0.8f);
    addSnare(b, 0.25, 0.8f);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
}
