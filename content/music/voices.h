// Melodic instruments: each renders one note (or chord) straight into the mix.
#pragma once

#include "mixer.h"

#include <vector>

namespace music {

// Time and length in seconds, pitch as a MIDI note, velocity 0..1.
struct Note {
    double time;
    double length;
    float pitch;
    float velocity = 1.0f;
    float slideFrom = -1.0f; // pitch to glide from (legato lead), or < 0 for none
};

// Resonant low-pass over two detuned saws and a sub sine; the filter opens on each note and closes over
// `decay`.
struct BassTone {
    float cutoffHz;   // resting cutoff
    float envelopeHz; // extra cutoff at the note's start
    float decay;      // seconds for the filter to fall back
    float resonance;  // 0..0.95
};
void playSawBass(Mix& mix, const Note& note, const BassTone& tone, const Channel& channel);

// Detuned saw pad: `pitches` held together, five saws each spread across the stereo field.
void playPad(Mix& mix, double time, double length, const std::vector<float>& pitches, float velocity,
             float brightnessHz, const Channel& channel);

// Square pluck for arpeggios: bright attack that closes within a fraction of a second.
void playPluck(Mix& mix, const Note& note, float brightnessHz, const Channel& channel);

// Pulse-width-modulated lead with delayed vibrato; `brightnessHz` sets its low-pass, and a lift round 3 kHz
// gives it presence.
void playPulseLead(Mix& mix, const Note& note, float brightnessHz, const Channel& channel);

// Bell: a sine phase-modulated at 3.5 times its pitch; the metallic overtones die away before the tone.
// Rings for `note.length` seconds whatever the pattern, for sparkle above the mix.
void playBell(Mix& mix, const Note& note, const Channel& channel);

// A struck chord tone: detuned saws that start bright and die away as exp(-decayPerSecond * t), darkening as
// they fade, as a chord left to ring on strings does. Sounds for `note.length` seconds whatever the gate.
void playStruck(Mix& mix, const Note& note, float decayPerSecond, const Channel& channel);

// Glass: two slightly detuned sines with a bright octave and twelfth, swelling in and out slowly with a
// gentle tremolo; a shimmer of the chord far above the pads.
void playGlass(Mix& mix, const Note& note, const Channel& channel);

// Brass-like detuned saws whose filter swells open, for the title theme and its stabs.
void playBrass(Mix& mix, const Note& note, const Channel& channel);

} // namespace music
