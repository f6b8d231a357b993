// Synthesised drum kit: every hit is rendered from oscillators and seeded noise into the mix.
#pragma once

#include "mixer.h"

namespace music {

// Times are in seconds from the start of the track, velocity 0..1 scales the hit.
void addKick(Mix& mix, double time, float velocity);
// The kick with its body driven towards a square and ringing a little longer: more weight for the same
// peak, for the busiest stretches, where the plain kick's peak would duck the whole band under the limiter.
void addHardKick(Mix& mix, double time, float velocity);
void addSnare(Mix& mix, double time, float velocity);
void addClosedHat(Mix& mix, double time, float velocity, float pan);
void addOpenHat(Mix& mix, double time, float velocity, float pan);
void addCrash(Mix& mix, double time, float velocity);
// A crash whose wash falls as exp(-decayPerSecond * t) (8.7 dB a second per unit) where the usual one rings
// on for seconds: a last cymbal that dies away before the picture ends.
void addShortCrash(Mix& mix, double time, float velocity, float decayPerSecond);
// Tom pitched as a MIDI note; fills walk these down the kit.
void addTom(Mix& mix, double time, float velocity, float note);
// Sub-bass drop that swells under the big hits; its amplitude falls as exp(-decayPerSecond * t).
void addBoom(Mix& mix, double time, float velocity, float decayPerSecond = 1.3f);
// Filtered noise sweeping upward from `start` to `end`, cut dead at `end` where the next hit lands.
void addRiser(Mix& mix, double start, double end, float velocity);
// Air: soft stereo noise in a band near 8 kHz, breathing slowly, faded in over the first `fade` seconds and
// out over the last; the wind over a quiet section, bright but with no beat in it.
void addAir(Mix& mix, double start, double end, double fade, float velocity);
// A burst of gunfire from `start` to `end`: dry, tight cracks sixteen to the second that swell and fade as
// the run passes and move across the stereo field from `panFrom` to `panTo`.
void addGunRattle(Mix& mix, double start, double end, float velocity, float panFrom, float panTo);
// An engine's drone from `start` to `end`: low detuned saws throbbing like propellers, climbing in pitch,
// brightness and level as the aircraft close in.
void addEngineDrone(Mix& mix, double start, double end, float velocity);
// A truck's diesel from `start` to `end`: a low, lumpy throb that slows as the truck rolls to a stop and
// chokes off at `end`, where the brakes take it.
void addTruckEngine(Mix& mix, double start, double end, float velocity);
// Tyres skidding as a vehicle swerves: a whoosh of air swelling into `time` and a squeal that bites there and
// slides down in pitch over `length` seconds, moving across the stereo field from `panFrom` to `panTo`.
void addSkid(Mix& mix, double time, double length, float velocity, float panFrom, float panTo);
// Something heavy hitting the ground: a blast of noise whose low-pass falls from bright to dark over a second
// and a half; a boom and the debris go with it.
void addExplosion(Mix& mix, double time, float velocity);
// A round striking the ground beside the truck and throwing up a column of sand: a dull thud, a bright blast
// that darkens within a quarter second, and the sand hissing as it rains back down for about a second; at
// `pan` in the stereo field.
void addSandBlast(Mix& mix, double time, float velocity, float pan);
// Debris coming down from `start` to `end`: small metal and stone hits scattered across the stereo field,
// dense at first and thinning out.
void addDebris(Mix& mix, double start, double end, float velocity);
// Two rotor aircraft coming in low and passing over at `pass`: the blades' thrum beating between the two,
// faint and dark from `start`, swelling and rising in pitch as they close, roaring over at `pass`, then
// falling in pitch and away as they sweep across the stereo field from `panFrom` to `panTo`, gone by `end`.
void addRotorPass(Mix& mix, double start, double pass, double end, float velocity, float panFrom,
                  float panTo);
// Rooks scattering: `count` hoarse calls between `start` and `end`, spread across the stereo field.
void addRookCalls(Mix& mix, double start, double end, int count, float velocity);
// Cymbal played backwards, swelling into the hit at `end`.
void addReverseCrash(Mix& mix, double end, double length, float velocity);

} // namespace music
