// The farmstead below the brink. It is seen from the ledge, a hundred units and more off and against the
// setting sun: the walls that face the camera stand in their own shade, dark violet, and only the roofs catch
// the sky; the windows and the granary's open door are lit from inside, so they read at a few pixels. The
// windows stand a little proud of their walls: far more than the depth buffer blurs at that distance.
#include "ledge_mill.h"

#include "ledge_land.h"
#include "models.h"

#include "kit/shapes.h"

#include <cmath>

namespace scenes::ledge {
namespace {

constexpr kit::Vec3 kBenchMiddle{86, 30, 0};
constexpr int kBenchSides = 28;
constexpr float kCapHeight = 4.8f;
constexpr float kBaseRadius = 6.2f, kTopRadius = 4.2f;

kit::Color mistColor() { return kit::rgb8(222, 138, 122); }

// The tower's faces are turned so that one faces the camera (-Y) and one the chute (the south-west).
float towerApothem(float h) {
    return (kBaseRadius + (kTopRadius - kBaseRadius) * h / kTowerHeight) * std::cos(kit::kPi / 8);
}

// How far the bench's edge lies from its middle, toward angle `a`: reaching in under the cliff on the
// mesa's side, so that it joins the rock there.
float benchReach(float a) {
    const float in = std::atan2(-kBenchMiddle.y, -kBenchMiddle.x);
    const float toward = std::fmax(0.0f, std::cos(a - in));
    return 33 + 15 * toward * toward + 8 * (valueNoise(a * 1.9f, 0.5f, 71) - 0.5f);
}

// A pane of light a little in front of a wall: `across` is the wall's horizontal direction (the pane faces
// across x up), its middle at `at`.
void addWindow(kit::Mesh& into, kit::Vec3 at, kit::Vec3 across, float w, float h, kit::Color c) {
    const kit::Vec3 up{0, 0, 1}, n = kit::normalize(kit::cross(across, up));
    const kit::Vec3 a = at - across * (w / 2), b = at + across * (w / 2);
    const kit::Color low = c * 0.8f;
    const uint32_t v0 = into.addVertex(a - up * (h / 2), n, {0.5f, 0.5f}, low);
    const uint32_t v1 = into.addVertex(b - up * (h / 2), n, {0.5f, 0.5f}, low);
    const uint32_t v2 = into.addVertex(b + up * (h / 2), n, {0.5f, 0.5f}, c);
    const uint32_t v3 = into.addVertex(a + up * (h / 2), n, {0.5f, 0.5f}, c);
    into.addQuad(v0, v1, v2, v3);
}

// A gabled roof over [x0, x1] x [y0, y1], its ridge along X, from the eaves at `eaves` up to `ridge`, over
// the walls by `over`; the gable ends close it under the eaves.
kit::Mesh gableRoof(float x0, float x1, float y0, float y1, float eaves, float ridge, float over,
                    kit::Color tiles, kit::Color walls) {
    kit::Mesh roof;
    const float ym = 0.5f * (y0 + y1);
    auto quad = [&](kit::Vec3 a, kit::Vec3 b, kit::Vec3 c, kit::Vec3 d, kit::Color colour) {
        const kit::Vec3 n = kit::normalize(kit::cross(b - a, d - a));
        roof.addQuad(roof.addVertex(a, n, {0.5f, 0.5f}, colour), roof.addVertex(b, n, {0.5f, 0.5f}, colour),
                     roof.addVertex(c, n, {0.5f, 0.5f}, colour), roof.addVertex(d, n, {0.5f, 0.5f}, colour));
    };
    const float drop = over * (ridge - eaves) / (ym - y0);
    quad({x0 - over, y0 - over, eaves - drop}, {x1 + over, y0 - over, eaves - drop}, {x1 + over, ym, ridge},
         {x0 - over, ym, ridge}, tiles);
    quad({x1 + over, y1 + over, eaves - drop}, {x0 - over, y1 + over, eaves - drop}, {x0 - over, ym, ridge},
         {x1 + over, ym, ridge}, tiles);
    for (float x : {x0, x1}) {
        const float side = x == x0 ? -1.0f : 1.0f;
        kit::Vec3 p{x, y0, eaves}, q{x, y1, eaves}, r{x, ym, ridge};
        if (side < 0) std::swap(p, q);
        const kit::Vec3 n{side, 0, 0};
        roof.addTriangle(roof.addVertex(p, n, {0.5f, 0.5f}, walls), roof.addVertex(q, n, {0.5f, 0.5f}, walls),
                         roof.addVertex(r, n, {0.5f, 0.5f}, walls));
    }
    return roof;
}

// A house: walls from the bench up to `eaves`, a gabled roof, windows on its two sides the camera sees.
struct House {
    float x0, x1, y0, y1, eaves, ridge;
    int frontWindows, endWindows;
    kit::Color walls, tiles;
};
void addHouse(kit::Mesh& shell, kit::Mesh& lights, const House& h, unsigned seed) {
    kit::Mesh walls = kit::box({h.x0, h.y0, kBenchTop - 1}, {h.x1, h.y1, h.eaves});
    kit::paint(walls, h.walls);
    kit::merge(shell, walls);
    kit::merge(shell, gableRoof(h.x0, h.x1, h.y0, h.y1, h.eaves, h.ridge, 0.7f, h.tiles, h.walls));
    Random random(seed);
    const float z = kBenchTop + 0.55f * (h.eaves - kBenchTop);
    for (int i = 0; i < h.frontWindows; ++i) {
        const float x = h.x0 + (h.x1 - h.x0) * (float(i) + 0.5f) / float(h.frontWindows);
        const kit::Color c = kit::mix(kit::rgb8(255, 178, 84), kit::rgb8(255, 222, 140), random.next());
        addWindow(lights, {x, h.y0 - 0.6f, z}, {1, 0, 0}, 1.5f, 1.9f, c);
    }
    for (int i = 0; i < h.endWindows; ++i) {
        const float y = h.y0 + (h.y1 - h.y0) * (float(i) + 0.5f) / float(h.endWindows);
        const kit::Color c = kit::mix(kit::rgb8(255, 170, 80), kit::rgb8(255, 214, 130), random.next());
        addWindow(lights, {h.x0 - 0.6f, y, z}, {0, -1, 0}, 1.4f, 1.8f, c);
    }
}

} // namespace

kit::Mesh& sunsetShade(kit::Mesh& mesh, float haze) {
    const kit::Vec3 toSun = kit::normalize(kit::Vec3{0.1f, 1.0f, 0.12f});
    for (size_t i = 0; i < mesh.positions.size(); ++i) {
        const kit::Vec3 n = kit::normalize(mesh.normals[i]);
        kit::Color light = kit::mix(kit::Color{0.3f, 0.19f, 0.27f, 1}, kit::Color{0.52f, 0.4f, 0.58f, 1},
                                    0.5f + 0.5f * n.z);
        const float sunward = std::fmax(0.0f, kit::dot(n, toSun)), up = std::fmax(0.0f, n.z);
        light = {light.r + 0.85f * sunward + 0.3f * up, light.g + 0.45f * sunward + 0.15f * up,
                 light.b + 0.18f * sunward + 0.05f * up, 1};
        kit::Color& c = mesh.colors[i];
        c = kit::mix({std::fmin(1.0f, c.r * light.r), std::fmin(1.0f, c.g * light.g),
                      std::fmin(1.0f, c.b * light.b), 1},
                     mistColor(), haze);
    }
    return mesh;
}

kit::Vec3 millDoor() {
    const float h = 7, d = towerApothem(h) + 0.3f;
    const float a = 5 * kit::kPi / 4;
    return kMillAt + kit::Vec3{d * std::cos(a), d * std::sin(a), h};
}

kit::Mesh millBench() {
    kit::Mesh bench;
    // Rings of the outline: the top's edge, a lip just under it, then out and down to the valley floor in a
    // flare of scree.
    struct Ring {
        float reach, z;
    };
    const Ring sides[] = {{1.0f, kBenchTop - 0.8f}, {1.04f, kBenchTop - 4}, {1.13f, -30}, {1.42f, kFloorZ - 4}};
    auto outline = [&](int j, const Ring& ring) {
        const float a = 2 * kit::kPi * float(j % kBenchSides) / kBenchSides;
        const float wobble = ring.reach == 1.0f ? 1.0f : 1 + 0.06f * (valueNoise(a * 3, ring.z / 20, 73) - 0.5f);
        const float r = benchReach(a) * ring.reach * wobble;
        return kBenchMiddle + kit::Vec3{std::cos(a) * r, std::sin(a) * r, ring.z};
    };
    // The top: fields in patches of stubble, meadow and ploughed earth, each face one colour with a little
    // play in it, so that the patches read as fields rather than as facets.
    const float fractions[] = {0, 0.2f, 0.4f, 0.6f, 0.8f, 1};
    constexpr int kRings = int(std::size(fractions));
    Random random(74);
    auto topPoint = [&](int ring, int j) {
        if (ring == 0) return kBenchMiddle + kit::Vec3{0, 0, kBenchTop};
        kit::Vec3 d = (outline(j, sides[0]) - kBenchMiddle) * fractions[ring];
        return kBenchMiddle + kit::Vec3{d.x, d.y, ring == kRings - 1 ? kBenchTop - 0.8f : kBenchTop};
    };
    auto field = [&](kit::Vec3 a, kit::Vec3 b, kit::Vec3 c) {
        const kit::Vec3 m = (a + b + c) * (1.0f / 3);
        const float f = valueNoise(m.x / 12, m.y / 12, 72);
        const kit::Color colour = (f < 0.36f   ? kit::rgb8(82, 84, 46)
                                   : f < 0.66f ? kit::rgb8(168, 126, 70)
                                               : kit::rgb8(104, 70, 56)) *
                                  random.range(0.92f, 1.04f);
        const kit::Vec3 n = kit::normalize(kit::cross(b - a, c - a));
        bench.addTriangle(bench.addVertex(a, n, {0.5f, 0.5f}, colour), bench.addVertex(b, n, {0.5f, 0.5f}, colour),
                          bench.addVertex(c, n, {0.5f, 0.5f}, colour));
    };
    for (int j = 0; j < kBenchSides; ++j) {
        field(topPoint(0, 0), topPoint(1, j), topPoint(1, j + 1));
        for (int ring = 1; ring + 1 < kRings; ++ring) {
            field(topPoint(ring, j), topPoint(ring + 1, j), topPoint(ring + 1, j + 1));
            field(topPoint(ring, j), topPoint(ring + 1, j + 1), topPoint(ring, j + 1));
        }
    }
    // The sides: the mesa's rock, in flat faces, deeper down lost in the valley's haze.
    for (size_t k = 0; k + 1 < std::size(sides); ++k) {
        for (int j = 0; j < kBenchSides; ++j) {
            const kit::Vec3 a = outline(j, sides[k]), b = outline(j, sides[k + 1]);
            const kit::Vec3 c = outline(j + 1, sides[k + 1]), d = outline(j + 1, sides[k]);
            const kit::Vec3 n = kit::normalize(kit::cross(b - a, d - a));
            uint32_t v[4];
            const kit::Vec3 corners[4] = {a, b, c, d};
            for (int i = 0; i < 4; ++i) {
                const float haze = std::fmin(1.0f, std::fmax(0.0f, (kBenchTop - corners[i].z) / 130));
                const kit::Color rock = kit::mix(kit::rgb8(104, 80, 72), kit::rgb8(150, 96, 112), 0.7f * haze);
                v[i] = bench.addVertex(corners[i], n, {0.5f, 0.5f}, rock);
            }
            bench.addQuad(v[0], v[1], v[2], v[3]);
        }
    }
    return sunsetShade(bench, 0.2f);
}

kit::Mesh farmstead() {
    kit::Mesh shell, lights;
    // The windmill: an eight-sided tower, white-washed, under a dark wooden cap.
    {
        const float z0 = kBenchTop - 1, z1 = kBenchTop + kTowerHeight;
        kit::Mesh tower = kit::lathe({{0, z0}, {kBaseRadius, z0}, {kTopRadius, z1}, {0, z1}}, 8);
        kit::paint(tower, kit::rgb8(170, 150, 146));
        kit::Mesh cap = kit::lathe(
            {{0, z1}, {kTopRadius + 0.7f, z1}, {kTopRadius + 0.3f, z1 + 2.6f}, {2.2f, z1 + 4.2f}, {0, z1 + kCapHeight}},
            8);
        kit::paint(cap, kit::rgb8(96, 62, 50));
        kit::merge(tower, cap);
        kit::rotate(tower, {0, 0, kit::kPi / 8});
        kit::merge(shell, kit::translate(tower, {kMillAt.x, kMillAt.y, 0}));
        // The door at its foot and windows up the face toward the camera; the loading door where the chute
        // comes in.
        const struct {
            float h, w, tall;
        } panes[] = {{2.0f, 2.2f, 3.6f}, {11, 1.4f, 1.8f}, {18, 1.2f, 1.6f}};
        for (const auto& p : panes) {
            const float d = towerApothem(p.h) + 0.6f;
            addWindow(lights, kMillAt + kit::Vec3{0, -d, p.h}, {1, 0, 0}, p.w, p.tall, kit::rgb8(255, 196, 104));
        }
        const kit::Vec3 door = millDoor() + kit::Vec3{0, 0, 1.8f};
        const kit::Vec3 across = kit::normalize(kit::Vec3{1, -1, 0});
        addWindow(lights, door + kit::normalize(kit::Vec3{-1, -1, 0}) * 0.4f, across, 2.6f, 3.2f,
                  kit::rgb8(255, 176, 86));
    }
    // The granary: a long barn with its doors open on the lamplight inside.
    const House houses[] = {
        {66, 80, 36, 44, kBenchTop + 7, kBenchTop + 12, 0, 1, kit::rgb8(150, 92, 66), kit::rgb8(96, 50, 44)},
        {99, 108, 16, 23, kBenchTop + 6, kBenchTop + 10, 3, 1, kit::rgb8(190, 170, 156), kit::rgb8(150, 66, 52)},
        {104, 110, 30, 35, kBenchTop + 4.5f, kBenchTop + 7.5f, 1, 1, kit::rgb8(200, 182, 166),
         kit::rgb8(140, 62, 50)},
        {79, 85, 52, 57, kBenchTop + 4.5f, kBenchTop + 7.5f, 1, 0, kit::rgb8(200, 182, 166),
         kit::rgb8(140, 62, 50)},
    };
    for (size_t i = 0; i < std::size(houses); ++i)
        addHouse(shell, lights, houses[i], 80 + unsigned(i));
    addWindow(lights, {73, 36 - 0.6f, kBenchTop + 2.6f}, {1, 0, 0}, 4.2f, 5.2f, kit::rgb8(255, 168, 72));
    // The farmhouse's chimney.
    {
        kit::Mesh chimney = kit::box({105.5f, 20, kBenchTop + 7}, {106.9f, 21.4f, kBenchTop + 11.6f});
        kit::paint(chimney, kit::rgb8(120, 70, 60));
        kit::merge(shell, chimney);
    }
    // Dark trees round the yard.
    {
        Random random(88);
        const kit::Vec2 spots[] = {{97.5f, 29}, {113, 24}, {64, 30}, {90, 58}, {112, 41}, {60, 48}, {99, 55}};
        for (const kit::Vec2& s : spots) {
            const float h = random.range(8, 12), w = h * random.range(0.28f, 0.34f);
            kit::Mesh tree = kit::cylinder(w * 0.15f, 0, h * 0.25f, 4, {}, {}, 1, false);
            kit::merge(tree, kit::lathe({{w, h * 0.2f}, {0, h}}, 6));
            kit::paint(tree, kit::rgb8(44, 58, 44));
            kit::merge(shell, kit::translate(tree, {s.u, s.v, kBenchTop - 0.5f}));
        }
    }
    sunsetShade(shell, 0.14f);
    return kit::merge(shell, lights);
}

kit::Model millSails(int frames) {
    // Four arms in the XZ plane about the hub, the camera looking along +Y at their front: a dark spar on
    // each and a lattice of canvas on one side of it, glowing where the low sun shines through it.
    kit::Mesh sails;
    const kit::Color spar = kit::rgb8(58, 34, 40), canvas = kit::rgb8(236, 168, 124);
    auto quad = [&](float a, float r0, float r1, float s0, float s1, float y, kit::Color inner, kit::Color outer) {
        const kit::Vec3 along{std::cos(a), 0, std::sin(a)}, side{-std::sin(a), 0, std::cos(a)};
        const kit::Vec3 n{0, -1, 0};
        auto at = [&](float r, float s) { return along * r + side * s + kit::Vec3{0, y, 0}; };
        sails.addQuad(sails.addVertex(at(r0, s0), n, {0.5f, 0.5f}, inner),
                      sails.addVertex(at(r0, s1), n, {0.5f, 0.5f}, inner),
                      sails.addVertex(at(r1, s1), n, {0.5f, 0.5f}, outer),
                      sails.addVertex(at(r1, s0), n, {0.5f, 0.5f}, outer));
    };
    for (int k = 0; k < 4; ++k) {
        const float a = kit::kPi / 2 * float(k) + 0.3f;
        quad(a, 2.4f, 13.5f, 0.2f, 3.0f, 0, canvas * 0.8f, canvas);
        quad(a, -0.6f, 14.0f, -0.35f, 0.35f, -0.5f, spar, spar);
        for (float r : {5.0f, 8.5f, 12.0f})
            quad(a, r - 0.25f, r + 0.25f, 0.2f, 3.0f, -0.5f, spar, spar);
    }
    // The hub.
    kit::Mesh hub = kit::box({-0.9f, -1.0f, -0.9f}, {0.9f, 2.5f, 0.9f});
    kit::paint(hub, spar);
    kit::merge(sails, hub);
    kit::makeTwoSided(sails);
    const kit::Vec3 at = kMillAt + kit::Vec3{0, -kTopRadius - 1.6f, kTowerHeight + 2.2f};
    std::vector<kit::Vec3> turns;
    for (int i = 0; i < frames; ++i)
        turns.push_back({0, -0.75f * float(i) / 20, 0});
    kit::Model model{"MillSails", at, {}, std::move(sails), {}, {}};
    model.curves = kit::rotationCurves(turns);
    return model;
}

kit::Mesh grainChute(kit::Vec3 from, kit::Vec3 to, float groundZ) {
    kit::Mesh chute;
    const kit::Vec3 along = kit::normalize(to - from);
    const kit::Vec3 side = kit::normalize(kit::cross(along, {0, 0, 1})), up = kit::cross(side, along);
    const kit::Color wood = kit::rgb8(140, 96, 64), grain = kit::rgb8(214, 150, 62);
    auto quad = [&](kit::Vec3 a, kit::Vec3 b, kit::Vec3 c, kit::Vec3 d, kit::Color colour) {
        const kit::Vec3 n = kit::normalize(kit::cross(b - a, d - a));
        chute.addQuad(chute.addVertex(a, n, {0.5f, 0.5f}, colour), chute.addVertex(b, n, {0.5f, 0.5f}, colour),
                      chute.addVertex(c, n, {0.5f, 0.5f}, colour), chute.addVertex(d, n, {0.5f, 0.5f}, colour));
    };
    // The trough: its floor, dusted gold with the grain it carries, and its two sides.
    const float half = 1.2f, wall = 1.1f;
    quad(from - side * half, from + side * half, to + side * half, to - side * half, grain);
    for (float s : {-1.0f, 1.0f}) {
        const kit::Vec3 foot = side * (s * half), top = side * (s * half) + up * wall;
        quad(from + foot, to + foot, to + top, from + top, wood);
    }
    kit::makeTwoSided(chute);
    // Trestles every few units: a leg on each side down to the ground, and a cross-piece under the floor.
    const float length = kit::length(to - from);
    const int trestles = std::max(2, int(length / 7));
    for (int i = 1; i < trestles; ++i) {
        const kit::Vec3 p = from + (to - from) * (float(i) / float(trestles));
        for (float s : {-1.0f, 1.0f}) {
            const kit::Vec3 q = p + side * (s * (half + 0.2f));
            kit::merge(chute, kit::box({q.x - 0.3f, q.y - 0.3f, groundZ}, {q.x + 0.3f, q.y + 0.3f, q.z - 0.1f}));
        }
    }
    for (size_t i = 0; i < chute.colors.size(); ++i) {
        // The boxes came white: they are the legs.
        const kit::Color c = chute.colors[i];
        if (c.r == 1 && c.g == 1 && c.b == 1) chute.colors[i] = kit::rgb8(110, 74, 52);
    }
    return sunsetShade(chute, 0.1f);
}

kit::Mesh grainBin(float x0, float x1, float y0, float y1, float floorZ, float gapY) {
    kit::Mesh bin;
    constexpr float kThick = 0.6f, kBoard = 1.1f;
    const kit::Color shades[2] = {kit::rgb8(150, 100, 64), kit::rgb8(122, 80, 52)};
    // Two boards high, from [lo, hi] in the horizontal, along X (`alongX`) or along Y.
    auto wall = [&](bool alongX, float fixed, float lo, float hi) {
        for (int b = 0; b < 2; ++b) {
            const float z0 = floorZ + kBoard * float(b), z1 = z0 + kBoard;
            kit::Mesh board = alongX ? kit::box({lo, fixed - kThick / 2, z0}, {hi, fixed + kThick / 2, z1})
                                     : kit::box({fixed - kThick / 2, lo, z0}, {fixed + kThick / 2, hi, z1});
            kit::paint(board, shades[b]);
            kit::merge(bin, board);
        }
    };
    wall(true, y0, x0, x1);
    wall(true, y1, x0, x1);
    wall(false, x0, y0, gapY - 1.6f);
    wall(false, x0, gapY + 1.6f, y1);
    // Posts at the corners and beside the gap, standing a little above the boards.
    for (kit::Vec2 p : {kit::Vec2{x0, y0}, kit::Vec2{x0, y1}, kit::Vec2{x0, gapY - 1.9f}, kit::Vec2{x0, gapY + 1.9f},
                        kit::Vec2{0.5f * (x0 + x1), y0}, kit::Vec2{0.5f * (x0 + x1), y1}}) {
        kit::Mesh post = kit::box({p.u - 0.5f, p.v - 0.5f, floorZ - 0.5f}, {p.u + 0.5f, p.v + 0.5f, floorZ + 2.9f});
        kit::paint(post, kit::rgb8(92, 60, 44));
        kit::merge(bin, post);
    }
    return bin;
}

} // namespace scenes::ledge
