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

// A section's bars on the track's grid: bars run on even seconds from 0 s whatever the section's start, so a
// section that begins on a cut between downbeats starts inside a bar. Bar 0 is the bar holding the section's
// start (clamped to it); each bar plays the next chord of the section.
struct Bars {
    const Section& section;
    std::vector<Chord> chords = parseChords(section.chords);
    int first = static_cast<int>(std::floor(section.start / kBarSeconds + 1e-9));
    int count() const { return static_cast<int>(std::ceil(section.end / kBarSeconds - 1e-9)) - first; }
    double start(int bar) const { return std::max(section.start, (first + bar) * kBarSeconds); }
    double end(int bar) const { return std::min((first + bar + 1) * kBarSeconds, section.end); }
    const Chord& chord(int bar) const {
        return chords[static_cast<size_t>(std::max(0, bar)) % chords.size()];
    }
    int barAt(double time) const { return static_cast<int>(std::floor(time / kBarSeconds + 1e-9)) - first; }
};

// One drum of the kit, struck at `time` seconds with velocity 0..1.
using DrumHit = void (*)(Mix& mix, double time, float velocity);
extern const DrumHit kKick, kHardKick, kSnare, kHat, kOpenHat, kCrash, kHighTom, kMidTom, kLowTom;

struct DrumLine {
    DrumHit hit;
    const char* steps; // sixteenths, looping: 'X' accent, 'x' normal, 'o' ghost, '.' rest
};

// Plays every line from `from` to `to` (seconds); the patterns loop on the track's grid (a one-bar pattern
// starts on every downbeat), so a line that starts mid-bar picks up where the bar is.
void drumLines(Mix& mix, double from, double to, std::initializer_list<DrumLine> lines, float level = 1.0f);

// Plays every line once from `from`: a fill, whatever the grid.
void drumFill(Mix& mix, double from, std::initializer_list<DrumLine> lines, float level = 1.0f);

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

// Bell sparkle high above the arpeggio: the digits index the same chord ladder an octave up; the level
// swells from `levelFrom` to `levelTo` over the span.
void sparkle(Mix& mix, const Bars& bars, double from, double to, std::string_view pattern, float levelFrom,
             float levelTo);

// A glassy shimmer of each bar's chord (root, third and fifth two octaves above the arpeggio), one chord a
// bar from `from` to `to`, swelling from `levelFrom` to `levelTo`.
void shimmer(Mix& mix, const Bars& bars, double from, double to, float levelFrom, float levelTo);

// Bass line in sixteenths on the grid: 'r' root, 'o' octave up, 'f' fifth, 't' third, 'd' fifth below, '-'
// holds the previous note, '.' rest; capitals are accented.
void bassLine(Mix& mix, const Bars& bars, double from, double to, std::string_view pattern,
              const BassTone& tone, float velocity = 1.0f);

// Pulse lead playing `text` (notation.h) from `start`, shifted by `transpose` semitones and `octave` octaves.
void leadMelody(Mix& mix, std::string_view text, double start, int transpose, float brightness, float level,
                int octave = 0);

// Brass playing `text` from `start`, doubled an octave below.
void brassMelody(Mix& mix, std::string_view text, double start, float level);

// The bar's chord struck at `time` and left to die away as exp(-decayPerSecond * t) within `length` seconds:
// spread from a low root to an octave above the pads, with bells arpeggiated quickly on top.
void ringingChord(Mix& mix, const Bars& bars, double time, double length, float decayPerSecond, float level);

// Brass chords, each `length` seconds, on the steps of `pattern`.
void brassStabs(Mix& mix, const Bars& bars, double from, double to, std::string_view pattern, double length,
                float level);

} // namespace music
