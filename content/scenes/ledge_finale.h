// The close of the finale: the end card's lamps, and an iris of black blades that shuts the picture down onto
// one point of the frame.
#pragma once

#include "kit/camera_rig.h"
#include "kit/xsi_writer.h"

#include <functional>
#include <vector>

namespace scenes::ledge {

// A marquee's row of lit bulbs on a flat plate facing +z: one on each corner of the rectangle
// [-halfWidth, halfWidth] x [bottom, top] and the rest about `pitch` apart along its sides, each a halo of
// `radius` at depth `z` under a white-hot bulb a little nearer.
kit::Mesh marqueeLamps(float halfWidth, float bottom, float top, float pitch, float radius, float z);

// Blades that ride just in front of the camera (whose angles never change), outside the frame until `from`,
// then turn in together and meet at the normalised screen point (x, y) by `to`; they stay shut after that.
// Keys for frames 0..frames-1.
std::vector<kit::Model> irisBlades(int frames, const std::function<kit::Vec3(double)>& eye,
                                   const kit::CameraAngles& angles, float fieldOfView, float x, float y,
                                   double from, double to);

} // namespace scenes::ledge
