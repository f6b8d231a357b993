// The song's text notation: chord names and melodies written as note:length words.
#pragma once

#include "voices.h"

#include <string_view>
#include <vector>

namespace music {

constexpr double kBeatSeconds = 0.5; // 120 BPM
constexpr double kBarSeconds = 4 * kBeatSeconds;

// Root as a pitch class (C = 0 ... B = 11).
struct Chord {
    int root;
    bool minor;
};
// "Am F C# Bbm": space-separated chord names; throws std::invalid_argument on anything else.
std::vector<Chord> parseChords(std::string_view text);

// "E5:2 A5:2 -:4 | C6:8": note name and octave (A4 = MIDI 69), length in eighth notes (0.25 s), "-" for a
// rest, "|" only marks bars for the reader. Notes follow one another from `start` (seconds).
// Throws std::invalid_argument on malformed text.
std::vector<Note> parseMelody(std::string_view text, double start, int transpose = 0);

} // namespace music
