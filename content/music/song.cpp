// The arrangement: the track's sections on the demo's timeline, with the melodies and grooves they play.
#include "song.h"

#include "drums.h"
#include "players.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace music {

namespace {

// Every bar of the track starts on an even second (120 BPM, a bar is 2 s), so the cuts at 33.5, 71, 84.5, 99
// and 119 s fall inside bars: there the hit is a push (the chord arrives early, a fill lands its accent on
// the cut) and the music runs on in time rather than starting a new grid.

// Melodies in the notation of notation.h: lengths in eighths, so every bar adds up to 8.
constexpr const char* kTitleRise = "A4:4 C5:4 | B4:4 D5:4 | E5:2 G#5:2 B5:2";
// The hook: four bars over Am F C G, stated by the title at 34 s, echoed in the parallel major as the chase
// climbs to its peak (116 s), and played twice on the ledge, the second time with the band as the grain
// pours at 158 s, landing home on the tonic.
constexpr const char* kHook = "A4:4 C5:2 E5:2 | F5:6 E5:2 | E5:4 D5:2 C5:2 | D5:8";
// From the hit at 33.5 s: a pickup, then eight bars from 34 s, the hook first.
constexpr const char* kTitleTheme = "E4:2 | A4:4 C5:2 E5:2 | F5:6 E5:2 | E5:4 D5:2 C5:2 | D5:8 | "
                                    "C5:2 E5:2 A5:4 | A5:4 G5:2 F5:2 | G5:4 A5:2 B5:2 | B5:8";
// The chase's call (72-80 s over Am F C G) and its answer (80-84 s over Dm E); a run leads in from 71 s.
constexpr const char* kChaseRun = "A4:1 B4:1 C5:1 D5:1";
constexpr const char* kChaseCall =
    "E5:2 A5:2 G5:1 A5:1 C6:2 | A5:3 G5:1 F5:2 E5:2 | G5:2 E5:2 C5:1 D5:1 E5:2 | "
    "D5:4 B4:2 D5:2";
constexpr const char* kChaseAnswer = "F5:2 A5:2 D6:2 C6:2 | B5:3 G#5:1 E5:2 B5:2";
// 84.5-99 s over Am Dm G C F Dm E: a descending sequence, one figure a bar.
constexpr const char* kLiftTune = "E6:4 C6:1 B5:1 | A5:2 E5:2 B5:1 C6:1 E6:2 | D6:3 C6:1 A5:2 F5:2 | "
                                  "G5:2 B5:2 D6:2 B5:2 | C6:3 B5:1 G5:2 E5:2 | F5:2 A5:2 C6:2 A5:2 | "
                                  "D6:3 C6:1 A5:2 F5:2 | E5:2 G#5:2";
// From the return at 103 s: the call again, higher, after a pickup on the third beat ...
constexpr const char* kBuildTune = "A5:2 C6:2 | C6:2 F6:2 E6:1 C6:1 A5:2 | B5:2 D6:2 G6:2 D6:2 | "
                                   "E6:3 C6:1 A5:2 E5:2 | G5:2 B5:2 E6:4 | F6:3 E6:1 C6:2 A5:2";
// ... then a figure that climbs a step, and the hook's head in A major over the tom break into the peak.
constexpr const char* kBuildClimb = "D6:1 G6:1 B6:2 D6:1 G6:1 B6:2 | A5:4 C#6:2 E6:2 | F#6:3 E6:1";
// 119-142 s in B minor: the call a tone up, with a breath before the aircraft's accent at 123 s, an answer
// that breaks off for the held breath at 131.5 s and lands high on the hit at 132 s, then a climb home
// towards A minor.
constexpr const char* kPeakCall =
    "F#5:2 B5:2 A5:1 B5:1 D6:2 | B5:3 A5:1 G5:2 F#5:2 | A5:3 -:1 D5:1 E5:1 F#5:2 | E5:4 C#5:2 E5:2";
constexpr const char* kPeakAnswer = "-:2 B5:2 C#6:1 D6:1 F#6:2 | F#6:2 E6:1 C#6:1 A#5:2 -:2 | "
                                    "F#6:2 D6:1 -:1 F#6:4 | G6:3 F#6:1 E6:2 B5:2";
constexpr const char* kPeakEnd = "B5:2 D6:2 G6:4 | A5:2 C#6:2 E6:4 | G#5:2 B5:2 D6:2 E6:1";
// 158-170 s: after the hook's return at 150 s its head comes home on the tonic with the band, then the tune
// climbs once more to the B, turns on the dominant and falls to the leading note, which rises to the A on
// the last hit and lets it go a second later.
constexpr const char* kOutroThemeEnd = "A4:4 C5:2 E5:2 | F5:6 E5:2";
constexpr const char* kOutroClimb =
    "G5:4 A5:2 B5:2 | B5:8 | C6:4 B5:2 A5:2 | B5:2 D6:2 C6:1 B5:1 G#5:2 | A5:4";

// Drum grooves, one bar of sixteenths each, on the grid.
const DrumLine kGrooveKick{kKick, "X.....x...X....."};
const DrumLine kFourFloor{kKick, "X...X...X...X..."};
const DrumLine kDrivingKick{kKick, "X...X...X...X.x."};
const DrumLine kBackbeat{kSnare, "....X.......X..."};
const DrumLine kGhostedBackbeat{kSnare, "....X..o....X.o."};
const DrumLine kEighthHats{kHat, "x.o.x.o.x.o.x.oo"};
const DrumLine kDrivingHats{kHat, "xoXoxoXoxoXoxoXo"};
const DrumLine kOffbeatOpen{kOpenHat, "..x...x...x...x."};

// Two beats of toms and snare whose accent lands on the beat after them: hands a section to the next one.
void fillInto(Mix& mix, double accent) {
    drumFill(mix, accent - kBarSeconds / 2,
             {{kSnare, "o.o.xxXX"}, {kHighTom, "x......."}, {kMidTom, "..x....."}, {kLowTom, "....x.x."}});
}

// Pads whose filter opens bar by bar from `brightnessFrom` to `brightnessTo`: a slow lift of tension.
void openingPads(Mix& mix, const Bars& bars, double from, double to, float velocity, float brightnessFrom,
                 float brightnessTo) {
    for (int b = std::max(0, bars.barAt(from)); b < bars.count() && bars.start(b) < to - 1e-9; ++b) {
        double begin = std::max(from, bars.start(b));
        float x = static_cast<float>((begin - from) / (to - from));
        pads(mix, bars, begin, std::min(bars.end(b), to), velocity,
             brightnessFrom + (brightnessTo - brightnessFrom) * x);
    }
}

// The harvester field: pad and plucked arpeggio from the first picture, a heartbeat of a kick from 8 s, a
// shaker from 16 s, the kick on every beat from 24 s, and a swell into the title.
void playField(Mix& mix, const Section& s) {
    Bars bars{s};
    // A soft, clear downbeat with the first picture.
    addKick(mix, s.start, 0.6f);
    addBoom(mix, s.start, 0.35f);
    addCrash(mix, s.start, 0.25f);
    for (int b = 0; b < bars.count(); ++b)
        pads(mix, bars, bars.start(b), bars.end(b), std::min(0.85f, 0.6f + 0.085f * b), 1800.0f + 120.0f * b);
    arpeggio(mix, bars, s.start, s.end, "34565434", 0.7f, 2500.0f, 5000.0f);
    bassLine(mix, bars, s.start, bars.start(2), "R---------------", {180.0f, 250.0f, 0.4f, 0.2f}, 0.6f);
    bassLine(mix, bars, bars.start(4), s.end, "r---------------", {180.0f, 250.0f, 0.4f, 0.2f}, 0.6f);
    drumLines(mix, bars.start(4), bars.start(8), {{kKick, "X..x............"}}, 0.6f);
    drumLines(mix, bars.start(8), bars.start(12), {{kKick, "X..x....X..x...."}}, 0.65f);
    drumLines(mix, bars.start(12), s.end, {{kKick, "X...x...X...x..."}}, 0.7f);
    drumLines(mix, bars.start(8), bars.start(11), {{kHat, "oxoxoxoxoxoxoxox"}}, 1.0f);
    drumLines(mix, bars.start(11), s.end, {{kHat, "oxXxoxXxoxXxoxXo"}, {kOpenHat, "..............x."}}, 1.0f);
    // Air over the wheat and a glassy shimmer of the chords: the top of the spectrum, softly, long before
    // the title's hats and bells.
    addAir(mix, s.start, s.end - 2.0, 4.0, 1.4f);
    shimmer(mix, bars, bars.start(1), s.end - 2.0, 0.5f, 1.0f);
    addRiser(mix, s.end - 4.0, s.end, 0.7f);
    addReverseCrash(mix, s.end, 2.0, 0.8f);
    // Every four seconds the field turns a page, and a fill on the last beat leads over the bar line, growing
    // with the band: a cymbal swell and a run of bells before there are drums (4 s), soft toms into the
    // heartbeat (8 s), a tom run and a touch of crash (12 s), snare and toms as the shaker comes in (16 s), a
    // rolling tom run (20 s) and a two-beat fill onto the kick on every beat (24 s).
    addReverseCrash(mix, 4.0, 1.5, 0.35f);
    sparkle(mix, bars, 3.5, 4.0, "2345", 0.25f, 0.4f);
    addCrash(mix, 4.0, 0.2f);
    drumFill(mix, 7.5, {{kMidTom, "..o."}, {kLowTom, "...x"}}, 0.5f);
    drumFill(mix, 11.5, {{kHighTom, "x..."}, {kMidTom, "..x."}, {kLowTom, "...x"}}, 0.55f);
    drumFill(mix, 15.5, {{kSnare, "o.ox"}, {kMidTom, ".x.."}}, 0.6f);
    drumFill(mix, 19.5, {{kHighTom, "xx.."}, {kMidTom, "..x."}, {kLowTom, "...x"}}, 0.6f);
    drumFill(mix, 23.0,
             {{kSnare, "o.o.o.xX"}, {kHighTom, "x......."}, {kMidTom, "..x....."}, {kLowTom, "....x.x."}},
             0.6f);
    sparkle(mix, bars, 19.5, 20.0, "3456", 0.3f, 0.45f);
    for (double line : {12.0, 16.0, 20.0, 24.0})
        addCrash(mix, line, line < 20.0 ? 0.25f : 0.3f);
}

// Title, first bars: the theme climbs over F - G - E towards the hit at the title text (33.5 s).
void playTitleRise(Mix& mix, const Section& s) {
    Bars bars{s};
    impact(mix, s.start, 0.7f);
    pads(mix, bars, s.start, s.end, 0.8f, 1800.0f);
    brassMelody(mix, kTitleRise, s.start, 0.65f);
    arpeggio(mix, bars, s.start, s.end, "0123", 0.6f, 1500.0f, 5000.0f);
    bassLine(mix, bars, s.start, s.end, "r-------r-------", {250.0f, 500.0f, 0.5f, 0.3f}, 0.8f);
    drumLines(mix, s.start, bars.start(2), {{kKick, "x.......x......."}});
    // The roll stops a sixteenth short: the moment of silence makes the hit land harder.
    snareRoll(mix, bars.start(2), s.end - kStep, 0.25f);
    drumFill(mix, s.end - 1.0, {{kHighTom, "x..."}, {kMidTom, "..x."}});
    addRiser(mix, s.start, s.end, 0.8f);
    // Bells climb the chords from the second after the hit, filling the top as the sign turns.
    sparkle(mix, bars, s.start + 1.0, s.end - kBeatSeconds, "3456", 0.3f, 1.0f);
}

// Title theme from the hit on the last beat of a bar. It grows on the bars as the sign's lights do: at 34 s
// the lead states the hook an octave over the brass, with a chase of plucks round the chords, kick and snare;
// at 38 s the hats join; at 42 s the second half of the theme brings a high counter-line, open hats, a
// walking bass and bells on the offbeats; at 46 s the groove, sixteenth hats and the chase an octave up; from
// 48 s the snare climbs under a riser, and at 49.5 s the bells run up and a reversed cymbal blazes into the
// cut.
void playTitleTheme(Mix& mix, const Section& s) {
    Bars bars{s};
    const double chase = 34.0, hats = 38.0, second = 42.0, last = 46.0, build = 48.0,
                 fill = s.end - kBeatSeconds;
    impact(mix, s.start, 1.0f);
    brassStabs(mix, bars, s.start, s.start + kStep, "X", 1.2, 0.6f);
    openingPads(mix, bars, s.start, s.end, 0.5f, 1800.0f, 3200.0f);
    brassMelody(mix, kTitleTheme, s.start, 0.65f);
    arpeggio(mix, bars, chase, second, "0123", 0.6f, 5000.0f, 5000.0f);
    arpeggio(mix, bars, second, last, "01232123", 0.5f, 4000.0f, 4500.0f);
    arpeggio(mix, bars, last, s.end, "3456", 0.5f, 4500.0f, 6500.0f);
    leadMelody(mix, kHook, chase, 0, 4000.0f, 0.7f, 1);
    leadMelody(mix, "-:4 C6:2 E6:2 | F6:4 E6:2 C6:2 | D6:4 B5:2 D6:2 | E6:8", second, 0, 3500.0f, 0.55f);
    bassLine(mix, bars, bars.start(1), second, "R---r---r---o---", {300.0f, 1400.0f, 0.15f, 0.4f}, 0.9f);
    bassLine(mix, bars, second, s.end - 0.5, "R.r.o.r.R.r.o.ro", {330.0f, 1600.0f, 0.13f, 0.45f}, 0.85f);
    const DrumLine halfTimeKick{kKick, "X.........x....."}, halfTimeSnare{kSnare, "........X......."};
    drumLines(mix, bars.start(1), hats, {halfTimeKick, halfTimeSnare}, 0.85f);
    drumLines(mix, hats, second, {halfTimeKick, halfTimeSnare, kEighthHats});
    drumLines(mix, second, last, {halfTimeKick, halfTimeSnare, kEighthHats, {kOpenHat, "..............x."}});
    drumLines(mix, last, fill, {kGrooveKick, kBackbeat, {kHat, "xoxoxoxoxoxoxoxo"}, kOffbeatOpen});
    for (double stage : {hats, second, last})
        addCrash(mix, stage, 0.5f);
    // The build: the snare on the eighths, then the roll, under a riser; the blaze runs the bells up the last
    // chord.
    drumLines(mix, build, build + 1.0, {{kSnare, "o.o.x.x."}}, 0.6f);
    snareRoll(mix, build + 1.0, s.end, 0.35f);
    addRiser(mix, build, s.end, 1.0f);
    sparkle(mix, bars, second, last, "..3...4...3...5.", 0.5f, 0.7f);
    sparkle(mix, bars, last, fill, "3.4.5.4.3.4.5.7.", 0.6f, 1.0f);
    sparkle(mix, bars, fill, s.end, "4567", 0.8f, 1.0f);
    addReverseCrash(mix, s.end, 1.0, 0.8f);
}

// The groove returns at 50 s under the harvester; a sweep follows the auger swinging out over the truck, and
// when the grain starts to pour (54 s) the band lifts: drums at full strength with sixteenth shakers, a
// busier bass, a brighter arpeggio and bells falling like the grain. At 58 s the brass calls and at 62 s the
// lead answers while the arpeggio climbs an octave. From 61 s the raid comes in over the far hill: the
// rotors' thrum grows under the band and roars overhead at 66 s, where a low brass hit on the home chord
// lands out of a cymbal swell and the rooks scatter. The groove turns dark for the last bars (Am, F, E): the
// arpeggio drops and closes, the bass digs in low, toms roll under the kick and the snare climbs, and a fill
// lands its accent on the chase's cut at 71 s, the third beat of a bar.
void playGroove(Mix& mix, const Section& s) {
    Bars bars{s};
    const double pour = 54.0, call = 58.0, answer = 62.0, poured = 65.0, raid = 61.0, drive = 66.0,
                 fill = s.end - 2 * kBeatSeconds;
    const BassTone bass{350.0f, 1400.0f, 0.12f, 0.5f};
    impact(mix, s.start, 0.5f);
    pads(mix, bars, s.start, drive, 0.4f, 1900.0f);
    pads(mix, bars, drive, s.end, 0.4f, 1100.0f);
    arpeggio(mix, bars, s.start, pour, "0124214201242142", 0.5f, 2500.0f, 3000.0f);
    arpeggio(mix, bars, pour, answer, "0124214201242142", 0.55f, 3000.0f, 4000.0f);
    arpeggio(mix, bars, answer, drive, "3457547534575475", 0.45f, 4000.0f, 5000.0f);
    arpeggio(mix, bars, drive, s.end, "0120212001202120", 0.5f, 1500.0f, 3500.0f);
    bassLine(mix, bars, s.start, pour, "R.r.o.r.R.r.o.ro", bass, 0.8f);
    bassLine(mix, bars, pour, drive, "R.rRo.r.R.rRo.ro", bass, 0.8f);
    bassLine(mix, bars, drive, fill, "R..R..r.R..R..rd", {220.0f, 900.0f, 0.15f, 0.55f}, 0.8f);
    drumLines(mix, s.start, pour, {kGrooveKick, kBackbeat, kEighthHats, {kOpenHat, "..............x."}},
              0.6f);
    addRiser(mix, pour - kBarSeconds, pour, 0.45f);
    addKick(mix, pour, 0.9f);
    addCrash(mix, pour, 0.4f);
    const DrumLine shakers{kHat, "xoxoxoxoxoxoxoxo"}, openHats{kOpenHat, "......x.......x."};
    // The answer's first bar drops the kick and snare out under the lead, and they return with a crash.
    drumLines(mix, pour, answer, {{kKick, "X.....x...X...x."}, kGhostedBackbeat, shakers, openHats}, 0.85f);
    drumLines(mix, answer, answer + kBarSeconds, {shakers, openHats}, 0.85f);
    drumLines(mix, answer + kBarSeconds, drive,
              {{kKick, "X.....x...X...x."}, kGhostedBackbeat, shakers, openHats}, 0.85f);
    addCrash(mix, answer + kBarSeconds, 0.45f);
    drumLines(mix, drive + kBeatSeconds, fill,
              {kFourFloor, kGhostedBackbeat, {kHat, "x.o.x.o.x.o.x.oo"}, {kLowTom, "......x.......x."}},
              0.85f);
    drumLines(mix, drive, drive + kBarSeconds, {{kSnare, "..o...o...o...o."}}, 0.5f);
    drumLines(mix, drive + kBarSeconds, fill, {{kSnare, "..o.o.o...o.o.o."}}, 0.6f);
    // Call and response over the falling grain: the brass asks, the lead answers a bar later.
    brassMelody(mix, "E5:3 D5:1 C5:2 A4:2 | B4:4 G4:4", call, 0.4f);
    leadMelody(mix, "F5:2 A5:2 D6:3 C6:1 | B5:4 G#5:4", answer, 0, 3500.0f, 0.55f);
    addCrash(mix, call, 0.35f);
    sparkle(mix, bars, pour, poured, "5.4.3.2.4.3.2.1.", 0.35f, 0.55f);
    // Fills on the last beat before each four-second line: into the pour, the call, the answer (whose drop
    // they set up) and the drive.
    drumFill(mix, pour - kBeatSeconds, {{kSnare, "..ox"}, {kMidTom, "x..."}, {kLowTom, ".x.."}}, 0.6f);
    drumFill(mix, call - kBeatSeconds, {{kSnare, "o.ox"}, {kHighTom, ".x.."}}, 0.65f);
    drumFill(mix, answer - kBeatSeconds, {{kHighTom, "x.x."}, {kMidTom, ".x.x"}}, 0.55f);
    drumFill(mix, drive - kBeatSeconds, {{kSnare, "x.xX"}, {kLowTom, ".x.."}}, 0.7f);
    fillInto(mix, s.end);
    addRiser(mix, s.end - 4.0, s.end, 0.5f);
    // The raid: the aircraft over the hill from 61 s, overhead at 66 s and gone to the right by 68.5 s. The
    // hit on the pass: a cymbal swell into it, kick and sub drop, and the home chord low in the brass,
    // ringing over the darker bars; a smaller one on the E chord at 70 s turns towards the chase.
    addRotorPass(mix, raid, drive, 69.0, 1.0f, -0.3f, 0.85f);
    addReverseCrash(mix, drive, 2.0, 0.7f);
    addKick(mix, drive, 0.9f);
    addBoom(mix, drive, 0.45f, 1.6f);
    addShortCrash(mix, drive, 0.4f, 1.2f);
    brassMelody(mix, "A3:6", drive, 0.5f);
    brassMelody(mix, "E4:6", drive, 0.3f);
    brassMelody(mix, "C5:6", drive, 0.22f);
    brassMelody(mix, "E3:2", 70.0, 0.35f);
    brassMelody(mix, "G#3:2", 70.0, 0.25f);
    addRookCalls(mix, drive + 0.3, drive + 2.0, 6, 2.5f);
}

// An attack run: the rounds walk in toward the truck for `lead` seconds from `panFrom`, and the last one
// throws up a column of sand beside it on the beat, at `panTo`.
void attackRun(Mix& mix, double hit, double lead, float size, float panFrom, float panTo) {
    addGunRattle(mix, hit - lead, hit, 0.75f * size, panFrom, panTo);
    addSandBlast(mix, hit, size, panTo);
}

const BassTone kChaseBass{420.0f, 2600.0f, 0.09f, 0.55f};
const BassTone kLiftBass{520.0f, 3200.0f, 0.11f, 0.6f};
const BassTone kPeakBass{650.0f, 4200.0f, 0.12f, 0.62f};
// The peak's bass accents the offbeats against the kick, and its stabs lean on the third beat rather than
// the downbeat, where the kick and the crash already are: fewer voices peak together on the bar line.
constexpr const char* kPeakBassLine = "roRorfoRroRortoR";
constexpr const char* kPeakStabs = "x..x..x...X..x..";

// The lead doubled an octave down: the chase's voice, stronger than any before it.
void chaseLead(Mix& mix, std::string_view tune, double start, int transpose, float brightness, float level) {
    leadMelody(mix, tune, start, transpose, brightness, level);
    leadMelody(mix, tune, start, transpose, brightness * 0.6f, level * 0.45f, -1);
}

// The chase, from the cut at 71 s on the third beat: four-on-the-floor with pickups, a bass that walks the
// chord, open hats and the lead; crashes mark the cuts at 76 and 80 s, and the band plays through the fill
// into the lift.
void playChase(Mix& mix, const Section& s) {
    Bars bars{s};
    double fill = s.end - 3 * kBeatSeconds;
    impact(mix, s.start, 0.9f);
    brassStabs(mix, bars, s.start, s.start + kStep, "X", 0.4, 0.55f);
    bassLine(mix, bars, s.start, s.end, "RroRrfoRRroRrtof", kChaseBass);
    leadMelody(mix, kChaseRun, s.start, 0, 4500.0f, 0.8f);
    chaseLead(mix, kChaseCall, bars.start(1), 0, 5000.0f, 1.0f);
    chaseLead(mix, kChaseAnswer, bars.start(5), 0, 5000.0f, 1.0f);
    // A pickup into the lift's first note instead of a gap before it.
    chaseLead(mix, "G#5:1 B5:1", s.end - kBeatSeconds, 0, 5000.0f, 0.9f);
    drumLines(mix, s.start, fill, {kDrivingKick, kBackbeat, kDrivingHats, kOffbeatOpen});
    for (double cut : {76.0, 80.0})
        addCrash(mix, cut, 0.6f);
    drumFill(mix, fill,
             {{kKick, "X...X...X..."},
              {kSnare, "x.x.xxxxXXXX"},
              {kHighTom, "X..........."},
              {kMidTom, "..X........."},
              {kLowTom, "....X.X....."}});
}

// First lift at 84.5 s (the second beat of a bar): pads and the arpeggio join, the bass opens, and the lead
// runs a falling sequence of chords to the cut at 99 s while the pursuers arrive: an engine drone climbs
// under it all, the drums tighten every four bars, three attack runs throw up sand beside the truck (90, 94
// and 96 s), and the brass climbs against the falling lead into the breakdown.
void playChaseLift(Mix& mix, const Section& s) {
    Bars bars{s};
    const double closer = 88.0, crowd = 92.0, tight = 96.0;
    impact(mix, s.start, 1.0f);
    openingPads(mix, bars, s.start, s.end, 0.5f, 2400.0f, 4200.0f);
    arpeggio(mix, bars, s.start, s.end, "0124214201242142", 0.55f, 3000.0f, 5500.0f);
    bassLine(mix, bars, s.start, tight, "RroRrfoRRroRrtof", kLiftBass);
    bassLine(mix, bars, tight, s.end - kBarSeconds / 2, "RoRoRoRoRoRoRoRo", kPeakBass);
    chaseLead(mix, kLiftTune, s.start, 0, 5500.0f, 1.0f);
    brassMelody(mix, "E5:8 | F5:8 | F5:4 A5:4 | B5:4", crowd, 0.3f);
    addEngineDrone(mix, s.start, s.end, 1.0f);
    drumLines(mix, s.start, closer, {kDrivingKick, kGhostedBackbeat, kEighthHats});
    drumLines(mix, closer, s.end - kBarSeconds / 2,
              {kDrivingKick, kGhostedBackbeat, kDrivingHats, kOffbeatOpen});
    drumLines(mix, tight, s.end - kBarSeconds / 2, {{kSnare, "..o...o...o...o."}}, 0.6f);
    addCrash(mix, closer, 0.45f);
    for (int b = bars.barAt(crowd); b < bars.count() - 1; ++b)
        addCrash(mix, bars.start(b), 0.4f);
    attackRun(mix, 90.0, 1.0, 0.8f, -0.5f, 0.1f);
    attackRun(mix, 94.0, 0.75, 0.85f, 0.5f, -0.1f);
    attackRun(mix, 96.0, 0.5, 0.9f, -0.3f, 0.2f);
    addRiser(mix, tight, s.end - kBarSeconds / 2, 0.5f);
    fillInto(mix, s.end);
}

const BassTone kBreakdownBass{140.0f, 220.0f, 0.3f, 0.5f};

// A big hit off the grid: the cut's kick, crash and boom with a brass chord on top.
void accent(Mix& mix, const Bars& bars, double time, float size) {
    impact(mix, time, size);
    brassStabs(mix, bars, time, time + kStep, "X", 0.6, 0.55f * size);
}

// 99-103 s: the music drops away after the hit: a heartbeat kick, a muffled bass and closed pads that slowly
// open, until a reversed cymbal sucks the band back in at 103 s. Into the quiet comes the closest run of all:
// its last round bursts right beside the truck at 100 s, and the tyres squeal as it swerves away (100.5 s).
void playBreakdown(Mix& mix, const Section& s) {
    Bars bars{s};
    double downbeat = bars.start(1);
    accent(mix, bars, s.start, 1.0f);
    openingPads(mix, bars, s.start, s.end, 0.5f, 500.0f, 1500.0f);
    arpeggio(mix, bars, downbeat, s.end, "0...2...3...2...", 0.4f, 600.0f, 1800.0f);
    bassLine(mix, bars, downbeat, s.end, "R---r---R---r---", kBreakdownBass, 0.7f);
    drumLines(mix, downbeat, s.end, {{kKick, "x.......x......."}, {kHat, "....o.......o..."}}, 0.5f);
    attackRun(mix, downbeat, 0.5, 1.0f, 0.6f, -0.15f);
    addShortCrash(mix, downbeat, 0.5f, 3.0f);
    addSkid(mix, 100.5, 0.9, 1.5f, -0.2f, 0.35f);
    addRiser(mix, s.end - kBarSeconds, s.end, 0.6f);
    addReverseCrash(mix, s.end, 1.0, 1.0f);
}

// 103-119 s: the pursuers return on a hit and fire again at 104, 106.5, 110.5 and 114.5 s; the drums come
// back in half time, fill into four-on-the-floor at 107 s and take an accent at 111 s. From 112 s the band
// falls back to a light half-time stretch (a held bass, a sparse arpeggio and a shimmer under the lead), the
// lead climbs out of it from 114 s, and a fill brings the band back at 116 s to roll into the peak; the band
// plays on under a tom break into 119 s.
void playChaseBuild(Mix& mix, const Section& s) {
    Bars bars{s};
    const double drive = s.start + 2 * kBarSeconds, nearMiss = s.start + 4 * kBarSeconds, light = 112.0,
                 roll = 116.0, toms = s.end - kBeatSeconds;
    accent(mix, bars, s.start, 1.0f);
    addBoom(mix, s.start, 0.6f);
    openingPads(mix, bars, s.start, s.end, 0.5f, 1800.0f, 4000.0f);
    arpeggio(mix, bars, drive, light, "0124214201242142", 0.55f, 2500.0f, 4500.0f);
    arpeggio(mix, bars, light, roll, "0.2.3.2.0.2.3.2.", 0.4f, 2000.0f, 3000.0f);
    arpeggio(mix, bars, roll, s.end, "0124214201242142", 0.55f, 4500.0f, 6000.0f);
    shimmer(mix, bars, light, roll, 0.6f, 0.9f);
    bassLine(mix, bars, s.start, drive, "R.......r.r.o...", kChaseBass);
    bassLine(mix, bars, drive, light, "R.r.o.r.R.r.o.ro", kLiftBass);
    bassLine(mix, bars, light, roll, "R-------r-----o-", kBreakdownBass, 0.8f);
    bassLine(mix, bars, roll, s.end, "RoRoRoRoRoRoRoRo", kPeakBass);
    chaseLead(mix, kBuildTune, s.start, 0, 5000.0f, 0.9f);
    chaseLead(mix, kBuildClimb, roll - kBeatSeconds * 4, 0, 6500.0f, 1.0f);
    drumLines(mix, s.start, drive, {{kKick, "X.........x....."}, {kSnare, "........X......."}, kEighthHats});
    drumLines(mix, drive, light, {kFourFloor, kGhostedBackbeat, kEighthHats});
    drumLines(mix, nearMiss, light, {kOffbeatOpen});
    // The lighter stretch: the kick on the half bar, a soft shaker and a rim of snare, room for the lead.
    drumLines(mix, light, roll - kBeatSeconds,
              {{kKick, "X.......x......."}, {kHat, "..o...o...o...o."}, {kSnare, "............o..."}}, 0.6f);
    fillInto(mix, roll);
    addCrash(mix, roll, 0.55f);
    drumLines(mix, roll, toms, {kFourFloor, kDrivingHats});
    drumFill(mix, toms, {{kKick, "X..."}, {kHighTom, "X.x."}, {kMidTom, ".x.X"}});
    fillInto(mix, drive);
    addCrash(mix, drive, 0.5f);
    accent(mix, bars, nearMiss, 0.8f);
    // The pursuers keep firing, each run closer than the last: the sunny verge, the shaded side past the
    // cab, the sunny side again, and the long run down the shaded flank into the roll.
    attackRun(mix, 104.0, 0.5, 0.6f, 0.5f, 0.3f);
    attackRun(mix, 106.5, 0.5, 0.7f, -0.5f, -0.25f);
    attackRun(mix, 110.5, 0.75, 0.75f, 0.5f, 0.25f);
    attackRun(mix, 114.5, 1.0, 0.85f, -0.6f, -0.2f);
    snareRoll(mix, roll, toms, 0.3f);
    addRiser(mix, roll, s.end, 1.0f);
    addReverseCrash(mix, s.end, 1.5f, 1.0f);
}

// 119-142 s, the peak: up a whole tone to B minor with everything in, a crash on every bar and accents where
// the aircraft cross (123 and 127 s); the band stops dead only for the held breath at 131.5 s and lands the
// arch at 132 s on the biggest hit of the track; from 136 s a last build turns home through G, A and E so the
// sunset lands on A minor.
void playChasePeak(Mix& mix, const Section& s) {
    Bars bars{s};
    const double breath = 131.5, arch = 132.0, ground = 133.0, run = 136.0, roll = 140.0,
                 toms = s.end - kBeatSeconds;
    accent(mix, bars, s.start, 1.0f);
    pads(mix, bars, s.start, breath, 1.0f, 4000.0f);
    pads(mix, bars, arch, s.end, 0.7f, 4000.0f);
    // The band leaves the sixteenth before the pursuer hits the ground to the air, and the drums leave the
    // beat after it to the blast.
    arpeggio(mix, bars, arch, ground - kStep, "0124214201242142", 0.6f, 4500.0f, 4750.0f);
    arpeggio(mix, bars, ground, s.end, "0124214201242142", 0.6f, 4750.0f, 7000.0f);
    brassStabs(mix, bars, arch + kBarSeconds, roll, kPeakStabs, 1.5 * kStep, 0.55f);
    // Arpeggio, stabs and bass leave the last sixteenth before the first crossing's accent to the air.
    for (auto [from, to] : {std::pair{s.start, 123.0 - kStep}, {123.0, breath}}) {
        arpeggio(mix, bars, from, to, "0124214201242142", 0.6f, 4500.0f, 4500.0f);
        brassStabs(mix, bars, from, to, kPeakStabs, 1.5 * kStep, 0.55f);
        bassLine(mix, bars, from, to, kPeakBassLine, kPeakBass);
    }
    bassLine(mix, bars, arch, ground - kStep, kPeakBassLine, kPeakBass);
    bassLine(mix, bars, ground, roll, kPeakBassLine, kPeakBass);
    bassLine(mix, bars, roll, toms, "RoRoRoRoRoRoRoRo", kPeakBass);
    chaseLead(mix, "B5:2 A5:2", s.start, 0, 6500.0f, 1.0f);
    chaseLead(mix, kPeakCall, bars.start(1), 0, 6500.0f, 1.0f);
    // The answer's first note comes in under the phrase, on a downbeat already full of kick, crash and pads.
    chaseLead(mix, "F#5:2", bars.start(5), 0, 6500.0f, 0.7f);
    chaseLead(mix, kPeakAnswer, bars.start(5), 0, 6500.0f, 1.0f);
    chaseLead(mix, kPeakEnd, run, 0, 7000.0f, 1.0f);
    // The kick here is the driven one, and lighter: with the whole band on top, the plain kick at full
    // strength took the limiter 4 dB down on every beat and pumped the lead and pads with it.
    drumLines(mix, s.start, breath, {{kHardKick, "X...X...X...X.o."}}, 0.55f);
    drumLines(mix, s.start, breath, {kBackbeat, kDrivingHats, kOffbeatOpen});
    drumLines(mix, arch, ground - kStep, {kDrivingKick, kBackbeat, kDrivingHats, kOffbeatOpen});
    drumLines(mix, ground + kBeatSeconds, roll - kBarSeconds,
              {kDrivingKick, kBackbeat, kDrivingHats, kOffbeatOpen});
    drumLines(mix, roll - kBarSeconds, roll, {kFourFloor, kDrivingHats});
    drumLines(mix, run, roll, {{kSnare, "..o...o...o...o."}}, 0.8f);
    for (int b = 1; b < bars.barAt(breath); ++b)
        addCrash(mix, bars.start(b), 0.35f);
    // The crossings are marked without a gap in the band: a snare pickup into the first, a tom fill into the
    // second.
    drumFill(mix, 122.5, {{kSnare, ".xX."}});
    fillInto(mix, 127.0);
    // Their accents' sub drop dies within a bar, so it does not pile onto the next downbeat's kick.
    for (double cue : {123.0, 127.0}) {
        addKick(mix, cue, 1.0f);
        addCrash(mix, cue, 0.8f);
        addBoom(mix, cue, 0.8f, 2.5f);
        brassStabs(mix, bars, cue, cue + kStep, "X", 0.6, 0.44f);
    }
    // The arch: the loudest hit of the track, with a long brass chord that rings over the drums' return.
    impact(mix, arch, 1.0f);
    addBoom(mix, arch, 1.0f, 2.5f);
    addTom(mix, arch, 1.0f, 38.0f);
    brassStabs(mix, bars, arch, arch + kStep, "X", 0.9, 0.7f);
    // A second later the pursuer hits the ground: a blast with a deep boom under it, and debris raining
    // down until 134.5 s.
    addKick(mix, ground, 1.0f);
    addExplosion(mix, ground, 1.0f);
    addBoom(mix, ground, 1.0f, 0.9f);
    addTom(mix, ground, 0.8f, 31.0f);
    addDebris(mix, ground + 0.05, ground + 1.5, 1.0f);
    addCrash(mix, run, 0.6f);
    // 140 s: the last pursuer gives up. The band lifts onto the dominant, bells climbing over a high brass
    // chord, and resolves into the sunset's A minor at 142 s.
    addCrash(mix, roll, 0.55f);
    brassStabs(mix, bars, roll, roll + kStep, "X", 1.8, 0.4f);
    sparkle(mix, bars, roll, toms, "1.2.3.4.5.6.7.8.", 0.5f, 0.9f);
    // The final run climbs into the cut: snares on the eighths from 138 s, a roll from 140 s that doubles
    // into thirty-seconds for its last beat, the riser and a reversed cymbal swelling over it.
    drumLines(mix, roll - kBarSeconds, roll - kBarSeconds / 2, {{kSnare, "x.x.x.x."}}, 0.5f);
    drumLines(mix, roll - kBarSeconds / 2, roll, {{kSnare, "x.x.x.x."}}, 0.7f);
    drumLines(mix, roll, toms, {kFourFloor});
    snareRoll(mix, roll, toms, 0.4f);
    snareRoll(mix, toms - kBeatSeconds + kStep / 2, toms, 0.6f);
    // The toms leave the last sixteenth to the air before the sunset's downbeat.
    drumFill(mix, toms, {{kHighTom, "X.x."}, {kMidTom, ".x.."}});
    addRiser(mix, run, s.end - kStep, 1.2f);
    addReverseCrash(mix, s.end - kStep, 2.0, 0.7f);
}

// The sunset. The cut lands on the biggest hit after the arch; the truck's engine rumbles under pads and a
// slow arpeggio as it rolls to the brink, and once the cut's cymbal has washed away a shaker, air and a
// glassy shimmer open the top again. It halts on a hit at 150 s, where the title's theme returns over a
// half-time pulse; from 152 s the bed lifts on a long rise, the full band comes back as the grain pours at
// 158 s and the load's last big sheet slides out on a crash at 164 s (bells fall like the grain). At 166 s
// the band settles to a half-time pulse under the tune. The end card lands on a hit at 168 s, and the band
// builds once more over the dominant: snare eighths, then a roll, bells climbing and a riser, stopping a
// sixteenth short of the last downbeat. There the cadence lands on the home chord at 170 s: a kick, a sub
// boom and a short cymbal strike it and the band stops; the chord rings on, pads, brass, lead and a struck
// ring, for a second, then is let go and dies away in the room as the picture closes.
void playOutro(Mix& mix, const Section& s) {
    Bars bars{s};
    const double open = 144.0, halt = 150.0, lift = 152.0, pour = 158.0, climb = 162.0, sheet = 164.0,
                 settle = 166.0, tipped = 168.0, lastBar = bars.start(bars.count() - 1),
                 toms = lastBar - kBeatSeconds;
    impact(mix, s.start, 1.0f);
    addBoom(mix, s.start, 0.6f);
    addTom(mix, s.start, 1.0f, 38.0f);
    brassStabs(mix, bars, s.start, s.start + kStep, "X", 2.5, 0.6f);
    addTruckEngine(mix, s.start, halt, 0.6f);
    pads(mix, bars, s.start, open, 0.6f, 1600.0f);
    openingPads(mix, bars, open, lift, 0.5f, 2600.0f, 3200.0f);
    openingPads(mix, bars, lift, lastBar, 0.8f, 3200.0f, 5000.0f);
    arpeggio(mix, bars, s.start, halt, "01234321", 0.6f, 2200.0f, 3200.0f);
    arpeggio(mix, bars, halt, lift, "0...2...3...2...", 0.45f, 2600.0f, 2800.0f);
    arpeggio(mix, bars, lift, pour, "0.2.3.2.0.2.3.2.", 0.45f, 2800.0f, 4500.0f);
    arpeggio(mix, bars, pour, sheet, "0124214201242142", 0.42f, 4500.0f, 5200.0f);
    arpeggio(mix, bars, sheet, settle, "0124214201242142", 0.5f, 5200.0f, 5600.0f);
    arpeggio(mix, bars, settle, tipped, "0.2.3.2.0.2.3.2.", 0.45f, 4000.0f, 4000.0f);
    arpeggio(mix, bars, tipped, toms, "0124214201242142", 0.5f, 4500.0f, 6500.0f);
    bassLine(mix, bars, s.start, lift, "r---------------", {200.0f, 300.0f, 0.5f, 0.2f}, 0.7f);
    bassLine(mix, bars, lift, pour, "R...r...R...r.o.", {260.0f, 900.0f, 0.3f, 0.3f}, 0.75f);
    bassLine(mix, bars, pour, sheet, "R.r.o.r.R.r.o.ro", {330.0f, 1600.0f, 0.13f, 0.45f}, 0.7f);
    bassLine(mix, bars, sheet, settle, "R.r.o.r.R.r.o.ro", {330.0f, 1600.0f, 0.13f, 0.45f}, 0.85f);
    bassLine(mix, bars, settle, tipped, "R-------r-----o-", {260.0f, 900.0f, 0.3f, 0.3f}, 0.75f);
    bassLine(mix, bars, tipped, toms, "R.R.R.R.RRRRRRRR", {330.0f, 1600.0f, 0.13f, 0.45f}, 0.85f);
    leadMelody(mix, kHook, halt, 0, 2800.0f, 0.75f);
    chaseLead(mix, kOutroThemeEnd, pour, 0, 3400.0f, 0.7f);
    chaseLead(mix, kOutroClimb, climb, 0, 4000.0f, 0.85f);
    brassMelody(mix, kOutroClimb, climb, 0.35f);
    // The top of the sunset: air and shimmer swell in behind the cut's cymbal, a shaker from 144 s.
    addAir(mix, s.start + 1.0, pour, 3.0, 1.8f);
    shimmer(mix, bars, open, lastBar, 0.7f, 1.0f);
    drumLines(mix, open, open + kBarSeconds, {{kHat, "o.oxo.oxo.oxo.ox"}}, 0.55f);
    drumLines(mix, open + kBarSeconds, halt, {{kHat, "oox.oox.oox.ooxo"}, {kKick, "X..o............"}}, 0.6f);
    // The halt: a hit on the brakes, no gap before it.
    addKick(mix, halt, 1.0f);
    addBoom(mix, halt, 0.7f);
    addTom(mix, halt, 0.8f, 38.0f);
    addCrash(mix, halt, 0.45f);
    brassStabs(mix, bars, halt, halt + kStep, "X", 1.5, 0.45f);
    // The pulse under the theme; from 152 s the bed lifts and the drums climb with it into a fill at 158 s.
    drumLines(mix, halt, lift, {{kKick, "X.........x....."}, {kHat, "..o...o...o...o."}}, 0.55f);
    drumLines(mix, lift, lift + kBarSeconds, {{kKick, "X.......X......."}, kEighthHats}, 0.55f);
    drumLines(mix, lift + kBarSeconds, pour - kBarSeconds / 2,
              {{kKick, "X...X...X...X..."}, kBackbeat, kEighthHats}, 0.6f);
    addRiser(mix, lift, pour, 0.7f);
    fillInto(mix, pour);
    // The grain pours: the full band, a crash and a boom, and bells falling like the grain.
    addCrash(mix, pour, 0.6f);
    addBoom(mix, pour, 0.6f);
    drumLines(mix, pour, climb, {kGrooveKick, kBackbeat, kEighthHats, kOffbeatOpen}, 0.6f);
    drumLines(mix, climb, sheet - kBeatSeconds, {kFourFloor, kGhostedBackbeat, kEighthHats, kOffbeatOpen},
              0.6f);
    drumLines(mix, sheet, settle - kBeatSeconds, {kFourFloor, kGhostedBackbeat, kDrivingHats, kOffbeatOpen},
              0.75f);
    drumFill(mix, settle - kBeatSeconds, {{kKick, "X..."}, {kSnare, "x.o."}, {kOpenHat, "..x."}}, 0.75f);
    drumLines(mix, settle, tipped, {{kKick, "X.......X......."}, {kHat, "..o...o...o...o."}}, 0.6f);
    addCrash(mix, climb, 0.45f);
    sparkle(mix, bars, pour, sheet, "5.4.3.2.4.3.2.1.", 0.3f, 0.6f);
    // The last big sheet of the load: a tom pickup, then a kick, crash, boom and a brass chord over the band.
    drumFill(mix, sheet - kBeatSeconds,
             {{kKick, "X..."}, {kHighTom, "x.o."}, {kMidTom, ".x.."}, {kLowTom, "..x."}});
    impact(mix, sheet, 0.8f);
    brassStabs(mix, bars, sheet, sheet + kStep, "X", 1.6, 0.5f);
    sparkle(mix, bars, sheet, settle, "7654321076543210", 0.8f, 0.5f);
    // The end card lands; the last build, over the dominant.
    addKick(mix, tipped, 1.0f);
    addCrash(mix, tipped, 0.6f);
    brassStabs(mix, bars, tipped, tipped + kStep, "X", 0.8, 0.5f);
    drumLines(mix, tipped, toms, {kFourFloor}, 0.8f);
    drumLines(mix, tipped, tipped + 1.0, {{kSnare, "o.o.x.x."}}, 0.6f);
    snareRoll(mix, tipped + 1.0, toms, 0.35f);
    drumFill(mix, toms, {{kHighTom, "X.x."}, {kMidTom, ".x.."}});
    sparkle(mix, bars, tipped, toms, "1.2.3.4.5.6.7.8.", 0.4f, 0.8f);
    addRiser(mix, settle, lastBar - kStep, 0.8f);
    addReverseCrash(mix, lastBar - kStep, 2.0, 0.7f);
    // The cadence lands. The chord rings for a second under the pads, the brass and the lead's A, which
    // are then let go; the struck ring dies away on its own and the faders (kRides) take the rest down
    // into the room's tail, so it is near silence by the last picture. The cymbal is gone within the first
    // second, so the end is the chord and not a wash of noise.
    constexpr float kDieAway = 0.5f;
    const double letGo = lastBar + 1.0;
    addKick(mix, lastBar, 1.0f);
    addShortCrash(mix, lastBar, 0.8f, 3.0f);
    addBoom(mix, lastBar, 0.7f, 2.5f);
    ringingChord(mix, bars, lastBar, s.end - lastBar, kDieAway, 1.0f);
    pads(mix, bars, lastBar, letGo, 0.8f, 2600.0f);
}

} // namespace

const std::vector<Section>& songSections() {
    // Chords: one for the bar holding the section's start, then one per bar of the grid.
    static const std::vector<Section> sections = {
        {"field", 0.0, 28.0, "Am F C G Am Dm Em Am F C G Em F G", playField},
        {"title rise", 28.0, 33.5, "F G E", playTitleRise},
        {"title theme", 33.5, 50.0, "Am Am F C G Am F G E", playTitleTheme},
        {"groove", 50.0, 71.0, "Am Em F G Am Em Dm E Am F E", playGroove},
        {"chase", 71.0, 84.5, "Am Am F C G Dm E E", playChase},
        {"chase lift", 84.5, 99.0, "Am Am Dm G C F Dm E", playChaseLift},
        {"breakdown", 99.0, 103.0, "Am F E", playBreakdown},
        {"chase build", 103.0, 119.0, "Am F G Am Em F G A A", playChaseBuild},
        {"chase peak", 119.0, 142.0, "Bm Bm G D A Bm F# Bm Em G A E", playChasePeak},
        {"outro", 142.0, kSongSeconds, "Am F C G Am F C G Am F G E F E Am", playOutro},
    };
    return sections;
}

// Levels before the limiter, which would otherwise hold everything at one loudness. The field sits under
// the title; the title and the groove each start back and climb to their cuts; the chase's opening run sits
// back, its lift climbs from 84.5 s as the pursuers arrive (the band ducking for the last eighth of each
// attack run, so the sand's blast lands in a hole), the build climbs from the return at 103 s and draws back
// for the last instant before the peak's first hit; the peak is the loudest stretch of the track, held just
// under the limiter rather than pressed into it, and the arch at 132 s lifts it once more, the band drawing
// back for a moment before the pursuer hits the ground at 133 s; the sunset settles after its cut and stays
// under the chase through the pour at 158 s, the big sheet at 164 s lifts it, the swell eases a little so the
// last hit stands over it, and a second after it the last chord falls away ever faster, like a sound let go
// in a room, to near silence at the last picture.
const std::vector<RidePoint> kRides = {
    {27.9, -0.7f},   {28.0, 0.0f},   {33.5, 0.0f},    {33.5, -1.5f},   {34.0, -3.0f},   {46.0, -1.2f},
    {49.9, 1.0f},    {50.0, -0.5f},  {54.0, -1.5f},   {62.0, -1.0f},   {64.0, -2.0f},   {70.9, 1.0f},
    {71.0, -1.9f},   {84.5, -1.9f},  {84.5, -3.5f},   {89.75, -2.04f}, {89.98, -6.0f},  {90.0, -1.97f},
    {93.75, -0.93f}, {93.98, -5.0f}, {94.0, -0.86f},  {95.75, -0.38f}, {95.98, -4.5f},  {96.0, -0.31f},
    {98.9, 0.5f},    {99.0, -1.5f},  {103.0, -1.5f},  {107.0, -2.0f},  {118.9, -0.92f}, {118.98, -2.5f},
    {119.0, -2.5f},  {119.0, -0.3f}, {132.0, -0.3f},  {132.0, 1.5f},   {132.7, 1.15f},  {132.98, -2.0f},
    {133.0, 1.0f},   {136.0, -0.5f}, {141.875, 1.5f}, {142.0, 0.0f},   {143.0, -1.3f},  {163.9, -1.3f},
    {164.0, -0.3f},  {169.9, -1.3f}, {170.0, 0.5f},   {170.8, 0.5f},   {171.2, -3.0f},  {171.6, -12.0f},
    {172.0, -30.0f},
};

void renderSong(Mix& mix) {
    for (const Section& section : songSections())
        section.play(mix, section);
    rideFaders(mix, kRides);
}

} // namespace music
