// The iris: a ring of twenty-four thin black blades, each a plane whose straight edge faces the middle of the
// opening, so many that the opening reads round at the window's size all the way down. They
// lie 3 units in front of the eye (nearer than anything else in the scene, so the depth test lets nothing
// through them) in a plane square to the view. As the edges close in on the point they also turn about it, so
// the opening shrinks with a twist, as a lens's iris does.
#include "ledge_finale.h"

#include "models.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace scenes::ledge {
namespace {

constexpr int kBlades = 24;
constexpr float kDepth = 3;                // along the view axis from the eye

// `reach` is the blade's extent out from its edge, `halfEdge` half its extent along it.
kit::Mesh bladeMesh(float reach, float halfEdge) {
    // In the blade's own axes: x along the view axis, y out from the opening, z along the edge. Black, and
    // seen from both sides (which way it faces depends on the turn).
    kit::Mesh blade;
    const kit::Color black{0, 0, 0, 1};
    const uint32_t a = blade.addVertex({0, 0, -halfEdge}, {-1, 0, 0}, {0.5f, 0.5f}, black);
    const uint32_t b = blade.addVertex({0, reach, -halfEdge}, {-1, 0, 0}, {0.5f, 0.5f}, black);
    const uint32_t c = blade.addVertex({0, reach, halfEdge}, {-1, 0, 0}, {0.5f, 0.5f}, black);
    const uint32_t d = blade.addVertex({0, 0, halfEdge}, {-1, 0, 0}, {0.5f, 0.5f}, black);
    blade.addQuad(a, b, c, d);
    return kit::makeTwoSided(blade);
}

} // namespace

kit::Mesh marqueeLamps(float halfWidth, float bottom, float top, float pitch, float radius, float z) {
    kit::Mesh lamps;
    auto lampAt = [&](float x, float y, int phase) {
        // A halo ring glowing on the plate round a white-hot bulb a little proud of it; the chase round the
        // plate is caught in mid-run, every third bulb burning whitest.
        const kit::Color hot[3] = {kit::rgb8(255, 255, 240), kit::rgb8(255, 240, 190), kit::rgb8(255, 226, 160)};
        auto disc = [&](float r, float dz, kit::Color inner, kit::Color outer) {
            constexpr int kSides = 6;
            const uint32_t c = lamps.addVertex({x, y, z + dz}, {0, 0, 1}, {0.5f, 0.5f}, inner);
            for (int k = 0; k < kSides; ++k) {
                const float a = 2 * kit::kPi * float(k) / kSides;
                lamps.addVertex({x + r * std::cos(a), y + r * std::sin(a), z + dz}, {0, 0, 1}, {0.5f, 0.5f},
                                outer);
            }
            for (uint32_t k = 0; k < kSides; ++k)
                lamps.addTriangle(c, c + 1 + k, c + 1 + (k + 1) % kSides);
        };
        disc(radius, 0, kit::rgb8(255, 190, 90), kit::rgb8(200, 60, 30));
        disc(0.6f * radius, 0.8f * radius, hot[phase], kit::rgb8(255, 178, 72));
    };
    // Evenly along the top and bottom rows, then up the ends between the corners.
    const int across = std::max(1, int(std::lround(2 * halfWidth / pitch)));
    const int up = std::max(1, int(std::lround((top - bottom) / pitch)));
    int n = 0;
    for (int i = 0; i <= across; ++i) {
        const float x = -halfWidth + 2 * halfWidth * float(i) / float(across);
        lampAt(x, top, n++ % 3);
        lampAt(x, bottom, n++ % 3);
    }
    for (int j = 1; j < up; ++j) {
        const float y = bottom + (top - bottom) * float(j) / float(up);
        lampAt(-halfWidth, y, n++ % 3);
        lampAt(halfWidth, y, n++ % 3);
    }
    return lamps;
}

std::vector<kit::Model> irisBlades(int frames, const std::function<kit::Vec3(double)>& eye,
                                   const kit::CameraAngles& angles, float fieldOfView, float x, float y,
                                   double from, double to) {
    const kit::CameraBasis view = kit::cameraBasis(angles);
    const kit::Vec3 ray = kit::viewRay(angles, fieldOfView, x, y);
    // The opening's middle, on the ray through the screen point, kDepth ahead along the view axis.
    const kit::Vec3 middle = ray * (kDepth / kit::dot(ray, view.forward));
    // The blade's axes onto the world: x onto the view axis, y onto the view's up, z onto the third. A turn
    // about the view axis is then a turn about the blade's own x, which adds to the first Euler angle alone.
    const kit::Vec3 f = view.forward, u = view.up, v = kit::cross(f, u);
    const kit::Vec3 base{std::atan2(u.z, v.z), -std::asin(f.z), std::atan2(f.y, f.x)};
    // Far enough out that every edge lies beyond the frame's farthest corner from the middle.
    const float tanY = float(std::tan(fieldOfView / 2)), tanX = tanY * 320 / 240;
    const float open = kDepth * std::hypot(tanX * (1 + std::fabs(x)), tanY * (1 + std::fabs(y))) + 0.1f;
    // Thin, to keep the overdraw down, but wide enough that neighbours meet at the opening's corners from
    // fully open to shut, and long enough to reach every corner of the frame.
    const kit::Mesh mesh = bladeMesh(open + 0.3f, 0.16f * open);
    std::vector<kit::Model> blades;
    for (int i = 0; i < kBlades; ++i) {
        const float at = 2 * kit::kPi * float(i) / kBlades;
        std::vector<kit::Vec3> path, turns;
        for (int k = 0; k < frames; ++k) {
            const double t = k / 20.0;
            const float s = float(std::fmin(1.0, std::fmax(0.0, (t - from) / (to - from))));
            // Steady at first, easing a little as the opening narrows on the point; shut a little past the
            // middle at the end, so that the blades overlap there.
            const float gap = open * std::pow(1 - s, 1.3f) - 0.02f * s;
            const float turn = at + 0.7f * float(easeBetween(from, to, t));
            const kit::Vec3 out = u * std::cos(turn) + v * std::sin(turn);
            path.push_back(eye(t) + middle + out * gap);
            turns.push_back({base.x + turn, base.y, base.z});
        }
        char name[16];
        std::snprintf(name, sizeof name, "IrisBlade%d", i);
        kit::Model blade{name, path[0], {}, mesh, kit::positionCurves(path), {}};
        for (kit::Curve& c : kit::rotationCurves(turns))
            blade.curves.push_back(c);
        blades.push_back(std::move(blade));
    }
    return blades;
}

} // namespace scenes::ledge
