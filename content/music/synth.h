// Sound building blocks: seeded noise, band-limited oscillators, envelopes and filters.
#pragma once

#include <cmath>
#include <cstdint>

namespace music {

constexpr int kSampleRate = 44100;
constexpr float kPi = 3.14159265358979f;

// Frequency in Hz of a MIDI note number (69 = A4 = 440 Hz); fractional notes detune.
float midiToHz(float note);

// xorshift32: the same seed always gives the same sequence, on every platform.
struct Rng {
    uint32_t state;
    explicit Rng(uint32_t seed);
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // Uniform in [-1, 1).
    float bipolar() { return static_cast<float>(next() >> 8) * (2.0f / 16777216.0f) - 1.0f; }
};

// PolyBLEP residual: rounds off the step of a naive waveform so its harmonics stop folding back.
inline float polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return static_cast<float>(t + t - t * t - 1.0);
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return static_cast<float>(t * t + t + t + 1.0);
    }
    return 0.0f;
}

// Free-running phase in cycles [0, 1); every waveform advances it by hz / kSampleRate.
// Defined here so the per-sample loops of the voices can inline them.
struct Oscillator {
    double phase = 0.0;

    double advance(float hz) {
        double p = phase;
        phase += hz * (1.0 / kSampleRate);
        if (phase >= 1.0) phase -= std::floor(phase);
        return p;
    }
    float saw(float hz) {
        double p = advance(hz);
        return static_cast<float>(2.0 * p - 1.0) - polyBlep(p, hz * (1.0 / kSampleRate));
    }
    // width: fraction of the cycle spent high, 0.05..0.95.
    float pulse(float hz, float width) {
        double w = width < 0.05f ? 0.05 : width > 0.95f ? 0.95 : width;
        double dt = hz * (1.0 / kSampleRate);
        double p = advance(hz);
        double shifted = p + 1.0 - w;
        if (shifted >= 1.0) shifted -= 1.0;
        // Subtracting the mean keeps PWM from moving the DC level.
        float dc = static_cast<float>(2.0 * w - 1.0);
        return (p < w ? 1.0f : -1.0f) + polyBlep(p, dt) - polyBlep(shifted, dt) - dc;
    }
    float sine(float hz) { return static_cast<float>(std::sin(6.283185307179586 * advance(hz))); }
    float triangle(float hz) {
        double p = advance(hz);
        return static_cast<float>(p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p);
    }
};

// Attack/decay/release in seconds, sustain as a level 0..1.
struct Adsr {
    float attack, decay, sustain, release;
};

// A released note falls to exact silence this many release times after its gate, so tails end without a
// click.
constexpr float kReleaseSpan = 4.0f;

// Envelope level at `t` seconds after note-on for a note held `gate` seconds; closed form, so notes render
// independently of one another.
float envelopeAt(const Adsr& adsr, float t, float gate);

// Topology-preserving state-variable filter: stable under fast cutoff sweeps and high resonance.
struct SvFilter {
    struct Outputs {
        float lowpass, bandpass, highpass;
    };
    // resonance 0..1 (1 rings forever); cutoff is clamped below Nyquist.
    Outputs process(float input, float cutoffHz, float resonance) {
        // Retuning costs a tan(); sweeps move a little per sample, and steps under 0.2 % are inaudible.
        if (resonance != resonance_ || std::fabs(cutoffHz - cutoff_) > 0.002f * cutoff_)
            tune(cutoffHz, resonance);
        float v3 = input - ic2_;
        float v1 = a1_ * ic1_ + a2_ * v3;
        float v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
        ic1_ = 2.0f * v1 - ic1_;
        ic2_ = 2.0f * v2 - ic2_;
        return {v2, v1, input - k_ * v1 - v2};
    }

  private:
    void tune(float cutoffHz, float resonance);
    float ic1_ = 0.0f, ic2_ = 0.0f;
    float cutoff_ = -1.0f, resonance_ = -1.0f;
    float k_ = 0.0f, a1_ = 0.0f, a2_ = 0.0f, a3_ = 0.0f;
};

// One-pole smoother / low-pass, used where a gentle 6 dB slope is enough.
struct OnePole {
    float state = 0.0f;
    // The coefficient of the last cutoff, kept so a fixed cutoff costs no exp() per sample.
    float cutoff = -1.0f, coefficient = 0.0f;
    float lowpass(float input, float cutoffHz);
    float highpass(float input, float cutoffHz) { return input - lowpass(input, cutoffHz); }
};

} // namespace music
