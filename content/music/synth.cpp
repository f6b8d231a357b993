// Sound building blocks: seeded noise, band-limited oscillators, envelopes and filters.
#include "synth.h"

#include <algorithm>
#include <cmath>

namespace music {

float midiToHz(float note) {
    return 440.0f * std::exp2((note - 69.0f) / 12.0f);
}

Rng::Rng(uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}

static float heldLevel(const Adsr& a, float t) {
    if (t < a.attack) return t / a.attack;
    float sinceDecay = t - a.attack;
    return a.sustain + (1.0f - a.sustain) * std::exp(-sinceDecay / std::max(a.decay, 1e-4f));
}

float envelopeAt(const Adsr& adsr, float t, float gate) {
    if (t < 0.0f) return 0.0f;
    if (t < gate) return heldLevel(adsr, t);
    // The exponential is lowered by its value at the end of the span, so it lands on zero there.
    static const float floor = std::exp(-kReleaseSpan);
    float fall = std::exp(-(t - gate) / std::max(adsr.release, 1e-4f));
    return heldLevel(adsr, gate) * std::max(0.0f, (fall - floor) / (1.0f - floor));
}

void SvFilter::tune(float cutoffHz, float resonance) {
    cutoff_ = cutoffHz;
    resonance_ = resonance;
    float fc = std::clamp(cutoffHz, 10.0f, kSampleRate * 0.45f);
    float g = std::tan(kPi * fc / kSampleRate);
    k_ = 2.0f - 2.0f * std::clamp(resonance, 0.0f, 0.98f);
    a1_ = 1.0f / (1.0f + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

float OnePole::lowpass(float input, float cutoffHz) {
    if (cutoffHz != cutoff) {
        cutoff = cutoffHz;
        coefficient = 1.0f - std::exp(-2.0f * kPi * cutoffHz / kSampleRate);
    }
    state += coefficient * (input - state);
    return state;
}

} // namespace music
