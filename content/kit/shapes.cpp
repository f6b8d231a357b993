// Primitive solids, extrusion, lathe and UV mapping.
#include "kit/shapes.h"

#include <algorithm>
#include <cmath>

namespace kit {
namespace {

// Winds the triangle so that it faces along the mean of its vertex normals.
void addFacing(Mesh& m, uint32_t a, uint32_t b, uint32_t c) {
    Vec3 n = cross(m.positions[b] - m.positions[a], m.positions[c] - m.positions[a]);
    Vec3 want = m.normals[a] + m.normals[b] + m.normals[c];
    if (dot(n, want) < 0) std::swap(b, c);
    m.addTriangle(a, b, c);
}

void addFacingQuad(Mesh& m, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    addFacing(m, a, b, c);
    addFacing(m, a, c, d);
}

float fraction(float x) { return x - std::floor(x); }

// Repeating u for the two edges of segment i of n, kept inside [0,1] so no wrap mode is needed.
void segmentU(int i, int n, int repeats, float& uA, float& uB) {
    float a = float(i) * float(repeats) / float(n);
    float b = float(i + 1) * float(repeats) / float(n);
    uA = fraction(a);
    uB = uA + (b - a);
    if (uB > 1.0f) uB = 1.0f;
}

} // namespace

Mesh box(Vec3 lo, Vec3 hi, const BoxUv& uv, float bevel) {
    Mesh m;
    Vec3 c = (lo + hi) * 0.5f, h = (hi - lo) * 0.5f;
    float b = std::min({bevel, h.x * 0.9f, h.y * 0.9f, h.z * 0.9f});
    // Corner (sx, sy, sz) seen from the face of axis k: that axis at full extent, the others inset.
    auto corner = [&](int k, float sx, float sy, float sz) {
        Vec3 p{sx * (h.x - (k == 0 ? 0 : b)), sy * (h.y - (k == 1 ? 0 : b)), sz * (h.z - (k == 2 ? 0 : b))};
        return c + p;
    };
    const float s[2] = {-1, 1};
    for (int k = 0; k < 3; ++k) {
        for (float sign : s) {
            Vec3 n{k == 0 ? sign : 0, k == 1 ? sign : 0, k == 2 ? sign : 0};
            uint32_t v[4];
            int i = 0;
            for (float a : s) {
                for (float bb : s) {
                    float sx = k == 0 ? sign : a, sy = k == 1 ? sign : (k == 0 ? a : bb);
                    float sz = k == 2 ? sign : bb;
                    v[i++] = m.addVertex(corner(k, sx, sy, sz), n, {});
                }
            }
            addFacingQuad(m, v[0], v[1], v[3], v[2]);
        }
    }
    if (b > 0) {
        // Edge strips between the faces of axes k and l, along the third axis.
        for (int k = 0; k < 3; ++k) {
            for (int l = k + 1; l < 3; ++l) {
                for (float sk : s) {
                    for (float sl : s) {
                        Vec3 n{};
                        (k == 0 ? n.x : k == 1 ? n.y : n.z) = sk;
                        (l == 0 ? n.x : l == 1 ? n.y : n.z) = sl;
                        n = normalize(n);
                        uint32_t v[4];
                        int i = 0;
                        for (float st : s) {
                            float sg[3];
                            int free = 3 - k - l;
                            sg[k] = sk, sg[l] = sl, sg[free] = st;
                            v[i++] = m.addVertex(corner(k, sg[0], sg[1], sg[2]), n, {});
                            v[i++] = m.addVertex(corner(l, sg[0], sg[1], sg[2]), n, {});
                        }
                        addFacingQuad(m, v[0], v[1], v[3], v[2]);
                    }
                }
            }
        }
        for (float sx : s) {
            for (float sy : s) {
                for (float sz : s) {
                    Vec3 n = normalize({sx, sy, sz});
                    uint32_t a = m.addVertex(corner(0, sx, sy, sz), n, {});
                    uint32_t bb = m.addVertex(corner(1, sx, sy, sz), n, {});
                    uint32_t cc = m.addVertex(corner(2, sx, sy, sz), n, {});
                    addFacing(m, a, bb, cc);
                }
            }
        }
    }
    return mapBox(m, uv);
}

Mesh cylinder(float radius, float z0, float z1, int segments, UvRect side, UvRect caps, int uvRepeats,
              bool withCaps) {
    Mesh m;
    for (int i = 0; i < segments; ++i) {
        float a0 = 2 * kPi * float(i) / float(segments), a1 = 2 * kPi * float((i + 1) % segments) / float(segments);
        float uA, uB;
        segmentU(i, segments, uvRepeats, uA, uB);
        Vec3 n0{std::cos(a0), std::sin(a0), 0}, n1{std::cos(a1), std::sin(a1), 0};
        uint32_t p = m.addVertex({n0.x * radius, n0.y * radius, z0}, n0, side.at(uA, 0));
        uint32_t q = m.addVertex({n1.x * radius, n1.y * radius, z0}, n1, side.at(uB, 0));
        uint32_t r = m.addVertex({n1.x * radius, n1.y * radius, z1}, n1, side.at(uB, 1));
        uint32_t t = m.addVertex({n0.x * radius, n0.y * radius, z1}, n0, side.at(uA, 1));
        addFacingQuad(m, p, q, r, t);
    }
    if (withCaps) {
        for (int end = 0; end < 2; ++end) {
            float z = end ? z1 : z0;
            Vec3 n{0, 0, end ? 1.0f : -1.0f};
            uint32_t centre = m.addVertex({0, 0, z}, n, caps.at(0.5f, 0.5f));
            std::vector<uint32_t> rim;
            for (int i = 0; i <= segments; ++i) {
                float a = 2 * kPi * float(i % segments) / float(segments);
                float cx = std::cos(a), sy = std::sin(a);
                rim.push_back(m.addVertex({cx * radius, sy * radius, z}, n,
                                          caps.at(0.5f + 0.5f * cx, 0.5f + 0.5f * sy * (end ? 1.0f : -1.0f))));
            }
            for (int i = 0; i < segments; ++i) addFacing(m, centre, rim[i], rim[i + 1]);
        }
    }
    return m;
}

Mesh lathe(const std::vector<Vec2>& profile, int segments, UvRect side, int uvRepeats) {
    Mesh m;
    // Running length along the profile gives v.
    std::vector<float> along(profile.size(), 0);
    for (size_t j = 1; j < profile.size(); ++j) {
        float dr = profile[j].u - profile[j - 1].u, dz = profile[j].v - profile[j - 1].v;
        along[j] = along[j - 1] + std::sqrt(dr * dr + dz * dz);
    }
    float total = along.empty() || along.back() <= 0 ? 1 : along.back();
    for (size_t j = 0; j + 1 < profile.size(); ++j) {
        Vec2 p0 = profile[j], p1 = profile[j + 1];
        float dr = p1.u - p0.u, dz = p1.v - p0.v;
        Vec2 n2{dz, -dr}; // outward for a profile that climbs on the right of the axis
        float nl = std::sqrt(n2.u * n2.u + n2.v * n2.v);
        if (nl <= 0) continue;
        n2 = {n2.u / nl, n2.v / nl};
        for (int i = 0; i < segments; ++i) {
            // The last segment closes on angle 0 itself, so the seam shares exact positions.
            float a0 = 2 * kPi * float(i) / float(segments), a1 = 2 * kPi * float((i + 1) % segments) / float(segments);
            float uA, uB;
            segmentU(i, segments, uvRepeats, uA, uB);
            auto vert = [&](Vec2 p, float a, float u, float v) {
                Vec3 n{n2.u * std::cos(a), n2.u * std::sin(a), n2.v};
                return m.addVertex({p.u * std::cos(a), p.u * std::sin(a), p.v}, n, side.at(u, v));
            };
            float v0 = along[j] / total, v1 = along[j + 1] / total;
            uint32_t a = vert(p0, a0, uA, v0), b = vert(p0, a1, uB, v0);
            uint32_t c = vert(p1, a1, uB, v1), d = vert(p1, a0, uA, v1);
            if (p0.u > 1e-6f) addFacing(m, a, b, c);
            if (p1.u > 1e-6f) addFacing(m, a, c, d);
        }
    }
    return m;
}

Mesh sphere(float radius, int segments, int rings, UvRect rect) {
    std::vector<Vec2> profile;
    for (int j = 0; j <= rings; ++j) {
        float a = -kPi / 2 + kPi * float(j) / float(rings);
        profile.push_back({radius * std::cos(a), radius * std::sin(a)});
    }
    profile.front().u = 0;
    profile.back().u = 0;
    return lathe(profile, segments, rect);
}

Mesh dome(float radius, int segments, int rings, UvRect rect) {
    std::vector<Vec2> profile{{0, 0}};
    for (int j = 0; j <= rings; ++j) {
        float a = kPi / 2 * float(j) / float(rings);
        profile.push_back({radius * std::cos(a), radius * std::sin(a)});
    }
    profile.back().u = 0;
    return lathe(profile, segments, rect);
}

Mesh grid(Vec3 lo, Vec3 hi, int cellsX, int cellsY, UvRect rect) {
    Mesh m;
    for (int j = 0; j <= cellsY; ++j) {
        for (int i = 0; i <= cellsX; ++i) {
            float fu = float(i) / float(cellsX), fv = float(j) / float(cellsY);
            m.addVertex({lo.x + (hi.x - lo.x) * fu, lo.y + (hi.y - lo.y) * fv, lo.z}, {0, 0, 1}, rect.at(fu, fv));
        }
    }
    for (int j = 0; j < cellsY; ++j) {
        for (int i = 0; i < cellsX; ++i) {
            uint32_t a = uint32_t(j * (cellsX + 1) + i);
            addFacingQuad(m, a, a + 1, a + cellsX + 2, a + cellsX + 1);
        }
    }
    return m;
}

float signedArea(const std::vector<Vec2>& poly) {
    float area = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        const Vec2& a = poly[i];
        const Vec2& b = poly[(i + 1) % poly.size()];
        area += a.u * b.v - b.u * a.v;
    }
    return area * 0.5f;
}

std::vector<std::array<uint32_t, 3>> triangulate(const std::vector<Vec2>& poly) {
    std::vector<std::array<uint32_t, 3>> out;
    std::vector<uint32_t> left;
    for (uint32_t i = 0; i < poly.size(); ++i) left.push_back(i);
    auto crossAt = [&](Vec2 a, Vec2 b, Vec2 c) { return (b.u - a.u) * (c.v - a.v) - (b.v - a.v) * (c.u - a.u); };
    auto inside = [&](Vec2 p, Vec2 a, Vec2 b, Vec2 c) {
        return crossAt(a, b, p) > 0 && crossAt(b, c, p) > 0 && crossAt(c, a, p) > 0;
    };
    size_t guard = 0;
    while (left.size() > 3 && guard++ < poly.size() * poly.size()) {
        bool clipped = false;
        for (size_t i = 0; i < left.size(); ++i) {
            uint32_t ia = left[(i + left.size() - 1) % left.size()], ib = left[i], ic = left[(i + 1) % left.size()];
            Vec2 a = poly[ia], b = poly[ib], c = poly[ic];
            if (crossAt(a, b, c) <= 1e-9f) continue;
            bool ear = true;
            for (uint32_t j : left) {
                if (j != ia && j != ib && j != ic && inside(poly[j], a, b, c)) {
                    ear = false;
                    break;
                }
            }
            if (!ear) continue;
            out.push_back({ia, ib, ic});
            left.erase(left.begin() + long(i));
            clipped = true;
            break;
        }
        if (!clipped) break;
    }
    if (left.size() == 3) out.push_back({left[0], left[1], left[2]});
    return out;
}

namespace {

// The polygon moved inward by `distance` (mitred corners); the polygon is counter-clockwise.
std::vector<Vec2> inset(const std::vector<Vec2>& poly, float distance) {
    std::vector<Vec2> out;
    size_t n = poly.size();
    for (size_t i = 0; i < n; ++i) {
        Vec2 prev = poly[(i + n - 1) % n], cur = poly[i], next = poly[(i + 1) % n];
        auto inward = [](Vec2 a, Vec2 b) {
            float dx = b.u - a.u, dy = b.v - a.v, l = std::sqrt(dx * dx + dy * dy);
            return Vec2{-dy / l, dx / l};
        };
        Vec2 n0 = inward(prev, cur), n1 = inward(cur, next);
        Vec2 bis{n0.u + n1.u, n0.v + n1.v};
        float d = bis.u * n1.u + bis.v * n1.v;
        float k = d > 0.2f ? distance / d : distance / 0.2f;
        out.push_back({cur.u + bis.u * k, cur.v + bis.v * k});
    }
    return out;
}

} // namespace

Mesh extrude(const std::vector<Vec2>& polygonIn, float depth, float bevel, UvRect rect) {
    std::vector<Vec2> outer = polygonIn;
    if (signedArea(outer) < 0) std::reverse(outer.begin(), outer.end());
    std::vector<Vec2> cap = bevel > 0 ? inset(outer, bevel) : outer;
    float b = bevel > 0 ? std::min(bevel, depth * 0.45f) : 0;
    auto tris = triangulate(cap);
    Mesh m;
    size_t n = outer.size();
    // Caps, inset by the bevel.
    for (int end = 0; end < 2; ++end) {
        float z = end ? depth : 0;
        Vec3 normal{0, 0, end ? 1.0f : -1.0f};
        uint32_t base = uint32_t(m.positions.size());
        for (const Vec2& p : cap) m.addVertex({p.u, p.v, z}, normal, {});
        for (const auto& t : tris) addFacing(m, base + t[0], base + t[1], base + t[2]);
    }
    // Sides, with a chamfer ring at each end when bevelled.
    for (size_t i = 0; i < n; ++i) {
        size_t j = (i + 1) % n;
        Vec2 a = outer[i], c = outer[j];
        float dx = c.u - a.u, dy = c.v - a.v, l = std::sqrt(dx * dx + dy * dy);
        if (l <= 0) continue;
        Vec3 side{dy / l, -dx / l, 0};
        uint32_t p = m.addVertex({a.u, a.v, b}, side, {}), q = m.addVertex({c.u, c.v, b}, side, {});
        uint32_t r = m.addVertex({c.u, c.v, depth - b}, side, {}), s = m.addVertex({a.u, a.v, depth - b}, side, {});
        addFacingQuad(m, p, q, r, s);
        if (b > 0) {
            for (int end = 0; end < 2; ++end) {
                float zc = end ? depth : 0, zs = end ? depth - b : b;
                Vec3 nn = normalize(side + Vec3{0, 0, end ? 1.0f : -1.0f});
                uint32_t e0 = m.addVertex({a.u, a.v, zs}, nn, {}), e1 = m.addVertex({c.u, c.v, zs}, nn, {});
                uint32_t e2 = m.addVertex({cap[j].u, cap[j].v, zc}, nn, {});
                uint32_t e3 = m.addVertex({cap[i].u, cap[i].v, zc}, nn, {});
                addFacingQuad(m, e0, e1, e2, e3);
            }
        }
    }
    return mapBox(m, BoxUv(rect));
}

Mesh wedge(Vec3 lo, Vec3 hi, float lowZ, const BoxUv& uv) {
    // Profile in the YZ plane, extruded along X.
    std::vector<Vec2> profile{{lo.y, lo.z}, {hi.y, lo.z}, {hi.y, lowZ}, {lo.y, hi.z}};
    Mesh m = extrude(profile, hi.x - lo.x);
    // Extrusion ran along +Z over (y, z) coordinates; turn it so that it runs along X.
    for (Vec3& p : m.positions) p = {p.z + lo.x, p.x, p.y};
    for (Vec3& n : m.normals) n = {n.z, n.x, n.y};
    return mapBox(m, uv);
}

Mesh& mapBox(Mesh& m, const BoxUv& uv) {
    Bounds b = bounds(m);
    Vec3 size = b.max - b.min;
    auto f = [](float x, float lo, float extent) { return extent > 0 ? (x - lo) / extent : 0.5f; };
    for (size_t i = 0; i < m.positions.size(); ++i) {
        Vec3 p = m.positions[i], n = m.normals[i];
        float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
        float fx = f(p.x, b.min.x, size.x), fy = f(p.y, b.min.y, size.y), fz = f(p.z, b.min.z, size.z);
        if (ax >= ay && ax >= az) {
            m.uvs[i] = n.x > 0 ? uv.px.at(fy, fz) : uv.nx.at(1 - fy, fz);
        } else if (ay >= az) {
            m.uvs[i] = n.y > 0 ? uv.py.at(1 - fx, fz) : uv.ny.at(fx, fz);
        } else {
            m.uvs[i] = n.z > 0 ? uv.pz.at(fx, fy) : uv.nz.at(fx, 1 - fy);
        }
    }
    return m;
}

Mesh& mapPlanar(Mesh& m, int axis, UvRect rect) {
    Bounds b = bounds(m);
    Vec3 size = b.max - b.min;
    for (size_t i = 0; i < m.positions.size(); ++i) {
        Vec3 p = m.positions[i];
        float fx = size.x > 0 ? (p.x - b.min.x) / size.x : 0.5f;
        float fy = size.y > 0 ? (p.y - b.min.y) / size.y : 0.5f;
        float fz = size.z > 0 ? (p.z - b.min.z) / size.z : 0.5f;
        m.uvs[i] = axis == 0 ? rect.at(fy, fz) : axis == 1 ? rect.at(fx, fz) : rect.at(fx, fy);
    }
    return m;
}

Mesh& mapCylinder(Mesh& m, UvRect rect) {
    Bounds b = bounds(m);
    float height = b.max.z - b.min.z;
    for (size_t i = 0; i < m.positions.size(); ++i) {
        Vec3 p = m.positions[i];
        float a = std::atan2(p.y, p.x) / (2 * kPi) + 0.5f;
        m.uvs[i] = rect.at(a, height > 0 ? (p.z - b.min.z) / height : 0.5f);
    }
    return m;
}

} // namespace kit
