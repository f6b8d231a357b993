// Which triangles of a scene ever show past the rest of it. The scene's meshes are drawn into a depth buffer
// of the production's frame at many moments of a camera's path; a triangle that is behind the nearest surface
// at every pixel it could touch, at every moment, never reaches the screen and can be left out.
//
// The test leans toward keeping: the nearest surfaces are pulled back to the farthest depth around each pixel
// (so an occluder that moves by a pixel between two moments still lets through what it uncovers), the tested
// triangles are widened by most of a pixel, and depths within the 16-bit depth buffer's resolution count as
// a tie.
#pragma once

#include "kit/mesh.h"
#include "kit/visibility.h"

#include <functional>
#include <vector>

namespace kit {

struct OcclusionInstance {
    const Mesh* mesh = nullptr;
    // The camera at a moment, in this mesh's own frame.
    std::function<View(size_t moment)> view;
    // Part of the depth buffer (opaque and drawn every frame); false for what is only tested.
    bool occludes = true;
    // Whose triangles are tested; false for what only hides others.
    bool tested = true;
};

struct OcclusionSettings {
    int width = 320, height = 240;
    float nearPlane = 1, farPlane = 2000;
    int erode = 1;           // pixels by which occluders are pulled back
    int guard = 2;           // pixels drawn beyond each edge of the frame, for what the frame's edges cut
    float edgeSlack = 0.75f; // pixels by which tested triangles are widened
    int threads = 2;
};

// For every instance, one flag per triangle: true when it may show at some moment. Views are made with
// kit::makeView and a margin of 1 (the production's own frame).
std::vector<std::vector<bool>> trianglesEverSeen(const std::vector<OcclusionInstance>& instances,
                                                 size_t moments, const OcclusionSettings& settings = {});

// The mesh with only the flagged triangles; vertices no triangle uses go too.
Mesh keepTriangles(const Mesh& mesh, const std::vector<bool>& keep);

} // namespace kit
