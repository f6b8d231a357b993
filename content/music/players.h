// Pattern players: turn chords, step patterns and melodies into notes for the voices and the drum kit.
#pragma once

#include "mixer.h"
#include "song.h"
#include "voices.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace music {

constexpr double kStep = kBeatSeconds / 4.0; // step patterns are written in sixteenth notes

// A section's bar grid and its chord for each bar (bars count from the section's start).
struct Bars {
    const Section& section;
    std::vector<Chord> chords = parseChords(section.chords);
    int count() const {
        return static_cast<int>(std::ceil((section.end - section.start) / kBarSeconds - 1e-9));
    }
    double start(int bar) const { return section.start + bar * kBarSeconds; }
    double end(int bar) const { return std::min(start(bar + 1), section.end); }
    const Chord& chord(int bar) const { return chords[static_cast<size_t>(bar) % chords.size()]; }
    int barAt(double time) const {
        return static_cast<int>(std::floor((time - section.start) / kBarSeconds + 1e-9));
    }
};

// One drum of the kit, struck at `time` seconds with velocity 0..1.
using DrumHit = void (*)(Mix& mix, double time, float velocity);
extern const DrumHit kKick, kSnare, kHat, kOpenHat, kCrash, kHighTom, kMidTom, kLowTom;

struct DrumLine {
    DrumHit hit;
    const char* steps; // sixteenths, looping: 'X' accent, 'x' normal, 'o' ghost, '.' rest
};

// Plays every line from `from` to `to` (seconds); the patterns start at `from`.
void drumLines(Mix& mix, double from, double to, std::initializer_list<DrumLine> lines, float level = 1.0f);

// A snare roll in sixteenths that swells from `soft` to full.
void snareRoll(Mix& mix, double from, double to, float soft);

// Kick, crash and boom together: the downbeat that marks a cut.
void impact(Mix& mix, double time, float size);

// One pad chord per bar between `from` and `to`.
void pads(Mix& mix, const Bars& bars, double from, double to, float velocity, float brightness);

// Plucked arpeggio: digits index the chord's tones climbing from the root near A3 (0 root, 1 third, 2 fifth,
// 3 root an octave up ...); the brightness moves from the first value to the second over the span.
void arpeggio(Mix& mix, const Bars& bars, double from, double to, std::string_view pattern, float velocity,
              float brightnessFrom, float brightnessTo);

// Bass line in sixteenths: 'r' root, 'o' octave up, 'f' fifth, '-' holds the previous note, '.' rest;
// capitals are accented.
void bassLine(Mix& mix, const Bars& bars, double from, double to, std::string_view pattern,
              const BassTone& tone, float velocity = 1.0f);

// Pulse lead playing `text` (notation.h) from `start`, shifted by `transpose` semitones and `octave` octaves.
void leadMelody(Mix& mix, std::string_view text, double start, int transpose, float brightness, float level,
                int octave = 0);

// Brass playing `text` from `start`, doubled an octave below.
void brassMelody(Mix& mix, std::string_view text, double start, float level);

// Brass chords, each `length` seconds, on the steps of `pattern`.
void brassStabs(Mix& mix, const Bars& bars, double from, double to, std::string_view pattern, double length,
                float level);

} // namespace music
