// The arrangement: the track's sections on the demo's timeline.
#pragma once

#include "mixer.h"
#include "notation.h"

#include <vector>

namespace music {

constexpr double kSongSeconds = 172.0;

struct Section;
using SectionPlayer = void (*)(Mix& mix, const Section& section);

// One row of the timeline: a span of the demo (seconds) with the chords it plays, one per bar from its
// start, repeating.
struct Section {
    const char* name;
    double start, end;
    const char* chords; // e.g. "Am F C G"
    SectionPlayer play;
};

// The timeline in playing order; consecutive rows meet, the first starts at 0, the last ends at kSongSeconds.
const std::vector<Section>& songSections();

// Plays every section into the mix.
void renderSong(Mix& mix);

} // namespace music
