// A small depth-only rasteriser for the occlusion test: eye space through the View, a clip at the near
// plane, screen space with pixel centres at half-integers, 1/z interpolated across the screen.
#include "kit/occlusion.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

namespace kit {
namespace {

constexpr float kFar = std::numeric_limits<float>::infinity();

struct ScreenPoint {
    float x, y, z; // pixels, pixels, eye depth
};

struct Frame {
    const OcclusionSettings& settings;
    std::vector<float> depth;  // nearest surface per pixel
    std::vector<float> rows;   // the same along each row only
    std::vector<float> eroded; // farthest of the nearest surfaces around each pixel

    explicit Frame(const OcclusionSettings& s) : settings(s) {
        depth.resize(size_t(s.width + 2 * s.guard) * size_t(s.height + 2 * s.guard));
        rows.resize(depth.size());
        eroded.resize(depth.size());
    }
};

// Eye-space corners of a triangle that faces the eye, clipped to the near plane and projected; returns the
// number of polygon corners (0 when nothing is left).
int project(const View& view, const OcclusionSettings& s, Vec3 a, Vec3 b, Vec3 c, ScreenPoint out[4]) {
    if (dot(cross(b - a, c - a), view.eye - a) <= 0) return 0;
    Vec3 eye[3];
    const Vec3 corners[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        Vec3 d = corners[i] - view.eye;
        eye[i] = {dot(view.basis.right, d), dot(view.basis.up, d), dot(view.basis.forward, d)};
    }
    // One plane of Sutherland-Hodgman: a triangle becomes at most a quad.
    Vec3 poly[4];
    int n = 0;
    for (int i = 0; i < 3; ++i) {
        Vec3 p = eye[i], q = eye[(i + 1) % 3];
        bool pIn = p.z >= s.nearPlane, qIn = q.z >= s.nearPlane;
        if (pIn) poly[n++] = p;
        if (pIn != qIn) poly[n++] = lerp(p, q, (s.nearPlane - p.z) / (q.z - p.z));
    }
    const float halfW = 0.5f * float(s.width), halfH = 0.5f * float(s.height);
    for (int i = 0; i < n; ++i) {
        const Vec3& p = poly[i];
        out[i] = {halfW * (1 + p.x / (p.z * view.tanX)) + float(s.guard),
                  halfH * (1 - p.y / (p.z * view.tanY)) + float(s.guard), p.z};
    }
    return n >= 3 ? n : 0;
}

// Calls visit(pixel index, eye depth) for the pixels whose centres lie inside the triangle widened by
// `slack` pixels; visit returns false to stop. Returns false when stopped.
template <typename Visit>
bool rasterise(const OcclusionSettings& s, const ScreenPoint& p0, const ScreenPoint& p1,
               const ScreenPoint& p2, float slack, Visit&& visit) {
    float area = (p1.x - p0.x) * (p2.y - p0.y) - (p1.y - p0.y) * (p2.x - p0.x);
    const ScreenPoint* v[3] = {&p0, &p1, &p2};
    if (area < 0) {
        std::swap(v[1], v[2]);
        area = -area;
    }
    float minX = std::min({p0.x, p1.x, p2.x}) - slack, maxX = std::max({p0.x, p1.x, p2.x}) + slack;
    float minY = std::min({p0.y, p1.y, p2.y}) - slack, maxY = std::max({p0.y, p1.y, p2.y}) + slack;
    const int width = s.width + 2 * s.guard, height = s.height + 2 * s.guard;
    int x0 = std::max(0, int(std::floor(minX))), x1 = std::min(width - 1, int(std::ceil(maxX)));
    int y0 = std::max(0, int(std::floor(minY))), y1 = std::min(height - 1, int(std::ceil(maxY)));
    if (x0 > x1 || y0 > y1) return true;
    if (area < 1e-6f) {
        // Edge-on: no plane to interpolate; its nearest corner stands for it.
        if (slack <= 0) return true;
        float z = std::min({p0.z, p1.z, p2.z});
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (!visit(size_t(y) * size_t(width) + size_t(x), z)) return false;
        return true;
    }
    // Edge functions, each scaled to pixels of distance from its edge; positive inside.
    float ex[3], ey[3], ec[3], len[3];
    for (int i = 0; i < 3; ++i) {
        const ScreenPoint& a = *v[(i + 1) % 3];
        const ScreenPoint& b = *v[(i + 2) % 3];
        ex[i] = -(b.y - a.y);
        ey[i] = b.x - a.x;
        ec[i] = -(ex[i] * a.x + ey[i] * a.y);
        len[i] = std::sqrt(ex[i] * ex[i] + ey[i] * ey[i]);
    }
    const float inv[3] = {1 / v[0]->z, 1 / v[1]->z, 1 / v[2]->z};
    for (int y = y0; y <= y1; ++y) {
        float py = float(y) + 0.5f;
        for (int x = x0; x <= x1; ++x) {
            float px = float(x) + 0.5f;
            float e[3];
            bool inside = true;
            for (int i = 0; i < 3 && inside; ++i) {
                e[i] = ex[i] * px + ey[i] * py + ec[i];
                inside = e[i] >= -slack * len[i];
            }
            if (!inside) continue;
            // Barycentric weights (edge i is opposite corner i) give 1/z, linear on the screen.
            float w = (e[0] * inv[0] + e[1] * inv[1] + e[2] * inv[2]) / area;
            float z = w > 0 ? 1 / w : 0;
            if (!visit(size_t(y) * size_t(width) + size_t(x), z)) return false;
        }
    }
    return true;
}

template <typename Visit>
bool rasterisePolygon(const OcclusionSettings& s, const ScreenPoint* poly, int n, float slack,
                      Visit&& visit) {
    for (int i = 1; i + 1 < n; ++i)
        if (!rasterise(s, poly[0], poly[i], poly[i + 1], slack, visit)) return false;
    return true;
}

// Depths closer than this to the nearest surface may win in a 16-bit depth buffer (near plane 1): its
// steps grow with the square of the distance.
float tie(float z) {
    return 2 * z * z / 65535.0f + 0.002f * z + 0.01f;
}

void drawMoment(Frame& frame, const std::vector<OcclusionInstance>& instances, size_t moment,
                std::vector<std::vector<bool>>& seen) {
    const OcclusionSettings& s = frame.settings;
    std::fill(frame.depth.begin(), frame.depth.end(), kFar);
    std::vector<View> views;
    views.reserve(instances.size());
    for (const OcclusionInstance& instance : instances)
        views.push_back(instance.view(moment));
    ScreenPoint poly[4];
    for (size_t k = 0; k < instances.size(); ++k) {
        if (!instances[k].occludes) continue;
        const Mesh& m = *instances[k].mesh;
        for (const auto& t : m.triangles) {
            int n = project(views[k], s, m.positions[t[0]], m.positions[t[1]], m.positions[t[2]], poly);
            rasterisePolygon(s, poly, n, 0, [&](size_t p, float z) {
                if (z < s.farPlane && z < frame.depth[p]) frame.depth[p] = z;
                return true;
            });
        }
    }
    // Pull every nearest surface back to the farthest one around it: a square window, rows then columns.
    const int r = s.erode, width = s.width + 2 * s.guard, height = s.height + 2 * s.guard;
    for (int y = 0; y < height; ++y) {
        const float* row = &frame.depth[size_t(y) * size_t(width)];
        float* out = &frame.rows[size_t(y) * size_t(width)];
        for (int x = 0; x < width; ++x) {
            float far = 0;
            for (int xx = std::max(0, x - r); xx <= std::min(width - 1, x + r); ++xx)
                far = std::max(far, row[xx]);
            out[x] = far;
        }
    }
    for (int y = 0; y < height; ++y) {
        float* out = &frame.eroded[size_t(y) * size_t(width)];
        for (int x = 0; x < width; ++x)
            out[x] = 0;
        for (int yy = std::max(0, y - r); yy <= std::min(height - 1, y + r); ++yy) {
            const float* row = &frame.rows[size_t(yy) * size_t(width)];
            for (int x = 0; x < width; ++x)
                out[x] = std::max(out[x], row[x]);
        }
    }
    for (size_t k = 0; k < instances.size(); ++k) {
        if (!instances[k].tested) continue;
        const Mesh& m = *instances[k].mesh;
        for (size_t i = 0; i < m.triangles.size(); ++i) {
            if (seen[k][i]) continue;
            const auto& t = m.triangles[i];
            int n = project(views[k], s, m.positions[t[0]], m.positions[t[1]], m.positions[t[2]], poly);
            bool shows = false;
            rasterisePolygon(s, poly, n, s.edgeSlack, [&](size_t p, float z) {
                float front = frame.eroded[p];
                shows = front == kFar || z <= front + tie(front);
                return !shows;
            });
            if (shows) seen[k][i] = true;
        }
    }
}

} // namespace

std::vector<std::vector<bool>> trianglesEverSeen(const std::vector<OcclusionInstance>& instances,
                                                 size_t moments, const OcclusionSettings& settings) {
    const int threads = std::max(1, settings.threads);
    std::vector<std::vector<std::vector<bool>>> perThread(static_cast<size_t>(threads));
    for (auto& seen : perThread)
        for (const OcclusionInstance& instance : instances)
            seen.emplace_back(instance.mesh->triangles.size(), false);
    std::vector<std::thread> workers;
    for (int w = 0; w < threads; ++w) {
        workers.emplace_back([&, w] {
            Frame frame(settings);
            for (size_t m = size_t(w); m < moments; m += size_t(threads))
                drawMoment(frame, instances, m, perThread[size_t(w)]);
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    std::vector<std::vector<bool>> seen = perThread[0];
    for (size_t w = 1; w < perThread.size(); ++w)
        for (size_t k = 0; k < seen.size(); ++k)
            for (size_t i = 0; i < seen[k].size(); ++i)
                seen[k][i] = seen[k][i] || perThread[w][k][i];
    return seen;
}

Mesh keepTriangles(const Mesh& mesh, const std::vector<bool>& keep) {
    Mesh out;
    std::vector<uint32_t> remap(mesh.positions.size(), UINT32_MAX);
    auto vertex = [&](uint32_t i) {
        if (remap[i] == UINT32_MAX)
            remap[i] = out.addVertex(mesh.positions[i], mesh.normals[i], mesh.uvs[i], mesh.colors[i]);
        return remap[i];
    };
    for (size_t i = 0; i < mesh.triangles.size(); ++i) {
        if (!keep[i]) continue;
        const auto& t = mesh.triangles[i];
        out.addTriangle(vertex(t[0]), vertex(t[1]), vertex(t[2]));
    }
    return out;
}

} // namespace kit
