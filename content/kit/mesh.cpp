// Mesh building blocks: vertices, transforms, merging and atlas rectangles.
#include "kit/mesh.h"

#include "images/atlas.h"

#include <algorithm>

namespace kit {

UvRect uvRect(const AtlasRegion& region) {
    float du = 0.5f / float(region.imageWidth), dv = 0.5f / float(region.imageHeight);
    return {region.u0() + du, region.v0() + dv, region.u1() - du, region.v1() - dv};
}

uint32_t Mesh::addVertex(Vec3 position, Vec3 normal, Vec2 uv, Color color) {
    positions.push_back(position);
    normals.push_back(normal);
    uvs.push_back(uv);
    colors.push_back(color);
    return uint32_t(positions.size() - 1);
}

void Mesh::addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    addTriangle(a, b, c);
    addTriangle(a, c, d);
}

Vec3 rotateEuler(Vec3 p, Vec3 r) {
    float c = std::cos(r.x), s = std::sin(r.x);
    p = {p.x, c * p.y - s * p.z, s * p.y + c * p.z};
    c = std::cos(r.y), s = std::sin(r.y);
    p = {c * p.x + s * p.z, p.y, -s * p.x + c * p.z};
    c = std::cos(r.z), s = std::sin(r.z);
    return {c * p.x - s * p.y, s * p.x + c * p.y, p.z};
}

Mesh& translate(Mesh& mesh, Vec3 offset) {
    for (Vec3& p : mesh.positions) p = p + offset;
    return mesh;
}

Mesh& rotate(Mesh& mesh, Vec3 rotation) {
    for (Vec3& p : mesh.positions) p = rotateEuler(p, rotation);
    for (Vec3& n : mesh.normals) n = rotateEuler(n, rotation);
    return mesh;
}

Mesh& scale(Mesh& mesh, Vec3 f) {
    for (Vec3& p : mesh.positions) p = {p.x * f.x, p.y * f.y, p.z * f.z};
    // Normals transform by the inverse scale; a negative product would also turn the winding inside out.
    for (Vec3& n : mesh.normals) n = normalize({n.x / f.x, n.y / f.y, n.z / f.z});
    if (f.x * f.y * f.z < 0) {
        for (auto& t : mesh.triangles) std::swap(t[1], t[2]);
    }
    return mesh;
}

Mesh& place(Mesh& mesh, const Placement& placement) {
    rotate(mesh, placement.rotation);
    return translate(mesh, placement.position);
}

Mesh& merge(Mesh& mesh, const Mesh& part) {
    uint32_t base = uint32_t(mesh.positions.size());
    mesh.positions.insert(mesh.positions.end(), part.positions.begin(), part.positions.end());
    mesh.normals.insert(mesh.normals.end(), part.normals.begin(), part.normals.end());
    mesh.uvs.insert(mesh.uvs.end(), part.uvs.begin(), part.uvs.end());
    mesh.colors.insert(mesh.colors.end(), part.colors.begin(), part.colors.end());
    for (const auto& t : part.triangles) mesh.triangles.push_back({t[0] + base, t[1] + base, t[2] + base});
    return mesh;
}

Mesh& paint(Mesh& mesh, Color color) {
    for (Color& c : mesh.colors) c = color;
    return mesh;
}

Mesh mirrorX(const Mesh& mesh) {
    Mesh copy = mesh;
    scale(copy, {-1, 1, 1});
    return copy;
}

Mesh& flipFaces(Mesh& mesh) {
    for (auto& t : mesh.triangles) std::swap(t[1], t[2]);
    for (Vec3& n : mesh.normals) n = -n;
    return mesh;
}

Mesh& sortNearFirst(Mesh& mesh, Vec3 eye) {
    auto distance = [&](const std::array<uint32_t, 3>& t) {
        Vec3 c = (mesh.positions[t[0]] + mesh.positions[t[1]] + mesh.positions[t[2]]) * (1.0f / 3.0f) - eye;
        return dot(c, c);
    };
    std::stable_sort(mesh.triangles.begin(), mesh.triangles.end(),
                     [&](const auto& a, const auto& b) { return distance(a) < distance(b); });
    return mesh;
}

Mesh& makeTwoSided(Mesh& mesh) {
    Mesh back = mesh;
    flipFaces(back);
    return merge(mesh, back);
}

Bounds bounds(const Mesh& mesh) {
    Bounds b{{1e30f, 1e30f, 1e30f}, {-1e30f, -1e30f, -1e30f}};
    for (const Vec3& p : mesh.positions) {
        b.min = {std::min(b.min.x, p.x), std::min(b.min.y, p.y), std::min(b.min.z, p.z)};
        b.max = {std::max(b.max.x, p.x), std::max(b.max.y, p.y), std::max(b.max.z, p.z)};
    }
    return b;
}

} // namespace kit
