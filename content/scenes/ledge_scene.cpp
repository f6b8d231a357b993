// Finale: the truck on a turning cliff ledge at sunset, trees below, sky box, sun and beams.
#include "ledge_finale.h"
#include "ledge_land.h"
#include "ledge_mill.h"
#include "models.h"
#include "scene_list.h"

#include "kit/camera_rig.h"
#include "kit/occlusion.h"
#include "kit/shapes.h"
#include "kit/visibility.h"

#include <cmath>
#include <cstdio>
#include <functional>

namespace scenes {
namespace {

constexpr int kFrames = 601; // 0-30 s
constexpr float kBodyZ = 41.573f;
constexpr float kWheelZ = 37.821f;
constexpr float kBeamZ = 39.459f;
constexpr float kLedgeTop = kWheelZ - kWheelRadius - 0.02f;
constexpr float kSkyHalf = 800; // sky box around the camera: the view's corners stay inside the far plane
// The distant ranges ride with the camera at ledge::kRangesDepth; the sun sets behind them, the end card
// rises from behind them, and they hide the beams below the horizon.
constexpr float kSunDistance = 720;
constexpr float kFanDistance = 775;
constexpr float kCardDistance = 740;
constexpr float kFieldOfView = 0.6f;
// How fast the part turns the ledge and the trees about Z (radians per second).
constexpr float kLedgeTurn = 1.0f, kTreesTurn = 1.0f / 3;
// The sun glow picture is fixed on screen: the sun must stay at 62% of the width and height.
constexpr float kSunNdcX = 0.24f, kSunNdcY = 0.24f;

kit::LightRig sunsetLight() {
    kit::LightRig rig;
    rig.toSun = {0.1f, 1.0f, 0.12f};
    rig.sun = {0.95f, 0.55f, 0.25f};
    rig.sky = {0.45f, 0.3f, 0.45f};
    rig.ground = {0.18f, 0.1f, 0.1f};
    return rig;
}

kit::Vec3 cameraEye(double t);

// The drive. The ledge turns under the truck, but its top and cliff are the same all round, so that its turn
// never shows: the truck's own move is all that reads. It comes round the rim at speed from the far side of
// the mesa, crossing the view and swinging toward the camera, edging out toward the brink (the drop on its
// left) as it comes, and brakes hard to a halt there at 8 s, its nose turned a little out. `driveShare` is
// the share of the way covered by time t; `drivePoint` the pivot's place at that share.
constexpr double kBrakeFrom = 6.6, kHalt = 8;
double driveShare(double t) {
    const double speed = 1 / (kBrakeFrom + (kHalt - kBrakeFrom) / 2);
    if (t <= kBrakeFrom) return std::fmax(0.0, t) * speed;
    const double b = std::fmin(t, kHalt) - kBrakeFrom;
    return speed * (kBrakeFrom + b - b * b / (2 * (kHalt - kBrakeFrom)));
}
kit::Vec3 drivePoint(double u) {
    // Round the rim from the far side to the halt; the last stretch swings out toward the brink.
    const float a0 = 1.85f, a1 = std::atan2(-2.5f, 40.6f), r1 = std::hypot(40.6f, -2.5f), r0 = r1 - 3.2f;
    const float v = float(u), a = a0 + (a1 - a0) * v, r = r0 + (r1 - r0) * std::pow(v, 8.0f);
    return {r * std::cos(a), r * std::sin(a), 0};
}
// The truck's heading about Z (0 faces +Y), along its path; it holds the last one once halted.
float heading(double t) {
    const double u = driveShare(t);
    const kit::Vec3 d = drivePoint(std::fmin(1.0, u + 1e-3)) - drivePoint(std::fmax(0.0, u - 1e-3));
    float a = std::atan2(-d.x, d.y);
    return a < 0 ? a + 2 * kit::kPi : a;
}
// How far the truck has rolled by time t.
double rolled(double t) {
    const double u = driveShare(t);
    double length = 0;
    for (int i = 0; i < 64; ++i)
        length += kit::length(drivePoint(u * (i + 1) / 64) - drivePoint(u * i / 64));
    return length;
}
// The part's rocking of the body (the keys replace it), in scene units.
float bodyRock(double t) {
    float c = float(t * 1000);
    return float((std::sin(c / 78) / 5 + std::sin(c / 100) / 5) * (1 - 0.5 * easeBetween(7.5, 9, t)));
}
// Where a point given relative to the body's pivot (truck facing +Y) stands at time t, and the truck's turn.
kit::Vec3 onTruck(double t, kit::Vec3 offset) {
    return drivePoint(driveShare(t)) + kit::rotateEuler(offset, {0, 0, heading(t)});
}

kit::CameraAngles cameraAngles() {
    return kit::aimCamera({}, kit::Vec3{0.05f, 1.0f, -0.105f});
}

// The camera never turns (the glow is fixed on screen), so the finale is directed by moves of the eye, one to
// a bar, landing on the even seconds. Each key frames the truck: where its middle stands on the screen
// (normalised x, y) and how far off the eye is. The truck keeps below and left of the sun's glow. The camera
// pushes in on the truck as it comes along the rim and brakes at the brink, in one move (0-8 s), cranes up
// and back while the bed goes up (8-14 s), swings out over the drop to the pour's side as it starts (16 s),
// pushes in on the lip (18 s), sinks with the falling sheet down the cliff toward the heap on the spur
// (20-23 s), and draws back up and away for the end card, coming to rest with it as it lands (26 s).
// Where the truck first shows as the act opens: on the screen (normalised x, y) and how far off the eye is.
constexpr kit::Vec3 kDriveFrom{-0.48f, -0.06f, 125};
constexpr double kRest = 26;
kit::Vec3 cameraEye(double t) {
    static const std::vector<PathPoint> framing{
        {0, {-0.26f, -0.24f, 68}},  {2, {-0.31f, -0.24f, 61}},     {4, {-0.36f, -0.23f, 56}},
        {6, {-0.46f, -0.21f, 52}},  {8, {-0.5f, -0.2f, 53}},       {10, {-0.42f, -0.22f, 38}},
        {12, {-0.5f, -0.5f, 118}},  {14, {-0.56f, -0.36f, 98}},    {16, {-0.6f, -0.12f, 72}},
        {18, {-0.58f, -0.02f, 64}}, {20, {-0.52f, 0.14f, 76}},     {22, {-0.48f, 0.3f, 88}},
        {24, {-0.46f, 0.02f, 96}},  {kRest, {-0.45f, -0.3f, 100}}, {30, {-0.45f, -0.3f, 100}}};
    kit::Vec3 f = pathAt(framing, t);
    if (t > kRest - 2) {
        // The last move comes to rest as the end card lands, and holds.
        const double h = 0.01, s = std::fmin(1.0, (t - (kRest - 2)) / 2);
        const kit::Vec3 from = pathAt(framing, kRest - 2), to = framing.back().at;
        const kit::Vec3 slope = (pathAt(framing, kRest - 2) - pathAt(framing, kRest - 2 - h)) * float(2 / h);
        const float s2 = float(s * s), s3 = s2 * float(s);
        f = from * (2 * s3 - 3 * s2 + 1) + slope * (s3 - 2 * s2 + float(s)) + to * (3 * s2 - 2 * s3);
    }
    const kit::Vec3 middle = onTruck(t, {0, 0, 0}) + kit::Vec3{0, 0, kBodyZ + 2};
    const kit::Vec3 eye = middle - kit::viewRay(cameraAngles(), kFieldOfView, f.x, f.y) * f.z;
    if (t >= kHalt) return eye;
    // Over the drive the eye does not follow the truck: it sweeps in on a line of its own, slower than the
    // truck, from where the truck first shows far off on the rim to the halt's framing, and settles there as
    // the truck brakes, so the truck crosses the frame and grows in it.
    const kit::Vec3 start =
        onTruck(0, {}) + kit::Vec3{0, 0, kBodyZ + 2} -
        kit::viewRay(cameraAngles(), kFieldOfView, kDriveFrom.x, kDriveFrom.y) * kDriveFrom.z;
    const kit::Vec3 end = cameraEye(kHalt);
    const float s = float(std::fmax(0.0, t) / kHalt), ease = 1 - (1 - s) * (1 - s) * (1 - s);
    return start + (end - start) * ease;
}

// The camera's keys as seen from a node at `at` that rises and sinks by up to `bob`.
std::vector<kit::View> viewsFrom(kit::Vec3 at, float bob) {
    std::vector<kit::View> views;
    for (int i = 0; i < kFrames; ++i) {
        kit::Vec3 eye = cameraEye(i / 20.0) - at;
        for (float dz : {-bob, bob})
            views.push_back(kit::makeView(eye + kit::Vec3{0, 0, dz}, cameraAngles(), kFieldOfView));
    }
    return views;
}

// The camera as seen from a node that turns about the world's Z axis by `radiansPerSecond`, sampled finely
// enough that no face can turn toward the camera and away again between two samples. The turn is taken both
// ways, which costs little and keeps the set of views independent of the sign convention.
std::vector<kit::View> viewsFromTurning(float radiansPerSecond) {
    std::vector<kit::View> views;
    const double step = 0.004 / radiansPerSecond;
    for (double t = 0; t <= 30.0; t += step) {
        kit::View view = kit::makeView(cameraEye(t), cameraAngles(), kFieldOfView);
        for (float sign : {-1.0f, 1.0f})
            views.push_back(kit::turned(view, {}, {0, 0, sign * radiansPerSecond * float(t)}));
    }
    return views;
}
constexpr float kTurnSlack = 0.02f;

// Where the sun stands relative to the camera: along the ray through its fixed screen point.
kit::Vec3 sunDirection() {
    return kit::viewRay(cameraAngles(), kFieldOfView, kSunNdcX, kSunNdcY);
}
// The sun sets over the last 12 s: it sinks into the far range, the last of it gone at the final chord.
kit::Vec3 sunDirection(double t) {
    float sink = 0.29f * float(easeBetween(18, 29, t));
    return kit::viewRay(cameraAngles(), kFieldOfView, kSunNdcX, kSunNdcY - sink);
}

// Elevation-graded sunset, brightest toward the sun, dark below the visible horizon.
kit::Color skyColor(kit::Vec3 dir) {
    kit::Vec3 sun = sunDirection();
    float e =
        std::asin(std::fmax(-1.0f, std::fmin(1.0f, dir.z))) * 180 / kit::kPi + 6; // degrees above horizon
    struct Stop {
        float at;
        kit::Color c;
    };
    const Stop stops[] = {{-90, kit::rgb8(30, 12, 24)}, {-2, kit::rgb8(70, 30, 40)},
                          {0, kit::rgb8(250, 140, 60)}, {4, kit::rgb8(245, 120, 70)},
                          {12, kit::rgb8(215, 90, 95)}, {30, kit::rgb8(120, 50, 120)},
                          {60, kit::rgb8(45, 25, 85)},  {90, kit::rgb8(20, 12, 50)}};
    kit::Color c = stops[0].c;
    for (size_t i = 0; i + 1 < std::size(stops); ++i) {
        if (e >= stops[i].at && e <= stops[i + 1].at) {
            c = kit::mix(stops[i].c, stops[i + 1].c, (e - stops[i].at) / (stops[i + 1].at - stops[i].at));
        }
    }
    float toward = std::fmax(0.0f, kit::dot(dir, sun));
    float glow = std::pow(toward, 6.0f) * (e > -2 ? 1.0f : 0.3f);
    return {std::fmin(1.0f, c.r + 0.35f * glow), std::fmin(1.0f, c.g + 0.3f * glow),
            std::fmin(1.0f, c.b + 0.1f * glow), 1};
}

kit::Mesh skyBox() {
    kit::Mesh sky;
    const int cells = 12;
    for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {-1.0f, 1.0f}) {
            kit::Mesh face =
                kit::grid({-kSkyHalf, -kSkyHalf, kSkyHalf}, {kSkyHalf, kSkyHalf, kSkyHalf}, cells, cells);
            // Turn the +Z face onto the wanted axis, then look at it from inside.
            if (axis == 0) kit::rotate(face, {0, kit::kPi / 2, 0});
            if (axis == 1) kit::rotate(face, {-kit::kPi / 2, 0, 0});
            if (sign < 0)
                kit::rotate(face, axis == 2 ? kit::Vec3{kit::kPi, 0, 0} : kit::Vec3{0, 0, kit::kPi});
            kit::flipFaces(face);
            kit::merge(sky, face);
        }
    }
    for (size_t i = 0; i < sky.positions.size(); ++i)
        sky.colors[i] = skyColor(kit::normalize(sky.positions[i]));
    // The box rides with the camera, which never turns: only the cells in front of it ever show.
    return kit::keepSeen(sky, {kit::makeView({}, cameraAngles(), kFieldOfView)});
}

// The sky box without the cells that the distant ranges always hide: both ride with the camera, so one
// moment tells. The sky is drawn first, so every pixel of those cells would be shaded only to be covered.
void dropSkyBehindRanges(kit::Mesh& sky, const kit::Mesh& ranges) {
    auto view = [](size_t) { return kit::makeView({}, cameraAngles(), kFieldOfView, 1); };
    std::vector<kit::OcclusionInstance> instances{{&sky, view, false, true}, {&ranges, view, true, false}};
    kit::OcclusionSettings settings;
    settings.farPlane = 1000;
    sky = kit::keepTriangles(sky, kit::trianglesEverSeen(instances, 1, settings)[0]);
}

// Height of the ledge's top at radius r: a flat track under the wheels, rough rock elsewhere, all round.
float ledgeHeight(float r) {
    float rough = valueNoise(r / 3, 0.5f, 11) - 0.5f;
    if (r > 30 && r < 50) return kLedgeTop;
    float edge = r <= 30 ? (30 - r) / 10 : (r - 50) / 4;
    return kLedgeTop + std::fmin(1.0f, edge) * (0.6f + 2.5f * rough);
}

// The ledge: a rock mesa turned about Z, with a flat track along its rim and a broken cliff below.
kit::Mesh mesaMesh() {
    // Rings from the centre out over the top, then down the cliff face. Near the centre a ring needs fewer
    // segments for the same spacing around it: each count halves the one outside it, so the bands between
    // them close without gaps.
    struct Ring {
        float r, z;
        bool top;
        int segments;
    };
    std::vector<Ring> rings{{0.5f, 0, true, 12}, {8, 0, true, 24}, {16, 0, true, 48}};
    // The track (radius 30 to 50) is flat: its texture and a ring of shades down its middle are enough, and
    // it needs the finer segments only toward the rim, whose edge shows against the valley.
    for (float r : {22.0f, 30.0f, 40.0f})
        rings.push_back({r, 0, true, 48});
    for (float r : {50.0f, 51.5f, 53.0f})
        rings.push_back({r, 0, true, 96});
    // Down the cliff the segments halve again where only the wide shots see it.
    for (float z : {30.0f, 24.0f, 16.0f, 6.0f, -6.0f})
        rings.push_back({0, z, false, 96});
    for (float z : {-20.0f, -36.0f, -52.0f, -68.0f, -84.0f, -98.0f, ledge::kFloorZ - 4})
        rings.push_back({0, z, false, 48});
    std::vector<std::vector<kit::Vec3>> grid(rings.size());
    for (size_t k = 0; k < rings.size(); ++k) {
        const int segments = rings[k].segments;
        for (int j = 0; j <= segments; ++j) {
            float a = 2 * kit::kPi * float(j % segments) / float(segments);
            float r = rings[k].r, z = rings[k].z;
            if (!rings[k].top) {
                // Down the cliff: steeper at the top, buttresses, and a flare of scree at the foot.
                float depth = (kLedgeTop - z) / (kLedgeTop - ledge::kFloorZ);
                r = 56 + 8 * depth + 14 * depth * depth * depth + 4 * (valueNoise(0.5f, z / 7, 5) - 0.5f) +
                    7 * (valueNoise(0.5f, z / 40, 6) - 0.5f) * std::fmin(1.0f, depth * 4);
            } else {
                z = ledgeHeight(r);
            }
            grid[k].push_back({std::cos(a) * r, std::sin(a) * r, z});
        }
    }
    kit::Mesh mesh;
    // One flat-shaded face, its corners in order (outward, around, then back in).
    auto addFace = [&](size_t k, std::initializer_list<std::pair<kit::Vec3, bool>> corners) {
        std::vector<kit::Vec3> p;
        for (const auto& corner : corners)
            p.push_back(corner.first);
        // Rings run outward and downward, so this cross product points up on top and out on the cliff.
        kit::Vec3 n = kit::normalize(kit::cross(p[1] - p[0], p.back() - p[0]));
        std::vector<uint32_t> v;
        for (const auto& [at, outer] : corners) {
            bool cliff = !rings[k].top || (k + 1 < rings.size() && !rings[k + 1].top && outer);
            // The texture runs round the mesa (broad strata down the cliff) and the shades vary only with
            // radius and height, so the part's turn of the ledge never shows. On top the picture is spread
            // thin across the radius: sampled finer, its grain would turn into fine rings like a record's.
            const float r = std::hypot(at.x, at.y);
            kit::Vec2 uv = cliff ? kit::Vec2{0.37f, at.z / 17} : kit::Vec2{0.3f + r / 700, 0.61f};
            float shade = 0.85f + 0.3f * valueNoise(r / 9, at.z / 5, 3);
            v.push_back(mesh.addVertex(at, n, uv, kit::Color{shade, shade * 0.92f, shade * 0.9f, 1}));
        }
        if (v.size() == 4) {
            mesh.addQuad(v[0], v[1], v[2], v[3]);
        } else {
            mesh.addTriangle(v[0], v[1], v[2]);
        }
    };
    for (size_t k = 0; k + 1 < rings.size(); ++k) {
        const std::vector<kit::Vec3>&in = grid[k], &out = grid[k + 1];
        if (out.size() < in.size()) {
            // Half as many segments outside (further down): three triangles span each of its segments.
            for (size_t j = 0; j + 1 < out.size(); ++j) {
                addFace(k, {{in[2 * j], false}, {out[j], true}, {in[2 * j + 1], false}});
                addFace(k, {{in[2 * j + 1], false}, {out[j], true}, {out[j + 1], true}});
                addFace(k, {{in[2 * j + 1], false}, {out[j + 1], true}, {in[2 * j + 2], false}});
            }
            continue;
        }
        for (size_t j = 0; j + 1 < in.size(); ++j) {
            if (out.size() == in.size()) {
                addFace(k, {{in[j], false}, {out[j], true}, {out[j + 1], true}, {in[j + 1], false}});
                continue;
            }
            // Twice as many segments outside: three triangles span this one.
            addFace(k, {{in[j], false}, {out[2 * j], true}, {out[2 * j + 1], true}});
            addFace(k, {{in[j], false}, {out[2 * j + 1], true}, {in[j + 1], false}});
            addFace(k, {{in[j + 1], false}, {out[2 * j + 1], true}, {out[2 * j + 2], true}});
        }
    }
    // The mesa turns under the camera, so its light must not depend on which way a face looks round: sky
    // above, the warm bounce of the sunlit valley below, the sunset on what faces up; deeper down, the
    // valley's haze.
    for (size_t i = 0; i < mesh.positions.size(); ++i) {
        const kit::Vec3 n = mesh.normals[i], p = mesh.positions[i];
        kit::Color light = kit::mix(kit::Color{0.34f, 0.2f, 0.22f, 1}, kit::Color{0.62f, 0.44f, 0.58f, 1},
                                    0.5f + 0.5f * n.z);
        float top = std::fmax(0.0f, n.z);
        light = {light.r + 0.32f * top, light.g + 0.17f * top, light.b + 0.07f * top, 1};
        float haze = std::fmin(1.0f, std::fmax(0.0f, -p.z / (kLedgeTop - ledge::kFloorZ)));
        light = kit::mix(light, kit::Color{0.5f, 0.38f, 0.56f, 1}, 0.6f * haze);
        kit::Color& c = mesh.colors[i];
        c = {std::fmin(1.0f, c.r * light.r), std::fmin(1.0f, c.g * light.g), std::fmin(1.0f, c.b * light.b),
             1};
    }
    return kit::keepSeen(mesh, viewsFromTurning(kLedgeTurn), kTurnSlack);
}

kit::Mesh headlightBeam() {
    kit::Mesh cone;
    const int segments = 12;
    // Dim and short: seen from behind the truck it must read as a little lamp light, not as a pale wedge.
    const float length = 26, radius = 3.2f;
    for (int i = 0; i < segments; ++i) {
        float a0 = 2 * kit::kPi * float(i) / float(segments),
              a1 = 2 * kit::kPi * float(i + 1) / float(segments);
        kit::Color bright{0.055f, 0.045f, 0.03f, 1}, dark{0, 0, 0, 1};
        uint32_t apex = cone.addVertex({0, 0.3f, 0}, {0, -1, 0}, {0.5f, 0.5f}, bright);
        uint32_t b = cone.addVertex({std::cos(a0) * radius, length, std::sin(a0) * radius * 0.6f}, {0, 1, 0},
                                    {0.5f, 0.5f}, dark);
        uint32_t c = cone.addVertex({std::cos(a1) * radius, length, std::sin(a1) * radius * 0.6f}, {0, 1, 0},
                                    {0.5f, 0.5f}, dark);
        cone.addTriangle(apex, b, c);
    }
    return kit::makeTwoSided(cone);
}

// The dump. The bed hinges on its lower left edge (relative to the body's pivot): from 10 s it tips over to
// the left, toward the drop, and from 16 s the load slides off its high side's far edge into the valley; at
// 22 s a last shove of the hoist sends the rest out as one sheet.
constexpr float kHingeX = -6.6f, kHingeZ = 7.8f - kPivotAboveGround;
constexpr float kBedHeight = 6.2f; // from the hinge up to the bed's top
double bedTip(double t) {
    return 0.78 * easeBetween(10, 16, t) + 0.14 * easeBetween(21.5, 22.6, t);
}
// How far the load has drained off the bed (0 to 1): a steady pour from 16 s, the last of it at 22-23 s.
double drained(double t) {
    return 0.45 * easeBetween(16, 21.8, t) + 0.55 * easeBetween(22, 23.2, t);
}

// Position and turn keys of a part of the truck that sits at `offset` from the body's pivot; `spin` adds the
// wheels' turn about their axle, `tips` the bed's tip about the hinge (where such a part then stands), and
// `slide` a move along the bed as it tips.
kit::Model onTruckModel(std::string name, kit::Vec3 offset, float restZ, kit::Mesh mesh, bool rocks,
                        bool spin, bool tips = false, kit::Vec3 (*slide)(double) = nullptr,
                        double hiddenUntil = 0) {
    std::vector<kit::Vec3> path, turns;
    for (int i = 0; i < kFrames; ++i) {
        double t = i / 20.0;
        kit::Vec3 at = onTruck(t, {offset.x, offset.y, 0});
        // Until it is wanted the part waits deep under the truck: out of the frame, where it costs nothing.
        if (t < hiddenUntil) at.z = -600;
        kit::Vec3 turn{spin ? float(-rolled(t) / kWheelRadius) : 0.0f, tips ? float(-bedTip(t)) : 0.0f,
                       float(heading(t))};
        if (slide) at = at + kit::rotateEuler(slide(t), turn);
        path.push_back({at.x, at.y, at.z + restZ + (rocks ? bodyRock(t) : 0.0f)});
        turns.push_back(turn);
    }
    kit::Model model{std::move(name), {path[0].x, path[0].y, restZ}, {},
                     std::move(mesh), kit::positionCurves(path),     {}};
    for (kit::Curve& c : kit::rotationCurves(turns))
        model.curves.push_back(c);
    return model;
}

// The camera as seen from a part of the truck at `offset` from its pivot (and at the height offset.z), every
// other frame of the drive, rising and sinking by up to `bob`.
std::vector<kit::View> viewsFromTruck(kit::Vec3 offset, float bob) {
    std::vector<kit::View> views;
    for (int i = 0; i < kFrames; i += 2) {
        double t = i / 20.0;
        kit::Vec3 at = onTruck(t, {offset.x, offset.y, 0}) + kit::Vec3{0, 0, offset.z};
        for (float dz : {-bob, bob}) {
            kit::View view =
                kit::makeView(cameraEye(t) - at + kit::Vec3{0, 0, -dz}, cameraAngles(), kFieldOfView);
            views.push_back(kit::turned(view, {}, {0, 0, float(heading(t))}));
        }
    }
    return views;
}

// Bold condensed letters for the name board, 4 units wide and 9 tall, as flat strokes: stems and bars as
// rectangles, slants as parallelograms with level ends. Strokes are a third of the letter's width and there
// are no slits or notches, so that the name stays legible when it is only a dozen pixels tall.
struct Stroke {
    bool slant;
    float x0, y0, x1, y1; // a rectangle's corners, or a slant's centre line (bottom or top first)
};
const std::vector<Stroke>& signLetter(char c) {
    constexpr float s = 1.3f, h = 0.65f; // stroke, half a slant's width
    static const std::vector<Stroke> k{
        {false, 0, 0, s, 9}, {true, 1.3f, 3.6f, 3.35f, 9}, {true, 3.35f, 0, 1.6f, 5.0f}};
    static const std::vector<Stroke> e{
        {false, 0, 0, s, 9}, {false, 0, 9 - s, 4, 9}, {false, 0, 3.85f, 3.5f, 5.15f}, {false, 0, 0, 4, s}};
    static const std::vector<Stroke> sl{{false, 0, 9 - s, 4, 9},
                                        {false, 0, 3.85f, s, 9},
                                        {false, 0, 3.85f, 4, 5.15f},
                                        {false, 4 - s, 0, 4, 5.15f},
                                        {false, 0, 0, 4, s}};
    static const std::vector<Stroke> t{{false, 0, 9 - s, 4, 9}, {false, 1.35f, 0, 2.65f, 9}};
    static const std::vector<Stroke> r{{false, 0, 0, s, 9},
                                       {false, 0, 9 - s, 4, 9},
                                       {false, 4 - s, 3.85f, 4, 9},
                                       {false, 0, 3.85f, 4, 5.15f},
                                       {true, 3.35f, 0, 2.3f, 3.85f}};
    static const std::vector<Stroke> o{
        {false, 0, 0, 4, s}, {false, 0, 9 - s, 4, 9}, {false, 0, 0, s, 9}, {false, 4 - s, 0, 4, 9}};
    static const std::vector<Stroke> v{{true, 1.7f, 0, h, 9}, {true, 2.3f, 0, 4 - h, 9}};
    static const std::vector<Stroke> a{
        {true, h, 0, 1.5f, 9}, {true, 4 - h, 0, 2.5f, 9}, {false, 0.75f, 2.6f, 3.25f, 3.9f}};
    static const std::vector<Stroke> none;
    switch (c) {
    case 'K':
        return k;
    case 'E':
        return e;
    case 'S':
        return sl;
    case 'T':
        return t;
    case 'R':
        return r;
    case 'O':
        return o;
    case 'V':
        return v;
    case 'A':
        return a;
    default:
        return none;
    }
}

// The group's name in sign letters, in the XY plane facing +Z, centred on the origin; `height` tall.
kit::Mesh signText(const std::string& text, float height) {
    kit::Mesh out;
    float x = 0;
    char previous = 0;
    for (char c : text) {
        if (previous == 'V' && c == 'A') x -= 0.6f; // the slants nest
        for (const Stroke& st : signLetter(c)) {
            kit::Vec3 p[4];
            if (st.slant) {
                constexpr float h = 0.65f;
                p[0] = {x + st.x0 - h, st.y0, 0}, p[1] = {x + st.x0 + h, st.y0, 0};
                p[2] = {x + st.x1 + h, st.y1, 0}, p[3] = {x + st.x1 - h, st.y1, 0};
            } else {
                p[0] = {x + st.x0, st.y0, 0}, p[1] = {x + st.x1, st.y0, 0};
                p[2] = {x + st.x1, st.y1, 0}, p[3] = {x + st.x0, st.y1, 0};
            }
            uint32_t v[4];
            for (int i = 0; i < 4; ++i)
                v[i] = out.addVertex(p[i], {0, 0, 1}, {0.5f, 0.5f}, {1, 1, 1, 1});
            out.addQuad(v[0], v[1], v[2], v[3]);
        }
        x += 4 + 1.1f;
        previous = c;
    }
    float width = x - 1.1f, fit = height / 9;
    kit::translate(out, {-width / 2, -4.5f, 0});
    return kit::scale(out, {fit, fit, fit});
}

// A name board's box from `lo` to `hi`, its face toward +Z: near-black, its top edge catching the sun, its
// ends between the two.
kit::Mesh nameBoard(kit::Vec3 lo, kit::Vec3 hi) {
    kit::Mesh board = kit::box(lo, hi);
    for (size_t i = 0; i < board.colors.size(); ++i) {
        const kit::Vec3 n = board.normals[i];
        board.colors[i] = n.y > 0.5f   ? kit::rgb8(150, 92, 52)
                          : n.z > 0.5f ? kit::rgb8(30, 24, 24)
                                       : kit::rgb8(70, 44, 36);
    }
    return board;
}

// The name board the truck carried through the chase: a dark board standing on the bed's back rim, the name
// in orange and yellow on its rear face. Relative to the body's pivot.
kit::Mesh rearSign() {
    constexpr float height = 1.6f;
    kit::Mesh text = signText("KESTROVA", height);
    kit::tintByHeight(text, -height / 2, height / 2, kit::rgb8(255, 120, 10), kit::rgb8(255, 230, 60));
    // In front of the board by more than the depth buffer can blur at the camera's distance, and first in the
    // mesh, so that the board is turned away behind the letters rather than shaded under them.
    kit::translate(text, {0, 0.05f, 0.12f});
    kit::merge(text, nameBoard({-6.1f, -1.25f, -0.5f}, {6.1f, 1.25f, 0}));
    // Text space (x right, y up, out of the face along +Z) onto the bed's back rim, facing -Y.
    kit::rotate(text, {kit::kPi / 2, 0, 0});
    kit::translate(text, {0, -11.45f, kBedTop + 1.4f - kPivotAboveGround});
    // And one along the bed's right side, the side the camera sees as the truck comes in, as on the chase's
    // truck: over the ribs, facing out.
    kit::Mesh side = signText("KESTROVA", 1.7f);
    kit::tintByHeight(side, -0.85f, 0.85f, kit::rgb8(255, 120, 10), kit::rgb8(255, 230, 60));
    kit::translate(side, {0, 0, 0.12f});
    kit::merge(side, nameBoard({-4.6f, -1.2f, -0.4f}, {4.6f, 1.2f, 0}));
    kit::rotate(side, {kit::kPi / 2, 0, kit::kPi / 2});
    kit::merge(text, kit::translate(side, {7.05f, -4.7f, 11.2f - kPivotAboveGround}));
    return text;
}

// The pour. The load leaves the bed's low edge (its middle along the bed is followed here) along the tipped
// floor and falls out over the rim into the drop.
constexpr float kGravity = 40;
kit::Vec3 bedLip(double t) {
    const float tip = float(bedTip(t));
    const kit::Vec3 lip{kHingeX - kBedHeight * std::sin(tip), -4.7f, 0};
    return onTruck(t, lip) +
           kit::Vec3{0, 0, kBodyZ + kHingeZ + bodyRock(t) + kBedHeight * std::cos(tip) + 0.3f};
}
kit::Vec3 pourVelocity(double t, float speed) {
    const float tip = float(bedTip(t));
    return kit::rotateEuler({-speed * std::cos(tip), 0, -speed * std::sin(tip)}, {0, 0, float(heading(t))});
}

// One kernel: a small sliver facing the camera (which looks along +Y), leaning by `lean`, lit from the sun
// behind and above, so its tip is pale and its foot deep gold. A single triangle: at two or three pixels it
// reads as a grain as well as any rounder shape, at half the cost.
void addKernel(kit::Mesh& into, kit::Vec3 at, float w, float h, float lean, kit::Color c) {
    const kit::Color top = kit::mix(c, kit::rgb8(255, 246, 196), 0.45f), low = c * 0.72f;
    const float s = std::sin(lean), k = std::cos(lean);
    auto corner = [&](float x, float z) { return at + kit::Vec3{x * k - z * s, 0, x * s + z * k}; };
    // Counter-clockwise as seen from -Y.
    uint32_t left = into.addVertex(corner(-w, -h * 0.6f), {0, -1, 0}, {0.5f, 0.5f}, c);
    uint32_t right = into.addVertex(corner(w, -h * 0.6f), {0, -1, 0}, {0.5f, 0.5f}, low);
    uint32_t peak = into.addVertex(corner(0, h), {0, -1, 0}, {0.5f, 0.5f}, top);
    into.addTriangle(left, right, peak);
}

// The pour comes down onto a spur of rock that juts from the cliff some way under the lip. Places in the
// truck's frame at the lip (x in along the bed's floor, so -x out over the drop, y along the bed, z up).
constexpr float kSpurDrop = 18;
// The lip's place, without the rocking, once the truck stands and the bed is up by `tip`.
kit::Vec3 restingLip(float tip) {
    const kit::Vec3 lip{kHingeX - kBedHeight * std::sin(tip), -4.7f, 0};
    return onTruck(20, lip) + kit::Vec3{0, 0, kBodyZ + kHingeZ + kBedHeight * std::cos(tip) + 0.3f};
}
float spurTop() {
    return restingLip(0.78f).z - kSpurDrop;
}
// How long a grain that leaves the lip at `speed` falls before it meets the spur's top, `drop` below.
float fallTime(float tip, float speed, float drop) {
    const float down = speed * std::sin(tip);
    return (-down + std::sqrt(down * down + 2 * kGravity * drop)) / kGravity;
}
kit::Vec3 fallOffset(float tip, float speed, float s) {
    return {-speed * std::cos(tip) * s, 0, -speed * std::sin(tip) * s - 0.5f * kGravity * s * s};
}

// `drop` below the lip. The rope the load makes as it leaves the lip: `ribbons` sheets side by side along the
// bed, each spanning the paths of grain that leaves the lip at speeds from `slow` to `fast`, over the share
// of the fall from `a` to `b` (0 the lip, 1 the spur). Where it `breaks`, each sheet pinches to a ragged
// point of its own length, and the loose kernels falling round it carry on below. The slow edge falls in the
// cliff's shadow, the fast one out in the sun; the rows alternate in brightness, clumps.
kit::Mesh grainRope(float tip, float drop, int ribbons, float halfLength, float slow, float fast, float a,
                    float b, unsigned seed, bool breaks, float lipWidth = 0.8f) {
    Random random(seed);
    kit::Mesh fan;
    const int rows = 6;
    for (int k = 0; k < ribbons; ++k) {
        // The sheet nearest the camera first (+y), so that the depth test turns the rest away unshaded.
        const float y =
            halfLength - 2 * halfLength * (float(k) + 0.5f) / float(ribbons) + random.range(-0.4f, 0.4f);
        const float lo = slow * random.range(0.85f, 1.15f), hi = fast * random.range(0.85f, 1.1f);
        const float end = breaks ? a + (b - a) * random.range(0.6f, 1.0f) : b;
        std::vector<uint32_t> column[3];
        for (int i = 0; i <= rows; ++i) {
            const float u = float(i) / rows, f = a + (end - a) * u, clump = i % 2 ? 1.0f : 0.86f;
            const float pinch = breaks ? u * u : 0.0f, wobble = 0.25f + 0.75f * f;
            const float ragged = valueNoise(f * 5, float(k), seed) - 0.5f, middle = 0.5f * (lo + hi);
            const float speeds[3] = {lo * (1 + wobble * 0.3f * ragged), middle,
                                     hi * (1 - wobble * 0.3f * ragged)};
            const kit::Color shades[3] = {kit::mix(kit::rgb8(196, 108, 26), kit::rgb8(140, 70, 34), f),
                                          kit::mix(kit::rgb8(252, 190, 70), kit::rgb8(228, 142, 44), f),
                                          kit::mix(kit::rgb8(255, 226, 128), kit::rgb8(246, 178, 84), f)};
            for (int c = 0; c < 3; ++c) {
                const float speed = speeds[c] + (middle - speeds[c]) * pinch;
                const float s = f * fallTime(tip, speed, drop);
                kit::Vec3 at = fallOffset(tip, speed, s) +
                               kit::Vec3{float(1 - c) * lipWidth * (1 - 0.5f * f) * (1 - pinch),
                                         y + float(c - 1) * 0.5f * f * (1 - pinch), 0};
                column[c].push_back(fan.addVertex(at, {0, 1, 0}, {0.5f, 0.5f}, shades[c] * clump));
            }
        }
        for (int i = 0; i < rows; ++i) {
            for (int c = 0; c < 2; ++c)
                fan.addQuad(column[c][i], column[c + 1][i], column[c + 1][i + 1], column[c][i + 1]);
        }
    }
    return kit::makeTwoSided(fan);
}

// A part of the pour that waits far below the ground (out of sight and out of the frame, where it costs
// nothing to draw) until `from`, follows `place` and turns with the truck until `until`, and then drops away
// freely (`drops`) or is gone at once.
kit::Model pourNode(const char* name, kit::Mesh mesh, double from, double until,
                    const std::function<kit::Vec3(double)>& place, kit::Vec3 dropVelocity, bool drops = true,
                    bool turns = true) {
    auto path = sampleFrames(kFrames, [&](double t) {
        if (t < from - 0.01) return kit::Vec3{place(from).x, place(from).y, -600};
        if (t <= until) return place(t);
        if (!drops) return kit::Vec3{place(until).x, place(until).y, -600};
        float s = float(t - until);
        return place(until) + dropVelocity * s - kit::Vec3{0, 0, 0.5f * kGravity * s * s};
    });
    kit::Model model{name, path[0], {}, std::move(mesh), kit::positionCurves(path), {}};
    if (!turns) return model;
    std::vector<kit::Vec3> angles;
    for (int i = 0; i < kFrames; ++i)
        angles.push_back({0, 0, float(heading(i / 20.0))});
    for (kit::Curve& c : kit::rotationCurves(angles))
        model.curves.push_back(c);
    return model;
}

// Loose grain: a node that carries its cloud of kernels on one flight after another. A flight starts at a
// key, follows `place` (seconds into the flight) for its `life` and rolls about the view axis as it goes;
// between flights the cloud waits far below the ground, out of the frame, for at least one key, so that it
// never shows sliding back to where the next one starts.
struct Flight {
    double at, life;
    std::function<kit::Vec3(double)> place;
    float roll;
};
kit::Model flightNode(const std::string& name, kit::Mesh mesh, std::vector<Flight> flights) {
    for (size_t i = 0; i < flights.size(); ++i) {
        flights[i].at = std::round(flights[i].at * 20) / 20;
        if (i + 1 < flights.size())
            flights[i].life =
                std::fmin(flights[i].life, std::round(flights[i + 1].at * 20) / 20 - flights[i].at - 0.1);
    }
    // The roll carries on from one flight to the next: no key turns the cloud back.
    std::vector<kit::Vec3> path, turns;
    float roll = 0;
    for (int i = 0; i < kFrames; ++i) {
        const double t = i / 20.0;
        const Flight* on = nullptr;
        for (const Flight& flight : flights) {
            if (t > flight.at - 1e-6 && t < flight.at + flight.life + 1e-6) on = &flight;
        }
        if (i > 0 && on && t - on->at > 1e-6) roll += on->roll / 20;
        turns.push_back({0, roll, 0});
        if (on) {
            path.push_back(on->place(t - on->at));
            continue;
        }
        kit::Vec3 wait = path.empty() ? flights.front().place(0) : path.back();
        path.push_back({wait.x, wait.y, -600});
    }
    kit::Model model{name, path[0], {}, std::move(mesh), kit::positionCurves(path), {}};
    for (kit::Curve& c : kit::rotationCurves(turns))
        model.curves.push_back(c);
    return model;
}

// A cloud of kernels in a few clumps: `across` the fall, `depth` along the bed, `length` along the fall;
// placed in the standing truck's frame. Pale gold where the sun behind catches them, some deep in shade.
kit::Mesh grainCloud(Random& random, int count, float across, float depth, float length, float size) {
    kit::Mesh kernels;
    const int clumps = 3;
    kit::Vec3 centres[clumps];
    for (kit::Vec3& c : centres)
        c = {random.range(-across, across), random.range(-depth, depth), random.range(-length, length)};
    for (int k = 0; k < count; ++k) {
        const kit::Vec3 at =
            centres[k % clumps] +
            kit::Vec3{random.range(-0.7f, 0.7f), random.range(-1.5f, 1.5f), random.range(-0.9f, 0.9f)} * size;
        const float w = random.range(0.32f, 0.55f) * size, h = w * random.range(1.1f, 1.5f);
        const float shade = random.next();
        const kit::Color c = shade < 0.2f
                                 ? kit::rgb8(176, 98, 36)
                                 : kit::mix(kit::rgb8(232, 152, 48), kit::rgb8(255, 232, 150), shade);
        addKernel(kernels, kit::rotateEuler(at, {0, 0, float(heading(kHalt))}), w * 1.2f, h,
                  random.range(-1, 1), c);
    }
    return kernels;
}

// The spur, and on it the heap. `kHeapFrom` is where the pour lands on the spur's top, in the lip's frame.
// The heap grows as low mounds, one after another, each wider than the last: it spreads far more than it
// rises. Each rises from inside the rock between `from` and `to`.
struct Mound {
    float x, y, rx, ry, height;
    double from, to;
};
constexpr Mound kMounds[] = {{0, 0, 3.6f, 4.4f, 4.0f, 16.6, 18.8},
                             {-1.4f, 1.2f, 5.4f, 6.6f, 3.8f, 17.8, 21.6},
                             {0.8f, -1.5f, 7.0f, 8.2f, 3.4f, 21.2, 24.2},
                             {-0.4f, -0.8f, 8.4f, 9.8f, 2.8f, 22.6, 26.8},
                             {0.3f, 0.2f, 2.8f, 3.4f, 5.4f, 23.8, 29.5}};
// The heap's height and reach at time t, for the grain that lands on it and skitters off its flanks.
float heapHeight(double t) {
    float h = 0;
    for (const Mound& m : kMounds)
        h = std::fmax(h, m.height * float(easeBetween(m.from, m.to, t)));
    return h;
}
float heapReach(double t) {
    float r = 2;
    for (const Mound& m : kMounds)
        r = std::fmax(r, m.rx * float(easeBetween(m.from, m.to, t)));
    return r;
}

// One mound: a low dome of grain, its rim sunk into the rock. Lit from behind by the low sun: its crown
// pale gold, its flanks deeper, every facet a little different so that it reads as loose grain, not a glaze.
kit::Mesh moundMesh(Random& random, const Mound& m) {
    kit::Mesh heap;
    const int around = 12;
    const float rings[][2] = {{1.0f, -0.9f}, {0.82f, 0.42f}, {0.5f, 0.86f}, {0.2f, 0.98f}};
    std::vector<std::vector<kit::Vec3>> grid;
    for (const auto& ring : rings) {
        std::vector<kit::Vec3> points;
        for (int i = 0; i < around; ++i) {
            const float a = 2 * kit::kPi * (float(i) + 0.5f * float(grid.size() % 2)) / around;
            const float wobble = random.range(0.9f, 1.08f);
            const float z = ring[1] < 0 ? ring[1] : ring[1] * m.height * random.range(0.94f, 1.05f);
            points.push_back(
                {m.rx * ring[0] * wobble * std::cos(a), m.ry * ring[0] * wobble * std::sin(a), z});
        }
        grid.push_back(points);
    }
    auto tone = [&](float up) {
        const kit::Color c =
            up < 0.4f ? kit::mix(kit::rgb8(176, 96, 40), kit::rgb8(226, 146, 56), up / 0.4f)
                      : kit::mix(kit::rgb8(226, 146, 56), kit::rgb8(252, 208, 120), (up - 0.4f) / 0.6f);
        return c * random.range(0.86f, 1.06f);
    };
    auto face = [&](std::initializer_list<kit::Vec3> corners) {
        float z = 0;
        for (const kit::Vec3& p : corners)
            z += p.z;
        const kit::Color c = tone(std::fmax(0.0f, z / float(corners.size()) / m.height));
        std::vector<uint32_t> v;
        for (const kit::Vec3& p : corners)
            v.push_back(heap.addVertex(p, {0, 0, 1}, {0.5f, 0.5f}, c));
        if (v.size() == 4)
            heap.addQuad(v[0], v[1], v[2], v[3]);
        else
            heap.addTriangle(v[0], v[1], v[2]);
    };
    for (size_t k = 0; k + 1 < grid.size(); ++k) {
        // Each ring is turned half a step from the one outside it.
        const std::vector<kit::Vec3>&outer = grid[k], &inner = grid[k + 1];
        for (int i = 0; i < around; ++i) {
            const int next = (i + 1) % around, before = (i + around - 1) % around;
            if (k % 2 == 0) {
                face({outer[i], outer[next], inner[i]});
                face({outer[i], inner[i], inner[before]});
            } else {
                face({outer[i], outer[next], inner[next]});
                face({outer[i], inner[next], inner[i]});
            }
        }
    }
    const kit::Vec3 peak{0, 0, m.height};
    for (int i = 0; i < around; ++i)
        face({grid.back()[i], grid.back()[(i + 1) % around], peak});
    return heap;
}

// The spur: a slab of the cliff's rock, broad enough to take the spreading heap, its top catching the low
// sun, its face to the camera in shade. In the truck's frame at the lip, like the pour.
kit::Mesh spurMesh() {
    Random random(41);
    const int corners = 9;
    kit::Mesh rock;
    std::vector<kit::Vec3> top, bottom;
    for (int i = 0; i < corners; ++i) {
        const float a = 2 * kit::kPi * float(i) / corners;
        const float r = random.range(0.92f, 1.05f);
        top.push_back({-6 + 12 * std::cos(a) * r, -1.5f + 14 * std::sin(a) * r,
                       -kSpurDrop + random.range(-0.8f, 0.2f)});
        bottom.push_back({2 + 4 * std::cos(a) * r, -1.5f + 8 * std::sin(a) * r, -kSpurDrop - 24});
    }
    kit::Vec3 middle{-6, -1.5f, -kSpurDrop + 0.4f};
    for (int i = 0; i < corners; ++i) {
        const int j = (i + 1) % corners;
        rock.addTriangle(rock.addVertex(middle, {0, 0, 1}, {0.5f, 0.5f}, kit::rgb8(158, 92, 74)),
                         rock.addVertex(top[i], {0, 0, 1}, {0.5f, 0.5f}, kit::rgb8(132, 74, 66)),
                         rock.addVertex(top[j], {0, 0, 1}, {0.5f, 0.5f}, kit::rgb8(132, 74, 66)));
        const kit::Vec3 n = kit::normalize(kit::cross(bottom[i] - top[i], top[j] - top[i]));
        const kit::Color face = n.y > 0.3f ? kit::rgb8(74, 40, 48) : kit::rgb8(102, 58, 56);
        rock.addQuad(rock.addVertex(top[i], n, {0.5f, 0.5f}, face * 1.15f),
                     rock.addVertex(bottom[i], n, {0.5f, 0.5f}, face * 0.6f),
                     rock.addVertex(bottom[j], n, {0.5f, 0.5f}, face * 0.6f),
                     rock.addVertex(top[j], n, {0.5f, 0.5f}, face * 1.15f));
    }
    return rock;
}

// A puff of dust and chaff, facing the camera: one billow with a lumpy outline, dense and warm at its heart
// where the low sun shines through it, thinning out ring by ring into `behind` (the colour of what it is seen
// against), so that it has no hard edge. One piece, so no lump's rim ever lies over another's heart; a few
// specks of chaff ride round it.
kit::Mesh dustPuff(Random& random, float size, kit::Color behind) {
    kit::Mesh cloud;
    constexpr int kSides = 10;
    const float radius = random.range(1.9f, 2.4f) * size;
    // The outline: three or four bulges of their own size round the puff, its top fuller than its foot.
    const LumpyOutline outline = lumpyOutline(random, radius, 0.12f, 0.08f, 0.16f);
    const kit::Color heart = kit::mix(kit::rgb8(232, 158, 102), kit::rgb8(246, 190, 128), random.next());
    // From the heart out: how far along the outline each ring lies, and how much of the dust shows there.
    const float at[] = {0.38f, 0.72f, 1.0f}, dense[] = {0.9f, 0.5f, 0.0f};
    const uint32_t middle = cloud.addVertex({0, 0, 0.15f * radius}, {0, -1, 0}, {0.5f, 0.5f}, heart);
    for (int ring = 0; ring < 3; ++ring) {
        for (int j = 0; j < kSides; ++j) {
            const float a = 2 * kit::kPi * (float(j) + 0.5f * float(ring % 2)) / kSides, up = std::sin(a);
            const float r = outline(a) * at[ring] * random.range(0.94f, 1.06f);
            // The upper side catches the sun, the lower lies in the valley's violet shade.
            const kit::Color lit = up > 0 ? kit::mix(heart, kit::rgb8(255, 214, 150), 0.5f * up)
                                          : kit::mix(heart, kit::rgb8(170, 104, 120), -0.6f * up);
            const float d = dense[ring] * random.range(0.85f, 1.1f);
            cloud.addVertex({std::cos(a) * r, 0, up * r * 0.8f}, {0, -1, 0}, {0.5f, 0.5f},
                            kit::mix(behind, lit, std::fmin(1.0f, d)));
        }
    }
    addRingTriangles(cloud, middle, 3, kSides);
    // Chaff round the edge, a little in front of the billow.
    for (int k = 0; k < 3; ++k) {
        const float a = random.range(0, 2 * kit::kPi), r = radius * random.range(0.7f, 1.15f);
        addKernel(cloud, {std::cos(a) * r, -0.3f * size, std::sin(a) * r * 0.8f}, 0.16f * size, 0.22f * size,
                  random.range(-1, 1), kit::mix(heart, kit::rgb8(255, 226, 150), 0.5f));
    }
    return cloud;
}

// Dust the rear wheels kick up on the drive: a puff every 0.25 s, left behind where the truck passed, so
// that its run reads against the rock; each billows up and back, then settles into the track and is gone.
// A puff lives 1.8 s, so eight nodes take the puffs in turn, each waiting below the ground between two.
std::vector<kit::Model> driveDust() {
    constexpr int kNodes = 8;
    constexpr double kLife = 1.8;
    Random random(91);
    std::vector<std::vector<Flight>> flights(kNodes);
    std::vector<kit::Mesh> meshes;
    int n = 0;
    for (double t0 = 0.1; t0 < kHalt - 0.1; t0 += 0.25, ++n) {
        const float side = n % 2 ? kWheelX + 0.6f : -kWheelX - 0.6f;
        const float size = 0.95f + random.range(0, 0.35f);
        const float a = heading(t0);
        const kit::Vec3 from =
            onTruck(t0, {side, kRearAxleY - kWheelRadius, 0}) + kit::Vec3{0, 0, kLedgeTop + 0.6f * size};
        const kit::Vec3 kick =
            kit::rotateEuler(kit::Vec3{side > 0 ? 1.2f : -1.2f, -2.5f, 0}, {0, 0, a}) * random.range(0.6f, 1);
        auto place = [from, kick, size](double s) {
            const float settle = float(easeBetween(kLife - 0.6, kLife, s));
            return from + kick * (1 - std::exp(-2 * float(s))) +
                   kit::Vec3{0, 0, 2.2f * float(s) / (1 + float(s)) - 5 * size * settle};
        };
        if (n < kNodes) meshes.push_back(dustPuff(random, size, kit::rgb8(112, 54, 46)));
        flights[size_t(n % kNodes)].push_back({t0, kLife, place, 0});
    }
    std::vector<kit::Model> puffs;
    for (int k = 0; k < kNodes; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "DriveDust%02d", k);
        puffs.push_back(flightNode(name, std::move(meshes[size_t(k)]), flights[size_t(k)]));
    }
    return puffs;
}

// A haze of dust for the additive pass: soft glows facing the camera, warm at the heart and falling to black
// at the rim, so that added over the frame they read as sunlit dust with no edge at all. The glows lie about
// the node's Y axis (the camera's line of sight), so the part's slow turn of the node about it only swirls
// them round one another.
kit::Mesh dustHaze(Random& random, int glows, float spread, float size, kit::Color heart) {
    kit::Mesh haze;
    constexpr int kSides = 12;
    for (int g = 0; g < glows; ++g) {
        const float a = random.range(0, 2 * kit::kPi), r = g == 0 ? 0.0f : spread * std::sqrt(random.next());
        const kit::Vec3 at{std::cos(a) * r, random.range(-spread, spread) * 0.5f, std::sin(a) * r * 0.6f};
        const float radius = size * random.range(0.7f, 1.2f) * (g == 0 ? 1.3f : 1.0f);
        const kit::Color c = heart * random.range(0.7f, 1.0f);
        // The heart, a ring at half the reach still glowing a third as much, and the black rim.
        const uint32_t middle = haze.addVertex(at, {0, -1, 0}, {0.5f, 0.5f}, c);
        for (int ring = 0; ring < 2; ++ring) {
            for (int j = 0; j < kSides; ++j) {
                const float b = 2 * kit::kPi * float(j) / kSides, reach = radius * (ring == 0 ? 0.45f : 1.0f);
                haze.addVertex(at + kit::Vec3{std::cos(b) * reach, 0, std::sin(b) * reach * 0.8f}, {0, -1, 0},
                               {0.5f, 0.5f}, ring == 0 ? c * 0.38f : kit::Color{0, 0, 0, 1});
            }
        }
        auto v = [&](int ring, int j) { return middle + 1 + uint32_t(ring * kSides + j % kSides); };
        for (int j = 0; j < kSides; ++j) {
            haze.addTriangle(middle, v(0, j), v(0, j + 1));
            haze.addQuad(v(0, j), v(1, j), v(1, j + 1), v(0, j + 1));
        }
    }
    return haze;
}

// Where the pour lands on the spur, once the truck stands.
kit::Vec3 pourLanding() {
    constexpr float kFull = 0.78f;
    const float turn = float(heading(20));
    return restingLip(kFull) +
           kit::rotateEuler(fallOffset(kFull, 10, fallTime(kFull, 10, kSpurDrop)), {0, 0, turn});
}

// The haze's path: it hangs behind the rear wheels on the drive, settles into the track as the truck halts,
// waits out of sight, then wells up out of the spur where the pour lands and drifts up and out on the wind,
// thicker after the sheet.
kit::Vec3 hazePlace(double t) {
    if (t < kHalt + 0.6) {
        const double ease = easeBetween(0, 1.2, t);
        const kit::Vec3 behind = onTruck(t, {kWheelX, kRearAxleY - kWheelRadius - 2, 0});
        const float settle = float(easeBetween(kHalt - 0.6, kHalt + 0.6, t));
        // It rises from the track as the truck gets going, and sinks back into the ledge at the halt.
        return behind + kit::Vec3{0, 0, kLedgeTop + float(4 * ease - 3) - 14 * settle};
    }
    const kit::Vec3 spot = pourLanding();
    if (t < 16.7) return {spot.x, spot.y, -600};
    const float rise = float(easeBetween(16.7, 18.2, t)), swell = float(easeBetween(22.2, 24, t));
    const float drift = float(std::fmax(0.0, t - 18.2));
    // On the camera's side of the billowing puffs, which would hide it.
    return spot + kit::Vec3{1.2f * drift + 2 * swell, -6, -12 + 19 * rise + 0.4f * drift + 2 * swell};
}

// A facet of grain facing the camera, which looks along +Y and never turns: wound counter-clockwise as it
// sees it, so a single face is enough.
void addFacet(kit::Mesh& into, kit::Vec3 a, kit::Vec3 b, kit::Vec3 c, kit::Color ca, kit::Color cb,
              kit::Color cc) {
    if (kit::cross(b - a, c - a).y > 0) {
        std::swap(b, c);
        std::swap(cb, cc);
    }
    const kit::Vec3 n{0, -1, 0};
    into.addTriangle(into.addVertex(a, n, {0.5f, 0.5f}, ca), into.addVertex(b, n, {0.5f, 0.5f}, cb),
                     into.addVertex(c, n, {0.5f, 0.5f}, cc));
}

// The colour of a kernel in the stream by where it lies across it (`side` from -1, the side toward the
// cliff, in the shade of the bed and the rock, to 1, out toward the low sun behind): violet-brown in the
// shade, warm gold through the body, pale gold on the lit edge; a few catch the sun outright.
kit::Color streamGold(Random& random, float side) {
    const float lit = std::fmin(1.0f, std::fmax(0.0f, 0.45f + 0.5f * side));
    kit::Color c = lit < 0.5f ? kit::mix(kit::rgb8(112, 56, 84), kit::rgb8(214, 124, 28), lit / 0.5f)
                              : kit::mix(kit::rgb8(214, 124, 28), kit::rgb8(250, 178, 58), (lit - 0.5f) / 0.5f);
    const float glint = random.next();
    if (glint < 0.06f) return kit::mix(c, kit::rgb8(255, 228, 150), 0.7f);
    if (glint > 0.9f) return kit::mix(c, kit::rgb8(104, 52, 80), 0.6f);
    return c * random.range(0.86f, 1.06f);
}

// `count` facets of grain scattered through a stretch of a stream: `centre` of the share f of its length,
// `across` the unit direction across it on the screen (toward its lit side), `halfWidth` of f and the
// half-depth along the view. Each is a little triangle turned at random, its corners in slightly different
// shades so that it glints.
kit::Mesh streamFacets(Random& random, int count, float f0, float f1,
                       const std::function<kit::Vec3(float)>& centre,
                       const std::function<kit::Vec3(float)>& across,
                       const std::function<float(float)>& halfWidth, float halfDepth, float size) {
    kit::Mesh grain;
    for (int k = 0; k < count; ++k) {
        const float f = f0 + (f1 - f0) * random.next();
        // Denser through the middle than at the edges, as a pour is.
        const float u = 0.5f * (random.range(-1, 1) + random.range(-1, 1)) * 1.25f;
        const kit::Vec3 at = centre(f) + across(f) * (u * halfWidth(f)) +
                             kit::Vec3{0, random.range(-halfDepth, halfDepth), 0};
        const float s = random.range(0.7f, 1.15f) * size, a = random.range(0, 2 * kit::kPi);
        kit::Vec3 p[3];
        for (int i = 0; i < 3; ++i) {
            const float b = a + 2 * kit::kPi * float(i) / 3;
            p[i] = at + kit::Vec3{std::cos(b) * s, 0, std::sin(b) * s * random.range(0.7f, 1.3f)};
        }
        const kit::Color c = streamGold(random, u);
        addFacet(grain, p[0], p[1], p[2], c, c * 0.8f, kit::mix(c, kit::rgb8(255, 214, 120), 0.25f));
    }
    return grain;
}

// A solid band down the middle of a stretch of stream, behind its facets, so that no sky shows through the
// body of the pour: shaded on its cliff side, gold through the middle and lit on its outer side.
kit::Mesh streamCore(float f0, float f1, int rows, const std::function<kit::Vec3(float)>& centre,
                     const std::function<kit::Vec3(float)>& across, const std::function<float(float)>& halfWidth,
                     float behind) {
    kit::Mesh core;
    const kit::Color tones[3] = {kit::rgb8(124, 62, 78), kit::rgb8(200, 114, 30), kit::rgb8(238, 164, 52)};
    auto point = [&](int i, int c) {
        const float f = f0 + (f1 - f0) * float(i) / float(rows);
        return centre(f) + across(f) * (0.7f * float(c - 1) * halfWidth(f)) + kit::Vec3{0, behind, 0};
    };
    for (int i = 0; i < rows; ++i) {
        for (int c = 0; c < 2; ++c) {
            addFacet(core, point(i, c), point(i, c + 1), point(i + 1, c + 1), tones[c], tones[c + 1],
                     tones[c + 1]);
            addFacet(core, point(i, c), point(i + 1, c + 1), point(i + 1, c), tones[c], tones[c + 1], tones[c]);
        }
    }
    return core;
}

// The pour. A rope of grain leaves the lip and breaks up as it falls: loose kernels in clumps, one cloud
// after another, fan out, roll and rain down onto the spur, where the heap spreads in low mounds and
// kernels skitter off its flanks and over the edge, trickling on down the cliff; dust billows up where it
// lands and drifts out on the wind. The last shove of the hoist at 22 s sends the rest off as one broad
// sheet in a burst of grain; a thinner stream keeps falling to the end.
std::vector<kit::Model> grainFall() {
    std::vector<kit::Model> parts;
    const auto lip = [](double t) { return bedLip(t); };
    const float kFull = 0.78f, kLast = 0.92f;
    const float dropFull = restingLip(kFull).z - spurTop(), dropLast = restingLip(kLast).z - spurTop();
    // The rope at the lip, in two lengths (the second as the first of it falls), that breaks up below.
    const float shares[] = {0, 0.16f, 0.42f};
    for (int i = 0; i < 2; ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "GrainPour%d", i);
        parts.push_back(pourNode(
            name, grainRope(kFull, dropFull, 2, 4.0f, 5, 15, shares[i], shares[i + 1], 51 + i, i == 1),
            16.0 + 0.15 * i, 22.35, lip, {}, false));
        std::snprintf(name, sizeof name, "GrainSheet%d", i);
        parts.push_back(pourNode(name,
                                 grainRope(kLast, dropLast, 3, 6.0f, 4, 21, shares[i], shares[i + 1] + 0.08f,
                                           61 + i, i == 1, 2.2f),
                                 21.9 + 0.1 * i, 23.6, lip, pourVelocity(23.6, 6)));
        std::snprintf(name, sizeof name, "GrainRope%d", i);
        parts.push_back(pourNode(
            name, grainRope(kLast, dropLast, 2, 1.8f, 7, 12, shares[i], shares[i + 1] * 0.8f, 71 + i, i == 1),
            22.8, 30, lip, {}, false));
    }
    // Below the rope the grain falls loose: clouds of kernels leave the lip one after another, each on a
    // node of its own that is used again once its cloud has landed. The stream thins as the bed empties.
    const float turn = float(heading(20));
    const kit::Vec3 at = restingLip(kFull);
    const kit::Vec3 landing = fallOffset(kFull, 10, fallTime(kFull, 10, kSpurDrop));
    // The body of the pour: a thick stream of grain from the lip down into the bin, broad where it leaves the
    // bed and narrowing as it falls and quickens. It grows down from the lip in stretches as the first of the
    // load falls, and it shimmers: each stretch's kernels step down along the fall and back, the two layers
    // out of step. The broad outer layer runs out from the lip down as the end card lands; the narrower heart
    // runs on to the end. In world axes (the facets face the camera), about the lip.
    {
        const float fall = fallTime(kFull, 10, kSpurDrop + 0.6f);
        auto centre = [=](float f) { return kit::rotateEuler(fallOffset(kFull, 10, f * fall), {0, 0, turn}); };
        auto across = [=](float f) {
            const kit::Vec3 d = centre(std::fmin(1.0f, f + 0.02f)) - centre(std::fmax(0.0f, f - 0.02f));
            return kit::normalize(kit::Vec3{-d.z, 0, d.x});
        };
        constexpr int kStretches = 4;
        struct Layer {
            const char* name;
            int facets;
            float width, depth, size;
            double until;
            bool core;
            unsigned seed;
        };
        const Layer layers[] = {{"PourStreamOuter", 260, 3.6f, 2.4f, 0.4f, 27.5, false, 111},
                                {"PourStreamHeart", 200, 2.5f, 1.3f, 0.36f, 30, true, 112}};
        for (int l = 0; l < 2; ++l) {
            const Layer& layer = layers[l];
            Random random(layer.seed);
            auto halfWidth = [w = layer.width](float f) { return w * (1 - 0.4f * f); };
            for (int s = 0; s < kStretches; ++s) {
                const float f0 = std::fmax(0.0f, (float(s) - 0.1f) / kStretches);
                const float f1 = std::fmin(1.0f, (float(s) + 1.1f) / kStretches);
                kit::Mesh mesh =
                    streamFacets(random, layer.facets, f0, f1, centre, across, halfWidth, layer.depth, layer.size);
                if (layer.core) kit::merge(mesh, streamCore(f0, f1, 3, centre, across, halfWidth, 1.6f));
                const kit::Vec3 step = kit::normalize(centre(f1) - centre(f0)) * 0.9f;
                const double reach = double(s) / kStretches * fall;
                auto place = [=](double t) {
                    const int phase = (int(std::lround(t * 20)) + l) % 3;
                    return bedLip(t) + step * (float(phase) / 3);
                };
                char name[24];
                std::snprintf(name, sizeof name, "%s%d", layer.name, s);
                parts.push_back(
                    pourNode(name, std::move(mesh), 16.1 + reach, layer.until + reach, place, {}, false, false));
            }
        }
    }
    // One node a cloud of kernels for each list of flights; a node with no flight is left out.
    auto cloudNodes = [&](const char* prefix, const char* format, Random& random,
                          const std::vector<std::vector<Flight>>& flights, int kernels, float across,
                          float depth, float length, float size) {
        for (std::size_t k = 0; k < flights.size(); ++k) {
            if (flights[k].empty()) continue;
            char name[24];
            std::snprintf(name, sizeof name, format, prefix, int(k));
            parts.push_back(
                flightNode(name, grainCloud(random, kernels, across, depth, length, size), flights[k]));
        }
    };
    auto stream = [&](const char* prefix, int nodes, double from, double until, double every, float slow,
                      float fast, int kernels, float across, float depth, unsigned seed,
                      const std::function<double(double)>& density) {
        Random random(seed);
        std::vector<std::vector<Flight>> flights(nodes);
        int n = 0;
        for (double t0 = from; t0 < until; t0 += every, ++n) {
            if (random.next() > density(t0)) continue;
            const float tip = float(bedTip(t0)), speed = random.range(slow, fast);
            const kit::Vec3 start = bedLip(t0), velocity = pourVelocity(t0, speed);
            const float life = fallTime(tip, speed, start.z - spurTop() - 0.6f * heapHeight(t0));
            auto place = [start, velocity](double s) {
                return start + velocity * float(s) - kit::Vec3{0, 0, 0.5f * kGravity * float(s * s)};
            };
            flights[n % nodes].push_back({t0, life, place, random.range(-4, 4)});
        }
        cloudNodes(prefix, "%s%02d", random, flights, kernels, across, depth, 1.2f, 1);
    };
    stream("GrainFall", 10, 16.0, 29.9, 0.1, 8, 13, 48, 0.5f, 3.5f, 31,
           [](double t) { return easeBetween(15.9, 16.4, t) * (1 - 0.55 * easeBetween(23.2, 29.5, t)); });
    stream("GrainBurst", 10, 21.9, 23.7, 0.1, 9, 19, 40, 1.2f, 5.0f, 33, [](double) { return 1.0; });
    // The spur, and the heap that spreads on it, rising from inside the rock mound after mound.
    kit::Mesh spur = spurMesh();
    kit::rotate(spur, {0, 0, turn});
    kit::translate(spur, at);
    parts.push_back({"PourSpur", {}, {}, std::move(spur), {}, {}});
    // On it, the plank bin that the load is tipped into; from a gap in its outer wall the chute takes the
    // grain on down to the mill.
    constexpr float kBinOuter = -16.5f, kChuteGap = -1.0f;
    {
        kit::Mesh bin = ledge::grainBin(kBinOuter, 3, -12.6f, 10.8f, -kSpurDrop - 0.7f, kChuteGap);
        kit::rotate(bin, {0, 0, turn});
        ledge::sunsetShade(bin, 0.04f);
        parts.push_back({"GrainBin", {}, {}, kit::translate(bin, at), {}, {}});
    }
    const kit::Vec3 chuteFrom =
        at + kit::rotateEuler(kit::Vec3{kBinOuter + 0.4f, kChuteGap, -kSpurDrop + 0.2f}, {0, 0, turn});
    const kit::Vec3 chuteTo = ledge::millDoor();
    parts.push_back({"GrainChute", {}, {}, ledge::grainChute(chuteFrom, chuteTo, ledge::kBenchTop - 1), {}, {}});
    Random heapRandom(43);
    for (size_t i = 0; i < std::size(kMounds); ++i) {
        const Mound m = kMounds[i];
        kit::Mesh mound = moundMesh(heapRandom, m);
        kit::rotate(mound, {0, 0, turn});
        auto place = [=](double t) {
            return at + kit::rotateEuler(landing + kit::Vec3{m.x, m.y, 0}, {0, 0, turn}) -
                   kit::Vec3{0, 0, (m.height + 1.6f) * float(1 - easeBetween(m.from, m.to, t))};
        };
        char name[24];
        std::snprintf(name, sizeof name, "PourHeap%zu", i);
        parts.push_back(pourNode(name, std::move(mound), m.from, 30, place, {}, false, false));
    }
    // Kernels skitter off the heap's flanks: they run down from its crown, faster as they go, and over
    // the spur's edge.
    {
        Random random(47);
        const int nodes = 6;
        std::vector<std::vector<Flight>> flights(nodes);
        int n = 0;
        for (double t0 = 17.6; t0 < 29.6; t0 += 0.3, ++n) {
            const float a = random.range(1.0f, 3.6f), h = heapHeight(t0), reach = heapReach(t0);
            const float edge = 9.5f; // the bin's walls
            auto place = [=](double s) {
                const float r = float(2.5 * s + 5 * s * s), on = std::fmin(r, edge);
                const float z = h * std::fmax(0.0f, 1 - (on / reach) * (on / reach));
                const kit::Vec3 p = landing + kit::Vec3{0.85f * r * std::cos(a), r * std::sin(a), z + 0.3f};
                return at + kit::rotateEuler(p, {0, 0, turn});
            };
            flights[n % nodes].push_back({t0, 1.7, place, random.range(-6, 6)});
        }
        cloudNodes("GrainSkitter", "%s%d", random, flights, 7, 0.3f, 0.5f, 0.3f, 0.8f);
    }
    // The overflow runs out through the gap in the bin's wall and on down the chute to the mill, in clumps
    // that ride its floor and are gone through the mill's door.
    {
        Random random(53);
        const int nodes = 9;
        std::vector<std::vector<Flight>> flights(nodes);
        int n = 0;
        const float length = kit::length(chuteTo - chuteFrom);
        for (double t0 = 19.4; t0 < 29.8; t0 += 0.3, ++n) {
            const float speed = random.range(11, 15), lift = random.range(0.7f, 1.1f);
            auto place = [=](double s) {
                const float f = std::fmin(1.0f, float(s) * speed / length);
                return chuteFrom + (chuteTo - chuteFrom) * f + kit::Vec3{0, 0, lift};
            };
            flights[n % nodes].push_back({t0, double(length / speed), place, random.range(-3, 3)});
        }
        cloudNodes("PourSpill", "%s%d", random, flights, 10, 0.4f, 1.2f, 0.5f, 0.6f);
    }
    // And a steady stream of it runs down the chute's floor from the bin to the mill's door, reaching the
    // door stretch by stretch as the bin first overflows, stepping along like the pour.
    {
        const kit::Vec3 along = kit::normalize(chuteTo - chuteFrom);
        const kit::Vec3 side = kit::normalize(kit::cross(along, {0, 0, 1}));
        const float length = kit::length(chuteTo - chuteFrom);
        auto centre = [=](float f) { return along * (length * f) + kit::Vec3{0, 0, 1.0f}; };
        auto across = [=](float) { return side; };
        auto halfWidth = [](float) { return 0.75f; };
        constexpr int kStretches = 3;
        for (int l = 0; l < 2; ++l) {
            Random random(121 + unsigned(l));
            for (int s = 0; s < kStretches; ++s) {
                const float f0 = float(s) / kStretches, f1 = float(s + 1) / kStretches;
                kit::Mesh mesh = streamFacets(random, 150, f0, f1, centre, across, halfWidth, 0, 0.3f);
                auto place = [=](double t) {
                    const int phase = (int(std::lround(t * 20)) + l) % 3;
                    return chuteFrom + along * (1.2f * float(phase) / 3);
                };
                char name[24];
                std::snprintf(name, sizeof name, "PourChute%d%d", l, s);
                parts.push_back(pourNode(name, std::move(mesh), 19.4 + f0 * length / 13, 30, place, {}, false,
                                         false));
            }
        }
    }
    // Dust billows up where it lands, a puff every 0.7 s from behind the fall, rising and drifting out
    // on the wind toward the sun and rolling as it goes, and settling again into the drop; bigger after
    // the sheet.
    // A puff lives 6 s, so ten nodes take them in turn.
    constexpr int kDustNodes = 10;
    std::vector<std::vector<Flight>> dustFlights(kDustNodes);
    std::vector<kit::Mesh> dustMeshes;
    Random dust(77);
    int puff = 0;
    for (double t0 = 16.9; t0 < 29.6; t0 += 0.7, ++puff) {
        const float size = 1.0f + 0.6f * float(easeBetween(22.5, 24, t0)) + dust.range(0, 0.5f);
        const kit::Vec3 start =
            at +
            kit::rotateEuler(landing + kit::Vec3{dust.range(-3, 3), dust.range(-7, -2), 1}, {0, 0, turn});
        const kit::Vec3 drift{dust.range(0.8f, 2.4f), dust.range(-0.5f, 0.5f), 0};
        auto place = [=](double s) {
            // It settles again: after three seconds it sinks back into the drop, out of the frame, and is
            // gone.
            const float settle = std::fmax(0.0f, float(s) - 3);
            return start + drift * float(s) +
                   kit::Vec3{0, 0, 7 * (1 - std::exp(-float(s) / 1.5f)) - 8 * settle * settle};
        };
        if (puff < kDustNodes) dustMeshes.push_back(dustPuff(dust, size, kit::rgb8(164, 92, 112)));
        dustFlights[size_t(puff % kDustNodes)].push_back({t0, 6, place, dust.range(-0.15f, 0.15f)});
    }
    for (int k = 0; k < kDustNodes; ++k) {
        char name[24];
        std::snprintf(name, sizeof name, "GrainDust%02d", k);
        parts.push_back(flightNode(name, std::move(dustMeshes[size_t(k)]), dustFlights[size_t(k)]));
    }
    return parts;
}

// The truck's own colours (the bake's light set to one everywhere), lit here for a truck seen against the
// sun, which stays behind it: what faces the camera stands in its own shade, dark and cool under the
// violet sky, with a little warm bounce from the rock on what faces down; only the faces that turn across
// the view and lean back toward the low sun (the tops, the edges, the back corners) catch it, as a warm rim.
kit::Mesh& backlit(kit::Mesh& mesh) {
    // In the truck's own frame: it comes toward the camera, its back to the sun.
    const kit::Vec3 turn{0, 0, -kit::kPi};
    const kit::Vec3 toSun = kit::rotateEuler(kit::normalize(sunsetLight().toSun), turn);
    const kit::Vec3 toSky = kit::rotateEuler(kit::normalize(kit::Vec3{0.15f, -1.0f, 0.45f}), turn);
    for (size_t i = 0; i < mesh.positions.size(); ++i) {
        kit::Vec3 n = kit::normalize(mesh.normals[i]);
        float up = 0.5f + 0.5f * n.z;
        kit::Color light =
            kit::mix(kit::Color{0.24f, 0.15f, 0.13f, 1}, kit::Color{0.2f, 0.19f, 0.32f, 1}, up);
        float fill = std::fmax(0.0f, kit::dot(n, toSky));
        float across = 1 - std::fabs(n.y);
        float lean = std::fmax(0.0f, (kit::dot(n, toSun) + 0.3f) / 1.3f);
        float rim = across * across * lean * std::sqrt(lean);
        light = {light.r + 0.2f * fill + 2.0f * rim, light.g + 0.2f * fill + 1.05f * rim,
                 light.b + 0.32f * fill + 0.35f * rim, 1};
        kit::Color& c = mesh.colors[i];
        c = {std::fmin(1.0f, c.r * light.r), std::fmin(1.0f, c.g * light.g), std::fmin(1.0f, c.b * light.b),
             1};
    }
    return mesh;
}
kit::LightRig unlit() {
    kit::LightRig rig;
    rig.sun = {0, 0, 0};
    rig.sky = rig.ground = {1, 1, 1};
    rig.creviceHeight = 0;
    return rig;
}

// The right-hand wheels are drawn without the tyre picture: a round tyre with its tread blocks in two shades
// of rubber (so that the turn shows and the outline stays round from behind), and the yellow hub.
kit::Mesh rubberWheel() {
    kit::Mesh tyre = truckTyre(false, unlit(), {});
    kit::Mesh wheel;
    for (const auto& tri : tyre.triangles) {
        kit::Vec3 c =
            (tyre.positions[tri[0]] + tyre.positions[tri[1]] + tyre.positions[tri[2]]) * (1.0f / 3.0f);
        float radius = std::hypot(c.y, c.z);
        int block =
            int(std::floor((std::atan2(c.z, c.y) + kit::kPi) / (2 * kit::kPi) * 20 + (c.x > 0 ? 0.5f : 0)));
        bool tread = radius > kWheelRadius - 0.45f;
        kit::Color colour = !tread      ? kit::rgb8(58, 54, 52)
                            : block % 2 ? kit::rgb8(74, 68, 64)
                                        : kit::rgb8(36, 33, 32);
        uint32_t v[3];
        for (int i = 0; i < 3; ++i)
            v[i] = wheel.addVertex(tyre.positions[tri[i]], tyre.normals[tri[i]], {0.5f, 0.5f}, colour);
        wheel.addTriangle(v[0], v[1], v[2]);
    }
    kit::merge(wheel, truckHub(false, unlit(), {}));
    return backlit(wheel);
}

// A flock of birds that glides across the sky in front of the sun, dark against it, early in the finale.
kit::Model birds() {
    kit::Mesh flock;
    Random random(5);
    for (int i = 0; i < 7; ++i) {
        kit::Vec3 at{random.range(-22, 22), random.range(-14, 14), random.range(-7, 7)};
        if (i == 0) at = {};
        float span = random.range(2.6f, 3.4f), lift = random.range(0.5f, 1.3f);
        kit::Mesh bird;
        kit::Color dark = kit::rgb8(30, 16, 26);
        uint32_t body = bird.addVertex({0, 0.9f, 0}, {0, -1, 0}, {0.5f, 0.5f}, dark);
        uint32_t tail = bird.addVertex({0, -0.5f, -0.2f}, {0, -1, 0}, {0.5f, 0.5f}, dark);
        uint32_t left = bird.addVertex({-span, -0.3f, lift}, {0, -1, 0}, {0.5f, 0.5f}, dark);
        uint32_t right = bird.addVertex({span, -0.3f, lift}, {0, -1, 0}, {0.5f, 0.5f}, dark);
        bird.addTriangle(body, left, tail);
        bird.addTriangle(body, tail, right);
        kit::makeTwoSided(bird);
        // Seen from behind and a little below: turn the flock to face across the frame, then place the bird.
        kit::rotate(bird, {-0.35f, 0, -kit::kPi / 2});
        kit::merge(flock, kit::translate(bird, at));
    }
    // Across the frame from left to right, some 260 units off, between 2 s and 13 s; a slow rise and fall.
    auto path = sampleFrames(kFrames, [](double t) {
        kit::Vec3 eye = cameraEye(t);
        float x = float(-170 + 28 * t);
        return eye + kit::Vec3{x, 260, float(30 + 6 * std::sin(t * 1.3) - 0.6 * t)};
    });
    return {"Birds", path[0], {}, std::move(flock), kit::positionCurves(path), {}};
}

// A node that keeps its place relative to the moving camera, as if infinitely far away.
kit::Model followCamera(const char* name, kit::Vec3 offset, kit::Mesh mesh, kit::Vec3 rotationDegrees = {}) {
    auto path = sampleFrames(kFrames, [&](double t) { return cameraEye(t) + offset; });
    return {name, path[0], rotationDegrees, std::move(mesh), kit::positionCurves(path), {}};
}

// The same for something that rides with the setting sun, `distance` away from the camera.
kit::Model followSun(const char* name, float distance, kit::Mesh mesh) {
    auto path = sampleFrames(kFrames, [&](double t) { return cameraEye(t) + sunDirection(t) * distance; });
    return {name, path[0], {}, std::move(mesh), kit::positionCurves(path), {}};
}

// The end card: the group's name in gold, coming down into the sky over the sunset and coming to
// rest on its hit (168 s of the production), two seconds before the last chord.
kit::Model endCard() {
    // Letters set one by one at even gaps, the open V and A tucked into each other.
    float width = 0;
    kit::Mesh text;
    const std::string name = "KESTROVA";
    for (size_t i = 0; i < name.size(); ++i) {
        float letterWidth = 0;
        kit::Mesh letter = blockText(name.substr(i, 1), 1.5f, 0.12f, letterWidth);
        if (i > 0) width += name[i - 1] == 'V' && name[i] == 'A' ? -0.3f : 1.2f;
        kit::merge(text, kit::translate(letter, {width, 0, 0}));
        width += letterWidth;
    }
    constexpr float size = 6.2f;
    kit::translate(text, {-width / 2, 0, 0});
    kit::scale(text, {size, size, size});
    // Pale gold faces over dark sides, with a hard dark plum shadow down and to the right so that they stand
    // off the bright sunburst: a copy of the faces alone, set back by more than the depth buffer blurs at
    // this distance and drawn after the faces, so that the depth test turns it away under the letters. One
    // copy: every triangle here costs the frame as much as a few hundred of its pixels.
    float textBottom = 0, textTop = 0;
    for (const kit::Vec3& p : text.positions) {
        textBottom = std::fmin(textBottom, p.y);
        textTop = std::fmax(textTop, p.y);
    }
    kit::tintByHeight(text, 0, 7 * size, kit::rgb8(255, 206, 110), kit::rgb8(255, 248, 214));
    kit::Mesh outline;
    const kit::Color rim = kit::rgb8(46, 12, 34);
    for (size_t i = 0; i < text.colors.size(); ++i) {
        if (text.normals[i].z <= 0.9f) text.colors[i] = kit::rgb8(92, 30, 44);
    }
    const kit::Vec3 offset{0.7f * size, -0.7f * size, -2 * size};
    for (const auto& tri : text.triangles) {
        if (text.normals[tri[0]].z <= 0.9f || text.normals[tri[1]].z <= 0.9f ||
            text.normals[tri[2]].z <= 0.9f)
            continue;
        uint32_t v[3];
        for (int k = 0; k < 3; ++k)
            v[k] = outline.addVertex(text.positions[tri[k]] + offset, {0, 0, 1}, {0.5f, 0.5f}, rim);
        outline.addTriangle(v[0], v[1], v[2]);
    }
    kit::merge(text, outline);
    // Behind both, a dark plate: the glow is added over the whole frame, so only a dark ground keeps the pale
    // letters apart from the rays around them. Last, so that the letters turn it away.
    const float margin = 2.4f * size, halfWidth = width * size / 2 + margin;
    kit::Mesh plate;
    auto band = [&plate](float inset, float z, kit::Color bottom, kit::Color top, float x, float y0,
                         float y1) {
        uint32_t a = plate.addVertex({-x + inset, y0 + inset, z}, {0, 0, 1}, {0.5f, 0.5f}, bottom);
        uint32_t b = plate.addVertex({x - inset, y0 + inset, z}, {0, 0, 1}, {0.5f, 0.5f}, bottom);
        uint32_t c = plate.addVertex({x - inset, y1 - inset, z}, {0, 0, 1}, {0.5f, 0.5f}, top);
        uint32_t d = plate.addVertex({-x + inset, y1 - inset, z}, {0, 0, 1}, {0.5f, 0.5f}, top);
        plate.addQuad(a, b, c, d);
    };
    band(0.45f * size, -3 * size, kit::rgb8(34, 8, 30), kit::rgb8(58, 16, 44), halfWidth, textBottom - margin,
         textTop + margin);
    // Its rim: a glowing edge in the sunset's colours, a band behind the plate that shows only round it.
    band(0.05f * size, -3.2f * size, kit::rgb8(255, 120, 56), kit::rgb8(255, 220, 140), halfWidth,
         textBottom - margin, textTop + margin);
    // Round the letters, the marquee's row of lit bulbs, standing about as far forward as the letters so that
    // looking up at the card does not slide them apart.
    const float ring = margin - 1.2f * size;
    kit::merge(plate, ledge::marqueeLamps(halfWidth - margin + ring, textBottom - ring, textTop + ring,
                                          2.6f * size, 0.95f * size, -0.7f * size));
    kit::merge(text, plate);
    kit::rotate(text, {kit::kPi / 2, 0, 0});
    auto path = sampleFrames(kFrames, [](double t) {
        // Straight ahead, it comes down from above the frame to rest 60% of the frame above the middle, over
        // the tipped bed, and so never passes behind the bed or the range. Until then it waits above the
        // frame, where the view's clipping turns it away at no cost.
        // It gathers speed as it comes and lands on its hit with a small bounce.
        const double u = std::fmin(1.0, std::fmax(0.0, (t - (kRest - 2)) / 2));
        double drop = 0.35 * u + 0.65 * u * u;
        if (t > kRest)
            drop -= 0.08 * std::fabs(std::sin((t - kRest) * 2 * kit::kPi)) * std::exp(-(t - kRest) * 3);
        float ndcY = float(1.5 - 0.9 * drop);
        kit::Vec3 ray = kit::viewRay(cameraAngles(), kFieldOfView, 0, ndcY);
        return cameraEye(t) + ray * (kCardDistance / ray.y) - kit::Vec3{0, 0, 3.5f * size};
    });
    return {"EndCard", path[0], {}, std::move(text), kit::positionCurves(path), {}};
}

} // namespace

SceneSource buildLedge() {
    SceneSource scene{"ledge.xsi", {}, kFrames};
    kit::Vec3 sun = sunDirection();
    kit::Mesh ranges = ledge::distantRanges(cameraAngles(), kFieldOfView);
    kit::Mesh skyMesh = skyBox();
    dropSkyBehindRanges(skyMesh, ranges);
    // The part draws the ledge itself, before the rest. The truck goes before the land, the land from near to
    // far, and the sky after all that stands in front of it, so that the depth test turns away what is hidden
    // before it is shaded. (The sky box lies 100 units and more behind the ranges: no tie in the depth
    // buffer.)
    scene.models.push_back({"Ledge", {0, 0, 0}, {}, mesaMesh(), {}, {}});
    // The iris closes on the sun's glow after the last chord (28-29.5 s); first, so that what it covers is
    // turned away unshaded.
    for (kit::Model& blade : ledge::irisBlades(
             kFrames, [](double t) { return cameraEye(t); }, cameraAngles(), kFieldOfView, kSunNdcX, kSunNdcY,
             28, 29.5))
        scene.models.push_back(std::move(blade));
    kit::Vec3 body = onTruck(0, {}) + kit::Vec3{0, 0, kBodyZ};
    // The part rocks the body by up to 0.4 units; the keys do the same.
    kit::Mesh bodyMesh = truckBody(unlit(), {body, {}});
    bodyMesh = kit::keepSeen(backlit(bodyMesh), viewsFromTruck({0, 0, kBodyZ}, 0.4f));
    // The dump bed (with its ribs, the canopy over the cab and the striped rear) tips on its own keys, about
    // the hinge: every triangle that lies within one of those parts.
    const kit::Vec3 hinge{kHingeX, 0, kHingeZ};
    kit::Mesh bedMesh, frameMesh;
    {
        struct Box {
            kit::Vec3 lo, hi;
        };
        const Box parts[] = {
            {{-6.6f, -12.2f, 7.8f}, {6.6f, 2.8f, 14.0f}}, {{-6.8f, 2.4f, 14.2f}, {6.8f, 10.4f, 14.8f}},
            {{-6.0f, 2.55f, 13.9f}, {6.0f, 3.2f, 14.3f}}, {{-6.95f, -9.4f, 8.0f}, {-6.55f, 1.4f, 13.8f}},
            {{6.55f, -9.4f, 8.0f}, {6.95f, 1.4f, 13.8f}}, {{-6.4f, -12.6f, 7.6f}, {6.4f, -12.1f, 8.6f}}};
        std::vector<bool> onBed;
        for (const auto& tri : bodyMesh.triangles) {
            bool found = false;
            for (const Box& box : parts) {
                bool inside = true;
                for (uint32_t v : tri) {
                    kit::Vec3 p = bodyMesh.positions[v] + kit::Vec3{0, 0, kPivotAboveGround};
                    inside = inside && p.x > box.lo.x - 0.01f && p.x < box.hi.x + 0.01f &&
                             p.y > box.lo.y - 0.01f && p.y < box.hi.y + 0.01f && p.z > box.lo.z - 0.01f &&
                             p.z < box.hi.z + 0.01f;
                    // The exhaust stack's cap stands under the canopy: it stays on the chassis.
                    inside = inside && std::hypot(p.x - 0.9f, p.y - 4.3f) > 0.5f;
                }
                found = found || inside;
            }
            onBed.push_back(found);
        }
        // The frame, axles and tank under the bed only show once it tips: they are a part of their own, kept
        // out of the way (and off the frame's cost) until then.
        std::vector<bool> underBed;
        for (size_t i = 0; i < bodyMesh.triangles.size(); ++i) {
            bool inside = !onBed[i];
            for (uint32_t v : bodyMesh.triangles[i]) {
                kit::Vec3 p = bodyMesh.positions[v];
                inside = inside && std::fabs(p.x) < kBedX - 0.1f && p.y > kBedBack + 0.1f &&
                         p.y < kBedFront - 0.1f && p.z < kBedTop - kPivotAboveGround;
            }
            underBed.push_back(inside);
        }
        frameMesh = kit::keepTriangles(bodyMesh, underBed);
        bedMesh = kit::keepTriangles(bodyMesh, onBed);
        for (size_t i = 0; i < onBed.size(); ++i)
            onBed[i] = !onBed[i] && !underBed[i];
        bodyMesh = kit::keepTriangles(bodyMesh, onBed);
        // The bed goes without the body's picture: its paint in vertex colours, yellow as in the chase, the
        // floor and underside dark metal, and the rear bar in black and yellow stripes.
        for (size_t i = 0; i < bedMesh.colors.size(); ++i) {
            const kit::Vec3 p = bedMesh.positions[i];
            const kit::Color paint = std::fabs(bedMesh.normals[i].z) > 0.9f && std::fabs(p.x) < 6.5f &&
                                             p.z + kPivotAboveGround < 14.1f
                                         ? kit::rgb8(70, 66, 62)
                                         : kit::rgb8(238, 178, 34);
            kit::Color& c = bedMesh.colors[i];
            c = {c.r * paint.r, c.g * paint.g, c.b * paint.b, 1};
        }
        for (int k = 0; k < 6; ++k) {
            const float x = -6.0f + 2.1f * float(k), y = -12.68f, z0 = 7.6f - kPivotAboveGround, z1 = z0 + 1;
            const kit::Color black = kit::rgb8(26, 22, 20);
            uint32_t a = bedMesh.addVertex({x, y, z0}, {0, -1, 0}, {0.5f, 0.5f}, black);
            uint32_t b = bedMesh.addVertex({x + 0.8f, y, z0}, {0, -1, 0}, {0.5f, 0.5f}, black);
            uint32_t c = bedMesh.addVertex({x + 1.6f, y, z1}, {0, -1, 0}, {0.5f, 0.5f}, black);
            uint32_t d = bedMesh.addVertex({x + 0.8f, y, z1}, {0, -1, 0}, {0.5f, 0.5f}, black);
            bedMesh.addQuad(a, b, c, d);
        }
        // Planked sides as on the chase's truck: boards in two shades of the paint, dark seams between them,
        // standing a little off the sides (under the ribs), lit like the rest of the truck.
        kit::Mesh planks;
        for (float side : {-1.0f, 1.0f}) {
            const float y0 = -12.1f, y1 = 2.7f;
            auto strip = [&](float x, float z0, float z1, kit::Color paint) {
                const kit::Vec3 n{side, 0, 0};
                const float ya = side > 0 ? y0 : y1, yb = side > 0 ? y1 : y0;
                const float za = z0 - kPivotAboveGround, zb = z1 - kPivotAboveGround;
                uint32_t a = planks.addVertex({x, ya, za}, n, {0.5f, 0.5f}, paint);
                uint32_t b = planks.addVertex({x, yb, za}, n, {0.5f, 0.5f}, paint);
                uint32_t c = planks.addVertex({x, yb, zb}, n, {0.5f, 0.5f}, paint);
                uint32_t d = planks.addVertex({x, ya, zb}, n, {0.5f, 0.5f}, paint);
                planks.addQuad(a, b, c, d);
            };
            for (int k = 0; k < 4; ++k) {
                const float z = 7.95f + 1.5f * float(k);
                strip(side * 6.68f, z, z + 1.5f, k % 2 ? kit::rgb8(238, 178, 34) : kit::rgb8(222, 160, 30));
                if (k > 0) strip(side * 6.76f, z - 0.09f, z + 0.09f, kit::rgb8(96, 62, 20));
            }
        }
        kit::merge(bedMesh, backlit(planks));
        kit::translate(bedMesh, kit::Vec3{} - hinge);
        // Its left side turns down toward the drop, away from the sky: in the shade.
        for (size_t i = 0; i < bedMesh.colors.size(); ++i) {
            if (bedMesh.normals[i].x < -0.5f) bedMesh.colors[i] = bedMesh.colors[i] * 0.55f;
        }
    }
    kit::sortNearFirst(bodyMesh, cameraEye(0) - body);
    kit::sortNearFirst(bedMesh, cameraEye(0) - body - hinge);
    // The name board rides with the bed on the same keys, but is drawn before it: from afar its face and the
    // bed's back behind it fall within one step of the depth buffer, and the first drawn wins such ties.
    kit::Mesh sign = kit::keepSeen(rearSign(), viewsFromTruck({0, 0, kBodyZ}, 0.4f));
    scene.models.push_back(onTruckModel("Sign", {kHingeX, 0, 0}, kBodyZ + kHingeZ,
                                        kit::translate(sign, kit::Vec3{} - hinge), true, false, true));
    // The load it carried through the chase. It lies open to the sky and the low sun over the cab, so it
    // glows gold above the shaded back of the bed. Drawn before the body, whose empty bed it hides. Relative
    // to the body's pivot, like the bed it lies in.
    kit::Mesh load = truckGrainLoad();
    kit::translate(load, {0, 0, -kPivotAboveGround});
    for (size_t i = 0; i < load.colors.size(); ++i) {
        float up = std::fmax(0.0f, load.normals[i].z);
        kit::Color light = kit::mix(kit::Color{0.55f, 0.36f, 0.3f, 1}, kit::Color{1.05f, 0.8f, 0.55f, 1}, up);
        kit::Color& c = load.colors[i];
        c = {std::fmin(1.0f, c.r * light.r), std::fmin(1.0f, c.g * light.g), std::fmin(1.0f, c.b * light.b),
             1};
    }
    load = kit::keepSeen(load, viewsFromTruck({0, 0, kBodyZ}, 0.4f));
    // As the bed leans the heap slides toward its low side and sinks into it: the bed's top hides what has
    // gone.
    auto drain = [](double t) {
        float d = float(drained(t));
        return kit::Vec3{-1.5f * d, 0, -4.2f * d};
    };
    scene.models.push_back(onTruckModel("GrainLoad", {kHingeX, 0, 0}, kBodyZ + kHingeZ,
                                        kit::translate(load, kit::Vec3{} - hinge), true, false, true, drain));
    scene.models.push_back(
        onTruckModel("DumpBed", {kHingeX, 0, 0}, kBodyZ + kHingeZ, std::move(bedMesh), true, false, true));
    scene.models.push_back(onTruckModel("Terex_MainBody", {}, kBodyZ, std::move(bodyMesh), true, false));
    kit::sortNearFirst(frameMesh, cameraEye(20) - body);
    scene.models.push_back(
        onTruckModel("TruckFrame", {}, kBodyZ, std::move(frameMesh), true, false, false, nullptr, 20));
    for (kit::Model& row : grainFall())
        scene.models.push_back(std::move(row));
    for (kit::Model& puff : driveDust())
        scene.models.push_back(std::move(puff));
    for (const WheelSlot& slot : truckWheelSlots()) {
        kit::Vec3 at = onTruck(8, {slot.offset.x, slot.offset.y, 0}) + kit::Vec3{0, 0, kWheelZ};
        // Only the left wheels take the tyre texture in this scene; the others are rubber in vertex colours.
        std::string name = slot.name;
        bool textured = name == "Terex_RL_Wheel" || name == "Terex_FL_Wheel";
        kit::Mesh wheel;
        if (textured) {
            wheel = truckWheel(slot.left, unlit(), {at, {}}, 16);
            backlit(wheel);
        } else {
            wheel = rubberWheel();
            name = name == "Terex_RL_Wheel01" ? "Terex_RR_Wheel" : "Terex_FR_Wheel";
        }
        // The wheels spin through every angle; their sides away from the camera never show.
        std::vector<kit::View> views;
        for (const kit::View& key : viewsFromTruck({slot.offset.x, slot.offset.y, kWheelZ}, 0.2f)) {
            for (int degree = 0; degree < 360; degree += 4)
                views.push_back(kit::turned(key, {}, {float(degree) * kit::kPi / 180, 0, 0}));
        }
        wheel = kit::keepSeen(wheel, views, 0.05f);
        scene.models.push_back(
            onTruckModel(name, {slot.offset.x, slot.offset.y, 0}, kWheelZ, std::move(wheel), false, true));
    }
    // The farmstead on the bench below the brink, where the harvest is going.
    scene.models.push_back({"Farmstead", {0, 0, 0}, {}, kit::keepSeen(ledge::farmstead(), viewsFrom({}, 0)), {}, {}});
    scene.models.push_back(ledge::millSails(kFrames));
    scene.models.push_back({"MillBench", {0, 0, 0}, {}, kit::keepSeen(ledge::millBench(), viewsFrom({}, 0)), {}, {}});
    scene.models.push_back(
        {"Trees", {0, 0, 0}, {}, ledge::valleyTrees(viewsFromTurning(kTreesTurn), kTurnSlack), {}, {}});
    scene.models.push_back({"Valley", {0, 0, 0}, {}, ledge::valleyLand(viewsFrom({}, 0)), {}, {}});
    scene.models.push_back(followCamera("Range", {}, std::move(ranges)));
    kit::Mesh disc = kit::cylinder(15 * kSunDistance / 470, -0.5f, 0.5f, 32);
    kit::rotate(disc, {kit::kPi / 2, 0, 0});
    // Rides with the camera too: the faces turned away from it go.
    disc = kit::keepSeen(disc, {kit::makeView(sun * -kSunDistance, cameraAngles(), kFieldOfView)});
    scene.models.push_back(followSun("Sun", kSunDistance, disc));
    scene.models.push_back(
        onTruckModel("Lightbeam01", {-kLampX, kLampY, 0}, kBeamZ, headlightBeam(), true, false));
    scene.models.push_back(
        onTruckModel("Lightbeam02", {kLampX, kLampY, 0}, kBeamZ, headlightBeam(), true, false));
    scene.models.push_back(birds());
    scene.models.push_back(endCard());
    scene.models.push_back(followCamera("Skybox", {}, std::move(skyMesh)));
    // The fans keep the size on screen they had at 700 units.
    constexpr float fanScale = kFanDistance / 700;
    // Both fans turn together on the first node, the fainter one a little nearer; the second node carries
    // the dust haze of the drive and the pour.
    kit::Mesh fans = sunbeamFan(18, 330 * fanScale, 1, {0.55f, 0.4f, 0.2f, 1}, 7);
    kit::Mesh fainter = sunbeamFan(12, 260 * fanScale, 1, {0.35f, 0.25f, 0.15f, 1}, 8);
    kit::merge(fans, kit::translate(fainter, {0, -10, 0}));
    scene.models.push_back(followSun("Sunbeams01", kFanDistance, std::move(fans)));
    {
        Random random(97);
        kit::Mesh haze = dustHaze(random, 9, 6.5f, 8.5f, {0.34f, 0.19f, 0.09f, 1});
        auto path = sampleFrames(kFrames, hazePlace);
        scene.models.push_back({"Sunbeams02", path[0], {}, std::move(haze), kit::positionCurves(path), {}});
    }
    kit::CameraAngles view = cameraAngles();
    constexpr float kDeg = 180 / kit::kPi;
    kit::Model camera = followCamera("Camera_ledge", {}, {});
    camera.rotationDegrees = {float(view.rx) * kDeg, float(view.ry) * kDeg, float(view.rz) * kDeg};
    scene.models.push_back(std::move(camera));
    return scene;
}

} // namespace scenes
