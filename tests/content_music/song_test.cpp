// The song's notation and its timeline against the demo's cuts.
#include "players.h"
#include "song.h"
#include "synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace music;

TEST(SongNotation, MelodyNotesFollowOneAnotherInEighths) {
    std::vector<Note> notes = parseMelody("A4:2 C#5:1 | -:3 Bb3:8", 10.0);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].pitch, 69.0f);
    EXPECT_DOUBLE_EQ(notes[0].time, 10.0);
    EXPECT_DOUBLE_EQ(notes[0].length, 0.5);
    EXPECT_EQ(notes[1].pitch, 73.0f);
    EXPECT_DOUBLE_EQ(notes[1].time, 10.5);
    // The rest takes its time but makes no note.
    EXPECT_EQ(notes[2].pitch, 58.0f);
    EXPECT_DOUBLE_EQ(notes[2].time, 10.5 + 0.25 + 0.75);
    EXPECT_DOUBLE_EQ(notes[2].length, 2.0);
    EXPECT_EQ(parseMelody("C4:1", 0.0, 2)[0].pitch, 62.0f);
}

TEST(SongNotation, ChordsNameRootAndQuality) {
    std::vector<Chord> chords = parseChords("Am F C# Bbm G#");
    ASSERT_EQ(chords.size(), 5u);
    EXPECT_EQ(chords[0].root, 9);
    EXPECT_TRUE(chords[0].minor);
    EXPECT_EQ(chords[1].root, 5);
    EXPECT_FALSE(chords[1].minor);
    EXPECT_EQ(chords[2].root, 1);
    EXPECT_EQ(chords[3].root, 10);
    EXPECT_TRUE(chords[3].minor);
    EXPECT_EQ(chords[4].root, 8);
}

TEST(SongNotation, MalformedTextIsRejected) {
    for (const char* bad : {"A4", "A4:", "H4:2", "A:2", "A4:2x", "A44:2"})
        EXPECT_THROW(parseMelody(bad, 0.0), std::invalid_argument) << bad;
    for (const char* bad : {"Amaj", "X", "A#mm"})
        EXPECT_THROW(parseChords(bad), std::invalid_argument) << bad;
}

TEST(SongTimeline, SectionsTileTheWholeTrackOnTheBeat) {
    const std::vector<Section>& sections = songSections();
    ASSERT_FALSE(sections.empty());
    EXPECT_EQ(sections.front().start, 0.0);
    EXPECT_EQ(sections.back().end, kSongSeconds);
    for (size_t i = 0; i < sections.size(); ++i) {
        const Section& s = sections[i];
        EXPECT_LT(s.start, s.end) << s.name;
        if (i > 0) {
            EXPECT_EQ(sections[i - 1].end, s.start) << s.name;
        }
        double beats = s.start / kBeatSeconds;
        EXPECT_EQ(beats, std::round(beats)) << s.name << " starts off the beat";
        // A chord for every bar the section touches on the grid, so none wraps around its progression.
        EXPECT_EQ(parseChords(s.chords).size(), static_cast<size_t>(Bars{s}.count())) << s.name;
    }
}

TEST(SongTimeline, EveryCutOfTheDemoStartsASection) {
    // The demo's cuts, the title hit, the lift, breakdown, return and peak of the chase.
    for (double cut : {28.0, 33.5, 50.0, 71.0, 84.5, 99.0, 103.0, 119.0, 142.0}) {
        bool found = false;
        for (const Section& s : songSections())
            found |= s.start == cut;
        EXPECT_TRUE(found) << "no section starts at " << cut << " s";
    }
}

TEST(SongTimeline, PatternsKeepTheTracksBarGridWhereverTheyStart) {
    // A kick on each downbeat, played from the cut at 71 s (the third beat of a bar): the first kick is at
    // 72 s, not at 71 s, and the pattern runs on every two seconds.
    Mix mix(static_cast<size_t>(76 * kSampleRate));
    drumLines(mix, 71.0, 76.0, {{kKick, "X..............."}});
    auto energy = [&](double from, double to) {
        double sum = 0;
        for (auto i = static_cast<size_t>(from * kSampleRate); i < static_cast<size_t>(to * kSampleRate); ++i)
            sum += mix.left[i] * mix.left[i];
        return sum;
    };
    EXPECT_EQ(energy(70.0, 71.99), 0.0);
    EXPECT_GT(energy(72.0, 72.1), 0.0);
    EXPECT_GT(energy(74.0, 74.1), 10.0 * energy(73.8, 74.0));
    // A fill plays from where it is put, whatever the grid.
    Mix fill(static_cast<size_t>(72 * kSampleRate));
    drumFill(fill, 71.25, {{kKick, "X..."}});
    EXPECT_EQ(fill.left[static_cast<size_t>(71.24 * kSampleRate)], 0.0f);
    EXPECT_NE(fill.left[static_cast<size_t>(71.26 * kSampleRate)], 0.0f);
}
