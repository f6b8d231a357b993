// The land round the finale's ledge. Everything below the ledge is seen from high above and against the
// setting sun, so it is drawn as aerial perspective: the nearer a ridge, the darker its crest; every hollow
// fills with glowing mist, and the farthest ranges are barely darker than the sky.
#include "ledge_land.h"

#include "kit/shapes.h"
#include "models.h"

#include <algorithm>
#include <cmath>

namespace scenes::ledge {
namespace {

kit::Color mistColor() { return kit::rgb8(222, 138, 122); }

float clamp01(float v) { return std::fmin(1.0f, std::fmax(0.0f, v)); }
float smooth(float a, float b, float v) {
    float s = clamp01((v - a) / (b - a));
    return s * s * (3 - 2 * s);
}

// The part of the valley any moment of the camera can see: north of the mesa, where the camera looks.
constexpr float kFromAngle = 0.2f, kToAngle = kit::kPi - 0.12f;
constexpr int kSegments = 28;

struct Ridge {
    float radius, halfWidth, crest, swing;
    unsigned seed;
};
// Crests stay low enough that, from the lowest point of the camera's path, none reaches the sun.
constexpr Ridge kRidges[] = {{300, 30, -70, 9, 31}, {362, 30, -64, 9, 32}, {424, 32, -58, 8, 33}};

// Where the river's banks run: a slow bend round the mesa.
float riverBank(float a, bool outer) {
    float wobble = 7 * std::sin(3.1f * a + 0.7f) + 4 * std::sin(7.3f * a + 2.1f);
    return kRiverRadius + wobble + (outer ? 9.0f : -9.0f);
}

float landHeight(float r, float a) {
    float z = kFloorZ;
    for (const Ridge& ridge : kRidges) {
        float s = std::fabs(r - ridge.radius) / ridge.halfWidth;
        if (s >= 1) continue;
        float along = a * ridge.radius;
        float crest = ridge.crest + ridge.swing * (2 * valueNoise(along / 70, 0.5f, ridge.seed) - 1) +
                      3 * (2 * valueNoise(along / 22, 1.5f, ridge.seed + 9) - 1);
        float shape = std::pow(1 - s * s, 1.6f);
        z = std::fmax(z, kFloorZ + (crest - kFloorZ) * shape);
    }
    return z;
}

// Farther land is paler; low land lies in mist, the more so the farther it is.
kit::Color landColor(float r, float z) {
    float far = clamp01((r - 150) / 320);
    kit::Color rock = kit::mix(kit::rgb8(52, 30, 44), kit::rgb8(118, 64, 90), far);
    float mist = smooth(-74, -108, z) * (0.3f + 0.62f * far);
    return kit::mix(rock, mistColor(), mist);
}

} // namespace

kit::Mesh valleyLand(const std::vector<kit::View>& views) {
    // Rings from the mesa's foot outward: sparse over the flat floor, dense over the ridges. The river's two
    // banks are rings of their own that follow its bend.
    std::vector<float> radii{58, 100, 140, 175, -1, -2, 235, 265};
    for (float r = 282; r <= 462; r += 12) radii.push_back(r);
    auto radiusAt = [&](size_t k, float a) {
        if (radii[k] == -1) return riverBank(a, false);
        if (radii[k] == -2) return riverBank(a, true);
        return radii[k];
    };
    kit::Mesh land;
    for (size_t k = 0; k + 1 < radii.size(); ++k) {
        bool river = radii[k] == -1;
        for (int j = 0; j < kSegments; ++j) {
            float a0 = kFromAngle + (kToAngle - kFromAngle) * float(j) / kSegments;
            float a1 = kFromAngle + (kToAngle - kFromAngle) * float(j + 1) / kSegments;
            uint32_t v[4];
            const float as[4] = {a0, a1, a1, a0};
            const size_t ks[4] = {k, k, k + 1, k + 1};
            for (int i = 0; i < 4; ++i) {
                float r = radiusAt(ks[i], as[i]);
                float z = landHeight(r, as[i]);
                kit::Color c = landColor(r, z);
                if (river) {
                    // The sunset on the water, in glints along its bend.
                    float glint = 0.72f + 0.28f * valueNoise(as[i] * 40, 0.5f, 41);
                    c = kit::rgb8(255, 178, 118) * glint;
                    c.a = 1;
                }
                v[i] = land.addVertex({std::cos(as[i]) * r, std::sin(as[i]) * r, z}, {0, 0, 1}, {0.5f, 0.5f}, c);
            }
            // Around (counter-clockwise from above), then out.
            land.addQuad(v[0], v[3], v[2], v[1]);
        }
    }
    return kit::keepSeen(land, views);
}

float farCrest(float x) {
    float rolling = 0.06f + 0.04f * (2 * valueNoise(x * 2.4f + 3, 0.5f, 61) - 1) +
                    0.008f * (2 * valueNoise(x * 14, 0.5f, 62) - 1);
    // A broad mountain under the sun, which sets behind it.
    float peak = 0.112f - 0.9f * (x - 0.24f) * (x - 0.24f) + 0.004f * (2 * valueNoise(x * 20, 1.5f, 63) - 1);
    return std::fmax(rolling, peak);
}

kit::Mesh distantRanges(const kit::CameraAngles& angles, float fieldOfView) {
    const kit::Vec3 forward = kit::cameraBasis(angles).forward;
    auto at = [&](float x, float y, float depth) {
        kit::Vec3 ray = kit::viewRay(angles, fieldOfView, x, y);
        return ray * (depth / kit::dot(ray, forward));
    };
    auto nearCrest = [](float x) {
        return -0.17f + 0.05f * (2 * valueNoise(x * 3.1f + 11, 0.5f, 64) - 1) +
               0.014f * (2 * valueNoise(x * 12, 0.5f, 65) - 1);
    };
    struct Layer {
        float depth;
        float (*crest)(float);
        kit::Color top, bottom;
        bool full; // down past the frame's foot, or only down to just behind the nearer layer's crest
    };
    const Layer layers[] = {
        {kRangesDepth - 12, +nearCrest, kit::rgb8(112, 58, 88), mistColor(), true},
        {kRangesDepth, farCrest, kit::rgb8(148, 80, 106), kit::rgb8(228, 146, 126), false},
    };
    kit::Mesh ranges;
    const int columns = 20;
    for (const Layer& layer : layers) {
        for (int i = 0; i < columns; ++i) {
            float x0 = -1.1f + 2.2f * float(i) / columns, x1 = -1.1f + 2.2f * float(i + 1) / columns;
            // Rows down from the crest: the crest's colour, then into the mist, down past the frame's foot.
            const float drops[] = {0, 0.05f, 0.32f};
            const float shades[] = {0, 0.12f, 0.85f, 1};
            float y0[4], y1[4];
            for (int row = 0; row < 3; ++row) {
                y0[row] = layer.crest(x0) - drops[row];
                y1[row] = layer.crest(x1) - drops[row];
            }
            y0[3] = layer.full ? -1.1f : std::fmin(y0[2], nearCrest(x0) - 0.04f);
            y1[3] = layer.full ? -1.1f : std::fmin(y1[2], nearCrest(x1) - 0.04f);
            for (int row = 0; row < 3; ++row) {
                if (y0[row + 1] >= y0[row]) continue;
                kit::Color top = kit::mix(layer.top, layer.bottom, shades[row]);
                kit::Color bottom = kit::mix(layer.top, layer.bottom, shades[row + 1]);
                uint32_t a = ranges.addVertex(at(x0, y0[row + 1], layer.depth), {}, {0.5f, 0.5f}, bottom);
                uint32_t b = ranges.addVertex(at(x1, y1[row + 1], layer.depth), {}, {0.5f, 0.5f}, bottom);
                uint32_t c = ranges.addVertex(at(x1, y1[row], layer.depth), {}, {0.5f, 0.5f}, top);
                uint32_t d = ranges.addVertex(at(x0, y0[row], layer.depth), {}, {0.5f, 0.5f}, top);
                ranges.addQuad(a, b, c, d);
            }
        }
    }
    return ranges;
}

kit::Mesh valleyTrees(const std::vector<kit::View>& views, float slack) {
    kit::Mesh forest;
    Random random(21);
    int placed = 0;
    while (placed < 120) {
        float a = random.range(0, 2 * kit::kPi), r = random.range(kTreesFrom, kTreesTo);
        float h = random.range(12, 22), w = h * random.range(0.24f, 0.32f);
        // The forest turns over the floor: no tree may ever stand in the river.
        if (r > kRiverRadius - 32 && r < kRiverRadius + 30) continue;
        ++placed;
        kit::Vec3 at{std::cos(a) * r, std::sin(a) * r, kFloorZ - 1};
        kit::Mesh tree = kit::cylinder(w * 0.16f, 0, h * 0.3f, 3, {}, {}, 1, false);
        kit::merge(tree, kit::lathe({{w, h * 0.22f}, {0, h * 0.75f}}, 5));
        kit::merge(tree, kit::lathe({{w * 0.72f, h * 0.55f}, {0, h}}, 5));
        kit::merge(forest, kit::translate(tree, at));
    }
    return kit::keepSeen(forest, views, slack);
}

} // namespace scenes::ledge
