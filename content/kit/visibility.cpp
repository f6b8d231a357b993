// Conservative visibility: a triangle is dropped only when every view has it behind, beside or facing away.
#include "kit/visibility.h"

#include "kit/occlusion.h"

#include <cmath>

namespace kit {

View makeView(Vec3 eye, const CameraAngles& angles, float fieldOfView, float margin) {
    View v;
    v.eye = eye;
    v.basis = cameraBasis(angles);
    v.tanY = float(std::tan(double(fieldOfView) * 0.5)) * margin;
    v.tanX = v.tanY * 320.0f / 240.0f;
    return v;
}

View turned(const View& view, Vec3 origin, Vec3 turn) {
    // In the mesh's frame the camera turns the other way about the origin.
    Vec3 back = -turn;
    View v = view;
    v.eye = origin + rotateEuler(view.eye - origin, back);
    v.basis = {rotateEuler(view.basis.right, back), rotateEuler(view.basis.up, back),
               rotateEuler(view.basis.forward, back)};
    return v;
}

View moved(const View& view, Vec3 offset) {
    View v = view;
    v.eye = v.eye + offset;
    return v;
}

bool maySee(const View& view, Vec3 a, Vec3 b, Vec3 c, float slack) {
    Vec3 n = cross(b - a, c - a);
    Vec3 toEye = view.eye - a;
    float facing = dot(n, toEye);
    if (facing <= 0 && (slack <= 0 || facing < -slack * length(n) * length(toEye))) return false;
    // Eye-space corners: x right, y up, z depth.
    Vec3 p[3];
    for (int i = 0; i < 3; ++i) {
        Vec3 d = (i == 0 ? a : i == 1 ? b : c) - view.eye;
        p[i] = {dot(view.basis.right, d), dot(view.basis.up, d), dot(view.basis.forward, d)};
    }
    auto allOutside = [&](auto&& outside) { return outside(p[0]) && outside(p[1]) && outside(p[2]); };
    if (allOutside([](Vec3 q) { return q.z <= 0; })) return false;
    if (allOutside([&](Vec3 q) { return q.x > q.z * view.tanX; })) return false;
    if (allOutside([&](Vec3 q) { return -q.x > q.z * view.tanX; })) return false;
    if (allOutside([&](Vec3 q) { return q.y > q.z * view.tanY; })) return false;
    if (allOutside([&](Vec3 q) { return -q.y > q.z * view.tanY; })) return false;
    return true;
}

Mesh keepSeen(const Mesh& mesh, const std::vector<View>& views, float slack) {
    std::vector<bool> keep(mesh.triangles.size(), false);
    for (size_t i = 0; i < mesh.triangles.size(); ++i) {
        const auto& t = mesh.triangles[i];
        Vec3 a = mesh.positions[t[0]], b = mesh.positions[t[1]], c = mesh.positions[t[2]];
        for (const View& v : views) {
            if (maySee(v, a, b, c, slack)) {
                keep[i] = true;
                break;
            }
        }
    }
    return keepTriangles(mesh, keep);
}

} // namespace kit
