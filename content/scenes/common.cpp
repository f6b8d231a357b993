// Shared helpers of the scenes: block letters, sun-beam fans, repeatable randomness and key sampling.
#include "models.h"

#include "kit/shapes.h"

#include <cmath>
#include <map>

namespace scenes {
namespace {

using Outline = std::vector<kit::Vec2>;

// Stencil-style block letters, 7 units tall: each a single simple outline (counters open by a slit), so
// the bevelled solids never overlap one another.
const std::map<char, Outline>& letterOutlines() {
    static const std::map<char, Outline> outlines{
        {'K', {{0, 0}, {1.5f, 0}, {1.5f, 2.6f}, {2.2f, 3.3f}, {3.7f, 0}, {5.3f, 0}, {3.2f, 4.4f}, {5.2f, 7},
               {3.5f, 7}, {1.5f, 4.4f}, {1.5f, 7}, {0, 7}}},
        {'E', {{0, 0}, {5, 0}, {5, 1.4f}, {1.5f, 1.4f}, {1.5f, 2.8f}, {4.3f, 2.8f}, {4.3f, 4.2f}, {1.5f, 4.2f},
               {1.5f, 5.6f}, {5, 5.6f}, {5, 7}, {0, 7}}},
        {'S', {{0, 0}, {5, 0}, {5, 4.2f}, {1.5f, 4.2f}, {1.5f, 5.6f}, {5, 5.6f}, {5, 7}, {0, 7}, {0, 2.8f},
               {3.5f, 2.8f}, {3.5f, 1.4f}, {0, 1.4f}}},
        {'T', {{1.75f, 0}, {3.25f, 0}, {3.25f, 5.6f}, {5, 5.6f}, {5, 7}, {0, 7}, {0, 5.6f}, {1.75f, 5.6f}}},
        {'R', {{0, 0}, {1.5f, 0}, {1.5f, 2.8f}, {2.0f, 2.8f}, {2.0f, 4.2f}, {1.5f, 4.2f}, {1.5f, 5.6f},
               {3.5f, 5.6f}, {3.5f, 4.2f}, {2.5f, 4.2f}, {2.5f, 2.8f}, {2.9f, 2.8f}, {3.6f, 0}, {5.2f, 0},
               {4.4f, 2.9f}, {5, 3.4f}, {5, 7}, {0, 7}}},
        {'O', {{0, 0}, {2.25f, 0}, {2.25f, 1.4f}, {1.5f, 1.4f}, {1.5f, 5.6f}, {3.5f, 5.6f}, {3.5f, 1.4f},
               {2.75f, 1.4f}, {2.75f, 0}, {5, 0}, {5, 7}, {0, 7}}},
        {'V', {{0, 7}, {2.0f, 0}, {3.0f, 0}, {5, 7}, {3.5f, 7}, {2.5f, 2.6f}, {1.5f, 7}}},
        {'A', {{0, 0}, {1.5f, 0}, {1.9f, 1.6f}, {2.3f, 1.6f}, {2.3f, 3.0f}, {2.1f, 3.0f}, {2.5f, 4.7f},
               {2.9f, 3.0f}, {2.7f, 3.0f}, {2.7f, 1.6f}, {3.1f, 1.6f}, {3.5f, 0}, {5, 0}, {3.2f, 7}, {1.8f, 7}}},
    };
    return outlines;
}

} // namespace

kit::Mesh blockText(const std::string& text, float depth, float bevel, float& width) {
    kit::Mesh out;
    float x = 0;
    for (char c : text) {
        auto found = letterOutlines().find(c);
        if (found == letterOutlines().end()) {
            x += 3.5f;
            continue;
        }
        kit::Mesh letter = kit::extrude(found->second, depth, bevel);
        float letterWidth = 0;
        for (const kit::Vec2& p : found->second) letterWidth = std::fmax(letterWidth, p.u);
        kit::merge(out, kit::translate(letter, {x, 0, 0}));
        x += letterWidth + 1.2f;
    }
    width = x > 0 ? x - 1.2f : 0;
    return out;
}

kit::Mesh sunbeamFan(int beams, float radius, int axis, kit::Color centre, unsigned seed) {
    kit::Mesh fan;
    Random random(seed);
    for (int i = 0; i < beams; ++i) {
        float a = 2 * kit::kPi * (float(i) + random.range(-0.2f, 0.2f)) / float(beams);
        float half = random.range(0.035f, 0.09f);
        float reach = radius * random.range(0.7f, 1.0f);
        float strength = random.range(0.6f, 1.0f);
        // Beam in the plane's (s, t) coordinates.
        auto point = [&](float angle, float r) {
            float s = std::cos(angle) * r, t = std::sin(angle) * r;
            return axis == 0 ? kit::Vec3{0, s, t} : kit::Vec3{s, 0, t};
        };
        kit::Vec3 normal = axis == 0 ? kit::Vec3{-1, 0, 0} : kit::Vec3{0, -1, 0};
        kit::Color bright = centre * strength, black{0, 0, 0, 1};
        uint32_t c = fan.addVertex(point(a, radius * 0.02f), normal, {0.5f, 0.5f}, bright);
        uint32_t l = fan.addVertex(point(a - half, reach), normal, {0.5f, 0.5f}, black);
        uint32_t r = fan.addVertex(point(a + half, reach), normal, {0.5f, 0.5f}, black);
        fan.addTriangle(c, l, r);
    }
    return kit::makeTwoSided(fan);
}

float Random::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return float(state & 0xffffff) / float(0x1000000);
}

float valueNoise(float x, float y, unsigned seed) {
    auto hash = [seed](int i, int j) {
        unsigned h = unsigned(i) * 374761393u + unsigned(j) * 668265263u + seed * 2246822519u;
        h = (h ^ (h >> 13)) * 1274126177u;
        return float((h ^ (h >> 16)) & 0xffff) / 65535.0f;
    };
    int i = int(std::floor(x)), j = int(std::floor(y));
    float fx = x - float(i), fy = y - float(j);
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = hash(i, j), b = hash(i + 1, j), c = hash(i, j + 1), d = hash(i + 1, j + 1);
    return a + (b - a) * fx + (c - a) * fy + (a - b - c + d) * fx * fy;
}

kit::Vec3 pathAt(const std::vector<PathPoint>& points, double t) {
    if (t <= points.front().t) return points.front().at;
    if (t >= points.back().t) return points.back().at;
    size_t i = 0;
    while (t > points[i + 1].t) ++i;
    const PathPoint &p0 = points[i], &p1 = points[i + 1];
    double span = p1.t - p0.t, s = (t - p0.t) / span;
    // Slopes (per second) from the neighbours; the path starts and ends at rest.
    auto slope = [&](size_t k) {
        if (k == 0 || k + 1 == points.size()) return kit::Vec3{};
        return (points[k + 1].at - points[k - 1].at) * float(1.0 / (points[k + 1].t - points[k - 1].t));
    };
    kit::Vec3 m0 = slope(i) * float(span), m1 = slope(i + 1) * float(span);
    double s2 = s * s, s3 = s2 * s;
    float h00 = float(2 * s3 - 3 * s2 + 1), h10 = float(s3 - 2 * s2 + s), h01 = float(-2 * s3 + 3 * s2),
          h11 = float(s3 - s2);
    return p0.at * h00 + m0 * h10 + p1.at * h01 + m1 * h11;
}

double easeBetween(double a, double b, double t) {
    double s = std::fmin(1.0, std::fmax(0.0, (t - a) / (b - a)));
    return s * s * (3 - 2 * s);
}

std::vector<kit::Vec3> sampleFrames(int count, const std::function<kit::Vec3(double)>& f) {
    std::vector<kit::Vec3> keys;
    keys.reserve(size_t(count));
    for (int i = 0; i < count; ++i) keys.push_back(f(i / 20.0));
    return keys;
}

kit::Mesh bladedRotor(const BladeBlur& b) {
    kit::Mesh rotor = kit::lathe({{0, -0.6f}, {0.75f, -0.45f}, {0.6f, 0.45f}, {0, 1.2f}}, 6);
    kit::rotate(rotor, {-kit::kPi / 2, 0, 0});
    kit::paint(rotor, b.hub);
    kit::Mesh blur;
    auto at = [](float angle, float r) { return kit::Vec3{std::cos(angle) * r, 0, std::sin(angle) * r}; };
    for (int blade = 0; blade < 3; ++blade) {
        for (int ghost = 0; ghost <= b.ghosts; ++ghost) {
            float a = 2 * kit::kPi * float(blade) / 3 - b.fan * float(ghost);
            float half = b.width - b.narrowing * float(ghost), reach = b.reach * (1 - b.shortening * float(ghost));
            kit::Color root = kit::mix(b.root, b.rootGhost, b.blend * float(ghost));
            kit::Color tip = kit::mix(b.tip, b.tipGhost, b.blend * float(ghost));
            kit::Vec3 up{0, -1, 0};
            uint32_t p = blur.addVertex(at(a + 0.05f, 0.7f), up, {0.5f, 0.5f}, root);
            uint32_t q = blur.addVertex(at(a + half - 0.08f, reach), up, {0.5f, 0.5f}, tip);
            uint32_t r = blur.addVertex(at(a - half - 0.08f, reach), up, {0.5f, 0.5f}, tip);
            blur.addTriangle(p, q, r);
        }
    }
    kit::merge(rotor, kit::makeTwoSided(blur));
    return rotor;
}

float LumpyOutline::operator()(float a) const {
    float r = 1 + tilt * std::sin(a);
    for (int k = 0; k < 3; ++k)
        r += weight[k] * std::sin(float(k + 2) * a + phase[k]);
    return r * radius;
}

LumpyOutline lumpyOutline(Random& random, float radius, float tilt, float least, float most) {
    LumpyOutline outline{radius, tilt, {}, {}};
    for (int k = 0; k < 3; ++k) {
        outline.phase[k] = random.range(0, 2 * kit::kPi);
        outline.weight[k] = random.range(least, most);
    }
    return outline;
}

void addRingTriangles(kit::Mesh& mesh, uint32_t middle, int rings, int sides) {
    auto v = [&](int ring, int j) { return middle + 1 + uint32_t(ring * sides + (j % sides)); };
    for (int j = 0; j < sides; ++j)
        mesh.addTriangle(middle, v(0, j), v(0, j + 1));
    for (int ring = 0; ring + 1 < rings; ++ring) {
        for (int j = 0; j < sides; ++j) {
            if (ring % 2 == 0) {
                mesh.addTriangle(v(ring, j), v(ring + 1, j), v(ring, j + 1));
                mesh.addTriangle(v(ring, j + 1), v(ring + 1, j), v(ring + 1, j + 1));
            } else {
                mesh.addTriangle(v(ring, j), v(ring + 1, j + 1), v(ring, j + 1));
                mesh.addTriangle(v(ring, j), v(ring + 1, j), v(ring + 1, j + 1));
            }
        }
    }
}

} // namespace scenes
