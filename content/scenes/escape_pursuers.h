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
// Seconds of the part during which the pursuers fly; outside it they wait out of sight.
constexpr double kPursuersIn = 30.5;

// Appends both pursuers (hull with its two rotors as children) and their shadows. `hull` and `rotor` are the
// aircraft's meshes in their own vertex colours (the pursuers take no texture); `shade` is the colour of a
// shadow on the road.
void addPursuers(std::vector<kit::Model>& models, const kit::Mesh& hull, const kit::Mesh& rotor,
                 kit::Color shade, int frames);

} // namespace scenes
