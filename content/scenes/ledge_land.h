// The land round the finale's ledge: the valley far below it, its ridges and mist, and the distant ranges.
#pragma once

#include "kit/camera_rig.h"
#include "kit/mesh.h"
#include "kit/visibility.h"

#include <vector>

namespace scenes::ledge {

constexpr float kFloorZ = -110;        // the valley floor, some 145 units below the ledge's top
constexpr float kRangesDepth = 700;    // the distant ranges ride with the camera this far ahead of it
constexpr float kRiverRadius = 200;    // the river bends round the mesa's foot at this radius
constexpr float kTreesFrom = 80, kTreesTo = 280; // the forest's ring on the floor (the river's band left free)

// The valley floor with its river, and three ridges that stand in it, paler and mistier with distance; still,
// in world units, thinned to what `views` can see.
kit::Mesh valleyLand(const std::vector<kit::View>& views);

// Two layers of distant ranges fading into mist, as seen through a camera with these angles: placed relative to
// the camera, to ride with it like the sky. Their crests stand at fixed heights of the frame.
kit::Mesh distantRanges(const kit::CameraAngles& angles, float fieldOfView);
// The farther layer's crest, in the frame's normalised height, at the normalised width x.
float farCrest(float x);

// Conifers on the valley floor round the mesa, kept to the faces `views` can see (the node turns).
kit::Mesh valleyTrees(const std::vector<kit::View>& views, float slack);

} // namespace scenes::ledge
