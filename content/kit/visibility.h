// Which triangles of a mesh a camera can ever draw. Faces are culled by winding and the frame is 320 x 240,
// so a triangle that no moment of the camera sees from its front inside the view draws no pixel and can be
// left out of the mesh without changing a frame.
#pragma once

#include "kit/camera_rig.h"
#include "kit/mesh.h"

#include <vector>

namespace kit {

// The camera at one moment, expressed in the mesh's own frame.
struct View {
    Vec3 eye;
    CameraBasis basis;
    float tanX = 0, tanY = 0; // half extents of the view at unit depth, widened by the margin
};

// `margin` widens the view on every side (1.1 = 10 % more), to cover the motion between the moments given.
View makeView(Vec3 eye, const CameraAngles& angles, float fieldOfView, float margin = 1.1f);
// The same view seen from a mesh whose node is turned by `turn` (radians, about one axis only) about `origin`.
View turned(const View& view, Vec3 origin, Vec3 turn);
View moved(const View& view, Vec3 offset);

// True when the triangle (counter-clockwise from its front) faces the eye and is not wholly outside the view.
// `slack` keeps triangles that are this close to edge-on (a cosine), for views sampled from a turning node.
bool maySee(const View& view, Vec3 a, Vec3 b, Vec3 c, float slack = 0);
// The mesh without the triangles that none of the views may see; unused vertices go too.
Mesh keepSeen(const Mesh& mesh, const std::vector<View>& views, float slack = 0);

} // namespace kit
