// Triangle meshes of the modelling kit: vertex lists, transforms, merging and UV rectangles.
#pragma once

#include "kit/vec.h"

#include <array>
#include <cstdint>
#include <vector>

struct AtlasRegion;

namespace kit {

// A rectangle of a texture in mesh UVs (v up); mapping helpers squeeze [0,1] parameters into it.
struct UvRect {
    float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
    Vec2 at(float fu, float fv) const { return {u0 + (u1 - u0) * fu, v0 + (v1 - v0) * fv}; }
};
// The region, pulled in by half a texel so bilinear sampling stays inside it.
UvRect uvRect(const AtlasRegion& region);

// Per-vertex lists of equal length; normals only feed the light bake and are not written out.
// Front faces wind counter-clockwise seen from outside.
struct Mesh {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<Vec2> uvs;
    std::vector<Color> colors;
    std::vector<std::array<uint32_t, 3>> triangles;

    uint32_t addVertex(Vec3 position, Vec3 normal, Vec2 uv, Color color = {});
    void addTriangle(uint32_t a, uint32_t b, uint32_t c) { triangles.push_back({a, b, c}); }
    // Corners in counter-clockwise order seen from the front.
    void addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    size_t triangleCount() const { return triangles.size(); }
};

// Rotations in radians, applied X then Y then Z (the order the scene evaluation uses).
struct Placement {
    Vec3 position;
    Vec3 rotation;
};

Vec3 rotateEuler(Vec3 p, Vec3 rotation);
Mesh& translate(Mesh& mesh, Vec3 offset);
Mesh& rotate(Mesh& mesh, Vec3 rotation);
Mesh& scale(Mesh& mesh, Vec3 factors);
Mesh& place(Mesh& mesh, const Placement& placement);
// Appends `part` to `mesh`.
Mesh& merge(Mesh& mesh, const Mesh& part);
Mesh& paint(Mesh& mesh, Color color);
// Mirrored copy across the plane x = 0 (winding kept front-facing).
Mesh mirrorX(const Mesh& mesh);
// Reversed winding (for surfaces seen from inside, such as a sky box).
Mesh& flipFaces(Mesh& mesh);
// Same triangles facing both ways.
Mesh& makeTwoSided(Mesh& mesh);
// Triangles reordered nearest first as seen from `eye` (by their centres), so that the depth test turns away
// what they hide before it is shaded. Only ties in depth can draw differently.
Mesh& sortNearFirst(Mesh& mesh, Vec3 eye);

struct Bounds {
    Vec3 min, max;
};
Bounds bounds(const Mesh& mesh);

} // namespace kit
