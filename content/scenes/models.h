// Models shared by several scenes: the dump truck, its wheels, block letters and sun-beam fans.
#pragma once

#include "kit/light.h"
#include "kit/mesh.h"
#include "kit/xsi_writer.h"

#include <functional>
#include <string>
#include <vector>

namespace scenes {

// The chase's ground, and the air with it, streams past the still truck toward -Y at this many units a
// second.
constexpr float kRoadSpeed = 24;

// Truck proportions (world units, about half a metre each). The ledge scene fixes the heights: wheel
// centres 3.752 below the body's pivot, headlights 2.114 below it.
constexpr float kWheelRadius = 3.6f;
constexpr float kBodyAboveWheel = 3.752f;
constexpr float kLampBelowBody = 2.114f;
constexpr float kPivotAboveGround = kWheelRadius + kBodyAboveWheel;
constexpr float kWheelX = 5.0f;     // axle half-track
constexpr float kFrontAxleY = 6.5f; // from the body's pivot, truck facing +Y
constexpr float kRearAxleY = -6.0f;
constexpr float kLampX = 2.6f;
constexpr float kLampY = 12.6f;
constexpr float kBodyTop = 14.8f - kPivotAboveGround; // top of the cab canopy, from the pivot

// Body of the dump truck around its pivot, lit for where it stands. Without bevels where the truck is only
// ever seen from afar (they are under a pixel there).
kit::Mesh truckBody(const kit::LightRig& light, const kit::Placement& at, bool bevelled = true);
// A whole wheel (tyre and rim) about the origin, axle along X; `left` faces its rim toward -X. `segments`
// sides round it: fewer where the truck is only ever seen from afar.
kit::Mesh truckWheel(bool left, const kit::LightRig& light, const kit::Placement& at, int segments = 20);
// The tyre alone, and the rim and hub alone (untextured in vertex colours, for a separately spinning node).
kit::Mesh truckTyre(bool left, const kit::LightRig& light, const kit::Placement& at);
kit::Mesh truckHub(bool left, const kit::LightRig& light, const kit::Placement& at);

// The dump bed's inside, above the ground: its floor's height and the extent of the load (x across, y along).
constexpr float kBedTop = 14.0f;
constexpr float kBedX = 6.5f, kBedBack = -12.1f, kBedFront = 2.3f;
// The field's grain heaped in the dump bed, lashed by two straps, in heights above the ground; and the
// heap's height at (x, y).
kit::Mesh truckGrainLoad();
float truckHeapHeight(float x, float y);
// The name boards on the bed's rims (rear, and each side facing out), a dark board with the name in raised
// letters, about their feet, which stand at `kNameBoardsAt` on the truck.
constexpr kit::Vec3 kNameBoardsAt{0, -4, 14.15f};
kit::Mesh truckNameBoards();

// Wheel name, position relative to the body's pivot and side, in the scene set-up's naming.
struct WheelSlot {
    const char* name;
    kit::Vec3 offset;
    bool left;
};
const std::vector<WheelSlot>& truckWheelSlots();

// Block letters of the group's name, 7 units tall, in the XY plane (x right, y up), extruded toward +Z.
// Returns the text's width through `width`.
kit::Mesh blockText(const std::string& text, float depth, float bevel, float& width);

// A flat fan of beams about the origin in the plane perpendicular to `axis` (0 = X, 1 = Y), visible from
// both sides; colours bright at the centre and black at the tips, for additive drawing.
kit::Mesh sunbeamFan(int beams, float radius, int axis, kit::Color centre, unsigned seed);

// A rotor at speed turning about Y: a lathed spinner in `hub` and three blade slivers reaching `reach`, each
// with `ghosts` fainter, thinner and shorter ones fanned `fan` radians apiece behind it. A ghost's root and
// tip colours move from `root` and `tip` toward `rootGhost` and `tipGhost` by `blend` per ghost.
struct BladeBlur {
    kit::Color hub, root, rootGhost, tip, tipGhost;
    float blend, fan, width, narrowing, reach, shortening;
    int ghosts;
};
kit::Mesh bladedRotor(const BladeBlur& b);

// Repeatable pseudo-random numbers in [0, 1).
class Random {
  public:
    explicit Random(unsigned seed) : state(seed * 2654435761u + 12345u) {}
    float next();
    float range(float lo, float hi) { return lo + (hi - lo) * next(); }

  private:
    unsigned state;
};

// Smooth value noise in [0, 1] over the plane, for terrain and colour variation.
float valueNoise(float x, float y, unsigned seed);

// A puff's lumpy outline: its radius at angle `a`, a little fuller on top (`tilt`) and bulging by three
// harmonics of random phase and of a weight between `least` and `most`.
struct LumpyOutline {
    float radius, tilt;
    float phase[3], weight[3];
    float operator()(float a) const;
};
LumpyOutline lumpyOutline(Random& random, float radius, float tilt, float least, float most);
// The triangles of a puff: `middle`, then `rings` rings of `sides` vertices each, every ring half a step round
// from the one inside it.
void addRingTriangles(kit::Mesh& mesh, uint32_t middle, int rings, int sides);

// A smooth path through points at given times (seconds, rising): a cubic through each span whose slopes at
// the points come from their neighbours, so the motion never stops or jerks at a point. Before the first
// point and after the last the path holds still.
struct PathPoint {
    double t;
    kit::Vec3 at;
};
kit::Vec3 pathAt(const std::vector<PathPoint>& points, double t);
// 0 at a, 1 at b, eased at both ends.
double easeBetween(double a, double b, double t);

// The keys of frames 0..count-1 of a function of time in seconds.
std::vector<kit::Vec3> sampleFrames(int count, const std::function<kit::Vec3(double)>& f);

} // namespace scenes
