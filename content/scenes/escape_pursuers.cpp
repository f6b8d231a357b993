// The pursuers' flight: waypoints on the beats of the chase, attitude from the flight path, rotors and
// shadows.
#include "escape_pursuers.h"

#include "models.h"

#include "kit/shapes.h"

#include <cmath>

namespace scenes {
namespace {

constexpr float kRoadSpeed = 24;           // the air streams past at the ground's speed
constexpr kit::Vec3 kWaiting{0, 0, -6000}; // below the ground, beyond the far plane of every camera

// Waypoints in seconds of the part. The truck spans x -7..7, y -12..14 and stands 17 high with its sign; a
// hull reaches 19.6 to either side with its rotors, which sweep 5.6 above and below the rotor axis (2.5 above the
// hull's centre). The telegraph poles stand at x = -18, 20 high; the arch spans the road at 61 s, its crown
// 38 high. Every pass keeps clear of all of them by a few units: near misses, not crashes.
//
// 32 s: both sweep in low from behind on the sunny side, under the camera (low on the shaded side a rotor
// would meet the poles); 36: one high on the left above the poles, the other
// low ahead on the right; 40: the right one crosses low over the cab to the left, while the left one drops
// back and slides round behind to the right (42-44), high enough that seen from above it stays clear of
// the road; 44-48: they crowd the truck on both sides; 52: the right
// one climbs and banks across the sun; 56: the two cross over the truck, one above the other; 59.9: the left
// one pulls up over the arch's crown as the truck runs under it, the right one goes wide round its foot;
// 65-71: both overtake toward the sun and peel away, one to each side.
const std::vector<PathPoint>& flightOne() {
    static const std::vector<PathPoint> path{
        {30.5, {10, -420, 14}}, {31.7, {10, -74, 12}},  {33, {9, -40, 30}},     {34.5, {-16, -26, 35}},
        {36, {-26, -2, 29}},    {38, {-28, -14, 33}},   {39.5, {-24, -40, 36}}, {41, {4, -46, 30}},
        {42.5, {30, -40, 22}},  {44, {33, 2, 19}},      {46, {34, 6, 18}},      {48, {32, 10, 19}},
        {50, {36, -10, 28}},    {52, {41, 7, 43}},      {53.5, {34, 30, 38}},   {55, {26, 8, 36}},
        {56, {0, -5, 36}},      {57.5, {-34, -16, 34}}, {59, {-14, -2, 32}},    {59.8, {-8, 4, 46}},
        {60.4, {-4, 6, 54}},    {61.2, {-4, 2, 60}},    {62.5, {-14, -10, 50}}, {64, {-26, -10, 34}},
        {65, {-30, -10, 30}},   {66.5, {-10, 30, 32}},  {68, {30, 90, 38}},     {69.5, {120, 170, 60}},
        {71, {260, 260, 110}}};
    return path;
}

const std::vector<PathPoint>& flightTwo() {
    static const std::vector<PathPoint> path{
        {30.5, {36, -480, 18}}, {32.2, {36, -84, 12}}, {34, {33, -10, 12}},  {36, {33, 26, 12}},
        {38, {32, 16, 22}},     {39, {22, 8, 31}},     {40, {0, 2, 29}},     {41, {-20, -2, 32}},
        {42, {-28, -4, 31}},    {44, {-27, 0, 29}},    {46, {-30, -6, 30}},  {48, {-24, -36, 30}},
        {50, {-24, -40, 30}},   {52, {-26, -44, 34}},  {54, {-24, -36, 40}}, {56, {0, 0, 57}},
        {58, {34, -10, 22}},    {59.5, {60, -4, 24}},  {61, {72, 2, 24}},    {62.5, {60, -8, 20}},
        {64, {42, -12, 17}},    {65, {36, -15, 16}},   {66.5, {40, 20, 16}}, {68, {70, 80, 22}},
        {69.5, {170, 100, 45}}, {71, {320, 40, 90}}};
    return path;
}

// Attitude from the path: heading along the air's flow past the aircraft, nose up or down with the climb,
// banked into the turn as an aircraft coordinates it. Radians: x pitch, y bank (right wing down), z heading.
kit::Vec3 attitude(int which, double t) {
    const double h = 0.1;
    auto air = [which](double at) {
        return (pursuerAt(which, at + 0.05) - pursuerAt(which, at - 0.05)) * 10.0f +
               kit::Vec3{0, kRoadSpeed, 0};
    };
    auto heading = [](kit::Vec3 v) { return std::atan2(-v.x, v.y); };
    kit::Vec3 v = air(t);
    float ground = std::hypot(v.x, v.y);
    float pitch = std::atan2(v.z, ground) * 0.8f;
    double turn = std::remainder(heading(air(t + h)) - heading(air(t - h)), 2 * kit::kPi) / (2 * h);
    float bank = -std::atan(float(turn) * kit::length(v) / 30.0f);
    auto clamp = [](float x, float m) { return std::fmax(-m, std::fmin(m, x)); };
    return {clamp(pitch, 0.9f), clamp(bank, 0.8f), heading(v)};
}

// The shadow an aircraft casts on the road: its outline seen from above (the rotor discs stand edge-on to
// the sun and cast next to nothing), one flat dark colour.
kit::Mesh shadowOutline(kit::Color shade) {
    kit::Mesh m;
    auto rect = [&](float x0, float y0, float x1, float y1) {
        uint32_t a = m.addVertex({x0, y0, 0}, {0, 0, 1}, {0.5f, 0.5f}, shade);
        uint32_t b = m.addVertex({x1, y0, 0}, {0, 0, 1}, {0.5f, 0.5f}, shade);
        uint32_t c = m.addVertex({x1, y1, 0}, {0, 0, 1}, {0.5f, 0.5f}, shade);
        uint32_t d = m.addVertex({x0, y1, 0}, {0, 0, 1}, {0.5f, 0.5f}, shade);
        m.addQuad(a, b, c, d);
    };
    // Fuselage tapering to the nose, wing, tailplane and the two nacelles.
    const kit::Vec2 body[] = {{0, 15.2f},  {-1.8f, 12.5f}, {-2.8f, 4}, {-2.8f, -6},  {-1.2f, -14},
                              {1.2f, -14}, {2.8f, -6},     {2.8f, 4},  {1.8f, 12.5f}};
    uint32_t centre = m.addVertex({0, 0, 0}, {0, 0, 1}, {0.5f, 0.5f}, shade);
    for (int i = 0; i < 9; ++i) {
        const kit::Vec2 &p = body[i], &q = body[(i + 1) % 9];
        uint32_t a = m.addVertex({p.u, p.v, 0}, {0, 0, 1}, {0.5f, 0.5f}, shade);
        uint32_t b = m.addVertex({q.u, q.v, 0}, {0, 0, 1}, {0.5f, 0.5f}, shade);
        m.addTriangle(centre, a, b);
    }
    rect(-14, -0.5f, 14, 3.5f);
    rect(-6.5f, -14.2f, 6.5f, -11.2f);
    for (float s : {-1.0f, 1.0f})
        rect(s * 14 - 1.4f, -3, s * 14 + 1.4f, 6);
    return m;
}

// Where the shadow of a pursuer lies: on the road below it, pushed away from the sun the higher it flies.
// Far out over the hills, or high above, it sinks out of sight below the ground.
kit::Vec3 shadowAt(kit::Vec3 craft) {
    kit::Vec3 at{craft.x - 0.45f * craft.z, craft.y, 0.35f};
    if (craft.z > 70 || std::fabs(at.x) > 48) at.z = -30;
    return at;
}

} // namespace

kit::Vec3 pursuerAt(int which, double t) {
    if (t < kPursuersIn) return kWaiting;
    return pathAt(which == 0 ? flightOne() : flightTwo(), t);
}

void addPursuers(std::vector<kit::Model>& models, const kit::Mesh& hull, const kit::Mesh& rotor,
                 kit::Color shade, int frames) {
    const char* names[] = {"Pursuer", "Pursuer01"};
    for (int which = 0; which < 2; ++which) {
        std::vector<kit::Vec3> path, turn, shadowPath, shadowTurn;
        for (int i = 0; i < frames; ++i) {
            double t = i / 20.0;
            kit::Vec3 at = pursuerAt(which, t);
            kit::Vec3 angles = t < kPursuersIn ? kit::Vec3{} : attitude(which, t);
            // Headings stay continuous from key to key (keys are blended component by component).
            if (!turn.empty()) {
                float last = turn.back().z;
                angles.z = last + std::remainder(angles.z - last, 2 * kit::kPi);
            }
            path.push_back(at);
            turn.push_back(angles);
            shadowPath.push_back(t < kPursuersIn ? kWaiting : shadowAt(at));
            shadowTurn.push_back({0, 0, angles.z});
        }
        kit::Model craft{names[which], path[0], {}, hull, kit::positionCurves(path), {}};
        for (const kit::Curve& c : kit::rotationCurves(turn))
            craft.curves.push_back(c);
        // The rotors turn fast and the other way round from each other, as a tilt-rotor's do.
        for (float side : {-1.0f, 1.0f}) {
            std::vector<double> spin;
            for (int i = 0; i < frames; ++i)
                spin.push_back(side * (i / 20.0) * 7.85 + which * 0.4);
            craft.children.push_back({std::string(names[which]) + (side < 0 ? "_RotorLeft" : "_RotorRight"),
                                      {side * 14, 6.7f, 2.5f},
                                      {},
                                      rotor,
                                      {kit::rotationCurve('y', spin)},
                                      {}});
        }
        models.push_back(std::move(craft));
        kit::Model shadow{std::string(names[which]) + "_Shadow",
                          shadowPath[0],
                          {},
                          shadowOutline(shade),
                          kit::positionCurves(shadowPath),
                          {}};
        for (const kit::Curve& c : kit::rotationCurves(shadowTurn))
            shadow.curves.push_back(c);
        models.push_back(std::move(shadow));
    }
}

} // namespace scenes
