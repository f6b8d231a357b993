// The pursuers' flight: waypoints on the beats of the chase, attitude from the flight path, rotors and
// shadows.
#include "escape_pursuers.h"

#include "models.h"

#include "kit/shapes.h"

#include <cmath>

namespace scenes {
namespace {

constexpr kit::Vec3 kWaiting{0, 0, -6000}; // below the ground, beyond the far plane of every camera

// Waypoints in seconds of the part. The truck spans x -7..7, y -12..14 and stands 17 high with its sign; a
// hull reaches 19.6 to either side with its rotors, which sweep 5.6 above and below the rotor axis (2.5 above
// the hull's centre). The telegraph poles stand at x = -18, 20 high; the arch spans the road at 61 s, its
// crown 38 high. Every pass keeps clear of all of them by a few units: near misses, not crashes.
//
// 4-9 s: they race up the road from far behind, low on the sunny side of the truck's lane (clear of the
// poles), into the fourth camera's view past the truck; the first hangs back and climbs to wait high behind,
// the second pulls alongside on the sunny side once the first pair has gone (10-13.5), overtakes and loops
// back high over the shaded side. 19-20 s: the first strafes the road in a
// shallow dive from behind, high enough to clear the first pair flying beside the truck, its bullets
// walking up the shaded side; it climbs away ahead, turns and comes back head on (22-24), its rounds walking
// down the road at the cab before it pulls up over the truck and away behind on the shaded side; 25-26 s: the second strafes low on the sunny side, under the first pair's
// sunny-side aircraft, aiming in toward the road. Between runs they loop away ahead or behind, out of the
// third camera's view. 29-30 s: the first dives again from behind, over the second camera, along the
// truck's lane, and the truck jinks out of its line; it climbs away ahead and loops back round the shaded
// side. 32 s: the second sweeps in low from behind on the sunny side, under the camera (low on the shaded
// side a rotor would meet the poles). Then they take turns at attack passes on the beats, each a steep dive
// at the truck from high behind or beside it that pulls out just above the sign, straight over it so the wings stay level
// there, banking hard into and out of it: the first at 36, the second at 40, the first again at 44 (pulling
// out higher and toward the shaded side, so that from the high camera on the sunny side its near rotor
// sweeps well above the cab, never across it). At 48
// they scissor across the view, the first sweeping over the top of the frame on the near side as the second
// climbs beyond the truck; 52: the second dives out of the sun as the first banks across it; 56: the first
// dives while the second crosses high above it, clear of it even banked; 60-61: the first climbs in from behind the truck and levels off
// too low over the arch: its belly strikes the crown's top, the blow throws it up nose-high and it pitches
// over end over end on over the truck and comes down in a fireball on the
// sunny verge ahead (62), where the truck races past its wreck. The second goes wide round the arch's foot,
// loops back out of sight and makes a last run, in from behind over the camera and down onto the truck's tail; there it gives up (69): it pulls up
// and peels away to the right.
const std::vector<PathPoint>& flightOne() {
    static const std::vector<PathPoint> path{
        {4, {8, -700, 10}},      {5, {8, -430, 10}},      {6, {8, -240, 10}},     {7, {8, -130, 11}},
        {8, {8, -86, 12}},       {9, {8, -70, 14}},       {10.5, {6, -84, 24}},   {12, {-8, -96, 40}},
        {14, {-18, -120, 58}},   {16, {-20, -150, 70}},   {17.5, {-10, -130, 80}}, {18.5, {-6, -84, 50}},  {19, {-4, -40, 46}},
        {19.5, {-4, -5, 42}},    {20, {-4, 30, 42}},      {20.6, {-4, 70, 52}},   {21.5, {-10, 110, 90}},
        {22.2, {-9, 124, 84}},   {22.7, {-8, 110, 72}},   {23.2, {-7, 80, 62}},   {23.7, {-6, 40, 56}},
        {24.1, {-7, 6, 54}},     {24.5, {-12, -14, 58}},  {25, {-30, -34, 72}},   {25.8, {-70, -110, 104}},
        {26.6, {-40, -200, 96}}, {27.8, {40, -150, 110}},
        {28.6, {30, -96, 92}},   {29.1, {8, -50, 62}},   {29.5, {-4, -4, 50}},   {29.9, {-4, 32, 50}},
        {30.5, {-6, 72, 58}},    {31.4, {-22, 100, 84}},  {32.6, {-48, 50, 100}}, {33.6, {-20, -24, 80}},
        {34.3, {14, -34, 54}},
        {35.2, {6, -20, 52}},    {36, {0, 0, 28}},        {36.8, {-6, 20, 36}},   {37.8, {-22, 22, 52}},
        {39.2, {-30, 0, 60}},    {40.5, {-22, -26, 64}},  {41.8, {-2, -38, 66}},  {42.9, {6, -24, 56}},
        {44, {-5, 0, 33}},       {44.8, {-9, 16, 40}},    {45.8, {-22, 26, 50}},  {46.8, {-32, 16, 58}},
        {47.4, {-34, 8, 54}},    {48, {-34, 0, 48}},      {48.6, {-30, -6, 40}},  {49.4, {-22, -6, 34}},
        {50.8, {10, 2, 40}},     {52, {41, 7, 43}},       {53.5, {40, 26, 50}},   {54.8, {26, 4, 60}},
        {56, {0, -4, 28}},       {57, {-20, -10, 36}},    {58, {-24, -16, 34}},   {59.2, {-8, -18, 30}},
        {60.2, {-4, -12, 34}},   {60.8, {-3, -7, 41}},    {61, {-3, -4, 41}},     {61.35, {8, 22, 46}},
        {61.7, {16, 44, 26}},    {62, kCrashSite},        {62.4, kCrashSite + kit::Vec3{0, -9.6f, 0}}};
    return path;
}

const std::vector<PathPoint>& flightTwo() {
    static const std::vector<PathPoint> path{
        {4, {24, -690, 9}},      {5, {24, -420, 9}},      {6, {22, -230, 9}},     {7, {22, -120, 10}},
        {8, {24, -80, 11}},      {9, {28, -56, 12}},      {10.3, {32, -34, 12}},  {11.5, {36, -8, 13}},
        {12.5, {40, 22, 15}},    {13.5, {44, 54, 22}},    {14.5, {52, 110, 40}},  {15.6, {30, 170, 64}},
        {16.8, {-20, 170, 72}},  {18, {-60, 130, 72}},    {19.2, {-78, 80, 70}},  {20.6, {-80, 20, 70}},   {21.6, {-50, -80, 70}}, {23, {40, -150, 40}},
        {24.2, {28, -70, 14}},   {25, {28, -30, 14}},     {25.5, {28, 0, 14}},    {26, {28, 30, 15}},
        {26.5, {28, 60, 20}},    {27.2, {40, 100, 40}},   {28.2, {80, 60, 100}},  {29.2, {60, -150, 100}},
        {30.5, {36, -480, 18}},  {32.2, {36, -84, 12}},   {34, {33, -10, 12}},    {36, {33, 26, 12}},
        {37.2, {34, 14, 30}},    {38.4, {24, -16, 56}},   {39.2, {12, -16, 52}},  {40, {0, 2, 28}},
        {40.8, {-12, 20, 36}},   {41.8, {-26, 14, 46}},   {43, {-34, 0, 40}},     {44, {-40, -2, 34}},
        {45.6, {-12, -36, 26}},  {46.5, {14, -42, 22}},   {47.2, {30, -34, 22}},  {48, {30, 0, 30}},
        {48.8, {28, 34, 40}},    {50, {34, 24, 60}},      {51, {28, 8, 62}},      {52, {4, 0, 28}},
        {53, {-20, -6, 38}},     {54, {-40, -14, 50}},    {55, {-28, -26, 62}},   {56, {0, -5, 57}},
        {57, {24, -10, 47}},     {58, {34, -10, 26}},     {59.5, {60, -4, 24}},   {61, {72, 2, 24}},
        {62.5, {100, -22, 30}},  {64, {104, -70, 36}},    {65.5, {96, -116, 34}}, {67, {30, -100, 40}},
        {68, {8, -60, 38}},      {68.6, {5, -26, 30}},    {69, {6, -8, 25}},      {69.6, {20, 4, 36}},
        {70.3, {44, 10, 52}},    {71, {80, 20, 70}},      {72.5, {160, 60, 110}}};
    return path;
}

// Attitude from the path: heading along the air's flow past the aircraft, nose up or down with the climb,
// banked into the turn as an aircraft coordinates it. Radians: x pitch, y bank (right wing down), z heading.
kit::Vec3 attitude(int which, double t) {
    const double h = 0.1;
    t = std::fmax(t, kPursuersIn + 0.15); // from their first moment, as they fly on
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
    // The first levels off as it skims over the arch to the strike.
    float level = which == 0 ? 1 - 0.7f * float(easeBetween(59.8, 60.4, t)) : 1;
    return {clamp(pitch, level), clamp(bank, level), heading(v)};
}

// The first pursuer from the moment its belly strikes the arch: the blow throws its nose up and slews it
// round, then it pitches over end over end once, rolling a little, and comes to rest on the ground tipped
// on one wing, a little nose down.
kit::Vec3 tumbling(double t) {
    static const kit::Vec3 hit = attitude(0, kCrownClipped - 0.05);
    float s = float(std::fmin(1.0, (t - kCrownClipped) / (kCrashed - kCrownClipped)));
    float over = s * s * (3 - 2 * s), slew = 1 - (1 - s) * (1 - s);
    float kick = 0.55f * std::sin(kit::kPi * std::fmin(1.0f, s / 0.4f));
    return {hit.x + (-0.12f - 2 * kit::kPi - hit.x) * over + kick,
            hit.y + (0.35f - hit.y) * slew + 0.5f * std::sin(2 * kit::kPi * s) * (1 - s), hit.z - 1.3f * slew};
}

// How far the lowest point of the first pursuer (hull or rotor disc) at `at` with `angles` lies above the
// arch's crown at t seconds (negative: inside the stone; huge: nowhere over it). The arch stands on the
// ground (crown 34 high, a band 11 deep, its outer face up to 3.4 above the centre line), riding past at the
// road's speed.
float strikeGap(const kit::Mesh& hull, const kit::Mesh& rotor, double t, const kit::Vec3& at,
                  const kit::Vec3& angles) {
    const float archY = float(kRoadSpeed * (kUnderTheArch - t));
    float gap = 1e9f;
    auto touch = [&](kit::Vec3 local) {
        kit::Vec3 p = at + kit::rotateEuler(local, angles);
        if (std::fabs(p.y - archY) > 6.8f || std::fabs(p.x) > 32) return;
        gap = std::fmin(gap, p.z - 34 * std::sqrt(1.21f - p.x * p.x / 900));
    };
    for (const kit::Vec3& v : hull.positions)
        touch(v);
    for (float side : {-1.0f, 1.0f})
        for (int k = 0; k < 8; ++k)
            for (const kit::Vec3& v : rotor.positions)
                touch(kit::rotateEuler(v, {0, kit::kPi * float(k) / 8, 0}) + kit::Vec3{side * 14, 6.7f, 2.5f});
    return gap;
}

// The shadow an aircraft casts on the road: its outline seen from above (the rotor discs stand edge-on to
// the sun and cast next to nothing). Each piece is a core in `shade`, a little raised, inside a penumbra band
// that lightens outward to halfway to the sunlit road, so the stair steps along its edge are soft.
kit::Mesh shadowOutline(kit::Color shade) {
    // They fall on the sand of the verges as often as on the road: a warmer core than the road's shadow.
    constexpr float kBand = 0.9f, kCoreLift = 0.06f;
    shade = kit::mix(shade, kit::rgb8(124, 106, 88), 0.45f);
    kit::Color rim = kit::mix(shade, kit::rgb8(206, 174, 134), 0.45f);
    kit::Mesh cores, bands;
    // A convex piece, counter-clockwise from above.
    auto piece = [&](std::vector<kit::Vec2> p) {
        const size_t n = p.size();
        kit::Vec2 centre{};
        for (kit::Vec2 q : p)
            centre = {centre.u + q.u / float(n), centre.v + q.v / float(n)};
        uint32_t mid = cores.addVertex({centre.u, centre.v, kCoreLift}, {0, 0, 1}, {0.5f, 0.5f}, shade);
        uint32_t first = uint32_t(cores.positions.size());
        for (kit::Vec2 q : p)
            cores.addVertex({q.u, q.v, kCoreLift}, {0, 0, 1}, {0.5f, 0.5f}, shade);
        for (size_t i = 0; i < n; ++i)
            cores.addTriangle(mid, first + uint32_t(i), first + uint32_t((i + 1) % n));
        // The band: each corner pushed out along the mean of its two edges' outward normals.
        uint32_t band = uint32_t(bands.positions.size());
        for (size_t i = 0; i < n; ++i) {
            kit::Vec2 a = p[(i + n - 1) % n], b = p[i], c = p[(i + 1) % n];
            kit::Vec3 e0 = kit::normalize(kit::Vec3{b.v - a.v, a.u - b.u, 0});
            kit::Vec3 e1 = kit::normalize(kit::Vec3{c.v - b.v, b.u - c.u, 0});
            kit::Vec3 out = (e0 + e1) * (kBand / (1 + kit::dot(e0, e1)));
            bands.addVertex({b.u, b.v, 0}, {0, 0, 1}, {0.5f, 0.5f}, shade);
            bands.addVertex({b.u + out.x, b.v + out.y, 0}, {0, 0, 1}, {0.5f, 0.5f}, rim);
        }
        for (size_t i = 0; i < n; ++i) {
            uint32_t i0 = band + uint32_t(2 * i), i1 = band + uint32_t(2 * ((i + 1) % n));
            bands.addQuad(i0, i0 + 1, i1 + 1, i1);
        }
    };
    auto rect = [&](float x0, float y0, float x1, float y1) {
        piece({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
    };
    // Fuselage tapering to the nose, wing, tailplane and the two nacelles.
    piece({{0, 15.2f},
           {-1.8f, 12.5f},
           {-2.8f, 4},
           {-2.8f, -6},
           {-1.2f, -14},
           {1.2f, -14},
           {2.8f, -6},
           {2.8f, 4},
           {1.8f, 12.5f}});
    rect(-14, -0.5f, 14, 3.5f);
    rect(-6.5f, -14.2f, 6.5f, -11.2f);
    for (float s : {-1.0f, 1.0f})
        rect(s * 14 - 1.4f, -3, s * 14 + 1.4f, 6);
    kit::merge(cores, bands);
    return cores;
}

// Where the shadow of a pursuer lies: on the road below it, pushed away from the sun the higher it flies.
// Far out over the hills, or high above, it sinks out of sight below the ground.
kit::Vec3 shadowAt(kit::Vec3 craft) {
    kit::Vec3 at{craft.x - 0.45f * craft.z, craft.y, 0.35f};
    if (craft.z > 70 || std::fabs(at.x) > 48) at.z = -30;
    return at;
}

} // namespace

const std::vector<Dodge>& truckDodges() {
    static const std::vector<Dodge> dodges{{19.05, 1},  {23.1, 1},  {25.05, -1}, {33.2, -1},
                                           {35.55, 1}, {39.55, -1}, {43.55, 1}};
    return dodges;
}

// The jink out of the third run's line, which the pursuers follow.
double truckJink(double t) {
    return 8 * easeBetween(29, 29.45, t) * (1 - easeBetween(30, 30.5, t));
}

double truckSwerve(double t) {
    double x = truckJink(t);
    // Each dodge: a sharp jink of kDodge units in a fifth of a second, held a moment, then eased back over
    // two thirds of a second to the lane.
    for (const Dodge& d : truckDodges())
        x += kDodge * d.side * easeBetween(d.at, d.at + 0.2, t) * (1 - easeBetween(d.at + 0.5, d.at + 1.2, t));
    return x;
}

kit::Vec3 onGround(kit::Vec3 at, double then, double t) {
    return at + kit::Vec3{float(truckSwerve(then) - truckSwerve(t)), float(-kRoadSpeed * (t - then)), 0};
}

kit::Vec3 pursuerAt(int which, double t) {
    if (t < kPursuersIn) return kWaiting;
    // The wreck rides on the ground.
    if (which == 0 && t > kCrashed) return onGround(kCrashSite, kCrashed, t);
    // They fly over the ground, whichever way the truck jinks; a dodge is over before they could follow it,
    // but their passes are flown at the truck itself, so they keep to it through the dodges.
    return pathAt(which == 0 ? flightOne() : flightTwo(), t) - kit::Vec3{float(truckJink(t)), 0, 0};
}

void addPursuers(std::vector<kit::Model>& models, const kit::Mesh& hull, const kit::Mesh& rotor,
                 kit::Color shade, int frames) {
    const char* names[] = {"Pursuer", "Pursuer01"};
    for (int which = 0; which < 2; ++which) {
        std::vector<kit::Vec3> path, turn, shadowPath, shadowTurn;
        for (int i = 0; i < frames; ++i) {
            double t = i / 20.0;
            kit::Vec3 at = pursuerAt(which, t);
            kit::Vec3 angles = t < kPursuersIn                       ? kit::Vec3{}
                               : which == 0 && t >= kCrownClipped ? tumbling(t)
                                                                  : attitude(which, t);
            // Headings stay continuous from key to key (keys are blended component by component).
            if (!turn.empty()) {
                float last = turn.back().z;
                angles.z = last + std::remainder(angles.z - last, 2 * kit::kPi);
            }
            path.push_back(at);
            turn.push_back(angles);
            // The wreck's shadow is the wreck itself.
            bool flying = t >= kPursuersIn && !(which == 0 && t >= kCrashed);
            shadowPath.push_back(flying ? shadowAt(at) : kWaiting);
            shadowTurn.push_back({0, 0, angles.z});
        }
        // The first strikes the crown's top with its lowest point at kCrownClipped, brought down onto it over
        // the half second before, and is knocked off it: at no key is any part of it inside the stone.
        if (which == 0) {
            const int strike = int(std::lround(kCrownClipped * 20));
            float touching = strikeGap(hull, rotor, kCrownClipped, path[size_t(strike)], turn[size_t(strike)]);
            if (touching > 1e8f) touching = 0;
            for (int i = strike - 12; i <= strike + 12; ++i) {
                double t = i / 20.0;
                float gap = strikeGap(hull, rotor, t, path[size_t(i)], turn[size_t(i)]);
                float onto = -touching * float(easeBetween(kCrownClipped - 0.45, kCrownClipped, t) *
                                                (1 - easeBetween(kCrownClipped, kCrownClipped + 0.4, t)));
                if (gap > 1e8f) onto = 0;
                float lift = onto + std::fmax(0.0f, 0.3f - (gap + onto));
                path[size_t(i)].z += lift;
            }
        }
        kit::Model craft{names[which], path[0], {}, hull, kit::positionCurves(path), {}};
        for (const kit::Curve& c : kit::rotationCurves(turn))
            craft.curves.push_back(c);
        // The rotors turn fast and the other way round from each other, as a tilt-rotor's do; the wreck's
        // stand still.
        for (float side : {-1.0f, 1.0f}) {
            std::vector<double> spin;
            for (int i = 0; i < frames; ++i) {
                double t = which == 0 ? std::fmin(i / 20.0, kCrashed) : i / 20.0;
                spin.push_back(side * t * 7.85 + which * 0.4);
            }
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
