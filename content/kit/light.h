// Baked vertex light: the renderer has no lighting, so sun, sky and shadowed crevices live in vertex colours.
#pragma once

#include "kit/mesh.h"

namespace kit {

struct LightRig {
    Vec3 toSun{0.4f, -0.3f, 0.85f}; // direction toward the sun, world space
    Color sun{0.75f, 0.7f, 0.6f};
    Color sky{0.55f, 0.6f, 0.7f};    // light from above
    Color ground{0.25f, 0.22f, 0.18f}; // light bounced from below
    float groundZ = 0;         // world height of the ground the model stands on
    float creviceHeight = 3;   // above groundZ + this, no darkening
    float creviceDarkness = 0.35f; // fraction taken away at the ground
};

// Multiplies each vertex colour (the albedo) by the light at that vertex. `placement` is where the node
// will stand, so that the light falls in world space.
Mesh& bakeLight(Mesh& mesh, const LightRig& rig, const Placement& placement = {});

// Vertical gradient multiplied into the colours: `bottom` at z0, `top` at z1 (local heights).
Mesh& tintByHeight(Mesh& mesh, float z0, float z1, Color bottom, Color top);

} // namespace kit
