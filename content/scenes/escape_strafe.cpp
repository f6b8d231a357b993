// What the pursuers' attacks leave on the ground: the bullet spurts of the strafing runs, and the burst and
// the smoke of the crash. Each is a small model that waits below the road and shoots up out of it at its
// moment (the road hides whatever is below it), then rides on the ground streaming past.
#include "escape_pursuers.h"

#include "models.h"

#include "kit/shapes.h"

#include <cmath>

namespace scenes {
namespace {

constexpr float kBelow = -30; // out of sight under the road

// One line of spurts: the first strikes at `from` seconds, the last at `to`; the hits walk from `start` to
// `end` (truck's world, on the road).
struct Burst {
    double from, to;
    kit::Vec2 start, end;
};
// 19-20 s: the first pursuer's line runs up the shaded side of the road, close past the truck's wheels;
// 25-26 s: the second's starts on the sunny verge and closes in toward the road ahead of the truck.
constexpr Burst kRuns[] = {{19.0, 19.95, {-10.5f, -40}, {-9.5f, 52}}, {25.0, 25.95, {20, -34}, {13, 54}}};
constexpr int kSpurts = 12;

// A spurt: three slivers of dust flung up and apart, pale at the tips, seen from either face.
kit::Mesh spurtMesh(float height) {
    kit::Mesh jets;
    const kit::Color foot = kit::rgb8(172, 148, 108), tip = kit::rgb8(238, 226, 200);
    for (int k = 0; k < 3; ++k) {
        float a = 2 * kit::kPi * float(k) / 3 + 0.4f;
        kit::Vec3 out{std::cos(a), std::sin(a), 0}, across{-std::sin(a), std::cos(a), 0};
        kit::Vec3 up{0, 0, 1};
        uint32_t p = jets.addVertex(across * 0.8f, up, {0.5f, 0.5f}, foot);
        uint32_t q = jets.addVertex(across * -0.8f, up, {0.5f, 0.5f}, foot);
        uint32_t r = jets.addVertex(out * (height * 0.35f) + kit::Vec3{0, 0, height}, up, {0.5f, 0.5f}, tip);
        jets.addTriangle(p, q, r);
    }
    return kit::makeTwoSided(jets);
}

// Height of a jet `age` seconds after its hit, from 0 (just under the road) to 1 (fully out): it bursts out
// within a tenth of a second, hangs, and falls back.
float jetOut(double age) {
    if (age < 0 || age > 0.65) return -1;
    if (age < 0.1) return float(age / 0.1);
    if (age < 0.3) return 1;
    return float(1 - (age - 0.3) / 0.35);
}

} // namespace

void addStrafing(std::vector<kit::Model>& models, int frames) {
    constexpr float kHeight = 6.5f;
    kit::Mesh jet = spurtMesh(kHeight);
    for (int n = 0; n < kSpurts; ++n) {
        std::vector<kit::Vec3> path;
        for (int i = 0; i < frames; ++i) {
            double t = i / 20.0;
            kit::Vec3 at{0, 0, kBelow};
            for (const Burst& run : kRuns) {
                float s = float(n) / (kSpurts - 1);
                double hit = run.from + (run.to - run.from) * s;
                float out = jetOut(t - hit);
                if (out < 0 && (t < hit - 0.06 || t > hit + 0.7)) continue;
                kit::Vec2 p{run.start.u + (run.end.u - run.start.u) * s + 0.5f * std::sin(float(n) * 2.3f),
                            run.start.v + (run.end.v - run.start.v) * s};
                at = {p.u, p.v - float(kRoadSpeed * (t - hit)),
                      (std::fmax(out, 0.0f) - 1) * (kHeight + 0.2f)};
            }
            path.push_back(at);
        }
        models.push_back({"Spurt" + std::to_string(n), path[0], {}, jet, kit::positionCurves(path), {}});
    }
}

void addCrashSmoke(std::vector<kit::Model>& models, int frames) {
    // The burst: a ring of long pale-yellow flames fanned out of the ground for a third of a second.
    kit::Mesh flames;
    for (int k = 0; k < 9; ++k) {
        float a = 2 * kit::kPi * float(k) / 9, lean = 0.5f + 0.3f * float(k % 2);
        kit::Vec3 out{std::cos(a), std::sin(a), 0}, across{-std::sin(a), std::cos(a), 0};
        kit::Vec3 up{0, 0, 1};
        uint32_t p = flames.addVertex(across * 1.6f, up, {0.5f, 0.5f}, kit::rgb8(236, 120, 40));
        uint32_t q = flames.addVertex(across * -1.6f, up, {0.5f, 0.5f}, kit::rgb8(236, 120, 40));
        uint32_t r = flames.addVertex(out * (7 * lean) + kit::Vec3{0, 0, 11 - 3 * lean}, up, {0.5f, 0.5f},
                                      kit::rgb8(255, 236, 170));
        flames.addTriangle(p, q, r);
    }
    flames = kit::makeTwoSided(flames);
    auto onWreck = [](double t, kit::Vec3 offset) {
        return kCrashSite + offset + kit::Vec3{0, float(-kRoadSpeed * (t - kCrashed)), -kCrashSite.z};
    };
    std::vector<kit::Vec3> burst;
    for (int i = 0; i < frames; ++i) {
        double t = i / 20.0, age = t - kCrashed;
        float out = age < -0.05 || age > 0.75 ? -1
                    : age < 0.1               ? float(std::fmax(age, 0.0) / 0.1)
                    : age < 0.35              ? 1
                                              : float(1 - (age - 0.35) / 0.4);
        burst.push_back(out < 0 ? kit::Vec3{0, 0, kBelow} : onWreck(t, {0, 0, (out - 1) * 11}));
    }
    models.push_back({"CrashBurst", burst[0], {}, flames, kit::positionCurves(burst), {}});
    // The plume: dark lumps of smoke welling up one after another into a leaning column over the wreck.
    for (int k = 0; k < 5; ++k) {
        float size = 2.5f + 0.7f * float(k), top = 4 + 5 * float(k);
        double born = kCrashed + 0.03 * k;
        kit::Mesh lump = kit::sphere(1, 5, 3);
        kit::scale(lump, {size, size, size * 0.8f});
        kit::paint(lump, kit::mix(kit::rgb8(46, 40, 36), kit::rgb8(84, 74, 64), float(k) / 4));
        std::vector<kit::Vec3> path;
        for (int i = 0; i < frames; ++i) {
            double t = i / 20.0;
            if (t < born - 0.05) {
                path.push_back({0, 0, kBelow});
                continue;
            }
            float rise = float(std::fmin(1.0, (t - born) / 0.3));
            rise = 1 - (1 - rise) * (1 - rise);
            float z = -size + (top + size) * rise;
            // The smoke leans out over the sunny verge as it climbs, away from the road.
            path.push_back(onWreck(t, {0.5f * z, -0.2f * z, z}));
        }
        models.push_back(
            {"CrashSmoke" + std::to_string(k), path[0], {}, lump, kit::positionCurves(path), {}});
    }
}

} // namespace scenes
