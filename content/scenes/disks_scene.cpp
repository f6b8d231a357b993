// Title scene: the group's logo, a bevelled plate with a raised emblem on both faces (a tipper truck heaped
// with grain between sprays of wheat) and a ring of disks round its rim, and the camera that follows its
// flight above the title text.
#include "models.h"
#include "scene_list.h"

#include "kit/camera_rig.h"
#include "kit/shapes.h"

#include <algorithm>
#include <cmath>

namespace scenes {
namespace {

constexpr int kFrames = 441; // 0-22 s
// The plate: a stadium outline in the XZ plane, its faces toward -Y and +Y.
constexpr float kPlateHalfLength = 25.0f; // centres of the round ends
constexpr float kPlateRadius = 7.2f;
// A thin plate: the emblem stands two units proud of it, enough to keep clear of its face in the depth buffer
// when the sign is far off.
constexpr float kPlateThickness = 0.5f;
constexpr int kRimDisks = 26;
constexpr double kFieldOfView = 0.6;

kit::LightRig titleLight(float facing) {
    kit::LightRig rig;
    rig.toSun = {-0.3f, -0.6f * facing, 0.75f};
    rig.sun = {0.55f, 0.45f, 0.35f};
    rig.sky = {0.75f, 0.65f, 0.75f};
    rig.ground = {0.35f, 0.2f, 0.3f};
    rig.creviceHeight = 0;
    return rig;
}

// The logo spins, so each face is lit as if it were the one turned toward the viewer.
kit::Mesh& bakeBothFaces(kit::Mesh& mesh) {
    kit::Mesh front = mesh, back = mesh;
    kit::bakeLight(front, titleLight(1));
    kit::bakeLight(back, titleLight(-1));
    for (size_t i = 0; i < mesh.colors.size(); ++i) {
        mesh.colors[i] = mesh.normals[i].y > 0 ? back.colors[i] : front.colors[i];
    }
    return mesh;
}

std::vector<kit::Vec2> stadium(float halfLength, float radius, int segmentsPerEnd) {
    std::vector<kit::Vec2> outline;
    for (int end = 0; end < 2; ++end) {
        float cx = end == 0 ? halfLength : -halfLength;
        for (int i = 0; i <= segmentsPerEnd; ++i) {
            float a = -kit::kPi / 2 + kit::kPi * float(end) + kit::kPi * float(i) / float(segmentsPerEnd);
            outline.push_back({cx + radius * std::cos(a), radius * std::sin(a)});
        }
    }
    return outline;
}

// Sign space (x right, y up, z out of the front face) to the world: the front face looks along -Y.
kit::Mesh& standUp(kit::Mesh& mesh) {
    for (kit::Vec3& p : mesh.positions)
        p = {p.x, -p.z, p.y};
    for (kit::Vec3& n : mesh.normals)
        n = {n.x, -n.z, n.y};
    return mesh;
}

// Two arcs of lights round the plate's round ends, in the plate's own plane and clear of the rim: seen from
// any side they stay beside the plate's outline, never across the letters. Each light trails sparks back
// along its arc, as if the lights ran round the sign.
kit::Mesh endArcs() {
    kit::Mesh arcs;
    const float radius = kPlateRadius + 5.2f;
    const int lights = 5;
    for (int end = 0; end < 2; ++end) {
        float side = end == 0 ? 1.0f : -1.0f;
        for (int i = 0; i < lights; ++i) {
            float a = (float(i) - 2.0f) * 0.3f, big = i == 2 ? 1.0f : i % 2 ? 0.75f : 0.6f;
            kit::Color hot = i % 2 ? kit::rgb8(120, 230, 255) : kit::rgb8(255, 215, 90);
            auto at = [&](float angle) {
                return kit::Vec3{side * (kPlateHalfLength + radius * std::cos(angle)), radius * std::sin(angle) * side, 0};
            };
            kit::Mesh orb = kit::sphere(1.9f * big, 8, 5);
            kit::paint(orb, hot);
            kit::merge(arcs, kit::translate(orb, at(a)));
            for (int k = 1; k <= 4; ++k) {
                kit::Mesh spark = kit::sphere(1.3f * big * (1.0f - 0.17f * float(k)), 6, 3);
                kit::paint(spark, hot * (1.0f - 0.18f * float(k)));
                kit::merge(arcs, kit::translate(spark, at(a - 0.07f * float(k))));
            }
        }
    }
    return arcs;
}

// Raised relief on the plate's front face, in sign space: from just under the face up to `top`.
constexpr float kReliefBase = kPlateThickness / 2 - 0.1f;
kit::Mesh relief(const std::vector<kit::Vec2>& outline, float top, kit::Color color, float bevel = 0.2f) {
    kit::Mesh m = kit::extrude(outline, top - kReliefBase, bevel);
    kit::translate(m, {0, 0, kReliefBase});
    return kit::paint(m, color);
}

// One ear of wheat lying along `direction` from `base`: a short stalk, then pairs of plump grains set at
// an angle to it, a grain at the tip and a few awns beyond it.
kit::Mesh wheatEar(kit::Vec2 base, float direction, float length) {
    kit::Mesh ear;
    float c = std::cos(direction), s = std::sin(direction);
    auto at = [&](float along, float across) {
        return kit::Vec2{base.u + c * along - s * across, base.v + s * along + c * across};
    };
    kit::Vec2 a = at(0, -0.22f), b = at(2.2f, -0.22f), d = at(2.2f, 0.22f), e = at(0, 0.22f);
    kit::merge(ear, relief({a, b, d, e}, 1.6f, kit::rgb8(196, 120, 30), 0));
    const int pairs = 5;
    float step = (length - 3.4f) / float(pairs);
    for (int i = 0; i <= pairs; ++i) {
        float along = 2.6f + step * float(i) + step * 0.5f;
        for (int side = -1; side <= 1; side += 2) {
            if (i == pairs && side > 0) break; // the tip: one grain on the stalk's line
            float across = i == pairs ? 0.0f : 0.5f * float(side);
            float tilt = i == pairs ? 0.0f : 0.45f * float(side);
            kit::Mesh grain = kit::sphere(1.0f, 6, 3);
            kit::scale(grain, {0.95f, 0.5f, 0.45f});
            kit::rotate(grain, {0, 0, direction + tilt});
            kit::Vec2 p = at(along, across);
            kit::translate(grain, {p.u, p.v, 1.9f});
            float warm = float(i) / float(pairs);
            kit::merge(ear, kit::paint(grain, kit::mix(kit::rgb8(255, 196, 60), kit::rgb8(255, 232, 130), warm)));
        }
    }
    for (int k = -1; k <= 1; ++k) { // awns fanning past the tip
        float spread = 0.28f * float(k);
        float cs = std::cos(direction + spread), sn = std::sin(direction + spread);
        kit::Vec2 root = at(length - 0.4f, 0.0f);
        kit::Vec2 tip{root.u + cs * 3.2f, root.v + sn * 3.2f};
        kit::Vec2 side{-sn * 0.14f, cs * 0.14f};
        kit::merge(ear, relief({{root.u - side.u, root.v - side.v}, tip, {root.u + side.u, root.v + side.v}}, 1.6f,
                               kit::rgb8(250, 210, 110), 0));
    }
    return ear;
}

// The emblem on each face: a tipper truck heaped with grain, in side view, between two sprays of wheat.
kit::Mesh emblem() {
    kit::Mesh m;
    const kit::Color yellow = kit::rgb8(255, 200, 36), deep = kit::rgb8(230, 130, 20);
    // Chassis, tipper body with its canopy over the cab, and the cab. Nothing overlaps: the ribs of the body
    // and the cab's window are gaps onto the plate, so that no two faces lie close enough to fight in the
    // depth buffer when the sign is far off.
    kit::merge(m, relief({{-10.6f, -2.9f}, {10.6f, -2.9f}, {10.6f, -1.6f}, {-10.6f, -1.6f}}, 1.7f, deep));
    kit::merge(m, relief({{-10.0f, -1.6f}, {-7.6f, -1.6f}, {-7.6f, 3.3f}, {-11.8f, 3.3f}}, 2.3f, yellow));
    kit::merge(m, relief({{-6.9f, -1.6f}, {-3.6f, -1.6f}, {-3.6f, 3.3f}, {-6.9f, 3.3f}}, 2.3f, yellow));
    kit::merge(m, relief({{-2.9f, -1.6f}, {0.2f, -1.6f}, {0.2f, 3.3f}, {-2.9f, 3.3f}}, 2.3f, yellow));
    kit::merge(m, relief({{0.9f, -1.6f}, {2.6f, -1.6f}, {2.6f, 1.9f}, {8.6f, 2.5f}, {8.6f, 3.3f}, {0.9f, 3.3f}}, 2.3f,
                         yellow));
    kit::merge(m, relief({{3.3f, -1.6f}, {10.9f, -1.6f}, {10.9f, 0.1f}, {3.3f, 0.1f}}, 2.3f, yellow));
    kit::merge(m, relief({{3.3f, 0.1f}, {6.9f, 0.1f}, {6.9f, 1.8f}, {3.3f, 1.8f}}, 2.3f, yellow));
    kit::merge(m, relief({{9.4f, 0.1f}, {10.9f, 0.1f}, {10.9f, 0.2f}, {9.9f, 1.8f}, {6.9f, 1.8f}, {6.9f, 1.25f},
                          {8.8f, 1.25f}},
                         2.3f, yellow, 0.1f));
    // The heap of grain over the body.
    std::vector<kit::Vec2> heap{{2.6f, 3.3f}};
    for (int i = 0; i <= 12; ++i) {
        float f = float(i) / 12.0f;
        heap.push_back({2.4f - 14.0f * f, 3.3f + 1.9f * std::pow(std::sin(kit::kPi * f), 0.6f)});
    }
    kit::merge(m, relief(heap, 2.1f, kit::rgb8(255, 236, 150)));
    // Wheels over the chassis, standing out from it: dark tyres glowing to a bright hub.
    for (float x : {-7.4f, -3.4f, 7.6f}) {
        kit::Mesh tyre = kit::cylinder(1.9f, kReliefBase, 2.45f, 12);
        for (size_t v = 0; v < tyre.positions.size(); ++v) {
            bool hub = std::hypot(tyre.positions[v].x, tyre.positions[v].y) < 0.01f && tyre.positions[v].z > 2;
            tyre.colors[v] = hub ? kit::rgb8(255, 220, 110) : kit::rgb8(34, 14, 40);
        }
        kit::merge(m, kit::translate(tyre, {x, -3.3f, 0}));
    }
    // Two sprays of wheat, three ears each, fanning out from under the truck's ends.
    for (int side = -1; side <= 1; side += 2) {
        for (int k = -1; k <= 1; ++k) {
            float direction = (side > 0 ? 0.0f : kit::kPi) + float(side) * 0.36f * float(k);
            kit::merge(m, wheatEar({float(side) * 11.6f, -0.8f + 0.6f * float(k)}, direction, 10.0f));
        }
    }
    return m;
}

kit::Mesh logo() {
    kit::Mesh plate = kit::extrude(stadium(kPlateHalfLength, kPlateRadius, 12), kPlateThickness, 0.5f);
    kit::translate(plate, {0, 0, -kPlateThickness / 2});
    kit::paint(plate, kit::rgb8(150, 36, 24));

    // The emblem in relief on the front face, and the same turned half a turn about the vertical for the
    // back, so that the truck drives the same way seen from either side.
    kit::Mesh letters = emblem();
    kit::Mesh back = letters;
    kit::merge(letters, kit::rotate(back, {0, kit::kPi, 0}));

    kit::Mesh disks;
    std::vector<kit::Vec2> rim = stadium(kPlateHalfLength, kPlateRadius + 0.2f, 64);
    float perimeter = 0;
    for (size_t i = 0; i + 1 < rim.size(); ++i)
        perimeter += std::hypot(rim[i + 1].u - rim[i].u, rim[i + 1].v - rim[i].v);
    perimeter += std::hypot(rim.front().u - rim.back().u, rim.front().v - rim.back().v);
    // Evenly spaced along the outline; they glow rather than take the light, every third one hottest, like a
    // marquee's chasing bulbs.
    float step = perimeter / kRimDisks, next = 0, walked = 0;
    int bulb = 0;
    for (size_t i = 0; i < rim.size(); ++i) {
        kit::Vec2 a = rim[i], b = rim[(i + 1) % rim.size()];
        float length = std::hypot(b.u - a.u, b.v - a.v);
        while (next < walked + length) {
            float f = (next - walked) / length;
            kit::Mesh disk = kit::cylinder(1.7f, -1.8f, 1.8f, 14);
            bool hot = bulb++ % 3 == 0;
            for (size_t v = 0; v < disk.colors.size(); ++v) {
                bool cap = std::fabs(disk.normals[v].z) > 0.7f;
                disk.colors[v] = cap ? (hot ? kit::rgb8(255, 252, 226) : kit::rgb8(255, 206, 96))
                                     : (hot ? kit::rgb8(255, 190, 90) : kit::rgb8(235, 120, 36));
            }
            kit::merge(disks, kit::translate(disk, {a.u + (b.u - a.u) * f, a.v + (b.v - a.v) * f, 0}));
            next += step;
        }
        walked += length;
    }

    kit::Mesh arcs = endArcs();
    standUp(plate);
    standUp(letters);
    standUp(disks);
    kit::tintByHeight(plate, -kPlateRadius, kPlateRadius, kit::rgb8(110, 24, 40), kit::rgb8(215, 80, 24));
    const size_t emblemFrom = plate.colors.size();
    kit::merge(plate, letters);
    bakeBothFaces(plate);
    // The emblem is lit from within, like the bulbs: the light only models its relief.
    for (size_t i = emblemFrom; i < plate.colors.size(); ++i) {
        const kit::Color &lit = plate.colors[i], &own = letters.colors[i - emblemFrom];
        plate.colors[i] = {std::fmin(1.0f, 0.45f * lit.r + 0.75f * own.r), std::fmin(1.0f, 0.45f * lit.g + 0.75f * own.g),
                           std::fmin(1.0f, 0.45f * lit.b + 0.75f * own.b), own.a};
    }
    // Rim light on the edges and bevels: cool from the dusk sky above, hot from the sunset below.
    for (size_t i = 0; i < plate.colors.size(); ++i) {
        const kit::Vec3& n = plate.normals[i];
        float edge = 1.0f - std::fabs(n.y);
        kit::Color rim = n.z > 0 ? kit::rgb8(150, 120, 255) * (0.55f * n.z) : kit::rgb8(255, 120, 50) * (-0.6f * n.z);
        kit::Color& c = plate.colors[i];
        c = {std::fmin(1.0f, c.r + rim.r * edge), std::fmin(1.0f, c.g + rim.g * edge), std::fmin(1.0f, c.b + rim.b * edge), c.a};
    }
    kit::merge(plate, disks);
    kit::merge(plate, standUp(arcs));
    return plate;
}

double logoX(double t) {
    return 120.0 - 10.0 * t;
}

// Where the camera stands relative to the flying logo, and where the logo sits on screen.
struct Framing {
    double azimuth;   // degrees round the logo from its front (-Y), toward +X
    double elevation; // degrees above the logo's centre
    double distance;
    double screenX, screenY; // NDC of the logo's centre
};

// One framing a bar (every 2 s, the music's downbeats), joined by a smooth spline so that the camera is
// always on its way somewhere. From 5.5 s the title text holds the band below NDC 0.2, so the logo keeps
// above it and far enough off to fit between the text and the top edge.
constexpr Framing kBars[] = {
    {45, 24, 190, 0.15, 0.25},     //  0 s: high and far off, on the hit
    {10, -14, 122, 0.0, 0.45},     //  2 s: rush in and under it, looking up
    {-35, -4, 114, -0.2, 0.5},     //  4 s: swing round against its spin
    {-80, 12, 150, 0.3, 0.56},     //  6 s: ease off and up above the text
    {-150, 10, 118, -0.3, 0.56},   //  8 s: whip round its end, closing in
    {-195, -14, 135, 0.25, 0.56},  // 10 s: a low pass, looking up at it
    {-235, -2, 115, 0.0, 0.55},    // 12 s: push in on its back face
    {-275, 18, 205, 0.3, 0.6},     // 14 s: pull back and up: the reveal
    {-322, 14, 135, -0.2, 0.56},   // 16 s: rush back in, swinging round
    {-384, 8, 120, 0.15, 0.55},    // 18 s: round its end
    {-372, 10, 170, -0.1, 0.57},   // 20 s: let it go: it climbs away into the night
    {-362, 4, 250, 0.0, 0.55},     // 22 s: far off and face-on over the title on the cut
};
constexpr int kBarCount = int(sizeof(kBars) / sizeof(kBars[0]));

double catmullRom(double p0, double p1, double p2, double p3, double f) {
    return 0.5 * (2 * p1 + (p2 - p0) * f + (2 * p0 - 5 * p1 + 4 * p2 - p3) * f * f +
                  (3 * p1 - p0 - 3 * p2 + p3) * f * f * f);
}

Framing framingAt(double t) {
    double bar = std::fmin(std::fmax(t / 2.0, 0.0), kBarCount - 1.0);
    int i = std::min(int(bar), kBarCount - 2);
    double f = bar - i;
    auto key = [](int k) { return kBars[std::clamp(k, 0, kBarCount - 1)]; };
    Framing a = key(i - 1), b = key(i), c = key(i + 1), d = key(i + 2);
    auto blend = [&](double Framing::*field) { return catmullRom(a.*field, b.*field, c.*field, d.*field, f); };
    return {blend(&Framing::azimuth), blend(&Framing::elevation), blend(&Framing::distance),
            blend(&Framing::screenX), blend(&Framing::screenY)};
}

kit::Vec3 logoCentre(double t) {
    return {float(logoX(t)), 0, 0};
}

kit::Vec3 eyeOf(double t, const Framing& f) {
    double az = f.azimuth * kit::kPi / 180, el = f.elevation * kit::kPi / 180;
    kit::Vec3 offset{float(std::sin(az) * std::cos(el)), float(-std::cos(az) * std::cos(el)), float(std::sin(el))};
    return logoCentre(t) + offset * float(f.distance);
}

// The point to look at that puts the logo's centre at the framing's place on screen.
kit::Vec3 targetOf(double t, const Framing& f) {
    kit::Vec3 centre = logoCentre(t), forward = kit::normalize(centre - eyeOf(t, f));
    kit::Vec3 right = kit::normalize(kit::cross(forward, {0, 0, 1})), up = kit::cross(right, forward);
    double halfHeight = f.distance * std::tan(kFieldOfView / 2), halfWidth = halfHeight * 4 / 3;
    return centre - right * float(f.screenX * halfWidth) - up * float(f.screenY * halfHeight);
}

struct ScreenBox {
    float minX = 9, maxX = -9, minY = 9, maxY = -9;
};

// Where the spinning logo lands on screen through a framing.
ScreenBox logoOnScreen(const kit::Mesh& logo, double t, const Framing& f) { // logo: its outer points
    kit::Vec3 eye = eyeOf(t, f);
    kit::CameraBasis view = kit::cameraBasis(kit::aimCamera(eye, targetOf(t, f)));
    float c = float(std::cos(t)), s = float(std::sin(t)), x = float(logoX(t));
    float scaleY = float(1 / std::tan(kFieldOfView / 2)), scaleX = scaleY * 0.75f;
    ScreenBox box;
    for (const kit::Vec3& v : logo.positions) {
        kit::Vec3 d = kit::Vec3{v.x * c - v.y * s + x, v.x * s + v.y * c, v.z} - eye;
        float depth = kit::dot(view.forward, d);
        float sx = scaleX * kit::dot(view.right, d) / depth, sy = scaleY * kit::dot(view.up, d) / depth;
        box = {std::fmin(box.minX, sx), std::fmax(box.maxX, sx), std::fmin(box.minY, sy), std::fmax(box.maxY, sy)};
    }
    return box;
}

// A running maximum followed by a running mean of the same reach or less never drops below the input.
std::vector<double> smoothAtLeast(const std::vector<double>& v, int reach) {
    int n = int(v.size());
    std::vector<double> peak(v.size()), out(v.size());
    for (int i = 0; i < n; ++i) {
        peak[i] = v[i];
        for (int j = std::max(0, i - reach); j <= std::min(n - 1, i + reach); ++j)
            peak[i] = std::fmax(peak[i], v[j]);
    }
    for (int i = 0; i < n; ++i) {
        double sum = 0;
        int count = 0;
        for (int j = std::max(0, i - reach); j <= std::min(n - 1, i + reach); ++j, ++count)
            sum += peak[j];
        out[i] = sum / count;
    }
    return out;
}

std::vector<double> smoothed(const std::vector<double>& v, int reach) {
    int n = int(v.size());
    std::vector<double> out(v.size());
    for (int i = 0; i < n; ++i) {
        double sum = 0;
        int count = 0;
        for (int j = std::max(0, i - reach); j <= std::min(n - 1, i + reach); ++j, ++count)
            sum += v[j];
        out[i] = sum / count;
    }
    return out;
}

// The bars' framings, corrected key by key so that the spinning logo (widest face-on, tallest edge-on, its
// near end enlarged by perspective) always fits: the camera backs off where the logo would overflow, and the
// aim keeps it centred in the band above the title text once the text is near.
std::vector<Framing> fittedFramings(const kit::Mesh& mesh) {
    // Only the rim, its bulbs and the lights round the ends can reach the edge of the logo's screen box.
    kit::Mesh logo;
    for (const kit::Vec3& v : mesh.positions)
        if (std::hypot(std::fmax(std::fabs(v.x) - kPlateHalfLength, 0.0f), v.z) > kPlateRadius - 1.0f)
            logo.positions.push_back(v);
    constexpr double kMaxHeight = 0.65, kMaxWidth = 1.86, kBandCentre = 0.553, kTop = 0.85, kSide = 0.93;
    std::vector<Framing> frames;
    std::vector<double> distance;
    for (int i = 0; i < kFrames; ++i) {
        double t = i / 20.0;
        Framing f = framingAt(t);
        for (int pass = 0; pass < 3; ++pass) {
            ScreenBox b = logoOnScreen(logo, t, f);
            double grow = std::fmax((b.maxY - b.minY) / kMaxHeight, (b.maxX - b.minX) / kMaxWidth);
            if (grow > 1) f.distance *= grow;
        }
        frames.push_back(f);
        distance.push_back(f.distance);
    }
    distance = smoothAtLeast(distance, 10);
    std::vector<double> screenX, screenY;
    for (int i = 0; i < kFrames; ++i) {
        double t = i / 20.0;
        Framing& f = frames[i];
        f.distance = distance[i];
        for (int pass = 0; pass < 2; ++pass) {
            ScreenBox b = logoOnScreen(logo, t, f);
            if (t >= 4.5) f.screenY += kBandCentre - (b.minY + b.maxY) / 2;
            else if (b.maxY > kTop) f.screenY -= b.maxY - kTop;
            if (b.maxX > kSide) f.screenX -= b.maxX - kSide;
            if (b.minX < -kSide) f.screenX += -kSide - b.minX;
        }
        screenX.push_back(f.screenX);
        screenY.push_back(f.screenY);
    }
    screenX = smoothed(screenX, 6);
    screenY = smoothed(screenY, 3);
    for (int i = 0; i < kFrames; ++i)
        frames[i].screenX = screenX[i], frames[i].screenY = screenY[i];
    return frames;
}

kit::Model camera(const kit::Mesh& logo) {
    std::vector<Framing> frames = fittedFramings(logo);
    auto at = [&](double t) { return frames[std::min(kFrames - 1, int(std::lround(t * 20)))]; };
    kit::CameraKeys keys = kit::rigCamera(
        kFrames, [&](double t) { return eyeOf(t, at(t)); }, [&](double t) { return targetOf(t, at(t)); });
    kit::Model cam{"Camera_disks", keys.positions[0], {}, {}, kit::positionCurves(keys.positions), {}};
    for (kit::Curve& c : kit::rotationCurves(keys.rotations))
        cam.curves.push_back(c);
    return cam;
}

} // namespace

SceneSource buildDisks() {
    SceneSource scene{"disks.xsi", {}, kFrames};
    kit::Mesh mesh = logo();
    kit::Model cam = camera(mesh);
    scene.models.push_back({"Kestrova", {120, 0, 0}, {}, std::move(mesh), {}, {}});
    scene.models.push_back(std::move(cam));
    return scene;
}

} // namespace scenes
