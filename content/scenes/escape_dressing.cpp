// Dressing of the chase: the dust the truck raises, the grain it carries, and the marks and clutter of the
// desert floor that streams past. Added to the scene's models after they are assembled, found by name.
#include "escape_pursuers.h"
#include "models.h"
#include "scene_list.h"

#include "kit/camera_rig.h"
#include "kit/shapes.h"
#include "kit/visibility.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace scenes {

kit::LightRig afternoonLight() {
    kit::LightRig rig;
    rig.toSun = kToSun;
    rig.sun = {0.95f, 0.78f, 0.55f};
    rig.sky = {0.38f, 0.44f, 0.6f};
    rig.ground = {0.2f, 0.16f, 0.13f};
    return rig;
}

// The desert floor's: a high, clear early-afternoon sun, warm where it strikes, and a cool blue sky filling
// the shade, so the sand stays pale and the slopes turned from the sun go blue-grey, not brown.
kit::LightRig desertLight() {
    kit::LightRig rig;
    rig.toSun = kit::normalize(kit::Vec3{2600, 300, 2400});
    rig.sun = {0.62f, 0.55f, 0.44f};
    rig.sky = {0.44f, 0.52f, 0.7f};
    rig.ground = {0.3f, 0.27f, 0.24f};
    return rig;
}

namespace {

// The same figures as the chase scene's own: 71 s of keys, and the ground running toward -Y.
constexpr int kFrames = 1421;

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
// again behind; then, underground, it returns to where it is born. Scale is never applied, so the plume
// grows by its population: small, round clumps at the wheel, a few wider, flatter ones further back that take
// on the ground's colour and sink away within a second and a half, so that the plume stays a thin, broken
// trail that thins out fast and leaves the road behind the truck clear.

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
    {1.0f, 0.9f, 2, 0.0f, 0.5f, 3, 0.3f, 5},
    {1.5f, 0.6f, 2, 0.2f, 0.9f, 3, 0.6f, 5},
    {1.9f, 0.4f, 2, 0.5f, 1.3f, 2, 0.85f, 5},
    {2.2f, 0.28f, 1, 0.8f, 1.6f, 2, 1.0f, 5},
};
constexpr float kRespawn = 0.1f; // s spent underground between two lives
constexpr float kTyreBack = -8.2f, kTyreOut = 5.9f;
constexpr float kDustFloor = -0.25f; // where a clump's rim lies while it is up: just into the ground

// How far behind the tyre dust of age `a` is: it leaves nearly at the truck's speed and falls back to still
// air.
float puffBack(float a) {
    const float tau = 0.45f, drag = 0.45f;
    return kRoadSpeed * (a - drag * tau * (1 - std::exp(-a / tau)));
}

// Dust colours: raised sand greyed by the road it is thrown over, a little paler where it is fresh and
// catches the sun; with age it darkens toward the ground it settles into. A clump's rim, where it thins out
// against the ground, is a shade darker still.
const kit::Color kFreshDust = kit::rgb8(178, 162, 140), kGroundDust = kit::rgb8(162, 144, 122);
const kit::Color kDustRim = kit::rgb8(138, 126, 114);
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
    kit::Color crown = kit::mix(body, kit::rgb8(240, 226, 198), 0.25f * (1 - band.age));
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
            // Drawn out along the road, the way the air drags it, the more the older it is.
            kit::Vec3 d{std::cos(a), std::sin(a) * (1.3f + 1.1f * band.age), 0};
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
        float spread = random.range(0.4f, 1.4f); // out from the tyre, off the asphalt behind the truck
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
            // It thins as it ages: after its first third it sinks slowly, lower and narrower, into the ground.
            float thin = 1 - 0.8f * ease(band.born + 0.15f * life, band.dies, a);
            float up = ease(band.born, band.born + swell, a) * thin * (1 - ease(end - settle, end, a));
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

// The tarp's loose end: a flap of canvas hinged along local X, trailing back over the tailgate. Pale canvas
// read as a hole in the load from above, so it is the dark red of the straps. Seen from
// either side, so both faces carry the same soft shade (lighter toward the hinge, where it lies on the load).
kit::Mesh tarpFlap() {
    kit::Mesh m;
    const float width = 6.4f, length = 2.4f;
    kit::Color canvas = kit::rgb8(138, 58, 40); // the straps' oxblood, darker than the grain round it
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
    // The flap beats in the wind: an irregular flutter about its hinge, never far from trailing. The blast
    // beside the truck (29 s of the part) tears it loose: it flies up and back off the load, tumbling over
    // and over and drifting down as cloth does, far behind onto the road, where it lies a moment and sinks
    // away. The truck runs on without it.
    constexpr double kTorn = 29.05;
    constexpr float kDrift = 14; // cloth falls slower than stone
    kit::Vec3 hinge{0, kBedBack + 3.0f, truckHeapHeight(0, kBedBack + 3.0f) + 0.2f};
    const kit::Vec3 thrown{-3, -19, 8}; // from the truck, units a second
    const float flight = (thrown.z + std::sqrt(thrown.z * thrown.z + 2 * kDrift * (hinge.z - 0.6f))) / kDrift;
    std::vector<kit::Vec3> flap, at;
    for (int i = 0; i < kFrames; ++i) {
        float t = float(i) / 20;
        float beat = 0.32f * std::sin(t * 9.1f) + 0.18f * std::sin(t * 13.7f + 1) + 0.1f * std::sin(t * 3.3f);
        kit::Vec3 angles{-0.22f + 0.35f * beat, 0, 0};
        kit::Vec3 p = hinge;
        if (t >= kTorn) {
            float age = std::fmin(float(t - kTorn), flight), s = ease(0, flight, age);
            // Over and over, ending flat on the road.
            angles = {angles.x + (-4 * kit::kPi - angles.x) * s, 2 * kit::kPi * s, 0.9f * s};
            kit::Vec3 air = hinge + thrown * age - kit::Vec3{0, 0, 0.5f * kDrift * age * age};
            air.z = std::fmax(0.6f, air.z);
            // From where it comes down it lies on the road streaming past (the road runs at the truck's speed).
            p = onGround(air, kTorn + age, t);
            if (t > kTorn + flight + 1.5f) p.z = -3;
            if (t > kTorn + flight + 1.65f) p = {0, 0, -6000};
        }
        flap.push_back(angles);
        at.push_back(p - pivot);
    }
    kit::Mesh cloth = tarpFlap();
    kit::Model flapNode{"TarpFlap", hinge - pivot, {}, cloth, kit::positionCurves(at), {}};
    for (kit::Curve& c : kit::rotationCurves(flap))
        flapNode.curves.push_back(c);
    body->children.push_back(std::move(flapNode));
}

// ---------------------------------------------------------------------------------------------------------
// The desert floor: a dirt track with tyre ruts beside the road on each side, ripples and old tyre tracks,
// in the ground's own frame, riding on it. Flat marks lie a little above the ground so that the depth buffer
// keeps them apart at the distances where they still cover pixels.

constexpr float kMarkLift = 0.3f;

kit::Color sandAlbedo(float x, float y);

// Every view the part shows: the shown camera at each key (both cameras at a cut), in the ground's moving
// frame, or with `speed` 0 in the scene's own.
std::vector<kit::View> groundViews(float speed = kRoadSpeed) {
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
            kit::Vec3 eye = keys[size_t(c - 1)].positions[size_t(i)] + kit::Vec3{0, float(speed * t), 0};
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
        strip(m, y0, y1, 100, 6.4f, centre, kit::rgb8(198, 158, 114), s);
        for (float off : {-1.8f, 1.8f}) {
            kit::Mesh rut;
            strip(
                rut, y0, y1, 100, 0.8f, [&](float y) { return centre(y) + off; }, kit::rgb8(150, 116, 86),
                s + 1);
            for (kit::Vec3& p : rut.positions)
                p.z += 0.3f;
            kit::merge(m, rut);
        }
    }
    // Ripples and tracks lie only where the cameras pass close by.
    const float near0 = -60, near1 = 1850;
    // Ripple fields: stretches of the verge, between the road and the dirt track or out beyond it, where the
    // wind has combed the sand into short ridges across the road's line, their shaded flanks in dark bars a
    // few units apart that flicker past the wheels.
    Random ripples(341);
    for (float y = near0 + 30; y < near1; y += ripples.range(90, 180)) {
        float side = ripples.next() < 0.5f ? -1.0f : 1.0f;
        bool near = ripples.next() < 0.6f;
        float inner = near ? 15.5f : (side > 0 ? 35.5f : 38), outer = near ? (side > 0 ? 19.5f : 22.5f) : 44;
        float length = ripples.range(36, 70), slant = ripples.range(-0.3f, 0.3f);
        float shade = ripples.range(0.84f, 0.9f);
        for (float r = y; r < y + length; r += ripples.range(3.0f, 5.0f)) {
            float w = ripples.range(0.6f, 1.0f), x0 = inner + ripples.range(0, 1.5f),
                  x1 = outer - ripples.range(0, 1.5f);
            float bend = ripples.range(-0.8f, 0.8f);
            auto at = [&](float x, float dy) {
                return kit::Vec3{side * x, r + dy + slant * (x - inner), kMarkLift + 0.05f};
            };
            kit::Color c = sandAlbedo(side * x0, r) * (shade * ripples.range(0.96f, 1.04f));
            uint32_t p0 = m.addVertex(at(x0, 0), {0, 0, 1}, {0.5f, 0.5f}, c);
            uint32_t p1 = m.addVertex(at((x0 + x1) / 2, bend - w / 2), {0, 0, 1}, {0.5f, 0.5f}, c);
            uint32_t p2 = m.addVertex(at(x1, 0), {0, 0, 1}, {0.5f, 0.5f}, c);
            uint32_t p3 = m.addVertex(at((x0 + x1) / 2, bend + w / 2), {0, 0, 1}, {0.5f, 0.5f}, c);
            if (side > 0)
                m.addQuad(p0, p1, p2, p3);
            else
                m.addQuad(p0, p3, p2, p1);
        }
    }
    // Old tyre tracks: a vehicle's two ruts that leave the shoulder, swing out over the verge and come back.
    Random tracks(347);
    for (float y = near0 + 60; y < near1; y += tracks.range(240, 420)) {
        float side = tracks.next() < 0.5f ? -1.0f : 1.0f;
        float length = tracks.range(120, 220), out = tracks.range(10, 22);
        kit::Color rut = kit::mix(kit::rgb8(162, 132, 104), kit::rgb8(178, 146, 112), tracks.next());
        for (float off : {-1.7f, 1.7f}) {
            kit::Mesh r;
            auto centre = [=](float yy) {
                float f = std::clamp((yy - y) / length, 0.0f, 1.0f);
                return side *
                       (15.5f + off * side + out * std::sin(kit::kPi * f) * (1 + 0.3f * std::sin(9 * f)));
            };
            strip(r, y, y + length, length / 8, 0.75f, centre, rut, 349);
            for (kit::Vec3& p : r.positions)
                p.z += 0.2f;
            kit::merge(m, r);
        }
    }
    // Lit as the ground they lie on is: flat, without the darkening at the foot of what stands on it.
    kit::LightRig rig = desertLight();
    rig.creviceHeight = 0;
    return kit::bakeLight(m, rig);
}

// ---------------------------------------------------------------------------------------------------------
// Props along the road, each one of a kind so that nothing repeats at a glance: a fence line with a gap and a
// fallen stretch, dead trees, road signs, an old wreck sunk in the sand and thorny scrub. Low and plain, in
// the ground's frame.

// A tapered limb from `a` to `b`: a pyramid frustum of `sides` faces, without caps.
void limb(kit::Mesh& m, kit::Vec3 a, kit::Vec3 b, float r0, float r1, int sides, kit::Color c) {
    kit::Vec3 axis = kit::normalize(b - a);
    kit::Vec3 u =
        kit::normalize(kit::cross(axis, std::fabs(axis.z) < 0.9f ? kit::Vec3{0, 0, 1} : kit::Vec3{1, 0, 0}));
    kit::Vec3 v = kit::cross(axis, u);
    uint32_t first = uint32_t(m.positions.size());
    for (int i = 0; i < sides; ++i) {
        float t = 2 * kit::kPi * float(i) / float(sides);
        kit::Vec3 n = u * std::cos(t) + v * std::sin(t);
        m.addVertex(a + n * r0, n, {0.5f, 0.5f}, c);
        m.addVertex(b + n * r1, n, {0.5f, 0.5f}, c * 1.05f);
    }
    for (int i = 0; i < sides; ++i) {
        uint32_t a0 = first + uint32_t(2 * i), b0 = a0 + 1;
        uint32_t a1 = first + uint32_t(2 * ((i + 1) % sides)), b1 = a1 + 1;
        m.addQuad(a0, a1, b1, b0);
    }
}

kit::Mesh deadTree(unsigned seed) {
    Random random(seed);
    kit::Mesh m;
    kit::Color bark = kit::mix(kit::rgb8(120, 104, 88), kit::rgb8(150, 136, 118), random.next());
    float height = random.range(6, 9), lean = random.range(-0.5f, 0.5f);
    kit::Vec3 top{lean, 0.3f * lean, height};
    limb(m, {0, 0, -0.5f}, top, 0.55f, 0.25f, 5, bark);
    for (int i = 0; i < 4; ++i) {
        float at = random.range(0.45f, 0.85f), turn = random.range(0, 6.28f) + float(i) * 1.6f;
        kit::Vec3 from = top * at;
        float reach = random.range(2.2f, 4.2f) * (1.1f - at * 0.5f);
        kit::Vec3 to =
            from + kit::Vec3{std::cos(turn) * reach, std::sin(turn) * reach, random.range(1.2f, 3.2f)};
        limb(m, from, to, 0.2f, 0.06f, 3, bark);
    }
    return m;
}

// Thorny scrub: a fan of bare canes from one root, each a sliver seen from both sides.
kit::Mesh thornScrub(unsigned seed) {
    Random random(seed);
    kit::Mesh m;
    int canes = 5 + int(random.next() * 3);
    for (int i = 0; i < canes; ++i) {
        float turn = random.range(0, 6.28f), tilt = random.range(0.15f, 0.6f),
              length = random.range(3.5f, 6.5f);
        kit::Vec3 tip{std::cos(turn) * std::sin(tilt) * length, std::sin(turn) * std::sin(tilt) * length,
                      std::cos(tilt) * length};
        kit::Vec3 across{-std::sin(turn) * 0.22f, std::cos(turn) * 0.22f, 0};
        kit::Color stem = kit::mix(kit::rgb8(118, 128, 96), kit::rgb8(150, 150, 108), random.next());
        kit::Mesh cane;
        uint32_t a = cane.addVertex(-across, {0, 0, 1}, {0.5f, 0.5f}, stem * 0.8f);
        uint32_t b = cane.addVertex(across, {0, 0, 1}, {0.5f, 0.5f}, stem * 0.8f);
        uint32_t c = cane.addVertex(tip, {0, 0, 1}, {0.5f, 0.5f}, stem * 1.15f);
        cane.addTriangle(a, b, c);
        kit::merge(m, kit::makeTwoSided(cane));
    }
    return m;
}

// A road sign on a post: a diamond warning board or a plain oblong one, weathered, turned to face the road.
kit::Mesh roadSign(bool diamond, float side) {
    kit::Mesh m;
    kit::Mesh post = kit::box({-0.15f, -0.15f, -0.5f}, {0.15f, 0.15f, 6.5f});
    kit::paint(post, kit::rgb8(120, 120, 116));
    kit::merge(m, post);
    kit::Mesh board;
    if (diamond) {
        board = kit::box({-1.6f, -0.1f, -1.6f}, {1.6f, 0.1f, 1.6f});
        kit::paint(board, kit::rgb8(222, 176, 54));
        kit::rotate(board, {0, kit::kPi / 4, 0});
        kit::translate(board, {0, -0.2f, 6.6f});
    } else {
        board = kit::box({-2.6f, -0.1f, 4.2f}, {2.6f, 0.1f, 6.8f});
        kit::paint(board, kit::rgb8(196, 190, 176));
        kit::Mesh stripe = kit::box({-2.2f, -0.2f, 5.2f}, {2.2f, -0.1f, 5.8f});
        kit::paint(stripe, kit::rgb8(70, 76, 88));
        kit::merge(board, stripe);
    }
    kit::merge(m, board);
    // Boards face -Y (oncoming traffic), angled a little toward the road.
    kit::rotate(m, {0, 0.04f * side, side * 0.35f});
    return m;
}

// An old car sunk to its sills in the sand, rusted through and tipped on its side's flat tyres.
kit::Mesh wreck() {
    kit::Mesh m;
    kit::Mesh body = kit::box({-2.1f, -4.6f, 0}, {2.1f, 4.6f, 1.6f}, {}, 0.3f);
    kit::paint(body, kit::rgb8(164, 74, 40));
    kit::Mesh cabin = kit::box({-1.8f, -1.8f, 1.5f}, {1.8f, 1.9f, 2.8f}, {}, 0.25f);
    kit::paint(cabin, kit::rgb8(140, 66, 42));
    kit::Mesh glass = kit::box({-1.5f, 1.85f, 1.7f}, {1.5f, 2.0f, 2.6f});
    kit::paint(glass, kit::rgb8(40, 40, 44));
    kit::merge(m, body);
    kit::merge(m, cabin);
    kit::merge(m, glass);
    kit::rotate(m, {0.08f, -0.16f, 0.9f});
    return kit::translate(m, {0, 0, -0.5f});
}

// A fence of leaning posts and two sagging rails, with a gap where the wire is down and a stretch lying flat.
kit::Mesh fence(float x, float y0, float y1, unsigned seed) {
    Random random(seed);
    kit::Mesh m;
    kit::Color wood = kit::rgb8(112, 92, 70);
    float gap0 = y0 + (y1 - y0) * 0.45f, gap1 = gap0 + 34;
    std::vector<kit::Vec3> tops;
    for (float y = y0; y <= y1; y += random.range(11, 15)) {
        if (y > gap0 && y < gap1) {
            if (!tops.empty()) {
                // The rails of this stretch, then a post lying in the sand.
                kit::Vec3 a = tops.front(), b = tops.back();
                for (float h : {0.0f, -1.3f})
                    limb(m, a + kit::Vec3{0, 0, h}, b + kit::Vec3{0, 0, h}, 0.08f, 0.08f, 3, wood * 0.8f);
                tops.clear();
                limb(m, {x + 1, y, 0.2f}, {x + 3.5f, y + 2.5f, 0.3f}, 0.18f, 0.15f, 3, wood);
            }
            continue;
        }
        kit::Vec3 top{x + random.range(-0.3f, 0.3f), y, random.range(3.0f, 3.6f)};
        limb(m, {x, y, -0.3f}, top, 0.2f, 0.16f, 4, wood * random.range(0.85f, 1.1f));
        tops.push_back(top);
    }
    if (tops.size() > 1) {
        for (float h : {0.0f, -1.3f})
            limb(m, tops.front() + kit::Vec3{0, 0, h}, tops.back() + kit::Vec3{0, 0, h}, 0.08f, 0.08f, 3,
                 wood * 0.8f);
    }
    return m;
}

kit::Mesh placed(kit::Mesh mesh, kit::Vec3 at) {
    return kit::translate(mesh, at);
}

// Close by the lens of the low side shot (50.5-56 s of the part, the camera some 56 units out on the shaded
// side): a straggle of tall weathered posts, whip-like canes and fingers of rock a dozen units from it, that
// flick across the bottom of the frame in front of the wheels and give the road its speed.
kit::Mesh sideShotProps() {
    kit::Mesh m;
    Random random(461);
    for (float y = 1150; y < 1320; y += random.range(8, 13)) {
        float x = -random.range(38, 47);
        float roll = random.next();
        if (roll < 0.45f) {
            float h = random.range(6, 8.5f);
            kit::Vec3 top{x + random.range(-0.5f, 0.5f), y + random.range(-0.4f, 0.4f), h};
            limb(m, {x, y, -0.3f}, top, 0.34f, 0.26f, 4, kit::rgb8(124, 100, 76) * random.range(0.8f, 1.1f));
        } else if (roll < 0.75f) {
            kit::Mesh canes = thornScrub(470u + unsigned(y));
            for (kit::Vec3& p : canes.positions)
                p = p * 1.3f;
            kit::merge(m, placed(canes, {x, y, -0.2f}));
        } else {
            float h = random.range(5, 7.5f), r = random.range(0.9f, 1.5f);
            kit::Mesh finger = kit::lathe(
                {{r, -0.4f}, {r * 0.85f, h * 0.45f}, {r * 0.6f, h * 0.85f}, {r * 0.3f, h}, {0, h}}, 5);
            kit::paint(finger, kit::mix(kit::rgb8(186, 104, 66), kit::rgb8(214, 150, 100), random.next()));
            kit::rotate(finger,
                        {random.range(-0.12f, 0.12f), random.range(-0.12f, 0.12f), random.range(0, 6.28f)});
            kit::merge(m, placed(finger, {x, y, 0}));
        }
    }
    return m;
}

kit::Mesh roadsideProps() {
    kit::Mesh m;
    kit::merge(m, fence(37, 180, 470, 401));
    kit::merge(m, fence(-40, 980, 1180, 403));
    const kit::Vec3 trees[] = {{-42, 300, 0}, {40, 760, 0}, {-41, 1330, 0}, {39, 1620, 0}};
    for (int i = 0; i < 4; ++i)
        kit::merge(m, placed(deadTree(410u + unsigned(i)), trees[i]));
    kit::merge(m, placed(roadSign(true, 1), {16.5f, 420, 0}));
    kit::merge(m, placed(roadSign(false, -1), {-16, 1100, 0}));
    kit::merge(m, placed(roadSign(true, -1), {-16.5f, 1480, 0}));
    kit::merge(m, placed(wreck(), {40, 640, 0}));
    Random random(421);
    for (int i = 0; i < 16; ++i) {
        float side = i % 2 ? 1.0f : -1.0f;
        float x = side * random.range(15, 40), y = random.range(0, 1900);
        kit::merge(m, placed(thornScrub(430u + unsigned(i)), {x, y, -0.2f}));
    }
    kit::merge(m, sideShotProps());
    return kit::bakeLight(m, desertLight());
}

// ---------------------------------------------------------------------------------------------------------
// Mesas on the horizon, as on the title: flat-topped buttes with sheer cliffs over long talus slopes, far
// enough out that they hold still while the ground runs past, hazed toward the sky. Their feet reach below
// the horizon, so they also close the view where the ground ends.

kit::Mesh mesa(kit::Vec2 at, float radiusX, float radiusY, float height, unsigned seed) {
    Random random(seed);
    const int n = 8;
    kit::Mesh m;
    const float rings[][2] = {{1.0f, 1.0f}, {1.1f, 0.5f}, {1.75f, -0.55f}}; // radius share, height share
    uint32_t first = 0;
    float wobble[n];
    for (float& w : wobble)
        w = random.range(0.8f, 1.2f);
    kit::Color rock = kit::rgb8(204, 114, 74);
    for (int r = 0; r < 3; ++r) {
        uint32_t start = uint32_t(m.positions.size());
        if (r == 0) first = start;
        for (int i = 0; i < n; ++i) {
            float a = 2 * kit::kPi * float(i) / n;
            kit::Vec3 d{std::cos(a), std::sin(a), 0};
            float k = rings[r][0] * wobble[i];
            kit::Vec3 p{at.u + d.x * radiusX * k, at.v + d.y * radiusY * k, height * rings[r][1]};
            kit::Vec3 normal = kit::normalize(kit::Vec3{d.x, d.y, r == 0 ? 0.3f : r == 1 ? 0.2f : 1.0f});
            m.addVertex(p, normal, {0.5f, 0.5f}, r == 2 ? rock * 0.85f : rock);
        }
    }
    for (int r = 0; r < 2; ++r) {
        for (int i = 0; i < n; ++i) {
            uint32_t a0 = first + uint32_t(r * n + i), a1 = first + uint32_t(r * n + (i + 1) % n);
            m.addQuad(a0 + n, a1 + n, a1, a0);
        }
    }
    // The flat top, in its own vertices so that it takes the light from above.
    uint32_t top = uint32_t(m.positions.size());
    for (int i = 0; i < n; ++i)
        m.addVertex(m.positions[first + uint32_t(i)], {0, 0, 1}, {0.5f, 0.5f}, kit::rgb8(226, 158, 104));
    for (int i = 1; i + 1 < n; ++i)
        m.addTriangle(top, top + uint32_t(i), top + uint32_t(i + 1));
    return m;
}

void addMesas(std::vector<kit::Model>& models) {
    struct Butte {
        kit::Vec2 at;
        float rx, ry, height;
    };
    const Butte buttes[] = {{{-900, 3000}, 260, 120, 150}, {{-420, 3150}, 130, 90, 210},
                            {{380, 2950}, 340, 140, 170},  {{1100, 2900}, 180, 110, 120},
                            {{2300, 1500}, 160, 300, 400}, {{2700, 200}, 140, 220, 380},
                            {{-2600, 900}, 150, 260, 520}, {{-2000, 2300}, 220, 140, 480}};
    kit::Mesh m;
    unsigned seed = 450;
    for (const Butte& b : buttes)
        kit::merge(m, mesa(b.at, b.rx, b.ry, b.height, seed++));
    kit::bakeLight(m, desertLight());
    // The haze of distance, toward the sky's colour low down.
    const kit::Color haze = kit::rgb8(204, 188, 196);
    for (kit::Color& c : m.colors)
        c = kit::mix(c, haze, 0.4f);
    models.push_back({"Mesas", {}, {}, kit::keepSeen(m, groundViews(0)), {}, {}});
}

void addFloor(std::vector<kit::Model>& models) {
    auto plane =
        std::find_if(models.begin(), models.end(), [](const kit::Model& m) { return m.name == "Plane01"; });
    if (plane == models.end()) return;
    std::vector<kit::View> views = groundViews();
    plane->children.push_back({"FloorMarks", {}, {}, kit::keepSeen(floorMarks(), views), {}, {}});
    plane->children.push_back({"Roadside", {}, {}, kit::keepSeen(roadsideProps(), views), {}, {}});
}

// ---------------------------------------------------------------------------------------------------------
// The desert's grade: the ground node comes in with its shapes, and here it takes its colours. The land is
// graded facet by facet from a small palette of related tones, one colour to a facet, so that what it
// draws has hard, faceted edges: plains of buff sand and of a deeper ochre, grey-brown gravel flats, pale
// dry washes winding across the road, bands of wind ripples, dark patches of scrub, red soil at the foot of
// the slopes and red sandstone banded by height above it (the bushes bring the grey-green of the brush); a
// dark, cool road between buff shoulders; and the far land fading toward the pale haze of the horizon.

const kit::Color kWash = kit::rgb8(244, 212, 162), kSand = kit::rgb8(236, 188, 130),
                 kOchre = kit::rgb8(220, 162, 104), kGravel = kit::rgb8(190, 158, 124),
                 kScrub = kit::rgb8(166, 128, 88), kRedSoil = kit::rgb8(210, 140, 98);

// How far (x, y) lies from the middle of the nearest dry wash, across it. Every few hundred units a wash
// winds down out of the hills, slants across under the road and on into the hills on the other side.
float washDistance(float x, float y) {
    const float spacing = 430;
    float best = 1e9f;
    int k0 = int(std::floor((y + 300) / spacing));
    for (int k = k0 - 1; k <= k0 + 2; ++k) {
        Random r(unsigned(700 + k * 13));
        float slant = r.range(-0.45f, 0.45f), phase = r.range(0, 6.28f);
        float middle = float(k) * spacing + r.range(-60, 60) + slant * x + 26 * std::sin(x / 55 + phase) +
                       12 * std::sin(x / 19 + 2 * phase);
        best = std::fmin(best, std::fabs(y - middle) / std::sqrt(1 + slant * slant));
    }
    return best;
}

kit::Color sandTone(float x, float y) {
    float ax = std::fabs(x);
    // The regions are drawn near the road, where the facets are small; further out the sand lies plain.
    if (ax < 320) {
        if (washDistance(x, y) < 13) return kWash;
        if (valueNoise(x / 190, y / 260, 157) > 0.66f) return kGravel;
        if (valueNoise(x / 40, y / 40, 161) > 0.8f) return kScrub;
        // Ripple bands: where the wind has combed the sand, rows of paler crests across the road.
        bool crest = int(std::floor((y + 0.4f * x) / 26)) % 2 == 0;
        if (crest && valueNoise(x / 150, y / 150, 163) > 0.64f) return kWash;
    }
    float plain = 0.75f * valueNoise(x / 220, y / 300, 141) + 0.25f * valueNoise(x / 60, y / 70, 143);
    return plain < 0.44f ? kOchre : kSand;
}

// The tones of the flats lie close together, so that the facets read as one sand gently varied rather than
// as a patchwork of shards.
kit::Color sandAlbedo(float x, float y) {
    return kit::mix(sandTone(x, y), kSand, 0.5f);
}

// The farmland the truck leaves at the start: the fields run on past the first bend of the road, wheat,
// stubble and green, and give way to the sand along a ragged edge a few seconds ahead. `weight` is how much
// of it there is (0 on the sand).
kit::Color farmAlbedo(float x, float y, float& weight) {
    float ax = std::fabs(x);
    float edge = 150 + 90 * valueNoise(x / 90, 0.5f, 171) + 0.12f * ax;
    weight = (1 - ease(edge - 60, edge + 60, y)) * (1 - ease(300, 650, ax));
    // Green verges along the road.
    if (ax < 25) return kit::rgb8(104, 126, 58);
    float field = valueNoise(x / 70, y / 90, 173);
    if (field < 0.55f) return kit::rgb8(236, 196, 100); // wheat
    return field < 0.71f ? kit::rgb8(112, 132, 56) : kit::rgb8(204, 170, 108);
}

// Red sandstone in bands by height: pale and deep layers, the lines between them wavering, dark stains.
kit::Color rockAlbedo(float x, float y, float h) {
    static const kit::Color strata[] = {kit::rgb8(198, 116, 80), kit::rgb8(224, 162, 116),
                                        kit::rgb8(236, 194, 150), kit::rgb8(212, 138, 96)};
    int layer = int(std::floor((h + 10 * valueNoise(x / 160, y / 220, 151)) / 12));
    if (valueNoise(x / 40, y / 60, 153) > 0.74f) return kit::rgb8(162, 90, 64);
    return strata[size_t((layer % 4 + 4) % 4)];
}

// A facet's colour from where it lies and how it is turned: sand on the flats, soil and then rock up the
// slopes, fields at the start.
kit::Color landAlbedo(kit::Vec3 p, kit::Vec3 normal) {
    float farm = 0;
    kit::Color fields = farmAlbedo(p.x, p.y, farm);
    if (farm > 0.5f) return fields;
    float rock = ease(8, 50, p.z) * 0.9f + ease(0.92f, 0.7f, normal.z) * 0.6f +
                 0.3f * (valueNoise(p.x / 60, p.y / 60, 155) - 0.5f);
    if (rock > 0.55f) return rockAlbedo(p.x, p.y, p.z);
    if (rock > 0.3f) return kRedSoil;
    return sandAlbedo(p.x, p.y);
}

// The warm pale haze the far land fades into, between the sky low down and the sand.
const kit::Color kHaze = kit::rgb8(224, 216, 210);

kit::Color hazed(kit::Color c, float x) {
    return kit::mix(c, kHaze, 0.5f * ease(160, 1400, std::fabs(x)));
}

kit::Model* findModel(std::vector<kit::Model>& models, const std::string& name) {
    for (kit::Model& m : models) {
        if (m.name == name) return &m;
        if (kit::Model* child = findModel(m.children, name)) return child;
    }
    return nullptr;
}

// The road's cells are flat quads with their own corners: each triangle is coloured as a whole by what it is.
kit::Color roadAlbedo(const kit::Mesh& m, const std::array<uint32_t, 3>& t) {
    float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, z1 = -1e9f;
    for (uint32_t i : t) {
        x0 = std::fmin(x0, m.positions[i].x);
        x1 = std::fmax(x1, m.positions[i].x);
        y0 = std::fmin(y0, m.positions[i].y);
        z1 = std::fmax(z1, m.positions[i].z);
    }
    float xm = (x0 + x1) / 2;
    if (z1 > 0.1f) return std::fabs(xm) < 0.5f ? kit::rgb8(246, 206, 84) : kit::rgb8(240, 238, 230);
    float wear = 0.9f + 0.2f * valueNoise(xm / 3, y0 / 11, 147);
    if (std::fabs(m.normals[t[0]].x) > 0.5f || std::fabs(xm) > kAsphaltHalfWidth) return kit::rgb8(170, 148, 118) * wear;
    return kit::rgb8(98, 98, 106) * wear;
}

void gradeGround(std::vector<kit::Model>& models) {
    kit::Model* plane = findModel(models, "Plane01");
    if (!plane) return;
    kit::Mesh& m = plane->mesh;
    std::vector<char> isRoad(m.positions.size(), 0);
    for (const auto& t : m.triangles) {
        bool road = true;
        for (uint32_t i : t)
            road = road && std::fabs(m.positions[i].x) <= 14.01f && m.positions[i].z > -0.85f &&
                   m.positions[i].z < 0.3f;
        if (!road) continue;
        kit::Color c = roadAlbedo(m, t);
        for (uint32_t i : t) {
            m.colors[i] = c;
            isRoad[i] = 1;
        }
    }
    // The land's facets have corners of their own: each takes one colour, a shade lighter or darker than its
    // neighbours of the same tone so that the facets show, and one haze, by its middle.
    Random grain(163);
    for (const auto& t : m.triangles) {
        if (isRoad[t[0]]) continue;
        kit::Vec3 middle = (m.positions[t[0]] + m.positions[t[1]] + m.positions[t[2]]) * (1.0f / 3);
        kit::Color c = landAlbedo(middle, m.normals[t[0]]) * grain.range(0.97f, 1.03f);
        c = {std::fmin(1.0f, c.r), std::fmin(1.0f, c.g), std::fmin(1.0f, c.b), 1};
        for (uint32_t i : t)
            m.colors[i] = c;
    }
    kit::LightRig rig = desertLight();
    rig.creviceHeight = 0;
    kit::bakeLight(m, rig);
    for (const auto& t : m.triangles) {
        if (isRoad[t[0]]) continue;
        kit::Vec3 middle = (m.positions[t[0]] + m.positions[t[1]] + m.positions[t[2]]) * (1.0f / 3);
        for (uint32_t i : t)
            m.colors[i] = hazed(m.colors[i], middle.x);
    }

    // What stands on the ground was lit for a lower, dimmer sun: lift it to the same day, and turn the scrub
    // from olive to the grey-green of desert brush.
    auto lift = [&](const char* name, kit::Color gain) {
        if (kit::Model* node = findModel(plane->children, name))
            for (kit::Color& c : node->mesh.colors)
                c = {std::fmin(1.0f, c.r * gain.r), std::fmin(1.0f, c.g * gain.g),
                     std::fmin(1.0f, c.b * gain.b), c.a};
    };
    lift("Poles", {1.3f, 1.28f, 1.3f, 1});
    lift("Rocks", {1.32f, 1.3f, 1.34f, 1});
    lift("RockArch", {1.08f, 1.06f, 1.08f, 1});
    if (kit::Model* bushes = findModel(plane->children, "Bushes"))
        for (kit::Color& c : bushes->mesh.colors) {
            float l = 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
            c = kit::mix(c, kit::Color{l * 0.86f, l * 1.04f, l * 0.84f, c.a}, 0.7f) * 1.45f;
            c = {std::fmin(1.0f, c.r), std::fmin(1.0f, c.g), std::fmin(1.0f, c.b), c.a};
        }
}

} // namespace

void dressEscape(std::vector<kit::Model>& models) {
    gradeGround(models);
    addCargo(models);
    addFloor(models);
    addDust(models);
    addMesas(models);
}

} // namespace scenes
