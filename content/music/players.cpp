// Pattern players: turn chords, step patterns and melodies into notes for the voices and the drum kit.
#include "players.h"

#include "drums.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace music {

namespace {

// Puts a pitch class in the octave range [low, low + 12).
float placed(int pitchClass, int low) {
    return static_cast<float>(low + ((pitchClass - low) % 12 + 12) % 12);
}

int thirdOf(const Chord& c) {
    return c.root + (c.minor ? 3 : 4);
}

// Close voicing between G3 and F#4 with the root doubled an octave below, so changes move by small steps.
std::vector<float> padVoicing(const Chord& c) {
    std::vector<float> notes = {placed(c.root, 43), placed(c.root, 55), placed(thirdOf(c), 55),
                                placed(c.root + 7, 55)};
    return notes;
}

// Chord tones climbing from the root near A3: the arpeggio patterns index this ladder.
float ladderNote(const Chord& c, int index) {
    const int intervals[3] = {0, thirdOf(c) - c.root, 7};
    return placed(c.root, 57) + static_cast<float>(intervals[index % 3] + 12 * (index / 3));
}

float bassNote(const Chord& c) {
    return placed(c.root, 28);
}

// Where each instrument sits in the mix: level, pan and effect sends.
const Channel kPadChannel{.gain = 0.30f, .pan = 0.0f, .delaySend = 0.0f, .reverbSend = 0.45f};
const Channel kPluckChannel{.gain = 0.22f, .pan = 0.3f, .delaySend = 0.45f, .reverbSend = 0.2f};
const Channel kBassChannel{.gain = 0.42f, .pan = 0.0f, .delaySend = 0.0f, .reverbSend = 0.02f};
const Channel kLeadChannel{.gain = 0.30f, .pan = -0.12f, .delaySend = 0.3f, .reverbSend = 0.3f};
const Channel kBellChannel{.gain = 0.14f, .pan = -0.35f, .delaySend = 0.6f, .reverbSend = 0.4f};
const Channel kBrassChannel{.gain = 0.30f, .pan = 0.0f, .delaySend = 0.12f, .reverbSend = 0.45f};
const Channel kGlassChannel{.gain = 0.07f, .pan = 0.25f, .delaySend = 0.3f, .reverbSend = 0.6f};
// Few echoes and a modest room: a ringing chord that must die with its own decay.
const Channel kRingChannel{.gain = 0.22f, .pan = 0.0f, .delaySend = 0.05f, .reverbSend = 0.3f};

// Plays `pattern` (looping) on the sixteenths from `from` to `to`: calls hit(time, symbol, step) for every
// non-rest step. Steps count from `anchor`, the time of the pattern's first step.
template <typename Hit>
void forSteps(double from, double to, std::string_view pattern, Hit hit, double anchor = 0.0) {
    long first = std::lround(std::ceil((from - anchor) / kStep - 1e-6)),
         last = std::lround(std::ceil((to - anchor) / kStep - 1e-6));
    for (long step = first; step < last; ++step) {
        long n = static_cast<long>(pattern.size());
        char symbol = pattern[static_cast<size_t>((step % n + n) % n)];
        if (symbol != '.') hit(anchor + step * kStep, symbol, step);
    }
}

float velocityOf(char symbol) {
    return symbol == 'X' ? 1.0f : symbol == 'x' ? 0.72f : 0.42f;
}

void closedHat(Mix& mix, double time, float velocity) {
    addClosedHat(mix, time, velocity, 0.25f);
}
void openHat(Mix& mix, double time, float velocity) {
    addOpenHat(mix, time, velocity, -0.2f);
}
void highTom(Mix& mix, double time, float velocity) {
    addTom(mix, time, velocity, 50.0f);
}
void midTom(Mix& mix, double time, float velocity) {
    addTom(mix, time, velocity, 45.0f);
}
void lowTom(Mix& mix, double time, float velocity) {
    addTom(mix, time, velocity, 40.0f);
}

} // namespace

const DrumHit kKick = addKick;
const DrumHit kHardKick = addHardKick;
const DrumHit kSnare = addSnare;
const DrumHit kHat = closedHat;
const DrumHit kOpenHat = openHat;
const DrumHit kCrash = addCrash;
const DrumHit kHighTom = highTom;
const DrumHit kMidTom = midTom;
const DrumHit kLowTom = lowTom;

void drumLines(Mix& mix, double from, double to, std::initializer_list<DrumLine> lines, float level) {
    for (const DrumLine& line : lines)
        forSteps(from, to, line.steps,
                 [&](double t, char symbol, long) { line.hit(mix, t, velocityOf(symbol) * level); });
}

void drumFill(Mix& mix, double from, std::initializer_list<DrumLine> lines, float level) {
    for (const DrumLine& line : lines) {
        double to = from + static_cast<double>(std::string_view(line.steps).size()) * kStep;
        forSteps(
            from, to, line.steps,
            [&](double t, char symbol, long) { line.hit(mix, t, velocityOf(symbol) * level); }, from);
    }
}

void snareRoll(Mix& mix, double from, double to, float soft) {
    int steps = static_cast<int>(std::lround((to - from) / kStep));
    for (int i = 0; i < steps; ++i)
        addSnare(mix, from + i * kStep,
                 soft + (1.0f - soft) * static_cast<float>(i) / std::max(1, steps - 1));
}

void impact(Mix& mix, double t, float size) {
    addKick(mix, t, 1.0f);
    addCrash(mix, t, size);
    addBoom(mix, t, size);
}

void pads(Mix& mix, const Bars& bars, double from, double to, float velocity, float brightness) {
    for (int b = std::max(0, bars.barAt(from)); b < bars.count() && bars.start(b) < to - 1e-9; ++b) {
        double begin = std::max(from, bars.start(b));
        playPad(mix, begin, std::min(bars.end(b), to) - begin, padVoicing(bars.chord(b)), velocity,
                brightness, kPadChannel);
    }
}

void arpeggio(Mix& mix, const Bars& bars, double from, double to, std::string_view pattern, float velocity,
              float brightnessFrom, float brightnessTo) {
    forSteps(from, to, pattern, [&](double t, char symbol, long) {
        float x = static_cast<float>((t - from) / std::max(1e-6, to - from));
        const Chord& chord = bars.chord(bars.barAt(t));
        Note note{t, kStep * 1.5, ladderNote(chord, symbol - '0'), velocity};
        playPluck(mix, note, brightnessFrom + (brightnessTo - brightnessFrom) * x, kPluckChannel);
    });
}

void sparkle(Mix& mix, const Bars& bars, double from, double to, std::string_view pattern, float levelFrom,
             float levelTo) {
    forSteps(from, to, pattern, [&](double t, char symbol, long) {
        float x = static_cast<float>((t - from) / std::max(1e-6, to - from));
        Note note{t, 0.9, ladderNote(bars.chord(bars.barAt(t)), symbol - '0' + 3),
                  levelFrom + (levelTo - levelFrom) * x};
        playBell(mix, note, kBellChannel);
    });
}

void shimmer(Mix& mix, const Bars& bars, double from, double to, float levelFrom, float levelTo) {
    for (int b = std::max(0, bars.barAt(from)); b < bars.count() && bars.start(b) < to - 1e-9; ++b) {
        double begin = std::max(from, bars.start(b)), end = std::min(bars.end(b), to);
        float x = static_cast<float>((begin - from) / std::max(1e-6, to - from));
        for (int tone = 6; tone < 9; ++tone)
            playGlass(
                mix,
                {begin, end - begin, ladderNote(bars.chord(b), tone), levelFrom + (levelTo - levelFrom) * x},
                kGlassChannel);
    }
}

void bassLine(Mix& mix, const Bars& bars, double from, double to, std::string_view pattern,
              const BassTone& tone, float velocity) {
    forSteps(from, to, pattern, [&](double t, char symbol, long step) {
        if (symbol == '-') return;
        int held = 1;
        while (pattern[static_cast<size_t>(step + held) % pattern.size()] == '-' &&
               t + held * kStep < to - 1e-9)
            ++held;
        char lower = static_cast<char>(std::tolower(symbol));
        const Chord& chord = bars.chord(bars.barAt(t));
        float pitch = bassNote(chord) + (lower == 'o'   ? 12.0f
                                         : lower == 'f' ? 7.0f
                                         : lower == 'd' ? -5.0f
                                         : lower == 't' ? static_cast<float>(thirdOf(chord) - chord.root)
                                                        : 0.0f);
        float accent = std::isupper(static_cast<unsigned char>(symbol)) ? 1.0f : 0.8f;
        playSawBass(mix, {t, held * kStep * 0.85, pitch, velocity * accent}, tone, kBassChannel);
    });
}

void leadMelody(Mix& mix, std::string_view text, double start, int transpose, float brightness, float level,
                int octave) {
    std::vector<Note> notes = parseMelody(text, start, transpose + 12 * octave);
    for (size_t i = 0; i < notes.size(); ++i) {
        Note n = notes[i];
        n.velocity = level;
        // Notes that follow straight on glide from their neighbour, like a monophonic lead.
        if (i > 0 && std::fabs(notes[i - 1].time + notes[i - 1].length - n.time) < 1e-6)
            n.slideFrom = notes[i - 1].pitch;
        n.length *= 0.95;
        playPulseLead(mix, n, brightness, kLeadChannel);
    }
}

// Voiced from D4 upwards, on top of the pads rather than inside them.
void brassStabs(Mix& mix, const Bars& bars, double from, double to, std::string_view pattern, double length,
                float level) {
    forSteps(from, to, pattern, [&](double t, char symbol, long) {
        const Chord& chord = bars.chord(bars.barAt(t));
        for (int pc : {chord.root, thirdOf(chord), chord.root + 7})
            playBrass(mix, {t, length, placed(pc, 62), level * velocityOf(symbol)}, kBrassChannel);
    });
}

void ringingChord(Mix& mix, const Bars& bars, double time, double length, float decayPerSecond, float level) {
    const Chord& chord = bars.chord(bars.barAt(time));
    std::vector<float> notes = padVoicing(chord);
    notes[0] = placed(chord.root, 40);
    notes.push_back(placed(chord.root, 67));
    notes.push_back(placed(thirdOf(chord), 67));
    for (float pitch : notes)
        playStruck(mix, {time, length, pitch, level}, decayPerSecond, kRingChannel);
    for (int i = 0; i < 3; ++i) {
        Note bell{time + 0.04 * i, std::min(length, 1.5), ladderNote(chord, 6 + i), level * 0.6f};
        playBell(mix, bell, kBellChannel);
    }
}

void brassMelody(Mix& mix, std::string_view text, double start, float level) {
    for (Note n : parseMelody(text, start)) {
        n.velocity = level;
        playBrass(mix, n, kBrassChannel);
        n.pitch -= 12.0f;
        n.velocity = level * 0.5f;
        playBrass(mix, n, kBrassChannel);
    }
}

} // namespace music
