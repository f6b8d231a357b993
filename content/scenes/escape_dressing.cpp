// Dressing of the chase: the dust the truck raises, the grain it carries, and the marks and clutter of the
// desert floor that streams past. Added to the scene's models after they are assembled, found by name.
#include "models.h"
#include "scene_list.h"

#include "kit/camera_rig.h"
#include "kit/shapes.h"
#include "kit/visibility.h"

#include <algorithm>
#include <cmath>

namespace scenes {
namespace {

// The same figures as the chase scene's own: 71 s of keys, and the ground running toward -Y.
constexpr int kFrames = 1421;
constexpr float kRoadSpeed = 24;
const kit::Vec3 kToSun = kit::normalize({2600, 300, 1000});

kit::LightRig afternoonLight() {
    kit::LightRig rig;
    rig.toSun = kToSun;
    rig.sun = {0.95f, 0.78f, 0.55f};
    rig.sky = {0.42f, 0.44f, 0.52f};
    rig.ground = {0.2f, 0.16f, 0.13f};
    return rig;
}

float clamp01(float x) {
    return std::fmin(1.0f, std::fmax(0.0f, x));
}
float ease(float a, float b, float x) {
    float t = clamp01((x - a) / (b - a));
    return t * t * (3 - 2 * t);
}

// The camera the part shows at `t` seconds of the part (it switches at these very milliseconds).
int shownCamera(double t) {
    double ms = t * 1000;
    if (ms >= 5001 && ms <= 8999) return 4;
    if (ms < 13500) return 1;
    if (ms < 28000) return 3;
    return 2;
}

// ---------------------------------------------------------------------------------------------------------
// Dust. Each rear wheel trails a plume of clumps: low, lumpy mounds of dust, each a few overlapping lobes,
// that hug the ground. A clump is a node that lives again and again: it swells up out of the ground behind
// the tyre (or further back for the big ones, out of the plume already there), streams back as the dragged
// air lets go of it, drifts out to the side or into the wake between the wheels, and sinks into the ground
// again far behind; then, underground, it returns to where it is born. Scale is never applied, so the plume
// grows by its population: small, round, pale clumps at the wheel, wider, flatter ones further back that take
// on the ground's colour, their lobes overlapping the next clump's so that the plume reads as one cloud.

struct PuffBand {
    float radius;     // of the main lobe, across
    float height;     // of the lobes, as a share of their width
    int lobes;        // overlapping mounds in one clump
    float born, dies; // age (s since the dust left the tyre) when it breaks the ground and when it is gone
    int perWheel;     // nodes, spread evenly over the cycle
    float age;        // 0 fresh off the tyre .. 1 all but settled: how far it has faded into the ground
    int segments;
};

const PuffBand kBands[] = {
    {1.9f, 1.1f, 2, 0.0f, 0.7f, 3, 0.1f, 5},
    {3.4f, 0.8f, 2, 0.25f, 1.8f, 4, 0.4f, 5},
    {4.5f, 0.5f, 3, 0.9f, 3.2f, 3, 0.7f, 6},
    {6.2f, 0.36f, 2, 1.8f, 4.6f, 3, 0.9f, 6},
};
constexpr float kRespawn = 0.1f; // s spent underground between two lives
constexpr float kTyreBack = -8.2f, kTyreOut = 5.9f;
constexpr float kDustFloor = -0.25f; // where a clump's rim lies while it is up: just into the ground

// How far behind the tyre dust of age `a` is: it leaves nearly at the truck's speed and falls back to still
// air.
float puffBack(float a) {
    const float tau = 0.7f, drag = 0.6f;
    return kRoadSpeed * (a - drag * tau * (1 - std::exp(-a / tau)));
}

// Dust colours: fresh dust is pale and catches the sun; with age it takes on the colour of the ground it
// settles into. A clump's rim, where it thins out against the ground, is the ground's colour, a shade darker.
const kit::Color kFreshDust = kit::rgb8(204, 180, 138), kGroundDust = kit::rgb8(150, 122, 82);
const kit::Color kDustRim = kit::rgb8(104, 86, 60);
kit::Color dustColour(float age) {
    return kit::mix(kFreshDust, kGroundDust, age);
}

// One lobe: a mound without a floor, an apex and two rings, its outline and height roughened by noise so that
// no two are alike. The lit crown fades through the body to the rim's ground colour, so that from above a
// clump has a soft edge and from the side its foot melts into the ground.
void addLobe(kit::Mesh& m, const PuffBand& band, kit::Vec3 centre, float radius, unsigned seed) {
    Random random(seed);
    const int n = band.segments;
    const float height = radius * band.height * random.range(0.8f, 1.15f);
    kit::Color body = dustColour(band.age);
    kit::Color crown = kit::mix(body, kit::rgb8(228, 210, 176), 0.3f * (1 - band.age));
    kit::Color rim = kit::mix(kDustRim, body, 0.2f * (1 - band.age));
    auto lit = [](kit::Color c, kit::Vec3 d) {
        float direct = std::fmax(0.0f, kit::dot(kit::normalize(d), kToSun));
        c = c * (0.88f + 0.2f * direct);
        return kit::Color{std::fmin(1.0f, c.r), std::fmin(1.0f, c.g), std::fmin(1.0f, c.b), 1};
    };
    float turn = random.range(0, 6.28f);
    uint32_t apex = m.addVertex(centre + kit::Vec3{random.range(-0.2f, 0.2f) * radius, 0, height}, {0, 0, 1},
                                {0.5f, 0.5f}, lit(crown, {0, 0, 1}));
    uint32_t first = uint32_t(m.positions.size());
    for (int ring = 0; ring < 2; ++ring) {
        for (int i = 0; i < n; ++i) {
            float a = turn + 2 * kit::kPi * (float(i) + (ring ? 0.5f : 0)) / float(n);
            float lump = random.range(0.84f, 1.16f);
            // Drawn out along the road, the way the air drags it.
            kit::Vec3 d{std::cos(a), std::sin(a) * 1.3f, 0};
            float out = ring ? 0.7f : 1.0f, up = ring ? 0.75f : 0.0f;
            kit::Vec3 p = centre + kit::Vec3{d.x * radius * lump * out, d.y * radius * lump * out,
                                             height * up * random.range(0.8f, 1.2f)};
            kit::Vec3 normal = kit::normalize(kit::Vec3{d.x, d.y, ring ? 1.2f : 0.4f});
            m.addVertex(p, normal, {0.5f, 0.5f}, lit(ring ? body : rim, normal));
        }
    }
    // The crown first: from the high views it hides the lobe's flanks, which then cost little to draw.
    for (int i = 0; i < n; ++i)
        m.addTriangle(first + uint32_t(n + i), first + uint32_t(n + (i + 1) % n), apex);
    for (int i = 0; i < n; ++i) {
        uint32_t o0 = first + uint32_t(i), o1 = first + uint32_t((i + 1) % n);
        uint32_t i0 = first + uint32_t(n + i), i1 = first + uint32_t(n + (i + 1) % n);
        m.addTriangle(o0, o1, i0);
        m.addTriangle(i0, o1, i1);
    }
}

// A clump: the main lobe and smaller ones overlapping it, ahead, behind and off to the sides.
kit::Mesh clumpMesh(const PuffBand& band, unsigned seed) {
    kit::Mesh m;
    Random random(seed * 31u + 7u);
    addLobe(m, band, {}, band.radius, seed);
    for (int i = 1; i < band.lobes; ++i) {
        float r = band.radius * random.range(0.5f, 0.8f);
        kit::Vec3 at{band.radius * random.range(-0.8f, 0.8f), -band.radius * random.range(0.5f, 1.0f), 0};
        if (i == 2) at.y = band.radius * random.range(0.4f, 0.8f);
        addLobe(m, band, at, r, seed + 97u * unsigned(i));
    }
    return m;
}

// The shown camera's eye at `t`, for keeping puffs out of its lens.
kit::Vec3 shownEye(double t) {
    return escapeEye(shownCamera(t), t);
}

// One clump node's keys over the whole part; `reach` and `top` measure its mesh from the node's origin.
std::vector<kit::Vec3> puffPath(const PuffBand& band, float side, int index, unsigned seed, float reach,
                                float top) {
    const float life = band.dies - band.born, period = life + kRespawn;
    const float phase = period * (float(index) + 0.37f * Random(seed).next()) / float(band.perWheel);
    const float sunk = -top - 1.2f;
    std::vector<kit::Vec3> keys(kFrames, {kTyreOut * side, kTyreBack, sunk});
    // Lives from the one under way at the start to the one under way at the end.
    for (int n = -1; n * period - phase < float(kFrames) / 20 + period; ++n) {
        Random random(seed * 7919u + unsigned(n + 10) * 104729u);
        float spread = random.range(-0.9f, 1.3f); // some of it is drawn into the wake between the wheels
        float lag = random.range(-0.6f, 0.6f), sway = random.range(0, 6.28f);
        float start = float(n) * period - phase; // part time when this puff's age is `born`
        auto at = [&](float a) {
            float x =
                side * (kTyreOut + 2.4f * spread * std::sqrt(a) + 0.4f * std::sin(sway + 2 * a)) - 1.4f * a;
            float y = kTyreBack - puffBack(a) + lag;
            return kit::Vec3{x, y, kDustFloor};
        };
        // The dust settles early, still well away, wherever it would come near the lens of the camera shown.
        float end = band.dies;
        for (float a = band.born; a <= band.dies; a += 1.0f / 60) {
            double t = start + (a - band.born);
            if (t < 0 || t > 71) continue;
            kit::Vec3 p = at(a);
            if (kit::length(p - shownEye(t)) < reach + 6) {
                end = a - 0.15f;
                break;
            }
        }
        const float swell = std::fmin(0.4f, life * 0.3f), settle = 0.45f;
        bool skipped = end - band.born < swell + settle;
        for (int k = std::max(0, int(std::ceil(start * 20))); k < kFrames && k / 20.0f < start + period;
             ++k) {
            float a = band.born + (float(k) / 20 - start);
            kit::Vec3 p = at(std::fmin(a, band.dies));
            float up = ease(band.born, band.born + swell, a) * (1 - ease(end - settle, end, a));
            if (skipped || a > end) up = 0;
            if (a > band.dies) p = at(band.born); // back underground to where the next life begins
            p.z = sunk + (p.z - sunk) * up;
            keys[size_t(k)] = p;
        }
    }
    return keys;
}

void addDust(std::vector<kit::Model>& models) {
    // The oldest, widest clumps are drawn first: seen from behind the truck they are the nearest, and what
    // they hide then costs little to draw.
    for (int b = int(std::size(kBands)) - 1; b >= 0; --b) {
        const PuffBand& band = kBands[b];
        for (float side : {-1.0f, 1.0f}) {
            unsigned seed = 1000u + unsigned(b) * 20u + (side > 0 ? 10u : 0u);
            for (int i = 0; i < band.perWheel; ++i, ++seed) {
                kit::Mesh mesh = clumpMesh(band, seed);
                float reach = 0, top = 0;
                for (const kit::Vec3& p : mesh.positions) {
                    reach = std::fmax(reach, kit::length(p));
                    top = std::fmax(top, p.z);
                }
                std::vector<kit::Vec3> path = puffPath(band, side, i, seed, reach, top);
                std::string name = std::string("Dust") + (side < 0 ? "L" : "R") + std::to_string(b) + "_" +
                                   std::to_string(i);
                models.push_back({name, path[0], {}, std::move(mesh), kit::positionCurves(path), {}});
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------------------
// Cargo: the field's grain heaped in the dump bed (truckGrainLoad), the loose end of a tarp flapping over the
// tailgate. It rides on the body, so it rocks with it. Heights here are above the ground.

// The tarp's loose end: a flap of canvas hinged along local X, trailing back over the tailgate. Seen from
// either side, so both faces carry the same soft shade (lighter toward the hinge, where it lies on the load).
kit::Mesh tarpFlap() {
    kit::Mesh m;
    const float width = 6.4f, length = 2.4f;
    kit::Color canvas = kit::rgb8(176, 160, 112);
    uint32_t prev[2] = {};
    for (int j = 0; j <= 3; ++j) {
        float f = float(j) / 3, y = -length * f, sag = -0.25f * f * f;
        uint32_t now[2];
        for (int k = 0; k < 2; ++k) {
            float x = (k ? 0.5f : -0.5f) * width * (1 - 0.2f * f) + (k ? 0.3f : 0) * f;
            now[k] = m.addVertex({x, y, sag}, {0, 0, 1}, {0.5f, 0.5f}, canvas * (1 - 0.22f * f));
        }
        if (j > 0) m.addQuad(prev[1], prev[0], now[0], now[1]);
        prev[0] = now[0];
        prev[1] = now[1];
    }
    return kit::makeTwoSided(m);
}

void addCargo(std::vector<kit::Model>& models) {
    auto body = std::find_if(models.begin(), models.end(),
                             [](const kit::Model& m) { return m.name == "Terex_MainBody"; });
    if (body == models.end()) return;
    kit::LightRig rig = afternoonLight();
    kit::Vec3 pivot{0, 0, kPivotAboveGround};
    kit::Mesh heap = truckGrainLoad();
    kit::bakeLight(heap, rig);
    kit::translate(heap, -pivot);
    body->children.push_back({"GrainLoad", {}, {}, heap, {}, {}});
    // The flap beats in the wind: an irregular flutter about its hinge, never far from trailing.
    std::vector<kit::Vec3> flap;
    for (int i = 0; i < kFrames; ++i) {
        float t = float(i) / 20;
        float beat = 0.32f * std::sin(t * 9.1f) + 0.18f * std::sin(t * 13.7f + 1) + 0.1f * std::sin(t * 3.3f);
        flap.push_back({-0.22f + 0.35f * beat, 0, 0});
    }
    kit::Vec3 hinge{0, kBedBack + 3.0f, truckHeapHeight(0, kBedBack + 3.0f) + 0.2f};
    kit::Mesh cloth = tarpFlap();
    kit::Model flapNode{"TarpFlap", hinge - pivot, {}, cloth, kit::rotationCurves(flap), {}};
    body->children.push_back(std::move(flapNode));
}

// ---------------------------------------------------------------------------------------------------------
// The desert floor: a dirt track with tyre ruts beside the road on each side and patches of cracked clay,
// in the ground's own frame, riding on it. Flat marks lie a little above the ground so that the depth buffer
// keeps them apart at the distances where they still cover pixels.

constexpr float kMarkLift = 0.3f;

// Every view of the ground the part shows: the shown camera at each key (both cameras at a cut), in the
// ground's moving frame.
std::vector<kit::View> groundViews() {
    std::vector<kit::CameraKeys> keys;
    for (int c = 1; c <= 4; ++c)
        keys.push_back(escapeCameraKeys(c));
    std::vector<kit::View> views;
    for (int i = 0; i < kFrames; ++i) {
        double t = i / 20.0;
        std::vector<int> cameras{shownCamera(t)};
        for (double d : {-0.05, 0.05}) {
            int c = shownCamera(std::clamp(t + d, 0.0, 70.999));
            if (c != cameras[0]) cameras.push_back(c);
        }
        for (int c : cameras) {
            kit::Vec3 r = keys[size_t(c - 1)].rotations[size_t(i)];
            kit::CameraAngles angles{r.x, r.y, r.z};
            float fieldOfView = 0.6f;
            if (c == 3) {
                double u = std::fmax(0.0, t - 13.5) * 1000;
                angles = {u / 30000 + 25.8, 0.1, 0};
                fieldOfView = float(u / 20000 + 0.6 + 0.0025);
            }
            kit::Vec3 eye = keys[size_t(c - 1)].positions[size_t(i)] + kit::Vec3{0, float(kRoadSpeed * t), 0};
            views.push_back(kit::makeView(eye, angles, fieldOfView));
        }
    }
    return views;
}

// A flat strip along a wandering centre line, in `step` long pieces.
void strip(kit::Mesh& m, float y0, float y1, float step, float width, const std::function<float(float)>& x,
           kit::Color c, unsigned seed) {
    uint32_t prev[2] = {};
    for (float y = y0; y <= y1; y += step) {
        float shade = 0.94f + 0.12f * valueNoise(y / 90, float(seed), seed);
        uint32_t now[2];
        for (int k = 0; k < 2; ++k) {
            float xx = x(y) + (k ? 0.5f : -0.5f) * width;
            now[k] = m.addVertex({xx, y, kMarkLift}, {0, 0, 1}, {0.5f, 0.5f}, c * shade);
        }
        if (y > y0) m.addQuad(prev[0], prev[1], now[1], now[0]);
        prev[0] = now[0];
        prev[1] = now[1];
    }
}

kit::Mesh floorMarks() {
    kit::Mesh m;
    const float y0 = -200, y1 = 2300;
    // A dirt track each side: a pale worn band with two dark ruts in it, wandering gently.
    for (float side : {-1.0f, 1.0f}) {
        float base = side * (side > 0 ? 27.0f : 30.0f);
        auto centre = [side, base](float y) { return base + side * 4 * std::sin(y / 170 + side); };
        unsigned s = side > 0 ? 301 : 303;
        strip(m, y0, y1, 100, 6.4f, centre, kit::rgb8(204, 176, 124), s);
        for (float off : {-1.8f, 1.8f}) {
            kit::Mesh rut;
            strip(
                rut, y0, y1, 100, 0.8f, [&](float y) { return centre(y) + off; }, kit::rgb8(136, 108, 74),
                s + 1);
            for (kit::Vec3& p : rut.positions)
                p.z += 0.3f;
            kit::merge(m, rut);
        }
    }
    // Cracked clay: a patch of pale plates, jittered tiles of a small grid, with the darker ground showing in
    // the cracks between them.
    Random random(311);
    for (int i = 0; i < 12; ++i) {
        float side = random.next() < 0.5f ? -1.0f : 1.0f;
        float cx = side * random.range(16, 42), cy = random.range(y0, y1), turn = random.range(0, 3.14f);
        kit::Color clay = kit::mix(kit::rgb8(216, 192, 150), kit::rgb8(198, 170, 128), random.next());
        const float cell = random.range(2.2f, 3.2f), gap = 0.28f;
        float cs = std::cos(turn), sn = std::sin(turn);
        auto place = [&](float u, float v) {
            return kit::Vec3{cx + u * cs - v * sn, cy + u * sn + v * cs, kMarkLift};
        };
        for (int p = 0; p < 4; ++p) {
            float u0 = cell * float(p % 2 - 1), v0 = cell * float(p / 2 - 1);
            kit::Vec3 c[4];
            const float du[] = {0, 1, 1, 0}, dv[] = {0, 0, 1, 1};
            for (int k = 0; k < 4; ++k) {
                float ju = random.range(-0.25f, 0.25f) * cell, jv = random.range(-0.25f, 0.25f) * cell;
                c[k] = place(u0 + du[k] * (cell - gap) + ju * 0.6f, v0 + dv[k] * (cell - gap) + jv * 0.6f);
            }
            kit::Color tone = clay * random.range(0.92f, 1.06f);
            uint32_t q[4];
            for (int k = 0; k < 4; ++k)
                q[k] = m.addVertex(c[k], {0, 0, 1}, {0.5f, 0.5f}, tone);
            m.addQuad(q[0], q[1], q[2], q[3]);
        }
    }
    // Sand blown across the road: pale tongues reaching in from the shoulders over the asphalt, now one side,
    // now the other, close enough together to stream past the wheels.
    Random drift(317);
    for (float y = y0 + 40; y < y1; y += drift.range(22, 40)) {
        float side = drift.next() < 0.5f ? -1.0f : 1.0f;
        float length = drift.range(7, 15), reach = drift.range(1.5f, 4.5f), lean = drift.range(-0.3f, 0.3f);
        kit::Color sand = kit::mix(kit::rgb8(232, 206, 154), kit::rgb8(212, 182, 130), drift.next());
        kit::Color thin = kit::mix(sand, kit::rgb8(82, 78, 74), 0.45f); // where the asphalt shows through
        kit::Vec3 a{side * 9.2f, y, kMarkLift}, b{side * 9.2f, y + length, kMarkLift};
        kit::Vec3 tip{side * (9.2f - reach), y + length * (0.5f + lean), kMarkLift};
        uint32_t ia = m.addVertex(a, {0, 0, 1}, {0.5f, 0.5f}, sand * 0.97f);
        uint32_t ib = m.addVertex(b, {0, 0, 1}, {0.5f, 0.5f}, sand);
        uint32_t it = m.addVertex(tip, {0, 0, 1}, {0.5f, 0.5f}, thin);
        if (side > 0)
            m.addTriangle(ia, ib, it);
        else
            m.addTriangle(ia, it, ib);
    }
    // Gravel: darker, irregular patches of stony ground between the road and the hills, their rims fading
    // into the ground's own colour.
    Random gravel(331);
    for (int i = 0; i < 10; ++i) {
        float side = gravel.next() < 0.5f ? -1.0f : 1.0f;
        float cx = side * gravel.range(16, 44), cy = gravel.range(y0, y1), size = gravel.range(4, 9);
        kit::Color stone = kit::mix(kit::rgb8(112, 96, 72), kit::rgb8(96, 84, 66), gravel.next());
        uint32_t centre = m.addVertex({cx, cy, kMarkLift}, {0, 0, 1}, {0.5f, 0.5f}, stone);
        const int n = 6;
        const float turn = gravel.range(0, 6.28f);
        uint32_t first = uint32_t(m.positions.size());
        for (int k = 0; k < n; ++k) {
            float a = turn + 2 * kit::kPi * (float(k) + gravel.range(-0.3f, 0.3f)) / n;
            float r = size * gravel.range(0.45f, 1.3f);
            kit::Color edge = kit::mix(stone, kit::rgb8(150, 124, 80), gravel.range(0.3f, 0.7f));
            m.addVertex({cx + r * std::cos(a), cy + r * 1.6f * std::sin(a), kMarkLift}, {0, 0, 1},
                        {0.5f, 0.5f}, edge);
        }
        for (int k = 0; k < n; ++k)
            m.addTriangle(centre, first + uint32_t(k), first + uint32_t((k + 1) % n));
    }
    return kit::bakeLight(m, afternoonLight());
}

void addFloor(std::vector<kit::Model>& models) {
    auto plane =
        std::find_if(models.begin(), models.end(), [](const kit::Model& m) { return m.name == "Plane01"; });
    if (plane == models.end()) return;
    std::vector<kit::View> views = groundViews();
    plane->children.push_back({"FloorMarks", {}, {}, kit::keepSeen(floorMarks(), views), {}, {}});
}

} // namespace

void dressEscape(std::vector<kit::Model>& models) {
    addCargo(models);
    addFloor(models);
    addDust(models);
}

} // namespace scenes
