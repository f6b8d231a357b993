// The song's notation and its timeline against the demo's cuts.
#include "song.h"

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
        EXPECT_FALSE(parseChords(s.chords).empty()) << s.name;
        // Enough chords for every bar, so no section wraps around its progression by accident.
        EXPECT_GE(parseChords(s.chords).size() * kBarSeconds, s.end - s.start - 1e-9) << s.name;
    }
}

TEST(SongTimeline, EveryCutOfTheDemoStartsASection) {
    // The demo's cuts, the title hit and the two lifts of the chase.
    for (double cut : {28.0, 33.5, 50.0, 71.0, 84.5, 119.0, 142.0}) {
        bool found = false;
        for (const Section& s : songSections())
            found |= s.start == cut;
        EXPECT_TRUE(found) << "no section starts at " << cut << " s";
    }
}
