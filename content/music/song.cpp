// The arrangement: the track's sections on the demo's timeline, with the melodies and grooves they play.
#include "song.h"

#include "drums.h"
#include "players.h"

#include <algorithm>
#include <string>

namespace music {

namespace {

// Melodies in the notation of notation.h: lengths in eighths, so every bar adds up to 8.
constexpr const char* kTitleRise = "A4:4 C5:4 | B4:4 D5:4 | E5:2 G#5:2 B5:2";
constexpr const char* kTitleTheme = "A4:4 C5:2 E5:2 | F5:6 E5:2 | E5:4 D5:2 C5:2 | D5:8 | "
                                    "C5:2 E5:2 A5:4 | A5:4 G5:2 F5:2 | G5:4 A5:2 B5:2 | B5:8";
const std::string kChaseCallHead =
    "E5:2 A5:2 G5:1 A5:1 C6:2 | A5:3 G5:1 F5:2 E5:2 | G5:2 E5:2 C5:1 D5:1 E5:2";
const std::string kChaseCall = kChaseCallHead + " | D5:4 B4:2 D5:2";
constexpr const char* kChaseAnswer =
    "E5:2 A5:2 B5:1 C6:1 E6:2 | D6:3 C6:1 A5:2 F5:2 | G5:2 C6:2 B5:1 A5:1 G5:2 | "
    "B5:6 -:2";
constexpr const char* kChaseClimb = "A5:1 C6:1 E6:2 A5:1 C6:1 E6:2 | F6:2 E6:1 C6:1 A5:2 C6:2 | "
                                    "G5:1 C6:1 E6:2 G6:2 E6:2 | D6:3 B5:1 G5:2 D6:2";
constexpr const char* kOutroTune = "E5:4 D5:2 C5:2 | C5:6 A4:2 | G4:4 C5:2 E5:2 | D5:8 | E5:4 G5:2 A5:2 | "
                                   "A5:6 G5:2 | E5:4 D5:2 C5:2 | B4:8 | C5:4 B4:2 A4:2 | A4:8 | G4:4 E4:4 | "
                                   "D4:8 | C5:8 | B4:8 | A4:8";

// Drum grooves, one bar of sixteenths each.
const DrumLine kGrooveKick{kKick, "X.....x...X....."};
const DrumLine kFourFloor{kKick, "X...X...X...X..."};
const DrumLine kBackbeat{kSnare, "....X.......X..."};
const DrumLine kGhostedBackbeat{kSnare, "....X..o....X.o."};
const DrumLine kEighthHats{kHat, "x.o.x.o.x.o.x.oo"};
const DrumLine kDrivingHats{kHat, "xoXoxoXoxoXoxoXo"};
const DrumLine kOffbeatOpen{kOpenHat, "..x...x...x...x."};

// The harvester field: pad and plucked arpeggio, soft hats creeping in, a swell into the title.
void playField(Mix& mix, const Section& s) {
    Bars bars{s};
    for (int b = 0; b < bars.count(); ++b)
        pads(mix, bars, bars.start(b), bars.end(b), std::min(1.0f, 0.45f + 0.2f * b), 1800.0f + 120.0f * b);
    arpeggio(mix, bars, bars.start(1), s.end, "34565434", 0.7f, 2500.0f, 5000.0f);
    bassLine(mix, bars, bars.start(4), s.end, "r---------------", {180.0f, 250.0f, 0.4f, 0.2f}, 0.6f);
    drumLines(mix, bars.start(8), bars.start(11), {{kHat, "..o...o...o...o."}});
    drumLines(mix, bars.start(11), s.end, {{kHat, "o.x.o.x.o.x.o.xo"}});
    addRiser(mix, s.end - 4.0, s.end, 0.7f);
    addReverseCrash(mix, s.end, 2.0, 0.8f);
}

// Title, first bars: the theme climbs over F - G - E towards the hit at the title text (33.5 s).
void playTitleRise(Mix& mix, const Section& s) {
    Bars bars{s};
    impact(mix, s.start, 0.7f);
    pads(mix, bars, s.start, s.end, 0.9f, 1800.0f);
    brassMelody(mix, kTitleRise, s.start, 0.7f);
    arpeggio(mix, bars, s.start, s.end, "0123", 0.6f, 1500.0f, 5000.0f);
    bassLine(mix, bars, s.start, s.end, "r-------r-------", {250.0f, 500.0f, 0.5f, 0.3f}, 0.8f);
    drumLines(mix, s.start, bars.start(2), {{kKick, "x.......x......."}});
    // The roll stops a sixteenth short: the moment of silence makes the hit land harder.
    snareRoll(mix, bars.start(2), s.end - kStep, 0.25f);
    drumLines(mix, s.end - 1.0, s.end, {{kHighTom, "x..."}, {kMidTom, "..x."}});
    addRiser(mix, s.start, s.end, 0.8f);
}

// Title theme from the hit: half-time drums under the rising brass line.
void playTitleTheme(Mix& mix, const Section& s) {
    Bars bars{s};
    impact(mix, s.start, 1.0f);
    brassStabs(mix, bars, s.start, s.start + kStep, "X", 1.2, 0.6f);
    pads(mix, bars, s.start, s.end, 0.9f, 2400.0f);
    brassMelody(mix, kTitleTheme, s.start, 0.85f);
    arpeggio(mix, bars, s.start, s.end, "0123", 0.45f, 2500.0f, 3500.0f);
    bassLine(mix, bars, s.start, s.end - 0.5, "R---r---r---o---", {300.0f, 1400.0f, 0.15f, 0.4f});
    double fill = s.end - kBeatSeconds;
    drumLines(mix, s.start, fill, {{kKick, "X.........x....."}, {kSnare, "........X......."}, kEighthHats});
    addCrash(mix, bars.start(4), 0.6f);
    snareRoll(mix, fill, s.end, 0.5f);
}

// The groove returns at 50 s: drums, bass and arpeggio; a fill hands over to the chase.
void playGroove(Mix& mix, const Section& s) {
    Bars bars{s};
    double fill = s.end - 2 * kBeatSeconds;
    impact(mix, s.start, 0.5f);
    pads(mix, bars, s.start, s.end, 0.55f, 2000.0f);
    arpeggio(mix, bars, s.start, s.end, "0124214201242142", 0.6f, 2500.0f, 3000.0f);
    bassLine(mix, bars, s.start, fill, "R.r.o.r.R.r.o.ro", {350.0f, 1600.0f, 0.12f, 0.5f});
    drumLines(mix, s.start, fill, {kGrooveKick, kBackbeat, kEighthHats, {kOpenHat, "..............x."}});
    drumLines(mix, fill, s.end,
              {{kSnare, "o.o.xxXX"}, {kHighTom, "x......."}, {kMidTom, "..x....."}, {kLowTom, "....x.x."}});
}

const BassTone kChaseBass{380.0f, 2200.0f, 0.09f, 0.55f};
const BassTone kLiftBass{520.0f, 3200.0f, 0.11f, 0.6f};
const BassTone kPeakBass{650.0f, 4200.0f, 0.12f, 0.62f};

// The chase begins at 71 s: four-on-the-floor, sixteenth bass, and the pulse lead enters.
void playChase(Mix& mix, const Section& s) {
    Bars bars{s};
    double fill = s.end - 3 * kBeatSeconds;
    impact(mix, s.start, 0.8f);
    // No pads yet: the lift at 84.5 s brings them in.
    bassLine(mix, bars, s.start, s.end, "RrorRrorRrorRror", kChaseBass);
    leadMelody(mix, kChaseCall, s.start, 0, 4500.0f, 0.9f);
    leadMelody(mix, "E5:2 A5:2 B5:1 C6:1 E6:2 | D6:3 C6:1 A5:2 F5:2 | B5:6", bars.start(4), 0, 4500.0f, 0.9f);
    drumLines(mix, s.start, fill, {kFourFloor, kBackbeat, kDrivingHats});
    drumLines(mix, fill, s.end,
              {{kKick, "X...X...X..."},
               {kSnare, "x.x.xxxxXXXX"},
               {kHighTom, "X..........."},
               {kMidTom, "..X........."},
               {kLowTom, "....X.X....."}});
}

// First lift at 84.5 s: the arpeggio and open hats join, the bass filter opens; two bars of build, then a
// one-beat hole before the second lift.
void playChaseLift(Mix& mix, const Section& s) {
    Bars bars{s};
    double build = bars.start(15), hole = s.end - kBeatSeconds;
    impact(mix, s.start, 1.0f);
    pads(mix, bars, s.start, hole, 0.55f, 2800.0f);
    arpeggio(mix, bars, s.start, build, "0124214201242142", 0.55f, 3500.0f, 3500.0f);
    bassLine(mix, bars, s.start, build, "RrorRrorRrorRror", kLiftBass);
    bassLine(mix, bars, build, hole, "R.r.R.r.R.r.R.r.", kLiftBass);
    leadMelody(mix, kChaseCall, bars.start(0), 0, 5500.0f, 0.9f);
    leadMelody(mix, kChaseAnswer, bars.start(4), 0, 5500.0f, 0.9f);
    leadMelody(mix, kChaseClimb, bars.start(8), 0, 6000.0f, 0.9f);
    leadMelody(mix, kChaseCallHead, bars.start(12), 0, 5500.0f, 0.9f);
    leadMelody(mix, "D6:8 | B5:8", build, 0, 6500.0f, 0.9f);
    drumLines(mix, s.start, build, {kFourFloor, kBackbeat, kDrivingHats, kOffbeatOpen});
    for (int b = 4; b < 15; b += 4)
        addCrash(mix, bars.start(b), 0.6f);
    drumLines(mix, build, hole, {kFourFloor});
    drumLines(mix, build, bars.start(16), {{kSnare, "x.x.x.x.x.x.x.x."}}, 0.7f);
    snareRoll(mix, bars.start(16), hole, 0.4f);
    addRiser(mix, build, s.end, 0.9f);
    addReverseCrash(mix, s.end, 1.5f, 1.0f);
}

// Second lift at 119 s: up a whole tone to B minor, everything in, the lead doubled an octave down.
void playChasePeak(Mix& mix, const Section& s) {
    Bars bars{s};
    double climax = bars.start(10), last = bars.start(11);
    impact(mix, s.start, 1.0f);
    pads(mix, bars, s.start, s.end, 0.6f, 3500.0f);
    arpeggio(mix, bars, s.start, s.end, "0124214201242142", 0.6f, 4500.0f, 4500.0f);
    brassStabs(mix, bars, s.start, last, "X..x..x...X..x..", 1.5 * kStep, 0.45f);
    bassLine(mix, bars, s.start, s.end, "RrorRrorRrorRror", kPeakBass);
    for (int octave : {0, -1}) {
        float level = octave == 0 ? 0.9f : 0.45f;
        leadMelody(mix, kChaseCall, bars.start(0), 2, 6500.0f, level, octave);
        leadMelody(mix, kChaseAnswer, bars.start(4), 2, 6500.0f, level, octave);
        leadMelody(mix, "A5:1 C6:1 E6:2 A5:1 C6:1 E6:2 | F6:2 E6:1 C6:1 A5:2 C6:2", bars.start(8), 2, 6500.0f,
                   level, octave);
        leadMelody(mix, "C6:8 | D6:4", climax, 0, 6500.0f, level, octave);
    }
    drumLines(mix, s.start, last, {kFourFloor, kGhostedBackbeat, kDrivingHats, kOffbeatOpen});
    for (int b = 2; b < 11; b += 2)
        addCrash(mix, bars.start(b), 0.55f);
    drumLines(mix, climax + kBarSeconds / 2, last, {{kHighTom, "X.x."}, {kMidTom, "....X.x."}}, 0.8f);
    drumLines(mix, last, s.end, {{kKick, "X...X..."}});
    snareRoll(mix, last, s.end, 0.5f);
}

// The sunset: pads, a fading arpeggio and a slow melody; the master fade takes it to silence at the end.
void playOutro(Mix& mix, const Section& s) {
    Bars bars{s};
    addCrash(mix, s.start, 0.8f);
    addBoom(mix, s.start, 0.8f);
    addKick(mix, s.start, 0.9f);
    pads(mix, bars, s.start, s.end, 0.8f, 1600.0f);
    arpeggio(mix, bars, s.start, bars.start(8), "01234321", 0.6f, 2200.0f, 1400.0f);
    arpeggio(mix, bars, bars.start(8), s.end, "0...2...3...2...", 0.45f, 1400.0f, 900.0f);
    bassLine(mix, bars, s.start, s.end, "r---------------", {200.0f, 300.0f, 0.5f, 0.2f}, 0.7f);
    leadMelody(mix, kOutroTune, s.start, 0, 1900.0f, 0.75f);
    // The last chord lands with a soft hit and rings out to the last picture.
    impact(mix, bars.start(bars.count() - 1), 0.6f);
}

} // namespace

const std::vector<Section>& songSections() {
    static const std::vector<Section> sections = {
        {"field", 0.0, 28.0, "Am F C G Am Dm Em Am F C G Em F G", playField},
        {"title rise", 28.0, 33.5, "F G E", playTitleRise},
        {"title theme", 33.5, 50.0, "Am F C G Am F G E E", playTitleTheme},
        {"groove", 50.0, 71.0, "Am F Dm E Am F C G Dm F E", playGroove},
        {"chase", 71.0, 84.5, "Am F C G Am F G", playChase},
        {"chase lift", 84.5, 119.0, "Am F C G Am F C G Am F C G Am F C G E E", playChaseLift},
        {"chase peak", 119.0, 142.0, "Bm G D A Bm G D A Bm G F G", playChasePeak},
        {"outro", 142.0, kSongSeconds, "Am F C G Am F C G Am Dm Em G F E Am", playOutro},
    };
    return sections;
}

void renderSong(Mix& mix) {
    for (const Section& section : songSections())
        section.play(mix, section);
}

} // namespace music
