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
// `end` along the ground (truck's world while the truck keeps its lane).
struct Burst {
    double from, to;
    kit::Vec2 start, end;
};
// 19-20 s: the first pursuer's line runs up the shaded side of the road, close past the truck's wheels;
// 25-26 s: the second's starts on the sunny verge and closes in toward the road ahead of the truck; 29-30 s:
// the first's runs straight up the truck's lane, which the truck has just left.
constexpr Burst kRuns[] = {{19.0, 19.95, {-10.5f, -40}, {-9.5f, 52}},
                           {25.0, 25.95, {20, -34}, {13, 54}},
                           {29.0, 29.95, {-3.5f, -50}, {-3.5f, 60}}};
constexpr int kSpurts = 12;

// A spurt: five slivers of dust flung up and apart, pale at the tips, over a squat collar of dust kicked out
// along the ground; seen from either face.
kit::Mesh spurtMesh(float height) {
    kit::Mesh jets;
    const kit::Color foot = kit::rgb8(196, 170, 124), tip = kit::rgb8(255, 246, 222);
    const kit::Color dust = kit::rgb8(214, 190, 146), dustTop = kit::rgb8(236, 222, 190);
    kit::Vec3 up{0, 0, 1};
    for (int k = 0; k < 5; ++k) {
        float a = 2 * kit::kPi * float(k) / 5 + 0.4f, lean = 0.2f + 0.12f * float(k % 3);
        kit::Vec3 out{std::cos(a), std::sin(a), 0}, across{-std::sin(a), std::cos(a), 0};
        float reach = height * (0.75f + 0.25f * float((k * 3) % 5) / 4);
        uint32_t p = jets.addVertex(across * 1.3f, up, {0.5f, 0.5f}, foot);
        uint32_t q = jets.addVertex(across * -1.3f, up, {0.5f, 0.5f}, foot);
        uint32_t r = jets.addVertex(out * (reach * lean) + kit::Vec3{0, 0, reach}, up, {0.5f, 0.5f}, tip);
        jets.addTriangle(p, q, r);
    }
    uint32_t top = jets.addVertex({0, 0, height * 0.3f}, up, {0.5f, 0.5f}, dustTop);
    for (int k = 0; k < 6; ++k) {
        float a = 2 * kit::kPi * float(k) / 6, b = 2 * kit::kPi * float(k + 1) / 6;
        uint32_t p = jets.addVertex({3.8f * std::cos(a), 3.8f * std::sin(a), 0}, up, {0.5f, 0.5f}, dust);
        uint32_t q = jets.addVertex({3.8f * std::cos(b), 3.8f * std::sin(b), 0}, up, {0.5f, 0.5f}, dust);
        jets.addTriangle(p, q, top);
    }
    return kit::makeTwoSided(jets);
}

// Height of a jet `age` seconds after its hit, from 0 (just under the road) to 1 (fully out): it bursts out
// within a tenth of a second, hangs, and falls back.
float jetOut(double age) {
    if (age < 0 || age > 0.8) return -1;
    if (age < 0.08) return float(age / 0.08);
    if (age < 0.35) return 1;
    return float(1 - (age - 0.35) / 0.45);
}

} // namespace

void addStrafing(std::vector<kit::Model>& models, int frames) {
    constexpr float kHeight = 10;
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
                if (out < 0 && (t < hit - 0.06 || t > hit + 0.85)) continue;
                // Where the bullet meets the ground, as the truck sees it at that moment.
                kit::Vec3 p{run.start.u + (run.end.u - run.start.u) * s + 0.5f * std::sin(float(n) * 2.3f) -
                                float(truckSwerve(hit)),
                            run.start.v + (run.end.v - run.start.v) * s, 0};
                at = onGround(p, hit, t);
                at.z = (std::fmax(out, 0.0f) - 1) * (kHeight + 0.2f);
            }
            path.push_back(at);
        }
        models.push_back({"Spurt" + std::to_string(n), path[0], {}, jet, kit::positionCurves(path), {}});
    }
}

void addCrashSmoke(std::vector<kit::Model>& models, int frames) {
    // The burst: two rings of long flames fanned out of the ground, deep orange outside and a pale yellow core,
    // flaring for a second and a half while they turn.
    auto ring = [](int count, float width, float spread, float height, kit::Color foot, kit::Color tip) {
        kit::Mesh flames;
        for (int k = 0; k < count; ++k) {
            float a = 2 * kit::kPi * float(k) / float(count), lean = 0.5f + 0.3f * float(k % 2);
            kit::Vec3 out{std::cos(a), std::sin(a), 0}, across{-std::sin(a), std::cos(a), 0};
            kit::Vec3 up{0, 0, 1};
            uint32_t p = flames.addVertex(across * width, up, {0.5f, 0.5f}, foot);
            uint32_t q = flames.addVertex(across * -width, up, {0.5f, 0.5f}, foot);
            uint32_t r = flames.addVertex(out * (spread * lean) + kit::Vec3{0, 0, height * (1 - 0.25f * lean)},
                                          up, {0.5f, 0.5f}, tip);
            flames.addTriangle(p, q, r);
        }
        return kit::makeTwoSided(flames);
    };
    kit::Mesh flames = ring(12, 3.6f, 15, 30, kit::rgb8(230, 90, 24), kit::rgb8(255, 200, 90));
    kit::merge(flames, ring(7, 2.8f, 7, 20, kit::rgb8(255, 170, 50), kit::rgb8(255, 248, 200)));
    auto onWreck = [](double t, kit::Vec3 offset) {
        return onGround(kCrashSite, kCrashed, t) + offset - kit::Vec3{0, 0, kCrashSite.z};
    };
    constexpr float kFlameHeight = 30;
    std::vector<kit::Vec3> burst;
    std::vector<double> turn;
    for (int i = 0; i < frames; ++i) {
        double t = i / 20.0, age = t - kCrashed;
        float out = age < -0.05 || age > 1.6 ? -1
                    : age < 0.12             ? float(std::fmax(age, 0.0) / 0.12)
                    : age < 0.7              ? 1
                                             : float(1 - (age - 0.7) / 0.9);
        burst.push_back(out < 0 ? kit::Vec3{0, 0, kBelow - kFlameHeight}
                                : onWreck(t, {0, 0, (out - 1) * (kFlameHeight + 1)}));
        turn.push_back(0.9 * std::fmax(0.0, age));
    }
    kit::Model fire{"CrashBurst", burst[0], {}, flames, kit::positionCurves(burst), {}};
    fire.curves.push_back(kit::rotationCurve('z', turn));
    models.push_back(std::move(fire));
    // The plume: black lumps of smoke welling up one after another into a tall column leaning over the wreck,
    // the first ones lit orange from below by the fire.
    constexpr int kLumps = 8;
    for (int k = 0; k < kLumps; ++k) {
        float size = 5 + 0.9f * float(k), top = 4 + 5 * float(k);
        double born = kCrashed + 0.06 * k;
        kit::Mesh lump = kit::sphere(1, 7, 4);
        kit::scale(lump, {size, size, size * 0.8f});
        kit::Color c = kit::mix(kit::rgb8(26, 22, 20), kit::rgb8(72, 66, 60), float(k) / (kLumps - 1));
        if (k < 2) c = kit::mix(kit::rgb8(150, 60, 20), kit::rgb8(60, 36, 24), float(k));
        kit::paint(lump, c);
        std::vector<kit::Vec3> path;
        for (int i = 0; i < frames; ++i) {
            double t = i / 20.0;
            if (t < born - 0.05) {
                path.push_back({0, 0, kBelow - size});
                continue;
            }
            float rise = float(std::fmin(1.0, (t - born) / (0.5 + 0.1 * k)));
            rise = 1 - (1 - rise) * (1 - rise);
            float z = -size + (top + size) * rise;
            // The smoke leans out over the sunny verge as it climbs, away from the road, and keeps billowing.
            float drift = float(std::fmax(0.0, t - born - 0.5)) * 2.5f;
            path.push_back(onWreck(t, {0.3f * z + drift, -0.1f * z, z + drift}));
        }
        models.push_back(
            {"CrashSmoke" + std::to_string(k), path[0], {}, lump, kit::positionCurves(path), {}});
    }
}

} // namespace scenes
