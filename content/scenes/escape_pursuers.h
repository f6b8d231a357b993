// The chase's own pursuers: two tilt-rotors that come back from behind after the first pair leaves and fly
// their manoeuvres around the truck, each with a shadow patch sweeping over the road beneath it.
#pragma once

#include "kit/xsi_writer.h"

#include <vector>

namespace scenes {

// Where pursuer `which` (0 or 1) flies at t seconds of the part, in the truck's world (the truck stands at
// the origin facing +Y while the ground streams toward -Y). Before they come in they wait far below the
// ground, beyond every camera's far plane.
kit::Vec3 pursuerAt(int which, double t);
// Seconds of the part from which the pursuers fly; before it they wait out of sight.
constexpr double kPursuersIn = 16;

// The first pursuer clips the arch's crown at 61 s of the part and comes down behind the truck at 62; its
// wreck stays where it fell, on the ground streaming past.
constexpr double kCrownClipped = 61, kCrashed = 62;
constexpr kit::Vec3 kCrashSite{1, -40, 3.2f}; // where the wreck lies at kCrashed, in the truck's world

// Appends both pursuers (hull with its two rotors as children) and their shadows. `hull` and `rotor` are the
// aircraft's meshes in their own vertex colours (the pursuers take no texture); `shade` is the colour of a
// shadow on the road.
void addPursuers(std::vector<kit::Model>& models, const kit::Mesh& hull, const kit::Mesh& rotor,
                 kit::Color shade, int frames);

// The strafing runs' bullet spurts (two lines of dust jets walking up past the truck, at 19-20 and 25-26 s)
// and the crash's burst and smoke plume.
void addStrafing(std::vector<kit::Model>& models, int frames);
void addCrashSmoke(std::vector<kit::Model>& models, int frames);

} // namespace scenes
