// Camera rig: turns eye and target paths into the rotation and position keys of a camera node.
//
// The program places a camera so that a world point x reaches eye space as R * F * (x - p), with
// F = diag(1, 1, -1) and R = Rz(ry - 0.1) * Ry(rz) * Rx(rx); the rows of R * F are the camera's right, up and
// forward vectors (the eye looks along +z, +x right, +y up). All angles here are radians.
#pragma once

#include "kit/vec.h"

#include <functional>
#include <vector>

namespace kit {

struct CameraAngles {
    double rx = 0, ry = 0, rz = 0;
};

struct CameraBasis {
    Vec3 right, up, forward;
};

// The world-space axes of a camera with these node angles.
CameraBasis cameraBasis(const CameraAngles& angles);
// Node angles that look from `eye` toward `target` with the world's +Z up (forward must not be vertical).
// Of the two equivalent angle sets, the one nearest `near` (modulo full turns) is returned, unwrapped so
// that no component jumps by a full turn from it.
CameraAngles aimCamera(Vec3 eye, Vec3 target, const CameraAngles& near = {});

struct CameraKeys {
    std::vector<Vec3> positions;
    std::vector<Vec3> rotations; // radians, continuous from key to key
};

// One key per frame (20 per second) for frames 0..frameCount-1 from eye and target paths of time in seconds.
CameraKeys rigCamera(int frameCount, const std::function<Vec3(double)>& eye,
                     const std::function<Vec3(double)>& target);

// Normalised device coordinates (x right, y up, -1..1) of a world point, for a 320 x 240 view with the given
// vertical field of view; false when the point lies behind the eye.
bool projectPoint(Vec3 eye, const CameraAngles& angles, float fieldOfView, Vec3 point, float& ndcX, float& ndcY,
                  float& depth);
// The world direction of the ray through the given normalised device coordinates.
Vec3 viewRay(const CameraAngles& angles, float fieldOfView, float ndcX, float ndcY);

} // namespace kit
