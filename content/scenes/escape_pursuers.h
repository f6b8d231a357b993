// The chase's own pursuers: two tilt-rotors that come back from behind after the first pair leaves and fly
// their manoeuvres around the truck, each with a shadow patch sweeping over the road beneath it.
#pragma once

#include "kit/light.h"
#include "kit/vec.h"
#include "kit/xsi_writer.h"

#include <vector>

namespace scenes {

// Where pursuer `which` (0 or 1) flies at t seconds of the part, in the truck's world (the truck stands at
// the origin facing +Y while the ground streams toward -Y). Before they come in they wait far below the
// ground, beyond every camera's far plane.
kit::Vec3 pursuerAt(int which, double t);
// Seconds of the part from which the pursuers fly; before it they wait out of sight.
constexpr double kPursuersIn = 4;

// The first pursuer clips the arch's crown at 60.95 s of the part (on the frame of the music's hit at 61 the
// blow shows plainly) and comes down ahead of the truck at 62, on
// the sunny verge, clear of the truck's side as it passes; its wreck stays where it fell, on the ground
// streaming past.
constexpr double kCrownClipped = 60.95, kCrashed = 62;
constexpr double kUnderTheArch = 61; // the truck passes under the arch's crown
constexpr kit::Vec3 kCrashSite{24, 60, 3.2f}; // where the wreck lies at kCrashed, in the truck's world

// Toward the chase's afternoon sun, for the dressing and the crash's smoke and debris alike.
inline const kit::Vec3 kToSun = kit::normalize({2600, 300, 1000});
// The chase's afternoon light on the vehicles and what stands by the road, from that sun; and the desert
// floor's own, from a higher sun on the same side, so that the gentle swells do not streak the ground.
kit::LightRig afternoonLight();
kit::LightRig desertLight();

// The truck jinks out of the third strafing run's line (29-30.5 s of the part), and dodges away from every
// other run's hits as they come close (a second each): how far it stands to the right (+X) of its lane at t
// seconds. Its node cannot move, so the ground and everything over it (the pursuers, the spurts) shift the
// other way.
double truckSwerve(double t);
// A dodge starts at `at` (s of the part) toward `side` (+1 right, -1 left), as the rounds strike close by; a
// round has hit the load then, and grain sprays out of the bed.
struct Dodge {
    double at;
    float side;
};
const std::vector<Dodge>& truckDodges();
// Half the width of the asphalt (the buff shoulders run on out to 14); the edge lines lie just inside it.
constexpr float kAsphaltHalfWidth = 10.8f;
// How far a dodge takes the truck: the outer tyres (kWheelX + 1.4 out) reach the edge line, the truck stays
// on the asphalt.
constexpr float kDodge = 4.0f;
// The big jink alone (29-30.5 s of the part), without the dodges.
double truckJink(double t);
// Where a point fixed to the ground at `at` (truck's world, at `then` seconds) lies at t seconds.
kit::Vec3 onGround(kit::Vec3 at, double then, double t);

// Appends both pursuers (hull with its two rotors as children) and their shadows. `hull` and `rotor` are the
// aircraft's meshes in their own vertex colours (the pursuers take no texture); `shade` is the colour of a
// shadow on the road.
void addPursuers(std::vector<kit::Model>& models, const kit::Mesh& hull, const kit::Mesh& rotor,
                 kit::Color shade, int frames);

// The strafing runs (tracer from the diving pursuer, lines of sand geysers with a flash as each round strikes,
// at 19, 23, 25 and 29.15 s), the blast beside the truck at 29 s, and the crash's burst and smoke plume.
void addStrafing(std::vector<kit::Model>& models, int frames);
void addCrashSmoke(std::vector<kit::Model>& models, int frames);

} // namespace scenes
