// Synthesised drum kit: every hit is rendered from oscillators and seeded noise into the mix.
#include "drums.h"

#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace music {

static size_t frameAt(double time) {
    return static_cast<size_t>(std::lround(time * kSampleRate));
}

static size_t framesOf(double seconds) {
    return static_cast<size_t>(seconds * kSampleRate);
}

// Rounds off the last 20 ms of a hit, so cutting its decay short never clicks.
static float fadeOut(size_t i, size_t n) {
    return std::min(1.0f, static_cast<float>(n - i) / (0.02f * kSampleRate));
}

// Each hit gets its own noise, seeded by where it falls, so one hit never shifts another's sound.
static Rng noiseFor(double time, uint32_t salt) {
    return Rng(static_cast<uint32_t>(frameAt(time)) * 2654435761u ^ salt);
}

// `drive` saturates the body towards a square and `decay` sets how fast it dies: more weight for the same
// peak.
static void kick(Mix& mix, double time, float velocity, float drive, float decay) {
    ChannelGains g = gainsOf({.gain = 0.95f * velocity, .reverbSend = 0.04f});
    Oscillator body;
    Rng click = noiseFor(time, 0x4b1c);
    size_t start = frameAt(time);
    const float level = std::tanh(1.6f) / std::tanh(drive);
    for (size_t i = 0, n = framesOf(0.5); i < n; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        // Pitch falls fast from 160 Hz to 48 Hz: the thump, then the body.
        float hz = 48.0f + 112.0f * std::exp(-t * 28.0f);
        float amp = std::exp(-t * decay) * std::min(1.0f, t * 2000.0f) * fadeOut(i, n);
        float v =
            level * std::tanh(drive * body.sine(hz)) * amp + click.bipolar() * 0.25f * std::exp(-t * 400.0f);
        mix.add(start + i, v, g);
    }
}

void addKick(Mix& mix, double time, float velocity) {
    kick(mix, time, velocity, 1.6f, 6.5f);
}

void addHardKick(Mix& mix, double time, float velocity) {
    kick(mix, time, velocity, 4.0f, 4.0f);
}

void addSnare(Mix& mix, double time, float velocity) {
    ChannelGains g = gainsOf({.gain = 0.5f * velocity, .pan = 0.05f, .reverbSend = 0.22f});
    Oscillator tone;
    Rng noise = noiseFor(time, 0x5a7e);
    SvFilter band;
    size_t start = frameAt(time);
    for (size_t i = 0, n = framesOf(0.35); i < n; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        float body = tone.sine(185.0f + 60.0f * std::exp(-t * 40.0f)) * std::exp(-t * 22.0f);
        float rattle = band.process(noise.bipolar(), 2200.0f, 0.2f).highpass * std::exp(-t * 13.0f);
        // The noise's rare tall spikes are rounded off: the crack keeps its weight, and the master is not
        // ducked by a peak nobody hears.
        mix.add(start + i, 1.2f * std::tanh((0.8f * body + rattle) * (1.0f / 1.2f)) * fadeOut(i, n), g);
    }
}

static void addHat(Mix& mix, double time, float velocity, float pan, float decaySeconds, uint32_t salt) {
    ChannelGains g = gainsOf({.gain = 0.26f * velocity, .pan = pan, .reverbSend = 0.06f});
    Rng noise = noiseFor(time, salt);
    SvFilter high, ring, top;
    size_t start = frameAt(time);
    for (size_t i = 0, n = framesOf(decaySeconds * 5.0); i < n; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        float hiss = high.process(noise.bipolar(), 5200.0f, 0.1f).highpass;
        // A band near 7.5 kHz gives the metallic body that plain noise lacks; the air above 13 kHz is tamed,
        // so the hats sparkle rather than fizz.
        float metal = ring.process(hiss, 7400.0f, 0.6f).bandpass;
        float tone = top.process(0.5f * hiss + 0.8f * metal, 13000.0f, 0.2f).lowpass;
        mix.add(start + i, tone * std::exp(-t / decaySeconds), g);
    }
}

void addClosedHat(Mix& mix, double time, float velocity, float pan) {
    addHat(mix, time, velocity, pan, 0.025f, 0x4a7);
}

void addOpenHat(Mix& mix, double time, float velocity, float pan) {
    addHat(mix, time, velocity * 0.8f, pan, 0.08f, 0x0be7);
}

// A crash cymbal: the wash falls as exp(-washDecay * t) and is rendered until it is 60 dB down.
static void crash(Mix& mix, double time, float velocity, float washDecay) {
    ChannelGains g = gainsOf({.gain = 0.32f * velocity, .reverbSend = 0.2f});
    Rng noiseL = noiseFor(time, 0xc7a5), noiseR = noiseFor(time, 0xc7a6);
    SvFilter highL, highR, bodyL, bodyR;
    size_t start = frameAt(time);
    for (size_t i = 0, n = framesOf(std::min(3.0f, 6.9f / washDecay)); i < n; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        // Bright wash decays over seconds; a brief lower band gives the initial smash.
        float wash = std::exp(-t * washDecay) * fadeOut(i, n);
        float smash = std::exp(-t * 9.0f);
        float l = highL.process(noiseL.bipolar(), 5200.0f, 0.15f).highpass * wash +
                  bodyL.process(noiseL.bipolar(), 2400.0f, 0.4f).bandpass * smash;
        float r = highR.process(noiseR.bipolar(), 5200.0f, 0.15f).highpass * wash +
                  bodyR.process(noiseR.bipolar(), 2400.0f, 0.4f).bandpass * smash;
        mix.addStereo(start + i, l, r, g);
    }
}

void addCrash(Mix& mix, double time, float velocity) {
    crash(mix, time, velocity, 1.6f);
}

void addShortCrash(Mix& mix, double time, float velocity, float decayPerSecond) {
    crash(mix, time, velocity, decayPerSecond);
}

void addTom(Mix& mix, double time, float velocity, float note) {
    ChannelGains g = gainsOf({.gain = 0.6f * velocity, .pan = (note - 45.0f) * 0.05f, .reverbSend = 0.15f});
    Oscillator body;
    Rng noise = noiseFor(time, 0x70f);
    float hz = midiToHz(note);
    size_t start = frameAt(time);
    for (size_t i = 0, n = framesOf(0.6); i < n; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        float v = body.sine(hz * (1.0f + 0.6f * std::exp(-t * 30.0f))) * std::exp(-t * 7.0f) +
                  noise.bipolar() * 0.2f * std::exp(-t * 60.0f);
        mix.add(start + i, v * fadeOut(i, n), g);
    }
}

void addBoom(Mix& mix, double time, float velocity, float decayPerSecond) {
    ChannelGains g = gainsOf({.gain = 0.8f * velocity, .reverbSend = 0.05f});
    Oscillator sub;
    size_t start = frameAt(time);
    for (size_t i = 0, n = framesOf(3.0); i < n; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        float hz = 34.0f + 40.0f * std::exp(-t * 5.0f);
        float amp = std::min(1.0f, t * 300.0f) * std::exp(-t * decayPerSecond) * fadeOut(i, n);
        mix.add(start + i, std::tanh(1.3f * sub.sine(hz)) * amp, g);
    }
}

void addRiser(Mix& mix, double start, double end, float velocity) {
    ChannelGains g = gainsOf({.gain = 0.45f * velocity, .delaySend = 0.15f, .reverbSend = 0.3f});
    Rng noiseL = noiseFor(start, 0x7153), noiseR = noiseFor(start, 0x7154);
    SvFilter sweepL, sweepR;
    size_t first = frameAt(start), count = frameAt(end) - first;
    for (size_t i = 0; i < count; ++i) {
        float x = static_cast<float>(i) / count;
        // Five octaves up, getting louder as it climbs: tension that the next downbeat releases.
        float cutoff = 250.0f * std::exp2(5.5f * x);
        float l = sweepL.process(noiseL.bipolar(), cutoff, 0.45f).bandpass;
        float r = sweepR.process(noiseR.bipolar(), cutoff, 0.45f).bandpass;
        float level = x * x * (1.0f - std::exp(-(1.0f - x) * 200.0f));
        mix.addStereo(first + i, l * level, r * level, g);
    }
}

void addAir(Mix& mix, double start, double end, double fade, float velocity) {
    ChannelGains g = gainsOf({.gain = 0.12f * velocity, .reverbSend = 0.3f});
    Rng noiseL = noiseFor(start, 0xa1f), noiseR = noiseFor(start, 0xa20);
    SvFilter bandL, bandR, topL, topR;
    size_t first = frameAt(start), count = frameAt(end) - first;
    for (size_t i = 0; i < count; ++i) {
        float t = static_cast<float>(i) / kSampleRate, left = static_cast<float>(count - i) / kSampleRate;
        float swell = static_cast<float>(std::min({1.0, t / fade, left / fade}));
        // Gusts a bar or two long, out of step on the two sides so the air moves across the field.
        float gustL = 0.65f + 0.35f * std::sin(t * 0.71f), gustR = 0.65f + 0.35f * std::sin(t * 0.53f + 2.0f);
        float l =
            topL.process(bandL.process(noiseL.bipolar(), 8000.0f, 0.3f).bandpass, 11000.0f, 0.1f).lowpass;
        float r =
            topR.process(bandR.process(noiseR.bipolar(), 8000.0f, 0.3f).bandpass, 11000.0f, 0.1f).lowpass;
        mix.addStereo(first + i, l * gustL * swell * swell, r * gustR * swell * swell, g);
    }
}

void addGunRattle(Mix& mix, double start, double end, float velocity, float panFrom, float panTo) {
    constexpr double kRound = 1.0 / 16.0;
    const int rounds = static_cast<int>(std::lround((end - start) / kRound));
    for (int k = 0; k < rounds; ++k) {
        double time = start + k * kRound;
        float x = (k + 0.5f) / static_cast<float>(rounds);
        // Each round a little different: the noise is seeded by its time and every third one is weaker.
        float swell = std::sqrt(std::sin(kPi * x)) * (k % 3 == 2 ? 0.7f : 1.0f);
        ChannelGains g = gainsOf(
            {.gain = 0.9f * velocity * swell, .pan = panFrom + (panTo - panFrom) * x, .reverbSend = 0.03f});
        Rng noise = noiseFor(time, 0x6a11);
        SvFilter crack;
        Oscillator thump;
        size_t first = frameAt(time);
        for (size_t i = 0, n = framesOf(0.05); i < n; ++i) {
            float t = static_cast<float>(i) / kSampleRate;
            float v = crack.process(noise.bipolar(), 1900.0f, 0.35f).bandpass * 1.6f * std::exp(-t * 90.0f) +
                      thump.sine(150.0f - 600.0f * t) * 0.5f * std::exp(-t * 70.0f);
            mix.add(first + i, std::tanh(1.5f * v) * fadeOut(i, n), g);
        }
    }
}

void addEngineDrone(Mix& mix, double start, double end, float velocity) {
    ChannelGains g = gainsOf({.gain = 0.22f * velocity, .reverbSend = 0.05f});
    Oscillator sawA, sawB, prop;
    SvFilter tone;
    size_t first = frameAt(start), count = frameAt(end) - first;
    for (size_t i = 0; i < count; ++i) {
        float x = static_cast<float>(i) / count, t = static_cast<float>(i) / kSampleRate;
        // From A1 up a fourth to D2, as the engines come closer.
        float hz = 55.0f * std::exp2(5.0f / 12.0f * x * x);
        float throb = 0.6f + 0.4f * prop.sine(11.0f + 7.0f * x);
        float v = tone.process(sawA.saw(hz) + sawB.saw(hz * 1.007f), 180.0f + 900.0f * x * x, 0.3f).lowpass;
        float level =
            (0.35f + 0.65f * x) * std::min({1.0f, t * 2.0f, (1.0f - x) * count / (0.02f * kSampleRate)});
        mix.add(first + i, v * throb * level, g);
    }
}

void addTruckEngine(Mix& mix, double start, double end, float velocity) {
    ChannelGains g = gainsOf({.gain = 0.5f * velocity, .pan = -0.1f, .reverbSend = 0.04f});
    Oscillator firing, lump, cylinder;
    Rng noise = noiseFor(start, 0x7c0c);
    SvFilter body, grit;
    size_t first = frameAt(start), count = frameAt(end) - first;
    for (size_t i = 0; i < count; ++i) {
        float x = static_cast<float>(i) / count, t = static_cast<float>(i) / kSampleRate,
              left = static_cast<float>(count - i) / kSampleRate;
        // Low gear at a crawl, easing off towards the brink; in the last half second the revs sag as the
        // brakes bite.
        float sag = std::min(1.0f, left * 2.0f);
        float hz = (44.0f - 8.0f * x) * (0.7f + 0.3f * sag);
        // Six cylinders firing unevenly: a pulse train with a slower lope on it.
        float beat = 0.55f + 0.45f * cylinder.sine(hz * 0.25f);
        float v =
            body.process(firing.pulse(hz, 0.3f) + 0.6f * lump.saw(hz * 0.5f), 420.0f + 260.0f * sag, 0.35f)
                .lowpass;
        // The clatter of the valves and the exhaust: what tells a diesel from a bass note.
        float rattle = grit.process(noise.bipolar(), 700.0f, 0.3f).bandpass * 0.6f;
        float level = std::min({1.0f, t * 3.0f, left * 8.0f}) * (0.75f + 0.25f * sag);
        mix.add(first + i, std::tanh(1.4f * (v * beat + rattle * beat)) * level, g);
    }
}

void addSkid(Mix& mix, double time, double length, float velocity, float panFrom, float panTo) {
    Rng noise = noiseFor(time, 0x5c1d);
    Oscillator wobble;
    SvFilter airL, airR, squeal, scrub;
    const double lead = 0.5; // the whoosh swells this long before the bite
    size_t first = frameAt(time - lead), bite = frameAt(time), count = frameAt(time + length) - first;
    for (size_t i = 0; i < count; ++i) {
        float t =
            static_cast<float>((static_cast<double>(i) - static_cast<double>(bite - first)) / kSampleRate);
        float x = static_cast<float>(i) / count;
        ChannelGains g =
            gainsOf({.gain = 0.5f * velocity, .pan = panFrom + (panTo - panFrom) * x, .reverbSend = 0.12f});
        // The air: band noise climbing towards the bite, then falling away behind it.
        float before = t < 0.0f ? std::exp(t * 7.0f) : std::exp(-t * 6.0f);
        float airHz =
            t < 0.0f ? 3200.0f * std::exp(t * 2.5f) + 300.0f : 3500.0f * std::exp(-t * 2.0f) + 300.0f;
        float n = noise.bipolar();
        float l = airL.process(n, airHz, 0.5f).bandpass * before;
        float r = airR.process(noise.bipolar(), airHz * 1.1f, 0.5f).bandpass * before;
        // The rubber: a rough resonant squeal that bites at once and slides down as the tyre grips again.
        float rubber = 0.0f;
        if (t >= 0.0f) {
            float squealHz = 1500.0f * std::exp(-t * 0.9f) * (1.0f + 0.04f * wobble.sine(23.0f));
            float bitten = std::min(1.0f, t * 400.0f) * std::exp(-t * 3.0f / static_cast<float>(length));
            rubber = (squeal.process(n, squealHz, 0.93f).bandpass * 0.8f +
                      scrub.process(n, 700.0f, 0.3f).bandpass * 0.4f) *
                     bitten * fadeOut(i, count);
        }
        mix.addStereo(first + i, 0.7f * l + rubber, 0.7f * r + rubber, g);
    }
}

void addExplosion(Mix& mix, double time, float velocity) {
    ChannelGains g = gainsOf({.gain = 0.9f * velocity, .reverbSend = 0.35f});
    Rng noiseL = noiseFor(time, 0xb1a5), noiseR = noiseFor(time, 0xb1a6);
    SvFilter darkL, darkR;
    size_t start = frameAt(time);
    for (size_t i = 0, n = framesOf(2.0); i < n; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        float cutoff = 200.0f + 9000.0f * std::exp(-t * 2.5f);
        float amp = std::min(1.0f, t * 2000.0f) * (0.4f * std::exp(-t * 12.0f) + 0.6f * std::exp(-t * 1.8f)) *
                    fadeOut(i, n);
        float l = darkL.process(noiseL.bipolar(), cutoff, 0.2f).lowpass * amp;
        float r = darkR.process(noiseR.bipolar(), cutoff, 0.2f).lowpass * amp;
        mix.addStereo(start + i, std::tanh(2.5f * l), std::tanh(2.5f * r), g);
    }
}

void addSandBlast(Mix& mix, double time, float velocity, float pan) {
    ChannelGains g = gainsOf({.gain = 0.85f * velocity, .pan = pan, .reverbSend = 0.25f});
    Rng noiseL = noiseFor(time, 0x5a4d), noiseR = noiseFor(time, 0x5a4e);
    SvFilter blastL, blastR, hissL, hissR;
    Oscillator thud;
    size_t start = frameAt(time);
    for (size_t i = 0, n = framesOf(1.3); i < n; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        float cutoff = 300.0f + 7000.0f * std::exp(-t * 12.0f);
        float blast =
            std::min(1.0f, t * 3000.0f) * (0.7f * std::exp(-t * 18.0f) + 0.3f * std::exp(-t * 5.0f));
        // The falling sand: bright grit that swells in as the column tops out and thins away.
        float rain = 0.35f * std::min(1.0f, t * 4.0f) * std::exp(-t * 3.5f);
        float bodyHz = 40.0f + 80.0f * std::exp(-t * 20.0f);
        float low = thud.sine(bodyHz) * 0.9f * std::exp(-t * 9.0f);
        float l = blastL.process(noiseL.bipolar(), cutoff, 0.15f).lowpass * blast +
                  hissL.process(noiseL.bipolar(), 5500.0f, 0.1f).highpass * rain;
        float r = blastR.process(noiseR.bipolar(), cutoff, 0.15f).lowpass * blast +
                  hissR.process(noiseR.bipolar(), 5500.0f, 0.1f).highpass * rain;
        float fade = fadeOut(i, n);
        mix.addStereo(start + i, std::tanh(2.0f * (l + low)) * fade, std::tanh(2.0f * (r + low)) * fade, g);
    }
}

void addDebris(Mix& mix, double start, double end, float velocity) {
    Rng scatter = noiseFor(start, 0xdeb7);
    double t = start;
    while (t < end) {
        float x = static_cast<float>((t - start) / (end - start));
        // Pieces land in a shower that thins out: from about thirty a second down to a handful.
        t += (0.03 + 0.12 * x * x) * (0.5 + 0.5 * (scatter.bipolar() + 1.0f));
        if (t >= end) break;
        bool metal = scatter.bipolar() > -0.3f;
        float hz = metal ? 4000.0f + 2500.0f * scatter.bipolar() : 500.0f + 300.0f * scatter.bipolar();
        float size = (1.0f - 0.7f * x) * (0.6f + 0.4f * scatter.bipolar());
        ChannelGains g =
            gainsOf({.gain = 0.9f * velocity * size, .pan = 0.8f * scatter.bipolar(), .reverbSend = 0.15f});
        Rng noise = noiseFor(t, 0xdeb8);
        SvFilter ring;
        float decay = metal ? 35.0f : 60.0f;
        size_t first = frameAt(t);
        for (size_t i = 0, n = framesOf(metal ? 0.12 : 0.06); i < n; ++i) {
            float s = static_cast<float>(i) / kSampleRate;
            float v = ring.process(noise.bipolar() * std::exp(-s * 300.0f), hz, metal ? 0.9f : 0.5f).bandpass;
            mix.add(first + i, 3.0f * v * std::exp(-s * decay) * fadeOut(i, n), g);
        }
    }
}

void addRotorPass(Mix& mix, double start, double pass, double end, float velocity, float panFrom,
                  float panTo) {
    const float gain = 0.8f * velocity;
    const ChannelGains sends = gainsOf({.gain = gain, .reverbSend = 0.12f});
    Rng noise = noiseFor(start, 0x9070);
    // Two aircraft, the second a little behind and to the side, their blades a touch apart: the thrums beat.
    struct Craft {
        double lag;
        float bladeHz, panShift, level;
        Oscillator blade, hull, whine;
        SvFilter chop, dark;
    } craft[2] = {{0.0, 17.0f, 0.0f, 1.0f, {}, {}, {}, {}, {}},
                  {0.35, 18.4f, -0.25f, 0.8f, {}, {}, {}, {}, {}}};
    size_t first = frameAt(start), count = frameAt(end) - first;
    for (size_t i = 0; i < count; ++i) {
        float t = static_cast<float>(i) / kSampleRate, left = static_cast<float>(count - i) / kSampleRate;
        float fade = std::min({1.0f, t / 1.5f, left / 0.6f});
        float n = noise.bipolar();
        float l = 0.0f, r = 0.0f, mid = 0.0f;
        for (Craft& c : craft) {
            float d = static_cast<float>(static_cast<double>(start) + t - pass - c.lag);
            // Distance over the height of the pass: close is 1, the specks on the hill are a sixth of it;
            // once past, they climb away faster than they came.
            float along = 1.2f * d;
            float close = 1.0f / std::sqrt(1.0f + along * along) * (d > 0.0f ? std::exp(-0.5f * d) : 1.0f);
            // The note climbs as they close, and drops as they pass (the Doppler fall).
            float pitch = (0.88f + 0.16f * close) * (1.0f - 0.1f * std::tanh(2.5f * (d - 0.1f)));
            // The blade's "whop": a sharp pulse a blade, over a hull drone three times the blade rate.
            float phase = static_cast<float>(c.blade.advance(c.bladeHz * pitch));
            float whop = std::pow(0.5f + 0.5f * std::cos(2.0f * kPi * phase), 6.0f);
            float drone = c.hull.sine(3.0f * c.bladeHz * pitch) * (0.4f + 0.6f * whop);
            float chop =
                c.chop.process(n, 220.0f + 900.0f * close * close, 0.35f).bandpass * (0.2f + 0.8f * whop);
            float whine = c.whine.sine(1150.0f * pitch) * 0.06f * close * close;
            // Far off, the air takes the top away; overhead the roar is full.
            float v = c.dark
                          .process(0.8f * drone + 1.6f * chop + whine,
                                   350.0f + 4000.0f * close * close * close, 0.1f)
                          .lowpass;
            float level = c.level * fade * close;
            float pan = std::clamp(panFrom + c.panShift * (1.0f - close) +
                                       (panTo - panFrom) * 0.5f * (1.0f + std::tanh(2.2f * (d - 0.25f))),
                                   -1.0f, 1.0f);
            float angle = (pan + 1.0f) * 0.25f * kPi;
            l += v * level * std::cos(angle);
            r += v * level * std::sin(angle);
            mid += v * level;
        }
        // The sends take the mid signal; the dry sides are panned per sample above.
        size_t frame = first + i;
        if (frame >= mix.frames()) break;
        mix.left[frame] += gain * std::tanh(l);
        mix.right[frame] += gain * std::tanh(r);
        mix.reverbSend[frame] += 0.5f * mid * sends.reverb;
    }
}

void addRookCalls(Mix& mix, double start, double end, int count, float velocity) {
    Rng scatter = noiseFor(start, 0x600c);
    for (int k = 0; k < count; ++k) {
        double time = start + (end - start) * (k + 0.5 * (1.0 + scatter.bipolar())) / count;
        float hz = 560.0f + 120.0f * scatter.bipolar(), length = 0.2f + 0.06f * scatter.bipolar();
        // Some rooks call twice.
        int calls = scatter.bipolar() > 0.2f ? 2 : 1;
        ChannelGains g = gainsOf({.gain = 0.11f * velocity * (0.7f + 0.3f * scatter.bipolar()),
                                  .pan = 0.85f * scatter.bipolar(),
                                  .delaySend = 0.1f,
                                  .reverbSend = 0.35f});
        for (int c = 0; c < calls; ++c) {
            double at = time + c * (length + 0.09);
            Oscillator voice, rasp;
            SvFilter low, high;
            Rng breath = noiseFor(at, 0x600d);
            size_t first = frameAt(at);
            for (size_t i = 0, n = framesOf(length); i < n; ++i) {
                float t = static_cast<float>(i) / kSampleRate, x = t / length;
                // A hoarse "caw": a buzzy note that sags in pitch, rough with a fast flutter, through two
                // nasal formants.
                float f = hz * (1.05f - 0.15f * x);
                float src = voice.saw(f) * (0.7f + 0.3f * rasp.sine(70.0f)) + 0.3f * breath.bipolar();
                float v = low.process(src, 1300.0f, 0.7f).bandpass +
                          0.6f * high.process(src, 2500.0f, 0.6f).bandpass;
                float env = std::min(1.0f, t * 80.0f) * std::sin(kPi * std::min(1.0f, x)) * fadeOut(i, n);
                mix.add(first + i, std::tanh(1.5f * v) * env, g);
            }
        }
    }
}

void addReverseCrash(Mix& mix, double end, double length, float velocity) {
    ChannelGains g = gainsOf({.gain = 0.3f * velocity, .reverbSend = 0.1f});
    Rng noiseL = noiseFor(end, 0x8e1), noiseR = noiseFor(end, 0x8e2);
    SvFilter highL, highR;
    size_t last = frameAt(end), count = framesOf(length);
    for (size_t i = 0; i < count; ++i) {
        float before = static_cast<float>(count - i) / kSampleRate;
        float swell = std::exp(-before * 2.2f);
        float l = highL.process(noiseL.bipolar(), 4500.0f, 0.1f).highpass * swell;
        float r = highR.process(noiseR.bipolar(), 4500.0f, 0.1f).highpass * swell;
        mix.addStereo(last - count + i, l, r, g);
    }
}

} // namespace music
