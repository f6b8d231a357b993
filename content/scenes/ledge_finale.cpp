// The iris: eight black blades, each a wide plane whose straight edge faces the middle of the opening. They
// lie 3 units in front of the eye (nearer than anything else in the scene, so the depth test lets nothing
// through them) in a plane square to the view. As the edges close in on the point they also turn about it, so
// the eight-sided opening shrinks with a twist, as a lens's iris does.
#include "ledge_finale.h"

#include "models.h"

#include <cmath>
#include <cstdio>

namespace scenes::ledge {
namespace {

constexpr int kBlades = 8;
constexpr float kDepth = 3;                // along the view axis from the eye
constexpr float kReach = 6, kHalfEdge = 5; // a blade's extent out from its edge, and along it

kit::Mesh bladeMesh() {
    // In the blade's own axes: x along the view axis, y out from the opening, z along the edge. Black, and
    // seen from both sides (which way it faces depends on the turn).
    kit::Mesh blade;
    const kit::Color black{0, 0, 0, 1};
    const uint32_t a = blade.addVertex({0, 0, -kHalfEdge}, {-1, 0, 0}, {0.5f, 0.5f}, black);
    const uint32_t b = blade.addVertex({0, kReach, -kHalfEdge}, {-1, 0, 0}, {0.5f, 0.5f}, black);
    const uint32_t c = blade.addVertex({0, kReach, kHalfEdge}, {-1, 0, 0}, {0.5f, 0.5f}, black);
    const uint32_t d = blade.addVertex({0, 0, kHalfEdge}, {-1, 0, 0}, {0.5f, 0.5f}, black);
    blade.addQuad(a, b, c, d);
    return kit::makeTwoSided(blade);
}

} // namespace

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
        kit::Model blade{name, path[0], {}, bladeMesh(), kit::positionCurves(path), {}};
        for (kit::Curve& c : kit::rotationCurves(turns))
            blade.curves.push_back(c);
        blades.push_back(std::move(blade));
    }
    return blades;
}

} // namespace scenes::ledge
