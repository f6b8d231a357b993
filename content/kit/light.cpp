// Baked vertex light: hemisphere sky light, one sun and darkening near the ground.
#include "kit/light.h"

#include <algorithm>

namespace kit {

Mesh& bakeLight(Mesh& mesh, const LightRig& rig, const Placement& placement) {
    Vec3 toSun = normalize(rig.toSun);
    for (size_t i = 0; i < mesh.positions.size(); ++i) {
        Vec3 n = normalize(rotateEuler(mesh.normals[i], placement.rotation));
        Vec3 p = rotateEuler(mesh.positions[i], placement.rotation) + placement.position;
        float up = 0.5f + 0.5f * n.z;
        Color hemi = mix(rig.ground, rig.sky, up);
        float direct = std::max(0.0f, dot(n, toSun));
        float crevice = 1.0f;
        if (rig.creviceHeight > 0) {
            float h = std::clamp((p.z - rig.groundZ) / rig.creviceHeight, 0.0f, 1.0f);
            crevice = 1.0f - rig.creviceDarkness * (1.0f - h);
        }
        Color light{hemi.r + rig.sun.r * direct, hemi.g + rig.sun.g * direct, hemi.b + rig.sun.b * direct, 1};
        Color& c = mesh.colors[i];
        c = {std::min(1.0f, c.r * light.r * crevice), std::min(1.0f, c.g * light.g * crevice),
             std::min(1.0f, c.b * light.b * crevice), c.a};
    }
    return mesh;
}

Mesh& tintByHeight(Mesh& mesh, float z0, float z1, Color bottom, Color top) {
    for (size_t i = 0; i < mesh.positions.size(); ++i) {
        float t = z1 != z0 ? std::clamp((mesh.positions[i].z - z0) / (z1 - z0), 0.0f, 1.0f) : 0.0f;
        mesh.colors[i] = mesh.colors[i] * mix(bottom, top, t);
    }
    return mesh;
}

} // namespace kit
