// Finale: the truck on a turning cliff ledge at sunset, trees below, sky box, sun and beams.
#include "models.h"
#include "scene_list.h"

#include "kit/camera_rig.h"
#include "kit/occlusion.h"
#include "kit/shapes.h"
#include "kit/visibility.h"

#include <cmath>

namespace scenes {
namespace {

constexpr int kFrames = 601; // 0-30 s
constexpr float kTruckX = 40;  // the truck stands on the rim at this radius, facing +Y
constexpr float kBodyZ = 41.573f;
constexpr float kWheelZ = 37.821f;
constexpr float kBeamZ = 39.459f;
constexpr float kLedgeTop = kWheelZ - kWheelRadius - 0.02f;
constexpr float kSkyHalf = 800;  // sky box around the camera: the view's corners stay inside the far plane
constexpr float kSunDistance = 620; // behind the far range from every point of the camera's path
constexpr float kFanDistance = 700; // behind the far range, which hides the beams below the horizon
constexpr float kCardDistance = 660; // the end card rises between the sun and the beams
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

// The camera never turns (the glow is fixed on screen), so the finale is directed by moves of the eye: it
// opens low behind the truck as it drives along the rim, pulls back, cranes up and out over the drop (8-16 s)
// to show the valley, then falls back and lets the truck pull away into the sunset.
kit::Vec3 cameraEye(double t) {
    static const std::vector<PathPoint> path{{0, {44, -44, 48}},   {6, {45, -58, 51}},  {12, {52, -76, 66}},
                                             {18, {52, -92, 72}},  {24, {44, -100, 68}}, {30, {34, -104, 64}}};
    return pathAt(path, t);
}

// The drive. The part turns the ledge under the truck, so a truck that stands still drives along the rim; from
// 10 s it also pulls away from the camera round the rim (its heading angle about the mesa's axis, radians) and
// edges out toward the drop (its radius).
double driveAngle(double t) { return 0.75 * easeBetween(10, 30, t); }
float driveRadius(double t) { return kTruckX + 3.0f * float(easeBetween(12, 20, t)); }
// The part's rocking of the body (the keys replace it), in scene units.
float bodyRock(double t) {
    float c = float(t * 1000);
    return float(std::sin(c / 78) / 5 + std::sin(c / 100) / 5);
}
// Where a point given relative to the body's pivot (truck facing +Y) stands at time t, and the truck's turn.
kit::Vec3 onTruck(double t, kit::Vec3 offset) {
    float a = float(driveAngle(t)), r = driveRadius(t);
    kit::Vec3 pivot{std::cos(a) * r, std::sin(a) * r, 0};
    return pivot + kit::rotateEuler(offset, {0, 0, a});
}

kit::CameraAngles cameraAngles() {
    return kit::aimCamera({}, kit::Vec3{0.05f, 1.0f, -0.105f});
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
kit::Vec3 sunDirection() { return kit::viewRay(cameraAngles(), kFieldOfView, kSunNdcX, kSunNdcY); }
// The sun sets over the last 12 s: it sinks into the far range, the last of it gone at the final chord.
kit::Vec3 sunDirection(double t) {
    float sink = 0.25f * float(easeBetween(18, 29, t));
    return kit::viewRay(cameraAngles(), kFieldOfView, kSunNdcX, kSunNdcY - sink);
}

// Elevation-graded sunset, brightest toward the sun, dark below the visible horizon.
kit::Color skyColor(kit::Vec3 dir) {
    kit::Vec3 sun = sunDirection();
    float e = std::asin(std::fmax(-1.0f, std::fmin(1.0f, dir.z))) * 180 / kit::kPi + 6; // degrees above horizon
    struct Stop {
        float at;
        kit::Color c;
    };
    const Stop stops[] = {{-90, kit::rgb8(30, 12, 24)},  {-2, kit::rgb8(70, 30, 40)},  {0, kit::rgb8(250, 140, 60)},
                          {4, kit::rgb8(245, 120, 70)},  {12, kit::rgb8(215, 90, 95)}, {30, kit::rgb8(120, 50, 120)},
                          {60, kit::rgb8(45, 25, 85)},   {90, kit::rgb8(20, 12, 50)}};
    kit::Color c = stops[0].c;
    for (size_t i = 0; i + 1 < std::size(stops); ++i) {
        if (e >= stops[i].at && e <= stops[i + 1].at) {
            c = kit::mix(stops[i].c, stops[i + 1].c, (e - stops[i].at) / (stops[i + 1].at - stops[i].at));
        }
    }
    float toward = std::fmax(0.0f, kit::dot(dir, sun));
    float glow = std::pow(toward, 6.0f) * (e > -2 ? 1.0f : 0.3f);
    return {std::fmin(1.0f, c.r + 0.35f * glow), std::fmin(1.0f, c.g + 0.3f * glow), std::fmin(1.0f, c.b + 0.1f * glow), 1};
}

kit::Mesh skyBox() {
    kit::Mesh sky;
    const int cells = 12;
    for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {-1.0f, 1.0f}) {
            kit::Mesh face = kit::grid({-kSkyHalf, -kSkyHalf, kSkyHalf}, {kSkyHalf, kSkyHalf, kSkyHalf}, cells, cells);
            // Turn the +Z face onto the wanted axis, then look at it from inside.
            if (axis == 0) kit::rotate(face, {0, kit::kPi / 2, 0});
            if (axis == 1) kit::rotate(face, {-kit::kPi / 2, 0, 0});
            if (sign < 0) kit::rotate(face, axis == 2 ? kit::Vec3{kit::kPi, 0, 0} : kit::Vec3{0, 0, kit::kPi});
            kit::flipFaces(face);
            kit::merge(sky, face);
        }
    }
    for (size_t i = 0; i < sky.positions.size(); ++i) sky.colors[i] = skyColor(kit::normalize(sky.positions[i]));
    // The box rides with the camera, which never turns: only the cells in front of it ever show.
    return kit::keepSeen(sky, {kit::makeView({}, cameraAngles(), kFieldOfView)});
}

// The sky box without the cells that the valley floor hides all the way along the camera's path. The sky is
// drawn before the valley, so every pixel of those cells would be shaded only to be covered.
void dropSkyBelowValley(kit::Mesh& sky, const kit::Mesh& valley) {
    auto eye = [](size_t m) { return cameraEye(0.05 * double(m)); };
    std::vector<kit::OcclusionInstance> instances{
        {&sky, [&](size_t) { return kit::makeView({}, cameraAngles(), kFieldOfView, 1); }, false, true},
        {&valley, [&](size_t m) { return kit::makeView(eye(m), cameraAngles(), kFieldOfView, 1); }, true, false}};
    kit::OcclusionSettings settings;
    settings.farPlane = 1000;
    sky = kit::keepTriangles(sky, kit::trianglesEverSeen(instances, kFrames, settings)[0]);
}

// Height of the ledge's top at radius r and angle a: a flat track under the wheels, rough rock elsewhere.
float ledgeHeight(float r, float a) {
    float rough = valueNoise(std::cos(a) * r / 6, std::sin(a) * r / 6, 11) - 0.5f;
    if (r > 30 && r < 50) return kLedgeTop;
    float edge = r <= 30 ? (30 - r) / 10 : (r - 50) / 4;
    return kLedgeTop + std::fmin(1.0f, edge) * (0.6f + 2.5f * rough);
}

// The ledge: a rock mesa turned about Z, with a flat track along its rim and a broken cliff below.
kit::Mesh ledge() {
    // Rings from the centre out over the top, then down the cliff face. Near the centre a ring needs fewer
    // segments for the same spacing around it: each count halves the one outside it, so the bands between
    // them close without gaps.
    struct Ring {
        float r, z;
        bool top;
        int segments;
    };
    std::vector<Ring> rings{{0.5f, 0, true, 12}, {8, 0, true, 24}, {16, 0, true, 48}};
    for (float r : {22.0f, 27.0f, 30.0f, 34.0f, 38.0f, 42.0f, 46.0f, 50.0f, 51.5f, 53.0f}) {
        rings.push_back({r, 0, true, 96});
    }
    for (float z : {30.0f, 22.0f, 12.0f, 2.0f, -3.0f}) rings.push_back({0, z, false, 96});
    std::vector<std::vector<kit::Vec3>> grid(rings.size());
    for (size_t k = 0; k < rings.size(); ++k) {
        const int segments = rings[k].segments;
        for (int j = 0; j <= segments; ++j) {
            float a = 2 * kit::kPi * float(j % segments) / float(segments);
            float r = rings[k].r, z = rings[k].z;
            if (!rings[k].top) {
                float depth = (kLedgeTop - z) / (kLedgeTop + 3);
                r = 56 + 7 * depth + 4 * (valueNoise(a * 8, z / 7, 5) - 0.5f);
            } else {
                z = ledgeHeight(r, a);
            }
            grid[k].push_back({std::cos(a) * r, std::sin(a) * r, z});
        }
    }
    kit::Mesh mesh;
    // One flat-shaded face, its corners in order (outward, around, then back in).
    auto addFace = [&](size_t k, std::initializer_list<std::pair<kit::Vec3, bool>> corners) {
        std::vector<kit::Vec3> p;
        for (const auto& corner : corners) p.push_back(corner.first);
        // Rings run outward and downward, so this cross product points up on top and out on the cliff.
        kit::Vec3 n = kit::normalize(kit::cross(p[1] - p[0], p.back() - p[0]));
        std::vector<uint32_t> v;
        for (const auto& [at, outer] : corners) {
            bool cliff = !rings[k].top || (k + 1 < rings.size() && !rings[k + 1].top && outer);
            float a = std::atan2(at.y, at.x);
            kit::Vec2 uv = cliff ? kit::Vec2{a * 60 / 12, at.z / 12} : kit::Vec2{at.x / 14, at.y / 14};
            float shade = 0.8f + 0.4f * valueNoise(at.x / 9, at.y / 9 + at.z / 9, 3);
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
    kit::LightRig rig = sunsetLight();
    rig.groundZ = 0;
    rig.creviceHeight = 30;
    rig.creviceDarkness = 0.5f;
    return kit::keepSeen(kit::bakeLight(mesh, rig), viewsFromTurning(kLedgeTurn), kTurnSlack);
}

// Dark valley floor far below the ledge; it stays still while the trees turn over it.
kit::Mesh valley() {
    kit::Mesh floor;
    const int segments = 48;
    std::vector<float> radii{50, 90, 150, 230, 330, 450, 520};
    for (size_t k = 0; k + 1 < radii.size(); ++k) {
        for (int j = 0; j < segments; ++j) {
            uint32_t v[4];
            float rs[4] = {radii[k], radii[k], radii[k + 1], radii[k + 1]};
            int js[4] = {j, j + 1, j + 1, j};
            for (int i = 0; i < 4; ++i) {
                float a = 2 * kit::kPi * float(js[i]) / float(segments);
                kit::Vec3 p{std::cos(a) * rs[i], std::sin(a) * rs[i], 0};
                float far = std::fmin(1.0f, rs[i] / 520);
                kit::Color c = kit::mix(kit::rgb8(45, 28, 30), kit::rgb8(85, 40, 45), far);
                float n = 0.85f + 0.3f * valueNoise(p.x / 40, p.y / 40, 9);
                v[i] = floor.addVertex(p, {0, 0, 1}, {0.5f, 0.5f}, c * n);
            }
            floor.addQuad(v[0], v[3], v[2], v[1]); // outward then around: counter-clockwise from above
        }
    }
    return kit::keepSeen(floor, viewsFrom({}, 0));
}

// Conifers in the valley, one flat dark colour from the set-up: shape only. Each has a trunk and two tiers of
// boughs; all stand in front of the far range.
kit::Mesh trees() {
    kit::Mesh forest;
    Random random(21);
    for (int i = 0; i < 135; ++i) {
        float a = random.range(0, 2 * kit::kPi), r = random.range(110, 300);
        float h = random.range(16, 30), w = h * random.range(0.22f, 0.3f);
        kit::Vec3 at{std::cos(a) * r, std::sin(a) * r, -1};
        // Open cones and a three-sided trunk: one triangle per side where it can, the colour is flat anyway.
        kit::Mesh tree = kit::cylinder(w * 0.16f, 0, h * 0.3f, 3, {}, {}, 1, false);
        kit::merge(tree, kit::lathe({{w, h * 0.22f}, {0, h * 0.75f}}, 6));
        kit::merge(tree, kit::lathe({{w * 0.72f, h * 0.55f}, {0, h}}, 6));
        kit::merge(forest, kit::translate(tree, at));
    }
    // The forest turns under the camera; each tree keeps the faces that come round toward it.
    return kit::keepSeen(forest, viewsFromTurning(kTreesTurn), kTurnSlack);
}

// A far range of hills round the valley, a dark hazy silhouette just below the sun: it stands between the
// trees and the sun beams, so that the beams show only above the horizon.
kit::Mesh farRange() {
    kit::Mesh m;
    const int segments = 160;
    const float r = 370;
    for (int j = 0; j < segments; ++j) {
        float a0 = 2 * kit::kPi * float(j) / segments, a1 = 2 * kit::kPi * float(j + 1) / segments;
        auto top = [](float a) { return 16 + 26 * valueNoise(a * 9, 0.5f, 71) + 8 * valueNoise(a * 31, 1.5f, 73); };
        kit::Color foot = kit::rgb8(48, 24, 38), crest = kit::rgb8(92, 46, 62);
        uint32_t b0 = m.addVertex({std::cos(a0) * r, std::sin(a0) * r, -2}, {}, {0.5f, 0.5f}, foot);
        uint32_t b1 = m.addVertex({std::cos(a1) * r, std::sin(a1) * r, -2}, {}, {0.5f, 0.5f}, foot);
        uint32_t t1 = m.addVertex({std::cos(a1) * r, std::sin(a1) * r, top(a1)}, {}, {0.5f, 0.5f}, crest);
        uint32_t t0 = m.addVertex({std::cos(a0) * r, std::sin(a0) * r, top(a0)}, {}, {0.5f, 0.5f}, crest);
        // Seen from inside the ring.
        m.addQuad(b0, t0, t1, b1);
    }
    return kit::keepSeen(m, viewsFrom({}, 0));
}

kit::Mesh headlightBeam() {
    kit::Mesh cone;
    const int segments = 12;
    const float length = 40, radius = 4.5f;
    for (int i = 0; i < segments; ++i) {
        float a0 = 2 * kit::kPi * float(i) / float(segments), a1 = 2 * kit::kPi * float(i + 1) / float(segments);
        kit::Color bright{0.1f, 0.085f, 0.06f, 1}, dark{0, 0, 0, 1};
        uint32_t apex = cone.addVertex({0, 0.3f, 0}, {0, -1, 0}, {0.5f, 0.5f}, bright);
        uint32_t b = cone.addVertex({std::cos(a0) * radius, length, std::sin(a0) * radius * 0.6f}, {0, 1, 0},
                                    {0.5f, 0.5f}, dark);
        uint32_t c = cone.addVertex({std::cos(a1) * radius, length, std::sin(a1) * radius * 0.6f}, {0, 1, 0},
                                    {0.5f, 0.5f}, dark);
        cone.addTriangle(apex, b, c);
    }
    return kit::makeTwoSided(cone);
}

// How far the tyres have rolled over the ledge by time t: the ledge turns under them at the part's rate, and
// the truck adds its own drive round the rim.
double rolled(double t) { return (kLedgeTurn * t + driveAngle(t)) * kTruckX; }

// Position and turn keys of a part of the truck that sits at `offset` from the body's pivot; `spin` adds the
// wheels' turn about their axle.
kit::Model onTruckModel(std::string name, kit::Vec3 offset, float restZ, kit::Mesh mesh, bool rocks, bool spin) {
    std::vector<kit::Vec3> path, turns;
    for (int i = 0; i < kFrames; ++i) {
        double t = i / 20.0;
        kit::Vec3 at = onTruck(t, {offset.x, offset.y, 0});
        path.push_back({at.x, at.y, restZ + (rocks ? bodyRock(t) : 0.0f)});
        turns.push_back({spin ? float(-rolled(t) / kWheelRadius) : 0.0f, 0, float(driveAngle(t))});
    }
    kit::Model model{std::move(name), {path[0].x, path[0].y, restZ}, {}, std::move(mesh), kit::positionCurves(path), {}};
    for (kit::Curve& c : kit::rotationCurves(turns)) model.curves.push_back(c);
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
            kit::View view = kit::makeView(cameraEye(t) - at + kit::Vec3{0, 0, -dz}, cameraAngles(), kFieldOfView);
            views.push_back(kit::turned(view, {}, {0, 0, float(driveAngle(t))}));
        }
    }
    return views;
}

// The name board on the back of the dump bed: dark, with the group's name in letters that glow, so that it
// reads on the truck's shaded back against the sunset. Relative to the body's pivot.
kit::Mesh rearSign() {
    float width = 0;
    kit::Mesh text = blockText("KESTROVA", 0.5f, 0.15f, width);
    const float fit = 10.4f / width;
    kit::scale(text, {fit, fit, fit});
    kit::translate(text, {-5.2f, -3.5f * fit, 0});
    kit::paint(text, kit::rgb8(255, 196, 70));
    kit::tintByHeight(text, -3.5f * fit, 3.5f * fit, kit::rgb8(255, 120, 30), kit::rgb8(255, 235, 140));
    kit::Mesh board = kit::box({-5.9f, -1.6f, -0.3f}, {5.9f, 1.6f, 0});
    kit::paint(board, kit::rgb8(34, 22, 20));
    kit::merge(board, text);
    // Text space (x right, y up, out of the face along +Z) onto the back of the bed, facing -Y.
    kit::rotate(board, {kit::kPi / 2, 0, 0});
    return kit::translate(board, {0, -12.25f, 3.6f});
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

// The end card: the group's name in gold, rising out of the far range where the sun went down and coming to
// rest on the last chord (170.5 s of the production).
kit::Model endCard() {
    float width = 0;
    kit::Mesh text = blockText("KESTROVA", 1.5f, 0.12f, width);
    constexpr float size = 5.0f;
    kit::translate(text, {-width / 2, 0, 0});
    kit::scale(text, {size, size, size});
    // Dark faces against the sunburst, which the beams behind them outline, and gold bevels.
    kit::tintByHeight(text, 0, 7 * size, kit::rgb8(255, 150, 40), kit::rgb8(255, 235, 150));
    for (size_t i = 0; i < text.colors.size(); ++i) {
        if (text.normals[i].z > 0.9f) text.colors[i] = kit::rgb8(58, 18, 44);
    }
    kit::rotate(text, {kit::kPi / 2, 0, 0});
    auto path = sampleFrames(kFrames, [](double t) {
        // Straight ahead and down, behind the range until 26 s; up to a third of the frame above the middle.
        float ndcY = float(-0.4 + 0.82 * easeBetween(26, 28.5, t));
        kit::Vec3 ray = kit::viewRay(cameraAngles(), kFieldOfView, 0, ndcY);
        return cameraEye(t) + ray * (kCardDistance / ray.y) - kit::Vec3{0, 0, 3.5f * size};
    });
    return {"EndCard", path[0], {}, std::move(text), kit::positionCurves(path), {}};
}

} // namespace

SceneSource buildLedge() {
    SceneSource scene{"ledge.xsi", {}, kFrames};
    kit::LightRig light = sunsetLight();
    kit::Vec3 sun = sunDirection();
    kit::Mesh valleyMesh = valley();
    kit::Mesh skyMesh = skyBox();
    dropSkyBelowValley(skyMesh, valleyMesh);
    scene.models.push_back(followCamera("Skybox", {}, std::move(skyMesh)));
    // The part draws the ledge itself, before the rest. The truck goes before the valley and the trees, so that
    // the depth test turns away what it hides before that is shaded. (The sky stays first: far off, the 16-bit
    // depth buffer cannot tell it from the valley's rim, and the first drawn wins such ties.)
    scene.models.push_back({"Ledge", {0, 0, 0}, {}, ledge(), {}, {}});
    kit::Vec3 body{kTruckX, 0, kBodyZ};
    // The camera looks into the sun past the truck: its back lies in the shade, near silhouette, with only
    // a rim of sunlight on what faces the sky and the sun.
    kit::LightRig backlit = light;
    backlit.sky = {0.13f, 0.08f, 0.12f};
    backlit.ground = {0.05f, 0.03f, 0.04f};
    light = backlit;
    // The part rocks the body by up to 0.4 units; the keys do the same.
    kit::Mesh bodyMesh = kit::keepSeen(truckBody(light, {body, {}}), viewsFromTruck({0, 0, kBodyZ}, 0.4f));
    kit::sortNearFirst(bodyMesh, cameraEye(0) - body);
    kit::Model bodyModel = onTruckModel("Terex_MainBody", {}, kBodyZ, std::move(bodyMesh), true, false);
    bodyModel.children.push_back({"Sign", {}, {}, kit::keepSeen(rearSign(), viewsFromTruck({0, 0, kBodyZ}, 0.4f)), {}, {}});
    scene.models.push_back(std::move(bodyModel));
    for (const WheelSlot& slot : truckWheelSlots()) {
        kit::Vec3 at{kTruckX + slot.offset.x, slot.offset.y, kWheelZ};
        kit::Mesh wheel = truckWheel(slot.left, light, {at, {}}, 14);
        // Only the left wheels take the tyre texture in this scene; the others are shaded dark rubber.
        std::string name = slot.name;
        bool textured = name == "Terex_RL_Wheel" || name == "Terex_FL_Wheel";
        if (!textured) {
            kit::paint(wheel, kit::rgb8(50, 46, 44));
            // Without the tyre picture the tread is modelled: a ring of lugs that turns with the wheel.
            for (int k = 0; k < 18; ++k) {
                kit::Mesh lug = kit::box({-1.25f, -0.3f, kWheelRadius - 0.2f}, {1.25f, 0.3f, kWheelRadius + 0.3f});
                kit::paint(lug, kit::rgb8(40, 37, 36));
                kit::merge(wheel, kit::rotate(lug, {2 * kit::kPi * float(k) / 18, 0, 0}));
            }
            wheel = kit::bakeLight(wheel, light, {at, {}});
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
    scene.models.push_back({"Valley", {0, 0, 0}, {}, std::move(valleyMesh), {}, {}});
    scene.models.push_back({"Trees", {0, 0, 0}, {}, trees(), {}, {}});
    scene.models.push_back({"Range", {0, 0, 0}, {}, farRange(), {}, {}});
    kit::Mesh disc = kit::cylinder(15 * kSunDistance / 470, -0.5f, 0.5f, 32);
    kit::rotate(disc, {kit::kPi / 2, 0, 0});
    // Rides with the camera too: the faces turned away from it go.
    disc = kit::keepSeen(disc, {kit::makeView(sun * -kSunDistance, cameraAngles(), kFieldOfView)});
    scene.models.push_back(followSun("Sun", kSunDistance, disc));
    scene.models.push_back(onTruckModel("Lightbeam01", {-kLampX, kLampY, 0}, kBeamZ, headlightBeam(), true, false));
    scene.models.push_back(onTruckModel("Lightbeam02", {kLampX, kLampY, 0}, kBeamZ, headlightBeam(), true, false));
    scene.models.push_back(birds());
    scene.models.push_back(endCard());
    scene.models.push_back(followSun("Sunbeams01", kFanDistance,
                                        sunbeamFan(18, 330, 1, {0.55f, 0.4f, 0.2f, 1}, 7)));
    scene.models.push_back(followSun("Sunbeams02", kFanDistance - 10,
                                        sunbeamFan(12, 260, 1, {0.35f, 0.25f, 0.15f, 1}, 8)));
    kit::CameraAngles view = cameraAngles();
    constexpr float kDeg = 180 / kit::kPi;
    kit::Model camera = followCamera("Camera_ledge", {}, {});
    camera.rotationDegrees = {float(view.rx) * kDeg, float(view.ry) * kDeg, float(view.rz) * kDeg};
    scene.models.push_back(std::move(camera));
    return scene;
}

} // namespace scenes
