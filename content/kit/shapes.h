// Primitive solids, extrusion, lathe and UV mapping of the modelling kit. Every solid is closed unless
// its name says otherwise, faces wind counter-clockwise seen from outside, and every vertex has a UV.
#pragma once

#include "kit/mesh.h"

#include <vector>

namespace kit {

// One rectangle per face of a box: +X, -X, +Y, -Y, +Z, -Z.
struct BoxUv {
    UvRect px, nx, py, ny, pz, nz;
    BoxUv() = default;
    BoxUv(UvRect all) : px(all), nx(all), py(all), ny(all), pz(all), nz(all) {}
};

// Axis-aligned box; a bevel > 0 cuts every edge at 45 degrees by that width.
Mesh box(Vec3 min, Vec3 max, const BoxUv& uv = {}, float bevel = 0);
// Cylinder along Z from z0 to z1. uvRepeats: how often the side rectangle repeats around.
Mesh cylinder(float radius, float z0, float z1, int segments, UvRect side = {}, UvRect caps = {},
              int uvRepeats = 1, bool withCaps = true);
// A profile of (radius, z) points from the bottom up, turned about Z. Ends with radius 0 close the solid.
Mesh lathe(const std::vector<Vec2>& profile, int segments, UvRect side = {}, int uvRepeats = 1);
// Sphere about the origin; a dome is its upper half closed by a flat base.
Mesh sphere(float radius, int segments, int rings, UvRect rect = {});
Mesh dome(float radius, int segments, int rings, UvRect rect = {});
// Flat grid in the XY plane facing +Z: cells x cells quads, UVs spanning the rectangle once.
Mesh grid(Vec3 min, Vec3 max, int cellsX, int cellsY, UvRect rect = {});
// A simple polygon (any winding, x right, y up) extruded along +Z from 0 to depth; the front cap faces +Z.
// A bevel > 0 chamfers both caps' edges by that width.
Mesh extrude(const std::vector<Vec2>& polygon, float depth, float bevel = 0, UvRect rect = {});
// Wedge over a box's footprint: full height at y = min.y, falling to `lowZ` at y = max.y.
Mesh wedge(Vec3 min, Vec3 max, float lowZ, const BoxUv& uv = {});

// Triangulates a simple polygon (counter-clockwise) by ear clipping; indices into it.
std::vector<std::array<uint32_t, 3>> triangulate(const std::vector<Vec2>& polygon);
float signedArea(const std::vector<Vec2>& polygon);

// UV mappings over a mesh's own extent: each face takes the rectangle of its dominant normal axis,
// oriented to read correctly from outside.
Mesh& mapBox(Mesh& mesh, const BoxUv& uv);
// Planar mapping seen along an axis (0 = X, 1 = Y, 2 = Z).
Mesh& mapPlanar(Mesh& mesh, int axis, UvRect rect);
// Cylindrical mapping about Z: u around, v along the mesh's height.
Mesh& mapCylinder(Mesh& mesh, UvRect rect);

} // namespace kit
