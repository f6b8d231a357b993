// Melodic instruments: each renders one note (or chord) straight into the mix.
#include "voices.h"

#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace music {

namespace {

size_t frameAt(double time) {
    return static_cast<size_t>(std::lround(time * kSampleRate));
}

// Frames a note sounds for, its release tail included.
size_t framesOf(double length, float release) {
    return static_cast<size_t>((length + kReleaseSpan * release) * kSampleRate);
}

// Start phases differ per note so stacked saws do not all begin with the same spike.
Rng rngFor(const Note& note, uint32_t salt) {
    return Rng(static_cast<uint32_t>(frameAt(note.time)) * 2246822519u ^
               static_cast<uint32_t>(note.pitch * 256.0f) * 3266489917u ^ salt);
}

float seconds(size_t frame) {
    return static_cast<float>(frame) / kSampleRate;
}

// Slow modulations (filter drift, vibrato, pulse width) are worked out once every this many frames.
constexpr size_t kControlFrames = 16;

} // namespace

void playSawBass(Mix& mix, const Note& note, const BassTone& tone, const Channel& channel) {
    const Adsr amp{0.003f, 0.25f, 0.75f, 0.04f};
    ChannelGains g = gainsOf(channel);
    float hz = midiToHz(note.pitch);
    Oscillator sawA, sawB, sub;
    Rng rng = rngFor(note, 0xba55);
    sawA.phase = 0.5 + 0.5 * rng.bipolar();
    sawB.phase = 0.5 + 0.5 * rng.bipolar();
    SvFilter filter;
    float gate = static_cast<float>(note.length);
    size_t start = frameAt(note.time);
    for (size_t i = 0, n = framesOf(note.length, amp.release); i < n; ++i) {
        float t = seconds(i);
        float raw = 0.5f * (sawA.saw(hz * 0.9965f) + sawB.saw(hz * 1.0035f));
        float cutoff = tone.cutoffHz + tone.envelopeHz * note.velocity * std::exp(-t / tone.decay);
        float filtered = filter.process(raw, cutoff, tone.resonance).lowpass;
        float v = std::tanh(1.5f * filtered + 0.45f * sub.sine(hz * 0.5f));
        mix.add(start + i, v * envelopeAt(amp, t, gate) * note.velocity, g);
    }
}

void playPad(Mix& mix, double time, double length, const std::vector<float>& pitches, float velocity,
             float brightnessHz, const Channel& channel) {
    const Adsr amp{0.4f, 1.5f, 0.8f, 0.6f};
    constexpr int kSaws = 5;
    constexpr float kDetuneCents[kSaws] = {0.0f, -11.0f, 9.0f, -5.0f, 14.0f};
    ChannelGains g = gainsOf(channel);
    float gate = static_cast<float>(length);
    size_t start = frameAt(time);
    size_t n = framesOf(length, amp.release);
    std::vector<float> left(n, 0.0f), right(n, 0.0f);
    for (float pitch : pitches) {
        Note note{time, length, pitch};
        Rng rng = rngFor(note, 0x9ad);
        for (int s = 0; s < kSaws; ++s) {
            Oscillator osc;
            osc.phase = 0.5 + 0.5 * rng.bipolar();
            float hz = midiToHz(pitch + kDetuneCents[s] / 100.0f);
            // Alternate saws left and right; the centre one is shared.
            float toLeft = s == 0 ? 0.5f : (s % 2 ? 0.85f : 0.15f);
            for (size_t i = 0; i < n; ++i) {
                float v = osc.saw(hz);
                left[i] += v * toLeft;
                right[i] += v * (1.0f - toLeft);
            }
        }
    }
    SvFilter filterL, filterR;
    float norm = velocity / (kSaws * 0.6f);
    // The cutoff and the envelope move slowly: worked out every kControlFrames, the envelope interpolated.
    float cutoff = 0.0f, envFrom = 0.0f, envTo = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        size_t phase = i % kControlFrames;
        if (phase == 0) {
            float t = seconds(i);
            // Slow filter drift keeps long chords from sounding static.
            cutoff = brightnessHz * (1.0f + 0.15f * std::sin(t * 1.3f));
            envFrom = envelopeAt(amp, t, gate) * norm;
            envTo = envelopeAt(amp, seconds(i + kControlFrames), gate) * norm;
        }
        float env = envFrom + (envTo - envFrom) * static_cast<float>(phase) * (1.0f / kControlFrames);
        float l = filterL.process(left[i], cutoff, 0.25f).lowpass;
        float r = filterR.process(right[i], cutoff, 0.25f).lowpass;
        mix.addStereo(start + i, l * env, r * env, g);
    }
}

void playPluck(Mix& mix, const Note& note, float brightnessHz, const Channel& channel) {
    const Adsr amp{0.002f, 0.18f, 0.0f, 0.08f};
    ChannelGains g = gainsOf(channel);
    float hz = midiToHz(note.pitch);
    Oscillator square, octave;
    SvFilter filter;
    float gate = static_cast<float>(note.length), cutoff = 0.0f;
    size_t start = frameAt(note.time);
    for (size_t i = 0, n = framesOf(std::min(note.length, 0.6), amp.release); i < n; ++i) {
        float t = seconds(i);
        float raw = square.pulse(hz, 0.5f) + 0.3f * octave.pulse(hz * 2.0f, 0.5f);
        if (i % kControlFrames == 0) cutoff = 300.0f + brightnessHz * std::exp(-t * 14.0f);
        float v = filter.process(raw, cutoff, 0.35f).lowpass;
        mix.add(start + i, v * envelopeAt(amp, t, gate) * note.velocity, g);
    }
}

void playPulseLead(Mix& mix, const Note& note, float brightnessHz, const Channel& channel) {
    const Adsr amp{0.01f, 0.3f, 0.7f, 0.15f};
    ChannelGains g = gainsOf(channel);
    Oscillator main, detuned;
    SvFilter filter, presence;
    float gate = static_cast<float>(note.length);
    size_t start = frameAt(note.time);
    float hz = 0.0f, width = 0.5f, cutoff = 0.0f;
    for (size_t i = 0, n = framesOf(note.length, amp.release); i < n; ++i) {
        float t = seconds(i);
        if (i % kControlFrames == 0) {
            float pitch = note.pitch;
            if (note.slideFrom >= 0.0f) pitch += (note.slideFrom - note.pitch) * std::exp(-t * 80.0f);
            // Vibrato waits until the note has settled, as a player's would.
            float vibrato =
                0.22f * std::min(1.0f, std::max(0.0f, t - 0.25f) * 3.0f) * std::sin(t * 2.0f * kPi * 5.5f);
            hz = midiToHz(pitch + vibrato);
            // The width LFO runs on track time so it continues smoothly from note to note.
            double trackTime = note.time + t;
            width = 0.5f + 0.32f * static_cast<float>(std::sin(trackTime * 2.0 * 3.14159265358979 * 0.35));
            cutoff = brightnessHz * (0.6f + 0.8f * std::exp(-t * 8.0f));
        }
        float raw = main.pulse(hz, width) + 0.6f * detuned.pulse(hz * 1.004f, 1.0f - width);
        float v = filter.process(raw * 0.6f, cutoff, 0.3f).lowpass;
        // Presence: a broad lift of about 5 dB round 3 kHz, where the ear is keenest, so the tune speaks
        // over the pads and the cymbals without being played louder.
        v += 0.8f * presence.process(v, 3000.0f, 0.5f).bandpass;
        mix.add(start + i, v * envelopeAt(amp, t, gate) * note.velocity, g);
    }
}

// Three saws a few hundredths of a semitone apart, each from a phase of its own, for a chorused section.
void detunedSaws(const Note& note, const float (&detune)[3], uint32_t salt, Oscillator (&saws)[3],
                 float (&hz)[3]) {
    Rng rng = rngFor(note, salt);
    for (int s = 0; s < 3; ++s) {
        saws[s].phase = 0.5 + 0.5 * rng.bipolar();
        hz[s] = midiToHz(note.pitch + detune[s]);
    }
}

void playBrass(Mix& mix, const Note& note, const Channel& channel) {
    const Adsr amp{0.04f, 0.6f, 0.75f, 0.35f};
    ChannelGains g = gainsOf(channel);
    Oscillator saws[3];
    float hz[3];
    detunedSaws(note, {0.0f, -0.09f, 0.08f}, 0xb4a5, saws, hz);
    SvFilter filter;
    float gate = static_cast<float>(note.length);
    size_t start = frameAt(note.time);
    for (size_t i = 0, n = framesOf(note.length, amp.release); i < n; ++i) {
        float t = seconds(i);
        float raw = 0.0f;
        for (int s = 0; s < 3; ++s)
            raw += saws[s].saw(hz[s]);
        // The filter swells open after the attack: the "blat" of a horn section.
        float swell = 1.0f - std::exp(-t * 14.0f);
        float cutoff = 500.0f + 2600.0f * swell * (0.7f + 0.3f * std::exp(-t * 2.0f));
        float v = filter.process(raw * 0.33f, cutoff, 0.2f).lowpass;
        mix.add(start + i, v * envelopeAt(amp, t, gate) * note.velocity, g);
    }
}

void playStruck(Mix& mix, const Note& note, float decayPerSecond, const Channel& channel) {
    ChannelGains g = gainsOf(channel);
    Oscillator saws[3], body;
    float hz[3];
    detunedSaws(note, {0.0f, -0.07f, 0.06f}, 0x57c4, saws, hz);
    SvFilter filter;
    float cutoff = 0.0f;
    size_t start = frameAt(note.time), n = static_cast<size_t>(note.length * kSampleRate);
    for (size_t i = 0; i < n; ++i) {
        float t = seconds(i);
        float raw = 0.0f;
        for (int s = 0; s < 3; ++s)
            raw += saws[s].saw(hz[s]);
        // The overtones die first: the filter closes faster than the tone fades.
        if (i % kControlFrames == 0) cutoff = 250.0f + 5000.0f * std::exp(-t * 2.0f * decayPerSecond);
        float v = filter.process(raw * 0.33f, cutoff, 0.15f).lowpass + 0.3f * body.sine(hz[0]);
        float amp = std::min(1.0f, t * 400.0f) * std::exp(-t * decayPerSecond) *
                    std::min(1.0f, static_cast<float>(n - i) / (0.02f * kSampleRate));
        mix.add(start + i, v * amp * note.velocity, g);
    }
}

void playGlass(Mix& mix, const Note& note, const Channel& channel) {
    const Adsr amp{0.9f, 1.0f, 0.8f, 0.8f};
    ChannelGains g = gainsOf(channel);
    float hz = midiToHz(note.pitch);
    Oscillator a, b, octave, twelfth;
    float gate = static_cast<float>(note.length);
    size_t start = frameAt(note.time);
    // The tremolo runs on track time, so chord after chord shimmers on without a seam.
    double tremoloPhase = note.time * 2.0 * 3.14159265358979 * 2.7;
    for (size_t i = 0, n = framesOf(note.length, amp.release); i < n; ++i) {
        float t = seconds(i);
        float v = 0.5f * (a.sine(hz) + b.sine(hz * 1.0025f)) + 0.5f * octave.sine(hz * 2.0f) +
                  0.2f * twelfth.sine(hz * 3.0f);
        float tremolo =
            0.8f + 0.2f * static_cast<float>(std::sin(tremoloPhase + t * 2.0 * 3.14159265358979 * 2.7));
        mix.add(start + i, v * tremolo * envelopeAt(amp, t, gate) * note.velocity, g);
    }
}

void playBell(Mix& mix, const Note& note, const Channel& channel) {
    ChannelGains g = gainsOf(channel);
    float hz = midiToHz(note.pitch);
    Oscillator carrier, modulator;
    size_t start = frameAt(note.time), n = static_cast<size_t>(note.length * kSampleRate);
    for (size_t i = 0; i < n; ++i) {
        float t = seconds(i);
        float index = 0.3f + 1.1f * std::exp(-t * 14.0f);
        double phase = carrier.advance(hz);
        float tone =
            static_cast<float>(std::sin(6.283185307179586 * phase + index * modulator.sine(hz * 3.5f)));
        float amp = std::min(1.0f, t * 1500.0f) * std::exp(-t * 5.0f) *
                    std::min(1.0f, static_cast<float>(n - i) / (0.02f * kSampleRate));
        mix.add(start + i, tone * amp * note.velocity, g);
    }
}

} // namespace music
