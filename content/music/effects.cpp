// Time-based effects: a ping-pong stereo delay and a Freeverb-style reverb, one sample at a time.
#include "effects.h"

#include "synth.h"

#include <cmath>

namespace music {

PingPongDelay::PingPongDelay(double delaySeconds, float feedback)
    : lineL_(static_cast<size_t>(std::lround(delaySeconds * kSampleRate)), 0.0f), lineR_(lineL_.size(), 0.0f),
      feedback_(feedback) {}

StereoSample PingPongDelay::process(float input) {
    // Fixed one-pole coefficient (about 4.5 kHz) that darkens every repeat.
    constexpr float kTone = 0.47f;
    float outL = lineL_[pos_];
    float outR = lineR_[pos_];
    // The input enters on the left; each side feeds the other, so repeats alternate.
    toneL_ += kTone * (input + outR * feedback_ - toneL_);
    toneR_ += kTone * (outL * feedback_ - toneR_);
    lineL_[pos_] = toneL_;
    lineR_[pos_] = toneR_;
    if (++pos_ == lineL_.size()) pos_ = 0;
    return {outL, outR};
}

// Mutually prime delay lengths (samples at 44.1 kHz) so the combs' echoes never line up.
constexpr std::array<int, 8> kCombLengths = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::array<int, 4> kAllPassLengths = {556, 441, 341, 225};
constexpr int kStereoSpread = 23;

Reverb::Reverb(float room, float damping) : feedback_(0.7f + 0.28f * room), damping_(0.4f * damping) {
    initSide(left_, 0);
    initSide(right_, kStereoSpread);
}

void Reverb::initSide(Side& side, int spread) {
    for (size_t i = 0; i < side.combs.size(); ++i)
        side.combs[i].buffer.assign(kCombLengths[i] + spread, 0.0f);
    for (size_t i = 0; i < side.allPasses.size(); ++i)
        side.allPasses[i].buffer.assign(kAllPassLengths[i] + spread, 0.0f);
}

float Reverb::processSide(Side& side, float input) {
    float sum = 0.0f;
    for (Comb& c : side.combs) {
        float out = c.buffer[c.pos];
        c.store = out * (1.0f - damping_) + c.store * damping_;
        c.buffer[c.pos] = input + c.store * feedback_;
        if (++c.pos == c.buffer.size()) c.pos = 0;
        sum += out;
    }
    for (AllPass& a : side.allPasses) {
        float delayed = a.buffer[a.pos];
        a.buffer[a.pos] = sum + delayed * 0.5f;
        sum = delayed - sum;
        if (++a.pos == a.buffer.size()) a.pos = 0;
    }
    return sum;
}

StereoSample Reverb::process(float input) {
    // Eight resonators add up; this input scale keeps the tail near the level of what feeds it.
    constexpr float kInputGain = 0.03f;
    float in = input * kInputGain;
    return {processSide(left_, in), processSide(right_, in)};
}

} // namespace music
