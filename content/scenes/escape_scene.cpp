// The chase: the truck holds still on a desert road that streams past, tilt-rotors alongside, four cameras.
#include "escape_pursuers.h"
#include "models.h"
#include "scene_list.h"

#include "images/atlas.h"
#include "kit/camera_rig.h"
#include "kit/shapes.h"
#include "kit/visibility.h"

#include <functional>

#include <cmath>

namespace scenes {
namespace {

constexpr int kFrames = 1421;    // 0-71 s
constexpr float kGroundStart = -500, kGroundEnd = 2900;
constexpr float kGroundHalfWidth = 1500;
const kit::Vec3 kSunPosition{2600, 300, 1000};

// The asphalt as the desert's light falls on it: sunlit, or in shadow, where only the sky's light reaches it.
kit::Color asphaltIn(bool sunlit) {
    kit::LightRig rig = desertLight();
    rig.creviceHeight = 0;
    if (!sunlit) rig.sun = {0, 0, 0};
    kit::Mesh probe;
    probe.addVertex({}, {0, 0, 1}, {0.5f, 0.5f}, kit::rgb8(98, 98, 106));
    return kit::bakeLight(probe, rig).colors[0];
}

// The colour at the core of a shadow on the road: a little deeper than the sky's light alone, for contrast.
kit::Color shadowCore() {
    kit::Color c = asphaltIn(false) * 0.85f;
    c.a = 1;
    return c;
}

// The truck's shadow on the road, toward the side away from the sun: a rounded patch, notched at the
// wheels, with a wide soft rim that fades through a mid tone into the asphalt's own sunlit colour. It floats
// a little above the road so that depth keeps it apart.
kit::Mesh truckShadow() {
    kit::Color lit = asphaltIn(true), dark = shadowCore();
    const kit::Color tones[] = {dark, kit::mix(dark, lit, 0.45f), lit};
    const float reach[] = {0, 0.9f, 2.2f};
    // The core's outline, counter-clockwise from above: chamfered corners, drawn in between the axles.
    const kit::Vec2 core[] = {{-5.2f, -12}, {2.2f, -12},    {3.6f, -10.6f}, {3.6f, -4},
                              {3.0f, -1},   {3.0f, 2},      {3.9f, 5},      {4.2f, 11.6f},
                              {2.8f, 13},   {-5.4f, 13.4f}, {-6.8f, 12},    {-6.6f, 5},
                              {-6.0f, 2},   {-6.0f, -1},    {-6.6f, -4},    {-6.6f, -10.6f}};
    const size_t n = std::size(core);
    kit::Mesh m;
    const float z = 0.45f;
    std::vector<uint32_t> rings[3];
    for (size_t i = 0; i < n; ++i) {
        kit::Vec2 a = core[(i + n - 1) % n], b = core[i], c = core[(i + 1) % n];
        kit::Vec3 e0 = kit::normalize(kit::Vec3{b.v - a.v, a.u - b.u, 0});
        kit::Vec3 e1 = kit::normalize(kit::Vec3{c.v - b.v, b.u - c.u, 0});
        kit::Vec3 out = (e0 + e1) * (1 / (1 + kit::dot(e0, e1)));
        for (int r = 0; r < 3; ++r)
            rings[r].push_back(
                m.addVertex(kit::Vec3{b.u, b.v, z} + out * reach[r], {0, 0, 1}, {0.5f, 0.5f}, tones[r]));
    }
    uint32_t centre = m.addVertex({-1.5f, 0.5f, z}, {0, 0, 1}, {0.5f, 0.5f}, dark);
    for (size_t i = 0; i < n; ++i)
        m.addTriangle(centre, rings[0][i], rings[0][(i + 1) % n]);
    for (int r = 0; r < 2; ++r)
        for (size_t i = 0; i < n; ++i) {
            size_t j = (i + 1) % n;
            m.addQuad(rings[r][i], rings[r + 1][i], rings[r + 1][j], rings[r][j]);
        }
    return m;
}

float smoothStep(float a, float b, float x) {
    float t = std::fmin(1.0f, std::fmax(0.0f, (x - a) / (b - a)));
    return t * t * (3 - 2 * t);
}

} // namespace

// Ground height in the ground's own frame: flat near the road, hills beyond; lower toward the sun (+X).
float escapeTerrainHeight(float x, float y) {
    float ax = std::fabs(x), side = x > 0 ? 0.6f : 1.0f;
    float near = smoothStep(45, 220, ax) * (22 + 70 * valueNoise(x / 180, y / 260, 31));
    float far = smoothStep(300, 900, ax) * (50 + 130 * valueNoise(x / 420, y / 520, 37));
    return side * (near + far);
}

namespace {

// The ground's shapes only: the desert's grade (dressEscape) gives them their colours and light, in one pass.

// A quad with its own corners, lying on the ground plane or `lift` above it.
void flatCell(kit::Mesh& m, float x0, float x1, float y0, float y1, float lift = 0) {
    const kit::Color c{1, 1, 1, 1};
    uint32_t a = m.addVertex({x0, y0, lift}, {0, 0, 1}, {0.5f, 0.5f}, c);
    uint32_t b = m.addVertex({x1, y0, lift}, {0, 0, 1}, {0.5f, 0.5f}, c);
    uint32_t d = m.addVertex({x1, y1, lift}, {0, 0, 1}, {0.5f, 0.5f}, c);
    uint32_t e = m.addVertex({x0, y1, lift}, {0, 0, 1}, {0.5f, 0.5f}, c);
    m.addQuad(a, b, d, e);
}

// The road band: shoulders and two lanes in cells that all meet corner to corner, so that no seam opens
// between them; the edge lines and the dashes of the centre line lie just above it.
kit::Mesh road() {
    kit::Mesh m;
    const float columns[] = {-14, -kAsphaltHalfWidth, 0, kAsphaltHalfWidth, 14};
    const float row = 56, lift = 0.2f;
    const int kRows = int(std::ceil((kGroundEnd - kGroundStart) / row)), kSkirtRows = 2;
    for (int j = 0; j < kRows; ++j) {
        float y0 = kGroundStart + row * float(j), y1 = std::fmin(y0 + row, kGroundEnd);
        for (int i = 0; i + 1 < int(std::size(columns)); ++i)
            flatCell(m, columns[i], columns[i + 1], y0, y1);
        // A skirt down each outer edge closes the step to the hills' first column, just below the road; one
        // plain colour, so each spans a few rows.
        if (j % kSkirtRows != 0) continue;
        y1 = std::fmin(y0 + row * kSkirtRows, kGroundEnd);
        const kit::Color dust{1, 1, 1, 1};
        for (float side : {-1.0f, 1.0f}) {
            float x = side * columns[std::size(columns) - 1];
            uint32_t a = m.addVertex({x, y0, 0}, {side, 0, 0}, {0.5f, 0.5f}, dust);
            uint32_t b = m.addVertex({x, y1, 0}, {side, 0, 0}, {0.5f, 0.5f}, dust);
            uint32_t d = m.addVertex({x, y1, -0.8f}, {side, 0, 0}, {0.5f, 0.5f}, dust);
            uint32_t e = m.addVertex({x, y0, -0.8f}, {side, 0, 0}, {0.5f, 0.5f}, dust);
            if (side > 0)
                m.addQuad(e, d, b, a);
            else
                m.addQuad(a, b, d, e);
        }
    }
    // The centre line's dashes, and the edge lines in strips of one colour, each as long as three dashes.
    const float dash = 28, line = 3 * dash;
    for (float y = kGroundStart; y + dash / 2 <= kGroundEnd; y += dash)
        flatCell(m, -0.2f, 0.2f, y, y + dash / 2, lift);
    for (float y = kGroundStart; y < kGroundEnd; y += line) {
        flatCell(m, -kAsphaltHalfWidth, 0.4f - kAsphaltHalfWidth, y, std::fmin(y + line, kGroundEnd), lift);
        flatCell(m, kAsphaltHalfWidth - 0.4f, kAsphaltHalfWidth, y, std::fmin(y + line, kGroundEnd), lift);
    }
    return m;
}

// The land on either side of the road, in flat facets: every triangle has corners of its own, so that the
// grade gives each one a single colour and the light a single shade, a low-poly desert with crisp edges
// rather than colours smeared along the rows. The vertices lie on lines running along the road, each line
// with its own spacing, coarser further out where the facets are seen smaller; neighbouring lines are
// staggered by half a step and every vertex is shaken a little, so that the facets are near-equilateral and
// irregular. Two lines are joined by a zip of triangles, each line's vertices shared by the strips on both of
// its sides, so the surface stays closed without seams.
struct GroundLine {
    float x, spacing;
};
constexpr GroundLine kGroundLines[] = {{13.6f, 18}, {29, 18},  {45, 26},  {75, 36},  {110, 50},
                                       {175, 70},   {260, 100}, {400, 150}, {600, 220}, {950, 340},
                                       {kGroundHalfWidth, 560}};

kit::Mesh hills(float sign) {
    const int lines = int(std::size(kGroundLines));
    std::vector<std::vector<kit::Vec3>> points(static_cast<size_t>(lines));
    Random shake(sign > 0 ? 211 : 223);
    for (int i = 0; i < lines; ++i) {
        const GroundLine& line = kGroundLines[i];
        const int steps = std::max(1, int(std::lround((kGroundEnd - kGroundStart) / line.spacing)));
        const float step = (kGroundEnd - kGroundStart) / float(steps);
        // The first line tucks under the road's shoulder, the last is the ground's edge: both stay straight.
        const bool edge = i == 0 || i + 1 == lines;
        const float room =
            edge ? 0 : 0.2f * std::fmin(line.x - kGroundLines[i - 1].x, kGroundLines[i + 1].x - line.x);
        std::vector<kit::Vec3>& column = points[size_t(i)];
        std::vector<float> ys{kGroundStart};
        for (int k = 0; k < steps; ++k) {
            float y = kGroundStart + step * (float(k) + (i % 2 ? 0.5f : 1.0f));
            if (y < kGroundEnd - 0.25f * step) ys.push_back(y);
        }
        ys.push_back(kGroundEnd);
        for (size_t k = 0; k < ys.size(); ++k) {
            bool end = k == 0 || k + 1 == ys.size();
            float x = line.x + (edge ? 0 : shake.range(-room, room));
            float y = ys[k] + (end ? 0 : shake.range(-0.22f, 0.22f) * step);
            float h = i == 0 ? -0.4f : escapeTerrainHeight(sign * x, y);
            column.push_back({sign * x, y, h});
        }
    }
    kit::Mesh m;
    auto facet = [&m, sign](kit::Vec3 a, kit::Vec3 b, kit::Vec3 c) {
        // Columns run away from the road; on the -X side that reverses the winding.
        if (sign < 0) std::swap(b, c);
        kit::Vec3 n = kit::normalize(kit::cross(b - a, c - a));
        uint32_t i = m.addVertex(a, n, {0.5f, 0.5f}, {1, 1, 1, 1});
        uint32_t j = m.addVertex(b, n, {0.5f, 0.5f}, {1, 1, 1, 1});
        uint32_t k = m.addVertex(c, n, {0.5f, 0.5f}, {1, 1, 1, 1});
        m.addTriangle(i, j, k);
    };
    for (int i = 0; i + 1 < lines; ++i) {
        const std::vector<kit::Vec3>&near = points[size_t(i)], &far = points[size_t(i + 1)];
        size_t a = 0, b = 0;
        while (a + 1 < near.size() || b + 1 < far.size()) {
            if (b + 1 == far.size() || (a + 1 < near.size() && near[a + 1].y < far[b + 1].y)) {
                facet(near[a], far[b], near[a + 1]);
                ++a;
            } else {
                facet(near[a], far[b], far[b + 1]);
                ++b;
            }
        }
    }
    return m;
}


kit::Mesh ground() {
    kit::Mesh m = road();
    kit::merge(m, hills(-1));
    kit::merge(m, hills(1));
    return m;
}

// The height of the faceted land at (x, y): what stands on it sits on the facets, not on the smooth heights
// they are cut from.
float groundAt(float x, float y) {
    static const kit::Mesh sides[2] = {hills(-1), hills(1)};
    const kit::Mesh& m = sides[x < 0 ? 0 : 1];
    for (const auto& t : m.triangles) {
        kit::Vec3 a = m.positions[t[0]], b = m.positions[t[1]], c = m.positions[t[2]];
        float d = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
        if (d == 0) continue;
        float u = ((x - a.x) * (c.y - a.y) - (c.x - a.x) * (y - a.y)) / d;
        float v = ((b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y)) / d;
        if (u >= 0 && v >= 0 && u + v <= 1) return a.z + u * (b.z - a.z) + v * (c.z - a.z);
    }
    return 0;
}

// A line of weathered poles: each leans its own way and carries its crossbar askew; one now and then has
// fallen or was never put up, and a few are broken off short.
kit::Mesh poles() {
    kit::Mesh m;
    Random random(51);
    for (float y = kGroundStart + 20; y < kGroundEnd; y += 80) {
        float roll = random.next();
        if (roll < 0.08f) continue;
        bool stump = roll < 0.15f;
        float height = stump ? random.range(4, 8) : random.range(18, 21);
        kit::Mesh pole = kit::cylinder(random.range(0.4f, 0.5f), -1, height, 6);
        if (!stump) kit::merge(pole, kit::box({-2.6f, -0.25f, height - 2.5f}, {2.6f, 0.25f, height - 1.9f}));
        kit::rotate(pole,
                    {random.range(-0.05f, 0.05f), random.range(-0.06f, 0.06f), random.range(-0.15f, 0.15f)});
        kit::paint(pole, kit::mix(kit::rgb8(110, 85, 60), kit::rgb8(126, 104, 80), random.next()));
        kit::merge(m, kit::translate(pole, {-18, y, 0}));
    }
    return kit::bakeLight(m, afternoonLight());
}

// Rocks of several kinds, so that no two in view look alike: rounded boulders, flat slabs, leaning pinnacles
// and small heaps, in sandstone reds, greys and pale caliche.
kit::Mesh rocks() {
    kit::Mesh m;
    Random random(53);
    const kit::Color tones[][2] = {{kit::rgb8(150, 120, 95), kit::rgb8(120, 90, 70)},
                                   {kit::rgb8(170, 96, 62), kit::rgb8(140, 78, 54)},
                                   {kit::rgb8(136, 132, 124), kit::rgb8(110, 104, 98)},
                                   {kit::rgb8(196, 178, 146), kit::rgb8(170, 150, 120)}};
    for (int i = 0; i < 70; ++i) {
        float side = random.next() < 0.5f ? -1.0f : 1.0f;
        float x = side * random.range(12, 110), y = random.range(kGroundStart, kGroundEnd);
        float size = random.range(1.2f, 4.5f);
        int kind = int(random.next() * 4);
        const kit::Color* tone = tones[int(random.next() * 4) % 4];
        kit::Mesh rock;
        if (kind == 0) {
            rock = kit::sphere(1, 5, 3);
            kit::scale(rock, {size * random.range(0.8f, 1.4f), size * random.range(0.8f, 1.4f),
                              size * random.range(0.5f, 0.9f)});
        } else if (kind == 1) {
            rock = kit::sphere(1, 6, 2); // a slab
            kit::scale(rock,
                       {size * random.range(1.3f, 2.0f), size * random.range(0.9f, 1.4f), size * 0.35f});
        } else if (kind == 2) {
            rock = kit::lathe({{0.9f, -0.4f}, {0.75f, 0.8f}, {0.4f, 1.8f}, {0, 2.1f}}, 4);
            kit::scale(rock, {size * 0.8f, size * 0.7f, size * random.range(0.9f, 1.5f)});
            kit::rotate(rock, {random.range(-0.2f, 0.2f), random.range(-0.2f, 0.2f), 0});
        } else {
            for (int k = 0; k < 3; ++k) {
                kit::Mesh stone = kit::sphere(1, 4, 2);
                float r = size * random.range(0.35f, 0.6f);
                kit::scale(stone, {r, r * random.range(0.8f, 1.2f), r * 0.7f});
                kit::merge(rock, kit::translate(stone, {size * random.range(-0.7f, 0.7f),
                                                        size * random.range(-0.7f, 0.7f), 0}));
            }
        }
        kit::rotate(rock, {0, 0, random.range(0, 6.28f)});
        kit::paint(rock, kit::mix(tone[0], tone[1], random.next()));
        kit::merge(m, kit::translate(rock, {x, y, groundAt(x, y) - size * 0.25f}));
    }
    return kit::bakeLight(m, afternoonLight());
}

kit::Mesh bushes() {
    kit::Mesh m;
    Random random(59);
    for (int i = 0; i < 80; ++i) {
        float side = random.next() < 0.5f ? -1.0f : 1.0f;
        float x = side * random.range(11, 90), y = random.range(kGroundStart, kGroundEnd);
        float size = random.range(1.5f, 3.5f);
        kit::Mesh bush = kit::dome(1, 6, 2);
        kit::scale(bush, {size, size, size * 0.8f});
        kit::paint(bush, kit::mix(kit::rgb8(95, 100, 50), kit::rgb8(120, 110, 60), random.next()));
        kit::merge(m, kit::translate(bush, {x, y, groundAt(x, y) - 0.4f}));
    }
    return kit::bakeLight(m, afternoonLight());
}

// Every key of the camera the part shows at that moment (the fourth for 5-9 s, the first until 13.5 s, the
// third, widening its view and tilting, until 28 s, then the second), as seen from a node at `offset(t)`
// that rises and sinks between `low` and `high`.
std::vector<kit::View> chaseViews(const std::function<kit::Vec3(double)>& offset, float low, float high) {
    std::vector<kit::CameraKeys> keys;
    for (int c = 1; c <= 4; ++c)
        keys.push_back(escapeCameraKeys(c));
    std::vector<kit::View> views;
    for (int i = 0; i < kFrames; ++i) {
        double t = i / 20.0;
        // Keys on either side of a cut belong to both cameras, so both are taken there.
        std::vector<int> cameras;
        if (t >= 4.95 && t <= 9.05) cameras.push_back(4);
        if (t <= 5.05 || (t >= 8.95 && t <= 13.55)) cameras.push_back(1);
        if (t >= 13.45 && t <= 28.05) cameras.push_back(3);
        if (t >= 27.95) cameras.push_back(2);
        for (int c : cameras) {
            kit::Vec3 r = keys[size_t(c - 1)].rotations[size_t(i)];
            kit::CameraAngles angles{r.x, r.y, r.z};
            float fieldOfView = 0.6f;
            if (c == 3) {
                double u = std::fmax(0.0, t - 13.5) * 1000;
                angles = {u / 30000 + 25.8, 0.1, 0};
                fieldOfView = float(u / 20000 + 0.6 + 0.0025); // and the widening over the next key
            }
            kit::Vec3 eye = keys[size_t(c - 1)].positions[size_t(i)] - offset(t);
            for (float dz : {-high, -low})
                views.push_back(kit::makeView(eye + kit::Vec3{0, 0, dz}, angles, fieldOfView));
        }
    }
    return views;
}

// Where the rock arch stands on the moving ground: the truck runs through it at 61 s of the part.
constexpr double kArchPassing = 61;
constexpr float kArchY = float(kRoadSpeed * kArchPassing);

// A sandstone arch spanning the road: a thick band on a half-ellipse whose feet sink into the ground, its
// faces broken into rough facets, with boulders fallen at its feet. Each facet takes the colour of the
// stratum at its height: red, buff and deep rust layers that band the legs and lie along the crown, with
// dark cracks here and there.
kit::Mesh rockArch() {
    constexpr int kSegments = 22;
    const float halfSpan = 30, height = 34, halfDepth = 5.5f;
    kit::Mesh m;
    Random facets(83);
    auto stratum = [&facets](kit::Vec3 p) {
        // Graded from deep rust up to pale buff, then a sharp return: the layers read as bands, not blocks.
        static const kit::Color layers[] = {kit::rgb8(150, 70, 46),   kit::rgb8(172, 84, 52),
                                            kit::rgb8(194, 104, 62),  kit::rgb8(212, 128, 78),
                                            kit::rgb8(226, 154, 102), kit::rgb8(234, 178, 126)};
        float z = p.z + 1.5f * valueNoise(p.x / 9, p.y / 9, 61);
        int layer = int(std::floor(z / 5.0f)) + 6;
        kit::Color c = layers[size_t(layer) % std::size(layers)] * facets.range(0.94f, 1.05f);
        if (valueNoise(p.x / 5, p.z / 5, 67) > 0.74f) c = kit::mix(c, kit::rgb8(92, 44, 32), 0.6f);
        c.a = 1;
        return c;
    };
    auto face = [&m, &stratum](kit::Vec3 a, kit::Vec3 b, kit::Vec3 c, kit::Vec3 d, kit::Vec3 outward) {
        kit::Vec3 n = kit::normalize(kit::cross(b - a, c - a));
        if (kit::dot(n, outward) < 0) {
            std::swap(b, d);
            n = -n;
        }
        kit::Color tone = stratum((a + b + c + d) * 0.25f);
        uint32_t i = m.addVertex(a, n, {0.5f, 0.5f}, tone), j = m.addVertex(b, n, {0.5f, 0.5f}, tone);
        uint32_t k = m.addVertex(c, n, {0.5f, 0.5f}, tone), l = m.addVertex(d, n, {0.5f, 0.5f}, tone);
        m.addQuad(i, j, k, l);
    };
    // Cross-sections along the band: inner and outer edge at the front and back (y = +-halfDepth), and two
    // points across each face between them, pushed in or out for the facets.
    struct Section {
        kit::Vec3 inFront, inBack, outFront, outBack, radial;
        kit::Vec3 front[2], back[2];
    };
    std::vector<Section> sections;
    Random rough(89);
    for (int i = 0; i <= kSegments; ++i) {
        float theta = kit::kPi * float(i) / kSegments;
        kit::Vec3 radial = kit::normalize({-std::cos(theta) / halfSpan, 0, std::sin(theta) / height});
        kit::Vec3 centre{-halfSpan * std::cos(theta), 0, height * std::sin(theta)};
        // The feet sink below the ground and are thicker than the span.
        float foot = std::fmax(0.0f, 1 - std::sin(theta) * 1.6f);
        centre.z -= 6 * foot;
        float thick = 4 + 5 * foot + 1.5f * valueNoise(float(i) * 0.7f, 0, 71);
        float bump = 1.2f * valueNoise(float(i) * 0.9f, 3, 73);
        Section s;
        s.radial = radial;
        s.inFront = centre - radial * thick + kit::Vec3{0, halfDepth + bump, 0};
        s.inBack = centre - radial * thick + kit::Vec3{0, -halfDepth - bump, 0};
        s.outFront = centre + radial * (thick * 0.6f) + kit::Vec3{0, halfDepth * 0.8f, 0};
        s.outBack = centre + radial * (thick * 0.6f) + kit::Vec3{0, -halfDepth * 0.8f, 0};
        for (int k = 0; k < 2; ++k) {
            float f = (float(k) + 1) / 3 + rough.range(-0.08f, 0.08f);
            s.front[k] = kit::lerp(s.inFront, s.outFront, f) + kit::Vec3{0, rough.range(-0.3f, 0.45f), 0};
            s.back[k] = kit::lerp(s.inBack, s.outBack, f) - kit::Vec3{0, rough.range(-0.3f, 0.45f), 0};
        }
        sections.push_back(s);
    }
    for (int i = 0; i < kSegments; ++i) {
        const Section &a = sections[size_t(i)], &b = sections[size_t(i + 1)];
        kit::Vec3 out = kit::normalize(a.radial + b.radial);
        face(a.outFront, b.outFront, b.outBack, a.outBack, out);
        face(a.inFront, a.inBack, b.inBack, b.inFront, -out);
        const kit::Vec3 front[] = {a.inFront, a.front[0], a.front[1], a.outFront};
        const kit::Vec3 frontB[] = {b.inFront, b.front[0], b.front[1], b.outFront};
        const kit::Vec3 back[] = {a.inBack, a.back[0], a.back[1], a.outBack};
        const kit::Vec3 backB[] = {b.inBack, b.back[0], b.back[1], b.outBack};
        for (int k = 0; k < 3; ++k) {
            face(front[k], frontB[k], frontB[k + 1], front[k + 1], {0, 1, 0});
            face(back[k], back[k + 1], backB[k + 1], backB[k], {0, -1, 0});
        }
    }
    Random random(79);
    for (int i = 0; i < 5; ++i) {
        float side = i % 2 ? 1.0f : -1.0f;
        float size = random.range(2.0f, 4.5f);
        kit::Mesh rock = kit::sphere(1, 5, 3);
        kit::scale(rock, {size * random.range(0.9f, 1.4f), size * random.range(0.9f, 1.4f), size * 0.7f});
        kit::rotate(rock, {0, 0, random.range(0, 6.28f)});
        kit::paint(rock, kit::mix(kit::rgb8(170, 90, 56), kit::rgb8(140, 76, 50), random.next()));
        kit::merge(m, kit::translate(rock, {side * random.range(19, 40), random.range(-12, 12), 0}));
    }
    return kit::bakeLight(m, afternoonLight(), {{0, kArchY, 0}, {}});
}

std::function<kit::Vec3(double)> still(kit::Vec3 at) {
    return [at](double) { return at; };
}

kit::Vec3 groundOffset(double t) {
    return onGround({}, 0, t);
}

kit::Model groundModel() {
    auto path = sampleFrames(kFrames, groundOffset);
    // Only what the cameras ever face inside their views is kept of the ground and the roadside.
    std::vector<kit::View> views = chaseViews(groundOffset, 0, 0);
    kit::Model plane{"Plane01", path[0], {}, kit::keepSeen(ground(), views), kit::positionCurves(path), {}};
    // The roadside rides on the ground: children one level down take its moving frame.
    plane.children.push_back({"Poles", {}, {}, kit::keepSeen(poles(), views), {}, {}});
    plane.children.push_back({"Rocks", {}, {}, kit::keepSeen(rocks(), views), {}, {}});
    plane.children.push_back({"Bushes", {}, {}, kit::keepSeen(bushes(), views), {}, {}});
    // Of the arch too: its back is seen only in passing under it.
    auto archAt = [](double t) { return groundOffset(t) + kit::Vec3{0, kArchY, 0}; };
    plane.children.push_back(
        {"RockArch", {0, kArchY, 0}, {}, kit::keepSeen(rockArch(), chaseViews(archAt, 0, 0)), {}, {}});
    return plane;
}

// The colours of the aircraft's skin picture, for a hull that shows its vertex colours instead.
void paintLikeTheSkin(kit::Mesh& hull) {
    using namespace ospreyAtlas;
    const std::pair<const AtlasRegion*, kit::Color> parts[] = {{&canopy, kit::rgb8(34, 48, 58)},
                                                               {&darkMetal, kit::rgb8(84, 86, 82)},
                                                               {&belly, kit::rgb8(184, 188, 176)}};
    for (size_t i = 0; i < hull.uvs.size(); ++i) {
        hull.colors[i] = kit::rgb8(142, 152, 128);
        for (const auto& [region, colour] : parts) {
            kit::UvRect r = kit::uvRect(*region);
            kit::Vec2 uv = hull.uvs[i];
            if (uv.u >= r.u0 && uv.u <= r.u1 && uv.v >= r.v0 && uv.v <= r.v1) hull.colors[i] = colour;
        }
    }
}

// Tilt-rotor hull in aeroplane flight along +Y, origin at the fuselage's centre; `painted` for one drawn
// without its skin picture.
kit::Mesh ospreyHull(bool painted = false) {
    using namespace ospreyAtlas;
    kit::Mesh hull = kit::lathe({{0, -14},
                                 {1.2f, -14},
                                 {2.4f, -11},
                                 {2.8f, -6},
                                 {2.8f, 4},
                                 {2.5f, 9},
                                 {1.8f, 12.5f},
                                 {0.8f, 14.5f},
                                 {0, 15.2f}},
                                16, kit::uvRect(skin), 2);
    kit::rotate(hull, {-kit::kPi / 2, 0, 0});
    kit::scale(hull, {1, 1, 0.9f});
    kit::merge(hull,
               kit::box({-1.5f, 9.0f, 0.8f}, {1.5f, 12.2f, 2.6f}, kit::BoxUv(kit::uvRect(canopy)), 0.3f));
    kit::BoxUv wingUv(kit::uvRect(wing));
    kit::merge(hull, kit::box({-14, -0.5f, 2.2f}, {14, 3.5f, 2.8f}, wingUv, 0.15f));
    kit::merge(hull, kit::box({-6.5f, -14.2f, 1.6f}, {6.5f, -11.2f, 2.0f}, wingUv, 0.1f));
    for (float s : {-1.0f, 1.0f}) {
        kit::merge(hull,
                   kit::box({s * 6 - 0.25f, -14.6f, 1.6f}, {s * 6 + 0.25f, -11.0f, 6.5f}, wingUv, 0.1f));
        kit::Mesh nacelle =
            kit::cylinder(1.35f, -3, 6, 12, kit::uvRect(ospreyAtlas::nacelle), kit::uvRect(darkMetal));
        kit::rotate(nacelle, {-kit::kPi / 2, 0, 0});
        kit::merge(hull, kit::translate(nacelle, {s * 14, 0, 2.5f}));
        kit::merge(hull, kit::box({s * 2.2f - 1.0f, -4, -2.4f}, {s * 2.2f + 1.0f, 4, -0.8f},
                                  kit::BoxUv(kit::uvRect(belly)), 0.4f));
    }
    if (painted) paintLikeTheSkin(hull);
    return kit::bakeLight(hull, afternoonLight());
}

// A rotor at full speed turning about Y, well inside the wing's reach: its spinner and the blur of three
// blades. Each blade is a slender sliver with `ghosts` fainter, thinner ones fanned behind it, and wide gaps
// between the blades let the sky through most of the disc, so it reads as a faint swirl, not a wheel. `root`
// and `tip` colour the slivers for a rotor that shows its vertex colours (paler toward the rim, where the
// blades move fastest); a rotor given one flat dark colour shows only their shapes, and reads best as three
// plain blades without ghosts.
kit::Mesh propeller(kit::Color hub, kit::Color root, kit::Color tip, int ghosts) {
    return bladedRotor({hub, root, tip, tip, tip, 0.35f, 0.32f, 0.07f, 0.018f, 5.6f, 0.07f, ghosts});
}

void addAircraft(std::vector<kit::Model>& models, const char* hull, const char* left, const char* right,
                 kit::Vec3 at) {
    models.push_back({hull, at, {}, ospreyHull(), {}, {}});
    // The set-up draws these in one flat colour of its own: only the shape counts.
    kit::Mesh rotor = propeller(kit::rgb8(40, 32, 32), kit::rgb8(40, 32, 32), kit::rgb8(40, 32, 32), 0);
    models.push_back({left, at + kit::Vec3{-14, 6.7f, 2.5f}, {}, rotor, {}, {}});
    models.push_back({right, at + kit::Vec3{14, 6.7f, 2.5f}, {}, rotor, {}, {}});
}

kit::Model cameraNode(const char* name, const kit::CameraKeys& keys, bool withRotation) {
    kit::Model cam{name, keys.positions[0], {}, {}, kit::positionCurves(keys.positions), {}};
    constexpr float kDeg = 180 / kit::kPi;
    kit::Vec3 r = keys.rotations[0];
    cam.rotationDegrees = {r.x * kDeg, r.y * kDeg, r.z * kDeg};
    if (withRotation) {
        for (kit::Curve& c : kit::rotationCurves(keys.rotations))
            cam.curves.push_back(c);
    }
    return cam;
}

} // namespace

// Camera paths of the chase, also used by the coverage check; t in seconds of the part. Each shown stretch is
// a directed move: the first camera pushes in on the sunny rear three-quarter, then (after the fourth
// camera's view back past the truck at the pursuers racing in) tracks along the shaded side to the flank;
// the second camera takes new framings round the truck through the attacks and, as the sun beams come in,
// cranes down and tilts up into the sun in one continuous move, then tracks, swings wide of the arch for the
// crash and ends low behind the truck, looking up into the low sun.
namespace {

const std::vector<PathPoint>& cameraOneEye() {
    static const std::vector<PathPoint> path{{0, {24, -41, 28}},
                                             {5, {18, -31, 25}},
                                             {9, {-30, -34, 27}},
                                             {11, {-34, -18, 26}},
                                             {13.5, {-36, 2, 25}}};
    return path;
}
// From 9 s the first camera tracks along the shaded side from the rear three-quarter to the truck's flank,
// looking down just enough for the ground to fill the frame, and lifts its aim to the pursuer pulling up
// alongside on the far side.
const std::vector<PathPoint>& cameraOneTarget() {
    static const std::vector<PathPoint> path{
        {0, {0, 3, 6}}, {5, {0, 4, 6}}, {9, {0, 0, 6}}, {11, {4, 6, 9}}, {13.5, {8, 14, 11}}};
    return path;
}

// The second camera follows the pursuers' attack in one take, a new framing every few seconds joined by
// swoops on the beats: high behind the truck, looking down past it, it takes in the third strafing run
// (29-30 s), the pursuer diving in over it and the truck jinking out of the line of spurts; it drops low
// behind as the second sweeps in (32), swings out over the shaded side and round to high in front (35), where
// the first's dive comes down over the cab toward the lens (36); swings round the sunny front quarter to a
// high side view for the second's dive (40), rises behind on the sunny side (42.5-44), whips round the front
// at the height of a pursuer (44-48) and out wide on the shaded side as the two scissor across the view
// (48); cranes down into the sun as the rays come (48-50.5) and holds the truck against the light while a
// pursuer banks across the sun (52), then pulls back as the two cross over the truck (56); swoops behind the
// truck, low and far, so that the arch, the truck running under it and the pursuer clipping its crown share
// the frame (58.5-61); swings out wide of the arch's sunny foot as the pursuer tumbles, forward and past it
// soon, so the leg slips out of the frame well clear of the lens, and its crash on the verge ahead (62) lies
// in the middle of the frame and clear of the truck, with a jolt as it hits; rises as
// the truck races past the fireball (64.5), drops back (66) as the last pursuer comes in over it onto the
// truck's tail (68) and, as it gives up and peels away to the right (69), sinks low behind the truck and
// tilts up after it into the low sun, the truck's top still in the frame at the cut (70-71). Until the
// sky's picture comes in at 48 s the camera looks down far enough for the ground to fill the frame.
const std::vector<PathPoint>& cameraTwoEye() {
    static const std::vector<PathPoint> path{
        {28, {-28, -62, 56}},   {29, {-24, -70, 62}},   {30.5, {-20, -74, 58}}, {32, {-10, -70, 34}},
        {33.5, {-44, -12, 40}}, {35, {-12, 54, 46}},    {36.5, {-4, 62, 46}},   {38.5, {34, 44, 42}},
        {40, {46, 8, 40}},      {41.2, {46, -4, 40}},   {42.5, {46, -24, 44}},  {44, {48, -30, 48}},   {45.5, {62, 34, 48}},
        {46.8, {-10, 66, 46}},  {48, {-80, -2, 40}},    {50.5, {-58, -22, 7}}, {52, {-56, -14, 8}},
        {56, {-88, -8, 10}},    {58.5, {-6, -104, 20}}, {61, {12, -104, 22}},
        {61.5, {46, -84, 26}},  {62, {68, -50, 28}},    {63, {64, -30, 24}},    {64.5, {50, -50, 36}},
        {66, {-8, -72, 16}},    {68, {-10, -62, 12}},   {69, {-10, -56, 10}},   {70, {-12, -44, 6}},
        {71, {-12, -36, 4.5f}}, {72.5, {-12, -32, 4}}};
    return path;
}
const std::vector<PathPoint>& cameraTwoTarget() {
    static const std::vector<PathPoint> path{
        {28, {0, 4, 12}},    {29, {-3, 10, 20}},  {30.5, {-2, 8, 16}},   {32, {0, 4, 6}},     {33.5, {0, 4, 8}},
        {35, {0, -8, 6}},    {36.5, {0, -10, 8}}, {38.5, {0, -4, 8}},    {40, {0, 0, 6}},     {41.2, {0, 0, 6}},
        {42.5, {0, 2, 10}},  {44, {0, 2, 12}},    {45.5, {0, 4, 12}}, {46.8, {0, 2, 12}},  {48, {0, -4, 10}},
        {50.5, {0, -6, 16}}, {52, {0, -2, 17}},   {56, {0, 2, 24}},      {58.5, {0, 10, 22}},
        {61, {2, 10, 26}},   {62, {22, 54, 10}},  {63, {22, 36, 10}},    {64.5, {4, 4, 6}},
        {66, {0, 10, 16}},   {68, {0, 6, 21}},    {69, {4, 6, 24}},      {69.6, {12, 12, 28}},
        {70.3, {22, 26, 34}}, {71, {34, 50, 40}}, {72.5, {40, 80, 50}}};
    return path;
}

// The third camera's tilt is set by hand, so it only moves, in three framings joined by fast moves on the
// beats: close behind, looking down on the load, drawing back and up over the sunny side (13.5-16.5); a
// swoop up, back and out over the shaded side (17.5) for a high view along the road, drifting across to the
// sunny side so that the truck slides over to the left of the frame, high enough that the first strafing
// run (19-20) shows its pursuer diving below the camera above the spurts walking up past the wheels; a plunge (21.5-22.5) to low behind the truck, where the view, tilting up
// and widening, drifts to the shaded side to take in the second run low on the sunny side (25-26) and the
// dunes, as the camera drops back (26-28).
const std::vector<PathPoint>& cameraThreeEye() {
    static const std::vector<PathPoint> path{
        {13.5, {4, -26, 36}},   {15, {6, -34, 42}},     {16.5, {8, -42, 50}},   {17.5, {-14, -60, 76}},
        {18.7, {12, -66, 82}},  {20.2, {24, -58, 76}},  {21.5, {10, -54, 70}}, {22.5, {0, -44, 27}},   {24.5, {-8, -52, 30}},
        {26, {-6, -56, 28}},    {28, {2, -60, 22}}};
    return path;
}

// The second camera follows part of the truck's big jink out of the third run's line, so the truck slides
// across its frame; through the dodges it holds to the truck, so the road's lines slide under it.
kit::Vec3 swerveLag(double t) {
    return {0.4f * float(truckJink(t)), 0, 0};
}

// The hits jolt the camera shown: a few keys of shudder from the moment of the blow, dying away within a third
// of a second; the first strafing run's hits, the head-on run's and the second's lightly, the blast beside
// the truck, the crown struck and the wreck hitting the ground hard; the attack passes' hits (35.5, 39.5,
// 43.5) each a little harder than the one before. `reach` scales it (the aim shakes more
// than the eye).
kit::Vec3 crashShake(double t, float reach) {
    struct Blow {
        double at;
        float strength;
    };
    const Blow blows[] = {{19, 0.45f},   {23, 0.5f},  {25, 0.45f},          {29, 1.2f},  {35.5, 0.3f},
                          {39.5, 0.35f}, {43.5, 0.45f}, {kCrownClipped, 0.5f}, {kCrashed, 1}};
    kit::Vec3 shake;
    for (const Blow& blow : blows) {
        double s = (t - blow.at) / 0.35;
        if (s < 0 || s >= 1) continue;
        int key = int(std::lround((t - blow.at) * 20));
        float side = key % 2 ? -1.0f : 1.0f, lift = key % 3 == 1 ? -1.0f : 1.0f;
        shake = shake + kit::Vec3{0.6f * side, 0, lift} * (reach * blow.strength * float(1 - s));
    }
    return shake;
}

} // namespace

kit::Vec3 escapeEye(int camera, double t) {
    switch (camera) {
    case 1:
        return pathAt(cameraOneEye(), t);
    case 2:
        return pathAt(cameraTwoEye(), std::fmax(28.0, t)) - swerveLag(t) + crashShake(t, 1.2f);
    case 3:
        return pathAt(cameraThreeEye(), t) + crashShake(t, 1.5f);
    default: {
        // Ahead of the truck on the sunny side, clear of the first pair's rotors and of the poles, looking
        // back past it down the road, where the pursuers race in low behind it.
        double s = easeBetween(5, 9, t);
        return kit::lerp({14, 50, 30}, {10, 40, 27}, float(s));
    }
    }
}

kit::CameraKeys escapeCameraKeys(int camera) {
    return kit::rigCamera(
        kFrames, [camera](double t) { return escapeEye(camera, t); },
        [camera](double t) { return escapeTarget(camera, t); });
}

kit::Vec3 escapeTarget(int camera, double t) {
    switch (camera) {
    case 1:
        return pathAt(cameraOneTarget(), t);
    case 2:
        return pathAt(cameraTwoTarget(), std::fmax(28.0, t)) - swerveLag(t) + crashShake(t, 3.0f);
    default:
        // As far up the road behind as the ground reaches.
        return kit::lerp({0, -22, 2}, {0, -18, 3}, float(easeBetween(5, 9, t)));
    }
}

SceneSource buildEscape() {
    SceneSource scene{"escape.xsi", {}, kFrames};
    kit::LightRig light = afternoonLight();
    kit::Vec3 body{0, 0, kPivotAboveGround};
    // The part rocks the body by up to 0.4 units and lifts the sign above it by up to 0.8 more.
    scene.models.push_back({"Terex_MainBody",
                            body,
                            {},
                            kit::keepSeen(truckBody(light, {body, {}}), chaseViews(still(body), -0.4f, 0.4f)),
                            {},
                            {}});
    // Wheels hold still (the set-up drops their keys); a hub inside each turns on its own keys.
    std::vector<double> spin;
    for (int i = 0; i < kFrames; ++i)
        spin.push_back(-(i / 20.0) * kRoadSpeed / kWheelRadius);
    for (const WheelSlot& slot : truckWheelSlots()) {
        kit::Vec3 at = body + slot.offset;
        kit::Model wheel{slot.name, at, {}, truckTyre(slot.left, light, {at, {}}), {}, {}};
        wheel.children.push_back({std::string(slot.name) + "_Hub",
                                  {},
                                  {},
                                  truckHub(slot.left, light, {at, {}}),
                                  {kit::rotationCurve('x', spin)},
                                  {}});
        scene.models.push_back(std::move(wheel));
    }
    const kit::Vec3 signAt = kNameBoardsAt;
    kit::Mesh sign = truckNameBoards();
    kit::Mesh litSign = kit::bakeLight(sign, light, {signAt, {}});
    scene.models.push_back(
        {"Kestrovalogo", signAt, {}, kit::keepSeen(litSign, chaseViews(still(signAt), -0.4f, 1.2f)), {}, {}});
    scene.models.push_back(groundModel());
    scene.models.push_back({"TruckShadow", {}, {}, truckShadow(), {}, {}});
    addAircraft(scene.models, "Osprey_Hull", "PropellerLeft", "PropellerRight", {-34, 25, 24});
    addAircraft(scene.models, "Osprey_Hull01", "PropellerLeft01", "PropellerRight01", {36, -5, 30});
    // The pursuers' rotors show their own colours: a dark spinner, blades blurred to a pale, sky-tinted haze.
    kit::Mesh rotor = propeller(kit::rgb8(48, 46, 44), kit::rgb8(150, 146, 138), kit::rgb8(214, 208, 196), 2);
    addPursuers(scene.models, ospreyHull(true), rotor, shadowCore(), kFrames);
    addStrafing(scene.models, kFrames);
    addCrashSmoke(scene.models, kFrames);
    kit::Mesh sun = kit::cylinder(60, -1, 1, 32);
    kit::rotate(sun, {0, kit::kPi / 2, 0});
    scene.models.push_back({"Sun", kSunPosition, {}, sun, {}, {}});
    // The beam fan stands just in front of the sun disc, facing the cameras that look into the light: at that
    // distance the few units they move shift nothing, so the rays always meet at the sun, and the hills stand
    // in front of every ray that reaches below the horizon.
    kit::Vec3 eye = escapeEye(2, 59.5);
    kit::Vec3 toSun = kit::normalize(kSunPosition - eye);
    constexpr float kDeg = 180 / kit::kPi;
    kit::Vec3 fanTurn{0, -std::asin(toSun.z) * kDeg, std::atan2(toSun.y, toSun.x) * kDeg};
    float sunDistance = kit::length(kSunPosition - eye);
    scene.models.push_back({"Sunbeams01",
                            kSunPosition - toSun * 80,
                            fanTurn,
                            sunbeamFan(20, 270 * (sunDistance - 80) / 420, 0, {0.5f, 0.42f, 0.25f, 1}, 13),
                            {},
                            {}});
    for (int c = 1; c <= 4; ++c) {
        kit::CameraKeys keys = escapeCameraKeys(c);
        std::string name = "Camera_chase_0" + std::to_string(c);
        if (c == 3) {
            // Tilted by hand (about X, looking along +Y and down); only its position is keyed.
            keys.rotations.assign(keys.rotations.size(), {0.6673f, 0.1f, 0});
        }
        scene.models.push_back(cameraNode(name.c_str(), keys, c != 3));
    }
    dressEscape(scene.models);
    return scene;
}

} // namespace scenes
