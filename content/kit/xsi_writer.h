// dotXSI text output: a scene root with child models, rest transforms, per-frame key curves and meshes,
// laid out line by line the way the scene loader scans them.
#pragma once

#include "kit/mesh.h"

#include <string>
#include <vector>

namespace kit {

// One animated component: parameter is "position-x" ... "rotation-z"; values are per frame at 20 frames per
// second from frame 0, in world units or degrees.
struct Curve {
    std::string parameter;
    std::vector<double> values;
};

struct Model {
    std::string name;        // without the "MDL-" prefix
    Vec3 position;           // rest translation
    Vec3 rotationDegrees;    // rest Euler angles, X then Y then Z
    Mesh mesh;               // empty for a dummy (cameras, groups)
    std::vector<Curve> curves;
    std::vector<Model> children; // nested one level deeper; the loader applies one level of parenting
};

struct SceneText {
    std::string text;
    size_t triangles = 0;
};

// The whole file; `models` become children of "MDL-MAXSceneRoot". `frames` is the scene's last frame.
SceneText writeScene(const std::string& title, const std::vector<Model>& models, int frames);

// Position curves x, y, z from a path of points, one per frame.
std::vector<Curve> positionCurves(const std::vector<Vec3>& path);
// Rotation curves from Euler angles in radians, one per frame; written in degrees.
std::vector<Curve> rotationCurves(const std::vector<Vec3>& angles);
// A single rotation curve ("rotation-x" ...) from radians.
Curve rotationCurve(char axis, const std::vector<double>& radians);

} // namespace kit
