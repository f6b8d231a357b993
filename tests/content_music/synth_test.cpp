// Building blocks of the synthesiser: noise, oscillators, envelopes, filters, effects and the encoder.
#include "effects.h"
#include "encoder.h"
#include "ogg_decode.h"
#include "synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace music;

namespace {

// RMS of a filter's steady-state response to a sine, skipping the settling time.
float sineResponse(float hz, float cutoff) {
    SvFilter filter;
    Oscillator osc;
    double sum = 0.0;
    int n = kSampleRate / 2;
    for (int i = 0; i < n; ++i) {
        float y = filter.process(osc.sine(hz), cutoff, 0.0f).lowpass;
        if (i >= n / 2) sum += y * y;
    }
    return static_cast<float>(std::sqrt(sum / (n / 2)) * std::sqrt(2.0));
}

} // namespace

TEST(Synth, NoiseIsRepeatableAndInRange) {
    Rng a(1234), b(1234), c(1235);
    bool differs = false;
    for (int i = 0; i < 10000; ++i) {
        float x = a.bipolar();
        ASSERT_EQ(x, b.bipolar());
        ASSERT_GE(x, -1.0f);
        ASSERT_LT(x, 1.0f);
        differs |= x != c.bipolar();
    }
    EXPECT_TRUE(differs);
    Rng zero(0);
    EXPECT_NE(zero.next(), 0u) << "a zero seed must not lock xorshift at zero";
}

TEST(Synth, MidiPitchesMatchConcertTuning) {
    EXPECT_FLOAT_EQ(midiToHz(69.0f), 440.0f);
    EXPECT_NEAR(midiToHz(57.0f), 220.0f, 1e-3f);
    EXPECT_NEAR(midiToHz(60.0f), 261.626f, 1e-2f);
}

TEST(Synth, OscillatorsRunAtTheirFrequencyWithoutDcOrOvershoot) {
    for (float width : {0.5f, 0.2f, 0.8f}) {
        Oscillator saw, pulse;
        int upwardCrossings = 0;
        float previous = 0.0f, peak = 0.0f;
        double sawSum = 0.0, pulseSum = 0.0;
        for (int i = 0; i < kSampleRate; ++i) {
            float s = saw.saw(441.0f);
            float p = pulse.pulse(441.0f, width);
            // The saw ramp crosses zero upwards once per cycle.
            if (previous < 0.0f && s >= 0.0f) ++upwardCrossings;
            previous = s;
            sawSum += s;
            pulseSum += p;
            peak = std::max(peak, std::fabs(s));
        }
        EXPECT_NEAR(upwardCrossings, 441, 1);
        EXPECT_NEAR(sawSum / kSampleRate, 0.0, 0.01);
        EXPECT_NEAR(pulseSum / kSampleRate, 0.0, 0.01) << "width " << width;
        EXPECT_LE(peak, 1.05f);
    }
}

TEST(Synth, EnvelopeAttacksSustainsAndReleases) {
    const Adsr adsr{0.1f, 0.2f, 0.5f, 0.3f};
    EXPECT_EQ(envelopeAt(adsr, -0.01f, 1.0f), 0.0f);
    EXPECT_NEAR(envelopeAt(adsr, 0.05f, 1.0f), 0.5f, 1e-5f);
    EXPECT_NEAR(envelopeAt(adsr, 0.1f, 1.0f), 1.0f, 1e-5f);
    EXPECT_NEAR(envelopeAt(adsr, 0.99f, 1.0f), 0.5f, 0.01f);
    // Release starts from the level reached at the gate, with no jump.
    EXPECT_NEAR(envelopeAt(adsr, 1.0f, 1.0f), envelopeAt(adsr, 0.9999f, 1.0f), 1e-3f);
    // The tail reaches exact silence where the voices stop rendering it, so notes end without a click.
    EXPECT_GT(envelopeAt(adsr, 1.0f + 0.9f * kReleaseSpan * 0.3f, 1.0f), 0.0f);
    EXPECT_EQ(envelopeAt(adsr, 1.0f + kReleaseSpan * 0.3f, 1.0f), 0.0f);
    // A note released during its attack falls from where it got to.
    EXPECT_NEAR(envelopeAt(adsr, 0.05f, 0.05f), 0.5f, 1e-3f);
}

TEST(Synth, LowPassKeepsThePassbandAndCutsAboveTheCutoff) {
    EXPECT_NEAR(sineResponse(100.0f, 2000.0f), 1.0f, 0.02f);
    // 12 dB per octave: two octaves up is about 24 dB down.
    EXPECT_LT(sineResponse(8000.0f, 2000.0f), 0.08f);
    EXPECT_GT(sineResponse(8000.0f, 2000.0f), 0.03f);
}

TEST(Synth, FilterStaysStableWhenSweptAtHighResonance) {
    SvFilter filter;
    Rng noise(7);
    float peak = 0.0f;
    for (int i = 0; i < kSampleRate; ++i) {
        float cutoff = 100.0f + 15000.0f * (0.5f + 0.5f * std::sin(i * 0.01f));
        float y = filter.process(noise.bipolar(), cutoff, 0.95f).lowpass;
        ASSERT_TRUE(std::isfinite(y));
        peak = std::max(peak, std::fabs(y));
    }
    EXPECT_LT(peak, 50.0f);
}

TEST(Effects, PingPongEchoesAlternateSidesAtTheDelayTime) {
    PingPongDelay delay(0.1, 0.5f);
    const int d = kSampleRate / 10;
    std::vector<StereoSample> out;
    for (int i = 0; i < 4 * d; ++i)
        out.push_back(delay.process(i == 0 ? 1.0f : 0.0f));
    auto energy = [&](int from, bool left) {
        float e = 0.0f;
        for (int i = from; i < from + 50; ++i)
            e += std::fabs(left ? out[i].left : out[i].right);
        return e;
    };
    EXPECT_EQ(energy(1, true) + energy(1, false), 0.0f);
    EXPECT_GT(energy(d, true), 0.5f);
    EXPECT_EQ(energy(d, false), 0.0f);
    EXPECT_GT(energy(2 * d, false), 0.2f);
    EXPECT_LT(energy(2 * d, false), energy(d, true));
}

TEST(Effects, ReverbTailDecaysToSilence) {
    Reverb reverb(0.7f, 0.5f);
    double early = 0.0, late = 0.0;
    for (int i = 0; i < 6 * kSampleRate; ++i) {
        StereoSample s = reverb.process(i < 100 ? 1.0f : 0.0f);
        double e = s.left * s.left + s.right * s.right;
        if (i < kSampleRate / 2) early += e;
        if (i >= 5 * kSampleRate) late += e;
    }
    EXPECT_GT(early, 0.0);
    EXPECT_LT(late, early * 1e-4);
}

TEST(Encoder, KeepsTheExactLengthAndTheSerial) {
    // 1.5 s of a 440 Hz tone: an odd length, so the last packet is a partial block.
    std::vector<float> pcm;
    Oscillator osc;
    for (int i = 0; i < kSampleRate * 3 / 2; ++i) {
        float s = 0.5f * osc.sine(440.0f);
        pcm.push_back(s);
        pcm.push_back(-s);
    }
    std::vector<uint8_t> ogg = encodeOggVorbis(pcm, {kSampleRate, 2, 0.4f, 0x1234});
    ASSERT_GT(ogg.size(), 28u);
    EXPECT_EQ(std::memcmp(ogg.data(), "OggS", 4), 0);
    uint32_t serial;
    std::memcpy(&serial, ogg.data() + 14, 4); // little-endian on every target we build for
    EXPECT_EQ(serial, 0x1234u);

    DecodedAudio decoded = decodeOgg(ogg);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.frames(), pcm.size() / 2);
}
