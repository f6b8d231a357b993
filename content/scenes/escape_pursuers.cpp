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
// hull reaches 19.6 to either side with its rotors, which sweep 5.6 above and below the rotor axis (2.5 above
// the hull's centre). The telegraph poles stand at x = -18, 20 high; the arch spans the road at 61 s, its
// crown 38 high. Every pass keeps clear of all of them by a few units: near misses, not crashes.
//
// 32 s: both sweep in low from behind on the sunny side, under the camera (low on the shaded side a rotor
// would meet the poles). Then they take turns at attack passes on the beats, each a steep dive at the truck
// from high behind or beside it that pulls out just above the sign, straight over it so the wings stay level
// there, banking hard into and out of it: the first at 36, the second at 40, the first again at 44. At 48
// they scissor across the view, the first dropping on the near side as the second climbs beyond the truck;
// 52: the second dives out of the sun as the first banks across it; 56: the first dives while the second
// crosses above it; 60-61.8: the first comes in low behind the truck, below the arch's crown, and pulls up
// steeply to clear it just as the truck runs under it, the second goes wide round its foot; then both loop
// back out of sight and come in low from behind, one on each side of the truck, overtaking it at the end
// (71).
const std::vector<PathPoint>& flightOne() {
    static const std::vector<PathPoint> path{
        {30.5, {10, -420, 14}}, {31.7, {10, -74, 12}},  {33, {9, -40, 30}},      {34.3, {14, -34, 54}},
        {35.2, {6, -20, 52}},   {36, {0, 0, 28}},       {36.8, {-6, 20, 36}},    {37.8, {-22, 22, 52}},
        {39.2, {-30, 0, 60}},   {40.5, {-22, -26, 64}}, {41.8, {-2, -38, 66}},   {42.9, {6, -24, 56}},
        {44, {0, 0, 28}},       {44.8, {-4, 16, 36}},   {45.8, {-22, 26, 50}},   {46.8, {-30, 16, 52}},
        {47.4, {-31, 8, 42}},   {48, {-31, 0, 30}},     {48.6, {-29, -6, 26}},   {49.4, {-22, -6, 30}},
        {50.8, {10, 2, 40}},    {52, {41, 7, 43}},      {53.5, {40, 26, 50}},    {54.8, {26, 4, 60}},
        {56, {0, -4, 28}},      {57, {-20, -10, 36}},   {58, {-24, -16, 34}},    {59.2, {-8, -18, 30}},
        {60.2, {-4, -12, 30}},  {60.8, {-3, -8, 40}},   {61.2, {-3, -5, 48}},    {61.8, {-4, 0, 60}},
        {62.5, {-30, -4, 62}},  {64, {-50, -50, 54}},   {65.5, {-40, -100, 42}}, {67, {-22, -90, 30}},
        {68.5, {-22, -30, 26}}, {70, {-21, 20, 24}},    {71, {-20, 50, 26}},     {72.5, {-18, 90, 30}}};
    return path;
}

const std::vector<PathPoint>& flightTwo() {
    static const std::vector<PathPoint> path{
        {30.5, {36, -480, 18}}, {32.2, {36, -84, 12}}, {34, {33, -10, 12}},    {36, {33, 26, 12}},
        {37.2, {34, 14, 30}},   {38.4, {24, -16, 56}}, {39.2, {12, -16, 52}},  {40, {0, 2, 28}},
        {40.8, {-12, 20, 36}},  {41.8, {-26, 14, 46}}, {43, {-34, 0, 40}},     {44, {-40, -2, 34}},
        {45.6, {-12, -36, 26}}, {46.5, {14, -42, 18}}, {47.2, {28, -34, 10}},  {48, {28, 0, 22}},
        {48.8, {27, 34, 36}},   {50, {34, 24, 60}},    {51, {28, 8, 62}},      {52, {4, 0, 28}},
        {53, {-20, -6, 38}},    {54, {-40, -14, 50}},  {55, {-28, -26, 58}},   {56, {0, -5, 46}},
        {57, {24, -10, 40}},    {58, {34, -10, 26}},   {59.5, {60, -4, 24}},   {61, {72, 2, 24}},
        {62.5, {100, -22, 30}}, {64, {104, -70, 36}},  {65.5, {96, -116, 34}}, {67, {40, -100, 26}},
        {68.5, {26, -36, 24}},  {70, {26, 14, 24}},    {71, {25, 44, 25}},     {72.5, {24, 84, 27}}};
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
    float pitch = std::atan2(v.z, ground);
    double turn = std::remainder(heading(air(t + h)) - heading(air(t - h)), 2 * kit::kPi) / (2 * h);
    float bank = -std::atan(float(turn) * kit::length(v) / 30.0f);
    auto clamp = [](float x, float m) { return std::fmax(-m, std::fmin(m, x)); };
    return {clamp(pitch, 1.0f), clamp(bank, 1.0f), heading(v)};
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
