// Cameras and triangles shared by the tests of mesh thinning.
#pragma once

#include "kit/camera_rig.h"
#include "kit/mesh.h"
#include "kit/visibility.h"

namespace testviews {

// A camera at `eye` looking along +Y, level (the harvester's angles, turned to face +Y); `margin` as
// kit::makeView takes it.
inline kit::View lookingAlongY(kit::Vec3 eye = {}, float margin = 1.1f) {
    return kit::makeView(eye, kit::aimCamera({0, 0, 0}, {0, 1, 0}), 0.8f, margin);
}

// One triangle facing -Y (toward an eye on the -Y side) centred at `at`, `size` across.
inline kit::Mesh facingMinusY(kit::Vec3 at, float size = 1) {
    kit::Mesh m;
    uint32_t a = m.addVertex(at + kit::Vec3{-size, 0, -size}, {0, -1, 0}, {});
    uint32_t b = m.addVertex(at + kit::Vec3{size, 0, -size}, {0, -1, 0}, {});
    uint32_t c = m.addVertex(at + kit::Vec3{0, 0, size}, {0, -1, 0}, {});
    m.addTriangle(a, b, c);
    return m;
}

} // namespace testviews
