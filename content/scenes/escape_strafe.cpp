// What the pursuers' attacks leave on the ground: the hits of the strafing runs with their tracers, the
// blast right beside the truck, and the burst and the smoke of the crash. Each is a small model that waits
// far below the ground, beyond every camera's far plane, comes up under the road a key before its moment and
// shoots up out of it (the road hides whatever is below it), then rides on the ground streaming past.
#include "escape_pursuers.h"

#include "models.h"
#include "scene_list.h"

#include "kit/shapes.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace scenes {
namespace {

constexpr float kFar = -6000; // below the ground and beyond the far plane of every camera

kit::Color clamped(kit::Color c) {
    return {std::fmin(1.0f, c.r), std::fmin(1.0f, c.g), std::fmin(1.0f, c.b), 1};
}

// Shades a small solid by its smooth normals: the side to the sun lighter, the underside darker.
kit::Mesh& shade(kit::Mesh& m, float dark = 0.72f, float bright = 1.12f) {
    for (size_t i = 0; i < m.colors.size(); ++i) {
        float lit = std::fmax(0.0f, kit::dot(kit::normalize(m.normals[i]), kToSun));
        m.colors[i] = clamped(m.colors[i] * (dark + (bright - dark) * lit));
    }
    return m;
}

// One strafing run: `hits` rounds strike from `from` to `to` seconds, walking from `start` to `end` along the
// ground (the truck's world while the truck keeps its lane), fired by pursuer `which`.
struct Run {
    double from, to;
    kit::Vec2 start, end;
    int hits, which;
};
// 19-19.8 s: the first pursuer's dive from behind walks its hits up the shaded side close past the cab;
// 23-23.7: it comes back head on and walks them down the shaded side from beside the cab toward the chasing
// camera before it pulls up over the truck; 25-25.8: the second's run close on the sunny side; 29.15-29.9:
// the first dives along the truck's lane, which the truck has just left after the blast beside it at 29.
// Then the pursuers keep firing, each run closer and longer than the last, building to the peak at 45: 33-33.8
// the second, sweeping in low from behind, rakes the sunny verge beyond the truck; 35.5-36.1
// the first's dive walks its hits up the shaded side past the cab; 39.5-40.2 the second's up the sunny side;
// 43.5-44.3 the first's again, close along the shaded flank and on ahead.
constexpr Run kRuns[] = {{19.0, 19.8, {-9, -6}, {-8, 56}, 6, 0},
                         {23.0, 23.5, {-12, 44}, {-11, 8}, 5, 0},
                         {25.0, 25.8, {12, -6}, {9.5f, 52}, 6, 1},
                         {29.15, 29.9, {-3.5f, -24}, {-3.5f, 60}, 5, 0},
                         {33.0, 33.8, {24, -14}, {17, 44}, 5, 1},
                         {35.5, 36.1, {-11, -6}, {-10, 40}, 5, 0},
                         {39.5, 40.2, {12, -2}, {10, 46}, 6, 1},
                         {43.5, 44.3, {-9.5f, -6}, {-9, 50}, 7, 0}};
// The blast: a round bursting right beside the truck's shaded flank on the beat the music breaks.
constexpr double kBlast = 29;
constexpr kit::Vec3 kBlastAt{-16, 2, 0};

struct Hit {
    double at;
    kit::Vec3 where; // on the ground at `at`, truck's world
};

std::vector<Hit> runHits(const Run& run) {
    std::vector<Hit> hits;
    for (int n = 0; n < run.hits; ++n) {
        float s = float(n) / float(run.hits - 1);
        double at = run.from + (run.to - run.from) * s;
        hits.push_back({at,
                        {run.start.u + (run.end.u - run.start.u) * s + 0.8f * std::sin(float(n) * 2.3f) -
                             float(truckSwerve(at)),
                         run.start.v + (run.end.v - run.start.v) * s, 0}});
    }
    return hits;
}

// A geyser of sand thrown up by a hit, caught at one moment of its flight: a spray of many small grains and
// chips, each one a tumbling flake (two-sided, so it shows from every side) a few pixels across, on the arcs
// they were flung along. The column in the middle climbs highest, the grains flung wider fan out and fall
// back around it, lowest at the rim; they are graded from sun-lit sand at the top through the sand's own
// colour to dark soil at the foot and the rim (only the flash is white), and they get smaller the higher
// they have flown.
kit::Mesh geyserMesh(float size, unsigned seed) {
    Random random(seed);
    kit::Mesh m;
    const kit::Color core = kit::rgb8(212, 178, 134), sand = kit::rgb8(190, 150, 106),
                     ground = kit::rgb8(116, 86, 62);
    const float high = 14.5f * size, wide = 7.5f * size;
    constexpr int kGrains = 60;
    for (int k = 0; k < kGrains; ++k) {
        // Launch tilt from the vertical, and how far along its arc the grain is: the tall column, then the
        // fan falling back.
        float tilt = k < 16 ? random.range(0, 0.25f) : random.range(0.3f, 1.0f);
        float along = k < 16 ? random.range(0.25f, 1.0f) : random.range(0.45f, 1.7f);
        float turn = random.range(0, 6.28f);
        float out = std::sin(tilt) * along * wide * random.range(0.8f, 1.2f);
        float z = high * (2 * std::cos(tilt) * along - along * along) * random.range(0.85f, 1.05f);
        z = std::fmax(z, random.range(0.3f, 1.5f) * size);
        kit::Vec3 at{std::cos(turn) * out, std::sin(turn) * out, z};
        // Bright at the top of the column, the ground's colour out at the rim and low down.
        float rim = std::fmin(1.0f, out / wide), lift = std::fmin(1.0f, z / high);
        float bright = std::fmax(0.0f, lift - 0.8f * rim);
        kit::Color c = bright > 0.45f ? kit::mix(sand, core, (bright - 0.45f) / 0.55f)
                                      : kit::mix(ground, sand, bright / 0.45f);
        c = clamped(c * random.range(0.9f, 1.08f));
        // A flake: an irregular triangle, tumbled to a random attitude.
        float r = size * random.range(0.08f, 0.16f) * (1.15f - 0.5f * lift);
        kit::Vec3 axis = kit::normalize({random.range(-1, 1), random.range(-1, 1), random.range(-1, 1)});
        kit::Vec3 u = kit::normalize(kit::cross(axis, std::fabs(axis.z) < 0.9f ? kit::Vec3{0, 0, 1}
                                                                                : kit::Vec3{1, 0, 0}));
        kit::Vec3 v = kit::cross(axis, u);
        kit::Mesh flake;
        for (int j = 0; j < 3; ++j) {
            float a = 2 * kit::kPi * float(j) / 3 + random.range(-0.4f, 0.4f);
            kit::Vec3 corner = (u * std::cos(a) + v * std::sin(a)) * (r * random.range(0.7f, 1.3f));
            // The corner toward the sun a shade lighter.
            float lit = 0.92f + 0.16f * kit::dot(kit::normalize(corner), kToSun);
            flake.addVertex(at + corner, axis, {0.5f, 0.5f}, clamped(c * lit));
        }
        flake.addTriangle(0, 1, 2);
        kit::merge(m, kit::makeTwoSided(flake));
    }
    return m;
}

// The flash on the frame a round strikes: a white-hot ball with spikes of flame, yellow toward their tips.
kit::Mesh flashStar(float radius, int spikes, unsigned seed, int segments = 8, int rings = 4) {
    Random random(seed);
    kit::Mesh m = kit::sphere(radius, segments, rings);
    for (size_t i = 0; i < m.positions.size(); ++i)
        m.colors[i] = kit::mix(kit::rgb8(255, 226, 130), kit::rgb8(255, 255, 240),
                               0.5f + 0.5f * kit::normalize(m.normals[i]).z);
    for (int k = 0; k < spikes; ++k) {
        float turn = random.range(0, 6.28f), rise = random.range(-0.2f, 1.2f);
        kit::Vec3 d{std::cos(turn) * std::cos(rise), std::sin(turn) * std::cos(rise), std::sin(rise)};
        kit::Vec3 u =
            kit::normalize(kit::cross(d, std::fabs(d.z) < 0.9f ? kit::Vec3{0, 0, 1} : kit::Vec3{1, 0, 0}));
        kit::Vec3 v = kit::cross(d, u);
        kit::Vec3 tip = d * (radius * random.range(1.7f, 2.4f));
        kit::Color base = kit::rgb8(255, 246, 206), end = kit::rgb8(255, 168, 56);
        kit::Mesh spike;
        uint32_t t = spike.addVertex(tip, d, {0.5f, 0.5f}, end);
        uint32_t first = uint32_t(spike.positions.size());
        for (int j = 0; j < 3; ++j) {
            float a = 2 * kit::kPi * float(j) / 3;
            kit::Vec3 off = (u * std::cos(a) + v * std::sin(a)) * (radius * 0.32f);
            spike.addVertex(d * (radius * 0.7f) + off, kit::normalize(off), {0.5f, 0.5f}, base);
        }
        for (int j = 0; j < 3; ++j)
            spike.addTriangle(first + uint32_t(j), first + uint32_t((j + 1) % 3), t);
        kit::merge(m, spike);
    }
    return m;
}

// A burst of tracer: dashes of glowing yellow along +Y from just ahead of the gun far past where they
// strike (the ground hides the rest), in two crossed planes so that they show from every side.
kit::Mesh tracerMesh() {
    kit::Mesh m;
    const kit::Color hot = kit::rgb8(255, 255, 236), tail = kit::rgb8(255, 214, 96);
    for (int k = 0; k < 5; ++k) {
        float y0 = 16 + 22 * float(k), y1 = y0 + 19;
        for (kit::Vec3 side : {kit::Vec3{1.4f, 0, 0}, kit::Vec3{0, 0, 1.4f}}) {
            uint32_t a = m.addVertex(kit::Vec3{0, y0, 0} + side, {0, 0, 1}, {0.5f, 0.5f}, tail);
            uint32_t b = m.addVertex(kit::Vec3{0, y0, 0} - side, {0, 0, 1}, {0.5f, 0.5f}, tail);
            uint32_t c = m.addVertex({0, y1, 0}, {0, 0, 1}, {0.5f, 0.5f}, hot);
            m.addTriangle(a, b, c);
        }
    }
    return kit::makeTwoSided(m);
}

// Heading and pitch that turn +Y toward `d`.
kit::Vec3 aimAlong(kit::Vec3 d) {
    return {std::atan2(d.z, std::hypot(d.x, d.y)), 0, std::atan2(-d.x, d.y)};
}

// Height of a geyser `age` seconds after its hit, from 0 (just under the road) to 1 (fully out): a third of
// it bursts out of the road on its first frame and the column keeps climbing, slowing, for a quarter of a
// second; it hangs, and falls back.
float geyserOut(double age, double hang) {
    if (age < 0 || age > hang + 0.55) return -1;
    if (age < 0.25) {
        float s = float(age / 0.25);
        return 0.3f + 0.7f * s * (2 - s);
    }
    if (age < hang) return 1;
    float s = float((age - hang) / 0.55);
    return 1 - s * s;
}

// A model that comes up out of the ground at each of `hits` in turn: `out(age)` gives how far (0 just below
// the road to 1 fully out; negative once it is spent), `height` how far it reaches below its origin.
void addRising(std::vector<kit::Model>& models, const std::string& name, const kit::Mesh& mesh,
               const std::vector<Hit>& hits, float height, const std::function<float(double)>& out,
               double lasts, int frames, double spin = 0) {
    std::vector<kit::Vec3> path;
    std::vector<double> turn;
    for (int i = 0; i < frames; ++i) {
        double t = i / 20.0;
        kit::Vec3 at{0, 0, kFar};
        double swirl = 0;
        for (const Hit& hit : hits) {
            if (t < hit.at - 0.1 || t > hit.at + lasts + 0.1) continue;
            at = onGround(hit.where, hit.at, t);
            at.z = (std::fmax(out(t - hit.at), 0.0f) - 1) * (height + 0.3f);
            swirl = spin * std::fmax(0.0, t - hit.at);
        }
        path.push_back(at);
        turn.push_back(swirl);
    }
    kit::Model model{name, path[0], {}, mesh, kit::positionCurves(path), {}};
    // A spray swirls about its column while it is up, so that its grains drift across one another.
    if (spin != 0) model.curves.push_back(kit::rotationCurve('z', turn));
    models.push_back(std::move(model));
}

constexpr float kGravity = 32; // units/s², the scene's scale

// Where the wreck's ground lies at t, lifted by `offset`.
kit::Vec3 onWreck(double t, kit::Vec3 offset) {
    return onGround(kCrashSite, kCrashed, t) + offset - kit::Vec3{0, 0, kCrashSite.z};
}

// A piece thrown off at `then` from `from` (truck's world) with `velocity` over the ground: it flies under
// gravity, tumbling at `spin` radians a second, until it comes down to `rest` above the ground; then it lies
// where it fell, on the ground streaming past. Before `then` it waits at `hidden(t)`.
void addThrown(std::vector<kit::Model>& models, const std::string& name, const kit::Mesh& mesh,
               kit::Vec3 from, kit::Vec3 velocity, kit::Vec3 spin, double then, float rest,
               const std::function<kit::Vec3(double)>& hidden, int frames) {
    // Time of flight until it comes down to its resting height.
    const float a = 0.5f * kGravity, b = velocity.z, c = rest - from.z;
    const double flight = (b + std::sqrt(b * b - 4 * a * c)) / (2 * a);
    std::vector<kit::Vec3> path, turn;
    for (int i = 0; i < frames; ++i) {
        double t = i / 20.0;
        if (t < then) {
            path.push_back(hidden(t));
            turn.push_back({});
            continue;
        }
        float age = float(std::fmin(t - then, flight));
        kit::Vec3 p = from + velocity * age;
        p.z = std::fmax(rest, from.z + velocity.z * age - a * age * age);
        path.push_back(onGround(p, then, t));
        turn.push_back(spin * age);
    }
    kit::Model piece{name, path[0], {}, mesh, kit::positionCurves(path), {}};
    for (kit::Curve& curve : kit::rotationCurves(turn))
        piece.curves.push_back(curve);
    models.push_back(std::move(piece));
}

// A chip of sandstone (or, in the load's colours, a clot of grain): an irregular tetrahedron at `at`.
kit::Mesh chip(float size, unsigned seed, kit::Color from = kit::rgb8(196, 108, 64),
               kit::Color to = kit::rgb8(226, 160, 108), kit::Vec3 at = {}) {
    Random random(seed);
    kit::Mesh m;
    const kit::Vec3 corners[] = {{1, 0, -0.35f}, {-0.5f, 0.87f, -0.35f}, {-0.5f, -0.87f, -0.35f}, {0, 0, 1}};
    kit::Vec3 p[4];
    for (int k = 0; k < 4; ++k)
        p[k] = corners[k] * (size * random.range(0.7f, 1.3f));
    kit::Color stone = kit::mix(from, to, random.next());
    const int faces[4][3] = {{0, 1, 3}, {1, 2, 3}, {2, 0, 3}, {0, 2, 1}};
    for (const auto& f : faces) {
        kit::Vec3 n = kit::normalize(kit::cross(p[f[1]] - p[f[0]], p[f[2]] - p[f[0]]));
        uint32_t i = m.addVertex(at + p[f[0]], n, {0.5f, 0.5f}, stone);
        uint32_t j = m.addVertex(at + p[f[1]], n, {0.5f, 0.5f}, stone);
        uint32_t k = m.addVertex(at + p[f[2]], n, {0.5f, 0.5f}, stone);
        m.addTriangle(i, j, k);
    }
    return shade(m, 0.6f, 1.15f);
}

// A handful of grain knocked out of the load: clots of kernels in a deep, bright wheat gold (never pale, so
// they read as grain against the dark road, not as stray shards), strung loosely out along the road.
kit::Mesh grainHandful(unsigned seed) {
    Random random(seed);
    kit::Mesh m;
    for (int k = 0; k < 6; ++k) {
        float a = random.range(0, 6.28f), r = k == 0 ? 0.0f : random.range(0.9f, 2.0f);
        kit::Vec3 at{std::cos(a) * r, std::sin(a) * r * 1.6f, random.range(-0.1f, 0.3f)};
        kit::merge(m, chip(random.range(0.75f, 1.0f), seed * 5u + unsigned(k), kit::rgb8(222, 152, 24),
                           kit::rgb8(255, 200, 54), at));
    }
    return m;
}

// Grain sprays out of the load at every dodge and at the blast: up out of the back of the heap, out over the
// side toward the hit and back over the tailgate, and rains down onto the road behind the truck, where it
// lies in a trail streaming away. Two sets of handfuls take the bursts in turn; between two lives a handful
// sinks into the road far behind, waits out of sight, and comes up inside the heap a key before its burst.
void addGrainSpill(std::vector<kit::Model>& models, int frames) {
    struct Burst {
        double at;
        float side; // toward the hit
    };
    std::vector<Burst> bursts{{29.0, -1}};
    for (const Dodge& d : truckDodges())
        bursts.push_back({d.at + 0.05, -d.side});
    std::sort(bursts.begin(), bursts.end(), [](const Burst& a, const Burst& b) { return a.at < b.at; });
    constexpr int kHandfuls = 12;
    constexpr double kLies = 4.0; // s on the road before it sinks away, 100 units behind
    const float a = 0.5f * kGravity;
    for (int set = 0; set < 2; ++set) {
        for (int h = 0; h < kHandfuls; ++h) {
            const unsigned seed = 800u + unsigned(set * kHandfuls + h);
            std::vector<kit::Vec3> path(size_t(frames), kit::Vec3{0, 0, kFar}), turn(size_t(frames), kit::Vec3{});
            std::vector<char> alive(size_t(frames), 0);
            kit::Vec3 tumbled{}; // where the last life's tumble left it: the next goes on from there
            for (size_t b = size_t(set); b < bursts.size(); b += 2) {
                const Burst& burst = bursts[b];
                Random random(seed * 131u + unsigned(b));
                // Out of the back of the heap, over the side or the tailgate, thrown back by the wind.
                const double then = burst.at + 0.06 * random.next();
                kit::Vec3 from{burst.side * random.range(0.5f, 4.5f), random.range(-11.5f, -8), 0};
                from.z = truckHeapHeight(from.x, from.y) + 0.3f;
                const kit::Vec3 velocity{burst.side * random.range(3, 8) + random.range(-1, 1),
                                         float(kRoadSpeed) - random.range(9, 14), random.range(8, 13)};
                const kit::Vec3 spin{random.range(-12, 12), random.range(-12, 12), random.range(-8, 8)};
                const float rest = 0.5f, c = rest - from.z;
                const double flight = (velocity.z + std::sqrt(velocity.z * velocity.z - 4 * a * c)) / (2 * a);
                for (int i = 0; i < frames; ++i) {
                    double t = i / 20.0;
                    if (t < then - 0.1 || t > then + flight + kLies + 0.1) continue;
                    if (t < then) {
                        // Inside the heap, a key before it bursts out.
                        path[size_t(i)] = from - kit::Vec3{0, 0, 2.5f};
                        continue;
                    }
                    float age = float(std::fmin(t - then, flight));
                    kit::Vec3 p = from + velocity * age;
                    p.z = std::fmax(rest, from.z + velocity.z * age - a * age * age);
                    if (t > then + flight + kLies) p.z = -3; // into the road
                    path[size_t(i)] = onGround(p, then, t);
                    turn[size_t(i)] = tumbled + spin * age;
                    alive[size_t(i)] = 1;
                }
                tumbled = tumbled + spin * float(flight);
            }
            for (size_t i = 1; i < turn.size(); ++i)
                if (!alive[i]) turn[i] = turn[i - 1];
            kit::Model handful{"GrainSpill" + std::to_string(set * kHandfuls + h), path[0], {},
                               grainHandful(seed), kit::positionCurves(path), {}};
            for (kit::Curve& curve : kit::rotationCurves(turn))
                handful.curves.push_back(curve);
            models.push_back(std::move(handful));
        }
    }
}

} // namespace

void addStrafing(std::vector<kit::Model>& models, int frames) {
    std::vector<Hit> all;
    for (const Run& run : kRuns)
        for (const Hit& hit : runHits(run))
            all.push_back(hit);
    std::sort(all.begin(), all.end(), [](const Hit& a, const Hit& b) { return a.at < b.at; });

    // The sand geysers: eight take the hits in turn, each back under the ground before its next.
    constexpr int kGeysers = 8;
    const float size = 2.6f;
    for (int g = 0; g < kGeysers; ++g) {
        std::vector<Hit> mine;
        for (size_t n = size_t(g); n < all.size(); n += kGeysers)
            mine.push_back(all[n]);
        addRising(
            models, "Spurt" + std::to_string(g), geyserMesh(size, 700u + unsigned(g)), mine, 15.5f * size,
            [](double age) { return geyserOut(age, 0.45); }, 1.0, frames, g % 2 ? 1.6 : -1.6);
    }
    // A flash on the frame each round strikes, two taking the hits in turn.
    for (int f = 0; f < 2; ++f) {
        std::vector<Hit> mine;
        for (size_t n = size_t(f); n < all.size(); n += 2)
            mine.push_back(all[n]);
        addRising(
            models, "HitFlash" + std::to_string(f), flashStar(5.0f, 5, 720u + unsigned(f), 6, 3), mine, 12.5f,
            [](double age) { return age < 0 || age > 0.15 ? -1.0f : 1.0f; }, 0.15, frames);
    }

    // The tracer: from the diving pursuer's nose down to where its rounds strike, as long as it fires.
    kit::Mesh tracer = tracerMesh();
    for (int which = 0; which < 2; ++which) {
        std::vector<kit::Vec3> path, turn;
        for (int i = 0; i < frames; ++i) {
            double t = i / 20.0;
            kit::Vec3 at{0, 0, kFar}, angles{};
            for (const Run& run : kRuns) {
                if (run.which != which || t < run.from - 0.2 || t > run.to) continue;
                std::vector<Hit> hits = runHits(run);
                double s = std::fmax(0.0, (t - run.from) / (run.to - run.from)) * double(run.hits - 1);
                size_t n = std::min(size_t(s), hits.size() - 2);
                float f = float(std::fmin(1.0, s - double(n)));
                kit::Vec3 aim = onGround(hits[n].where, hits[n].at, t) * (1 - f) +
                                onGround(hits[n + 1].where, hits[n + 1].at, t) * f;
                at = pursuerAt(which, t) + kit::Vec3{0, 0, -1.5f};
                angles = aimAlong(aim - at);
                // The dashes flicker along the stream, half a dash on and back from key to key.
                at = at + kit::normalize(aim - at) * (i % 2 ? 5.5f : 0.0f);
            }
            path.push_back(at);
            turn.push_back(angles);
        }
        kit::Model model{"Tracer" + std::to_string(which), path[0], {}, tracer,
                         kit::positionCurves(path),        {}};
        for (kit::Curve& curve : kit::rotationCurves(turn))
            model.curves.push_back(curve);
        models.push_back(std::move(model));
    }

    addGrainSpill(models, frames);

    // The blast beside the truck: a tall geyser, a big flash and stones flung over the road.
    const std::vector<Hit> blast{{kBlast, kBlastAt - kit::Vec3{float(truckSwerve(kBlast)), 0, 0}}};
    addRising(
        models, "BlastSand", geyserMesh(3.2f, 740), blast, 15.5f * 3.2f,
        [](double age) { return geyserOut(age, 0.6); }, 1.15, frames, 1.2);
    addRising(
        models, "BlastFlash", flashStar(8.5f, 7, 741), blast, 21.0f,
        [](double age) { return age < 0 || age > 0.2 ? -1.0f : 1.0f; }, 0.2, frames);
    Random random(742);
    for (int k = 0; k < 6; ++k) {
        float size = random.range(0.8f, 1.4f), a = random.range(-1.2f, 1.6f) + (k % 2 ? 3.14f : 0);
        kit::Vec3 velocity{std::cos(a) * random.range(6, 14), std::sin(a) * random.range(6, 14) + 6,
                           random.range(16, 26)};
        kit::Vec3 spin{random.range(-9, 9), random.range(-9, 9), random.range(-6, 6)};
        kit::Vec3 from = blast[0].where + kit::Vec3{0, 0, 1};
        addThrown(
            models, "BlastStone" + std::to_string(k), chip(size, 750u + unsigned(k)), from, velocity, spin,
            kBlast, size * 0.3f,
            [from](double t) {
                return t < kBlast - 0.1 ? kit::Vec3{0, 0, kFar}
                                        : onGround(from - kit::Vec3{0, 0, 4}, kBlast, t);
            },
            frames);
    }
}

namespace {

// A ring of long flames fanned out of the ground, `foot` at their roots and `tip` at their points.
kit::Mesh flameRing(int count, float width, float spread, float height, kit::Color foot, kit::Color tip,
                    float turn = 0) {
    kit::Mesh flames;
    for (int k = 0; k < count; ++k) {
        float a = turn + 2 * kit::kPi * float(k) / float(count), lean = 0.5f + 0.3f * float(k % 2);
        kit::Vec3 out{std::cos(a), std::sin(a), 0}, across{-std::sin(a), std::cos(a), 0};
        kit::Vec3 up{0, 0, 1};
        float tall = height * (1 - 0.25f * lean) * (k % 3 == 1 ? 0.8f : 1.0f);
        uint32_t p = flames.addVertex(across * width, up, {0.5f, 0.5f}, foot);
        uint32_t q = flames.addVertex(across * -width, up, {0.5f, 0.5f}, foot);
        uint32_t r = flames.addVertex(out * (spread * lean) + kit::Vec3{0, 0, tall}, up, {0.5f, 0.5f}, tip);
        flames.addTriangle(p, q, r);
    }
    return kit::makeTwoSided(flames);
}

// A puff of smoke, facing the camera (its front toward local -Y, up along local Z): one billow with a lumpy
// outline, dense at its heart and thinning out ring by ring, so that it has no hard edge. It is opaque, so
// the thinning is painted: `colour(offset, density)` gives each vertex its colour from where it lies in the
// billow and how much of the smoke shows there (at the rim none: the colour of whatever is seen behind it).
kit::Mesh smokePuff(float radius, unsigned seed, const std::function<kit::Color(kit::Vec3, float)>& colour) {
    Random random(seed);
    kit::Mesh cloud;
    constexpr int kSides = 10;
    const LumpyOutline outline = lumpyOutline(random, radius, 0.1f, 0.07f, 0.15f);
    const float at[] = {0.42f, 0.74f, 1.0f}, dense[] = {1.0f, 0.5f, 0.0f};
    const kit::Vec3 front{0, -1, 0};
    const uint32_t middle = cloud.addVertex({0, -0.1f * radius, 0}, front, {0.5f, 0.5f}, colour({}, 1));
    for (int ring = 0; ring < 3; ++ring) {
        for (int j = 0; j < kSides; ++j) {
            const float a = 2 * kit::kPi * (float(j) + 0.5f * float(ring % 2)) / kSides;
            const float r = outline(a) * at[ring] * random.range(0.94f, 1.06f);
            // The heart bulges a little toward the camera, the rim lies back.
            const kit::Vec3 p{std::cos(a) * r, 0.12f * radius * float(ring), std::sin(a) * r * 0.85f};
            cloud.addVertex(p, front, {0.5f, 0.5f}, colour(p, dense[ring] * random.range(0.9f, 1.0f)));
        }
    }
    addRingTriangles(cloud, middle, 3, kSides);
    return cloud;
}

// The chase sky's picture (bg3) at the height `s` of the screen (0 bottom, 1 top), without its wisps and sun.
kit::Color chaseSky(float s) {
    const std::pair<float, kit::Color> stops[] = {
        {0.0f, kit::rgb8(206, 122, 58)},   {0.12f, kit::rgb8(232, 160, 82)},  {0.28f, kit::rgb8(240, 196, 130)},
        {0.45f, kit::rgb8(204, 190, 170)}, {0.66f, kit::rgb8(132, 166, 208)}, {1.0f, kit::rgb8(76, 118, 190)}};
    if (s <= stops[0].first) return stops[0].second;
    for (size_t k = 1; k < std::size(stops); ++k)
        if (s <= stops[k].first)
            return kit::mix(stops[k - 1].second, stops[k].second,
                            (s - stops[k - 1].first) / (stops[k].first - stops[k - 1].first));
    return stops[std::size(stops) - 1].second;
}

// The desert as it shows at a point of the ground's own frame: the dark road, its buff shoulders, the pale
// sand, the red rock of the slopes, hazed toward the horizon.
kit::Color chaseGround(float x, float z) {
    const float ax = std::fabs(x);
    kit::Color c = ax < kAsphaltHalfWidth ? kit::rgb8(96, 98, 116) : ax < 14 ? kit::rgb8(176, 156, 124) : kit::rgb8(206, 180, 140);
    c = kit::mix(c, kit::rgb8(206, 146, 116), std::fmin(1.0f, std::fmax(0.0f, (z - 8) / 40)));
    return kit::mix(c, kit::rgb8(224, 216, 210), 0.5f * std::fmin(1.0f, std::fmax(0.0f, (ax - 160) / 1240)));
}

} // namespace

void addCrashSmoke(std::vector<kit::Model>& models, int frames) {
    // The crown: the pursuer strikes it at kCrownClipped and knocks a spray of stone chips off it, flung up
    // and out to both sides, that rain down onto the road around the truck. Until then they sit inside the
    // crown's stone, riding on the ground with it.
    const kit::Vec3 strike = pursuerAt(0, kCrownClipped);
    const kit::Vec3 flying =
        (pursuerAt(0, kCrownClipped + 0.05) - pursuerAt(0, kCrownClipped - 0.05)) * 10.0f +
        kit::Vec3{0, kRoadSpeed, 0};
    const float crownX = std::fmax(-16.0f, std::fmin(16.0f, strike.x));
    const float crownZ = 34 * std::sqrt(1 - crownX * crownX / 900);
    const kit::Vec3 inCrown = {crownX, float(kRoadSpeed * (kUnderTheArch - kCrownClipped)), crownZ};
    Random random(601);
    for (int k = 0; k < 10; ++k) {
        float size = random.range(0.7f, 1.5f);
        kit::Vec3 from =
            inCrown + kit::Vec3{random.range(-2.5f, 2.5f), random.range(-2, 2), random.range(0, 3)};
        float out = (k % 2 ? 1.0f : -1.0f) * random.range(4, 18);
        kit::Vec3 velocity =
            flying * random.range(0.05f, 0.15f) + kit::Vec3{out, random.range(8, 18), random.range(8, 20)};
        kit::Vec3 spin{random.range(-9, 9), random.range(-9, 9), random.range(-6, 6)};
        kit::Vec3 rest = from;
        rest.z = crownZ - 0.5f;
        addThrown(
            models, "CrownChip" + std::to_string(k), chip(size, 610u + unsigned(k)), from, velocity, spin,
            kCrownClipped, size * 0.3f,
            [rest](double t) {
                return t < kCrownClipped - 0.1 ? kit::Vec3{0, 0, kFar} : onGround(rest, kCrownClipped, t);
            },
            frames);
    }

    // A spark where the rotor meets the stone, for the three keys of the blow: out of the crown's stone and
    // back into it, riding with the arch.
    {
        std::vector<kit::Vec3> path;
        for (int i = 0; i < frames; ++i) {
            double t = i / 20.0, age = t - kCrownClipped;
            float z = age < -0.1 || age > 0.2 ? kFar : age < -0.01 || age > 0.11 ? -6.0f : 5.0f;
            path.push_back(onGround(inCrown + kit::Vec3{0, 0, z}, kCrownClipped, t));
        }
        models.push_back(
            {"CrownSpark", path[0], {}, flashStar(2.2f, 5, 605, 6, 3), kit::positionCurves(path), {}});
    }

    // The flash as it hits: a white-hot star swells out of the ground in three frames, a bigger one behind
    // it in the next three, and both collapse into the fire within a quarter of a second.
    struct Flash {
        float radius;
        double up, full, gone;
    };
    const Flash flashes[] = {{12, kCrashed, kCrashed + 0.05, kCrashed + 0.2},
                             {17, kCrashed + 0.05, kCrashed + 0.1, kCrashed + 0.25}};
    for (int k = 0; k < 2; ++k) {
        const Flash& f = flashes[k];
        const float sunk = -f.radius * 2.5f - 1, high = f.radius * 0.25f;
        std::vector<kit::Vec3> path;
        for (int i = 0; i < frames; ++i) {
            double t = i / 20.0;
            float z = t < f.up - 0.1 || t > f.gone + 0.1 ? kFar : sunk;
            if (t > f.up && t < f.gone) {
                float rise = float(std::fmin(1.0, (t - f.up) / (f.full - f.up)));
                float fall = float(std::fmax(0.0, (t - f.full) / (f.gone - f.full)));
                z = sunk + (high - sunk) * rise - (high - sunk) * fall * fall;
            }
            path.push_back(onWreck(t, {0, 0, z}));
        }
        models.push_back({"CrashFlash" + std::to_string(k),
                          path[0],
                          {},
                          flashStar(f.radius, 7 + 2 * k, 620u + unsigned(k)),
                          kit::positionCurves(path),
                          {}});
    }

    // The burst: three rings of long flames fanned out of the ground, deep orange outside and a white-yellow
    // core, flaring for a second and a half while they turn; then the wreck burns on, lower, to the end.
    kit::Mesh flames = flameRing(11, 4.4f, 18, 38, kit::rgb8(226, 84, 20), kit::rgb8(255, 196, 84));
    kit::merge(flames, flameRing(7, 3.2f, 9, 27, kit::rgb8(255, 160, 44), kit::rgb8(255, 236, 160), 0.3f));
    kit::merge(flames, flameRing(4, 2.4f, 3, 16, kit::rgb8(255, 236, 170), kit::rgb8(255, 252, 230), 0.6f));
    kit::Mesh embers = flameRing(9, 2.8f, 8, 17, kit::rgb8(216, 76, 20), kit::rgb8(255, 190, 80));
    kit::merge(embers, flameRing(5, 2.2f, 4, 11, kit::rgb8(255, 170, 50), kit::rgb8(255, 240, 180), 0.5f));
    struct Fire {
        const char* name;
        const kit::Mesh* mesh;
        float height;
        double up, full, down, gone;
    };
    const Fire fires[] = {
        {"CrashBurst", &flames, 38, kCrashed - 0.05, kCrashed + 0.12, kCrashed + 0.8, kCrashed + 1.7},
        {"CrashFire", &embers, 17, kCrashed + 0.5, kCrashed + 1.0, 1e9, 1e9}};
    for (const Fire& f : fires) {
        std::vector<kit::Vec3> path;
        std::vector<double> turn;
        for (int i = 0; i < frames; ++i) {
            double t = i / 20.0, age = t - kCrashed;
            float out = t < f.up || t > f.gone ? -1
                        : t < f.full           ? float(std::fmax(t - f.up, 0.0) / (f.full - f.up))
                        : t < f.down           ? 1
                                               : float(1 - (t - f.down) / (f.gone - f.down));
            // It flickers: the flames lick up and down a little.
            float flicker = out < 1 ? 0 : float(0.8 * std::sin(t * 23) + 0.6 * std::sin(t * 37 + 1));
            float z = out < 0 ? (t < f.up - 0.1 || t > f.gone + 0.1 ? kFar : -f.height - 1)
                              : (out - 1) * (f.height + 1) + flicker;
            path.push_back(onWreck(t, {0, 0, z}));
            turn.push_back(0.9 * std::fmax(0.0, age));
        }
        kit::Model fire{f.name, path[0], {}, *f.mesh, kit::positionCurves(path), {}};
        fire.curves.push_back(kit::rotationCurve('z', turn));
        models.push_back(std::move(fire));
    }

    // Wreckage thrown out of the blast: panels of the hull, a rotor blade, a wing tip and charred lumps,
    // tumbling through the air and down onto the verge and the road in the next second and a half. Until the
    // hit they wait under the ground beneath the wreck.
    struct Piece {
        kit::Vec3 lo, hi;
        kit::Color colour;
    };
    const kit::Color skin = kit::rgb8(142, 152, 128), metal = kit::rgb8(84, 86, 82),
                     charred = kit::rgb8(46, 40, 36);
    const Piece pieces[] = {{{-2.2f, -1.4f, -0.15f}, {2.2f, 1.4f, 0.15f}, skin},
                            {{-1.5f, -1.0f, -0.15f}, {1.5f, 1.0f, 0.15f}, skin},
                            {{-0.3f, -3.4f, -0.08f}, {0.3f, 3.4f, 0.08f}, kit::rgb8(70, 68, 64)},
                            {{-2.8f, -0.8f, -0.2f}, {2.8f, 0.8f, 0.2f}, skin},
                            {{-1.0f, -0.8f, -0.6f}, {1.0f, 0.8f, 0.6f}, metal},
                            {{-0.8f, -0.7f, -0.5f}, {0.8f, 0.7f, 0.5f}, charred},
                            {{-0.7f, -0.9f, -0.5f}, {0.7f, 0.9f, 0.5f}, charred},
                            {{-1.6f, -1.2f, -0.12f}, {1.6f, 1.2f, 0.12f}, skin}};
    Random scatter(631);
    const kit::Vec3 site = onWreck(kCrashed, {0, 0, 2});
    int k = 0;
    for (const Piece& p : pieces) {
        kit::Mesh mesh = kit::box(p.lo, p.hi);
        kit::paint(mesh, p.colour);
        shade(mesh, 0.62f, 1.18f);
        float turn = scatter.range(-2.2f, 2.6f) + (k % 3 == 0 ? 3.14f : 0), speed = scatter.range(8, 20);
        kit::Vec3 velocity{std::cos(turn) * speed * 1.2f, std::sin(turn) * speed + 6, scatter.range(14, 28)};
        kit::Vec3 spin{scatter.range(-11, 11), scatter.range(-11, 11), scatter.range(-5, 5)};
        if (k == 2) spin = {scatter.range(-4, 4), 2, 14}; // the blade whirls flat
        float rest = std::fmin(p.hi.z, 0.3f);
        kit::Vec3 below = site - kit::Vec3{0, 0, 8};
        addThrown(
            models, "Debris" + std::to_string(k), mesh, site, velocity, spin, kCrashed, rest,
            [below](double t) {
                return t < kCrashed - 0.1 ? kit::Vec3{0, 0, kFar} : onGround(below, kCrashed, t);
            },
            frames);
        ++k;
    }

    // The smoke: soft billows welling out of the fire one after another from 0.3 s after the hit, each turned
    // to face the camera. Each rises, slows and spreads out sideways as it climbs, drifting downwind (out
    // over the sunny verge, away from the road, and back along it). The low, fresh ones are small, dark at
    // the core and lit orange from below; the higher, older ones are bigger, lighter and spread wider apart,
    // so the plume thins as it climbs. Their rims fade into what the camera sees behind them: the sky's
    // picture, the desert, or the heart of a billow further back. Until its moment each waits far below the
    // ground, and just under the fire a key before.
    constexpr int kPuffs = 20;
    struct Puff {
        double born;
        float size, heat;
        kit::Color body;
        std::vector<kit::Vec3> path;
    };
    std::vector<Puff> puffs;
    Random drift(651);
    for (int n = 0; n < kPuffs; ++n) {
        Puff puff;
        puff.born = kCrashed + 0.3 + 0.11 * n;
        const float high = drift.range(0.15f, 1.0f); // how far up the plume it ends
        const float top = 10 + 44 * high;
        puff.size = 1.8f + 2.6f * high * drift.range(0.8f, 1.15f);
        puff.heat = std::fmax(0.0f, 0.75f - high) * drift.range(0.7f, 1.0f);
        const float core = drift.next();
        puff.body = kit::mix(kit::rgb8(70, 66, 64), kit::rgb8(150, 144, 138), 0.35f * core + 0.65f * high);
        const float outX = drift.range(-0.6f, 1), outY = drift.range(-1, 1);
        const float size = puff.size;
        for (int i = 0; i < frames; ++i) {
            double t = i / 20.0;
            if (t < puff.born - 0.1) {
                puff.path.push_back(onWreck(t, {0, 0, kFar}));
                continue;
            }
            if (t < puff.born - 0.05) {
                puff.path.push_back(onWreck(t, {0, 0, -8 - 2 * size}));
                continue;
            }
            float age = float(std::fmax(0.0, t - puff.born));
            float rise = 1 - std::exp(-age / 1.1f);
            float z = 4 - size + (top - 4 + size) * rise + 1.4f * age;
            float spread = 4 + 0.5f * std::fmax(0.0f, z) + 2.5f * age;
            kit::Vec3 at{0.4f * std::fmax(0.0f, z) + 2.4f * age + outX * spread,
                         -0.15f * std::fmax(0.0f, z) - 1.0f * age + outY * spread * 0.7f, z};
            puff.path.push_back(onWreck(t, at));
        }
        puffs.push_back(std::move(puff));
    }
    // The second camera shows the whole crash; a billow's colours are worked out as that camera sees it a
    // little over a second into its life, when the plume fills the frame.
    auto eyeAt = [](double t) { return escapeEye(2, t); };
    auto facing = [&](const Puff& puff, int key) {
        return aimAlong(puff.path[size_t(key)] - eyeAt(key / 20.0));
    };
    for (int n = 0; n < kPuffs; ++n) {
        const Puff& puff = puffs[size_t(n)];
        const float radius = 1.6f * puff.size;
        // What lies behind a point of the billow (`offset` from its centre, in its own axes) as the second
        // camera sees it at `key`; false if the billow is out of the frame then.
        auto behindAt = [&](kit::Vec3 offset, int key, kit::Color& colour) -> float {
            const double t = key / 20.0;
            const kit::Vec3 eye = eyeAt(t), centre = puff.path[size_t(key)];
            const kit::Vec3 forward = kit::normalize(escapeTarget(2, t) - eye);
            const kit::Vec3 right = kit::normalize(kit::cross(forward, {0, 0, 1}));
            const kit::Vec3 up = kit::cross(right, forward);
            const float ahead = kit::dot(centre - eye, forward), tan = std::tan(0.3f);
            if (ahead < 5 || std::fabs(kit::dot(centre - eye, up)) > 1.2f * tan * ahead ||
                std::fabs(kit::dot(centre - eye, right)) > 1.6f * tan * ahead)
                return 0.0f;
            const float weight = 1 / (ahead * ahead * ahead); // the nearer, the more it counts
            const kit::Vec3 p = centre + kit::rotateEuler(offset, facing(puff, key));
            const kit::Vec3 d = kit::normalize(p - eye);
            const float along = kit::length(p - eye);
            // The heart of a billow further back along the ray, the nearest first.
            float nearest = 1e9f;
            for (int m = 0; m < kPuffs; ++m) {
                const Puff& other = puffs[size_t(m)];
                if (m == n || other.born > t - 0.05) continue;
                kit::Vec3 c = other.path[size_t(key)] - eye;
                float depth = kit::dot(c, d);
                if (depth < along || depth > nearest) continue;
                if (kit::length(c - d * depth) < 1.6f * other.size * 0.6f) {
                    nearest = depth;
                    colour = other.body;
                }
            }
            if (nearest < 1e9f) return weight;
            // The ground, in its own frame, or else the sky's picture where the point lies on the screen.
            const kit::Vec3 shift = onGround({}, 0, t);
            for (float r = along + 1; r < 3000; r += std::fmax(2.0f, 0.03f * r)) {
                kit::Vec3 q = eye + d * r;
                if (q.z > 400) break;
                float gx = q.x - shift.x, gy = q.y - shift.y;
                if (q.z < escapeTerrainHeight(gx, gy) * (std::fabs(gx) < 45 ? 0.0f : 1.0f)) {
                    colour = chaseGround(gx, q.z);
                    return weight;
                }
            }
            colour = chaseSky(0.5f + 0.5f * kit::dot(p - eye, up) / kit::dot(p - eye, forward) / tan);
            return weight;
        };
        // The camera sweeps round the plume, so the rim takes the mean of what shows behind it over the
        // billow's life in the frame: that is what it has to melt into.
        auto behind = [&](kit::Vec3 offset) {
            kit::Color sum{0, 0, 0, 0};
            float seen = 0;
            const int first = int(std::ceil((puff.born + 0.3) * 20));
            const int last = int(std::fmin(puff.born + 3.0, 65.5) * 20);
            for (int key = first; key <= last; key += 2) {
                kit::Color c;
                float w = behindAt(offset, key, c);
                sum = {sum.r + w * c.r, sum.g + w * c.g, sum.b + w * c.b, 0};
                seen += w;
            }
            if (seen == 0) return puff.body;
            return kit::Color{sum.r / seen, sum.g / seen, sum.b / seen, 1};
        };
        const int key = int(std::lround(std::clamp(puff.born + 1.2, kCrashed + 1.0, kCrashed + 3.0) * 20));
        const kit::Vec3 centre = puff.path[size_t(key)], turn = facing(puff, key);
        kit::Mesh lump = smokePuff(radius, 660u + unsigned(n), [&](kit::Vec3 offset, float density) {
            kit::Vec3 world = centre + kit::rotateEuler(offset, turn);
            kit::Vec3 out = offset.x == 0 && offset.z == 0 ? kit::Vec3{0, 0, 1} : kit::normalize(world - centre);
            // Soft light: the side toward the sun and the top a little lighter, the fire's glow underneath.
            float lit = std::fmax(0.0f, kit::dot(out, kToSun)), under = std::fmax(0.0f, -out.z);
            kit::Color c = puff.body * (0.86f + 0.3f * lit + 0.14f * std::fmax(0.0f, out.z));
            c = clamped(kit::mix(c, kit::rgb8(226, 118, 46), puff.heat * (0.1f + 0.8f * under) * density));
            return density >= 1 ? c : clamped(kit::mix(behind(offset), c, density));
        });
        std::vector<kit::Vec3> turns;
        for (int i = 0; i < frames; ++i)
            turns.push_back(i / 20.0 < puff.born - 0.15 ? kit::Vec3{} : facing(puff, i));
        // Headings stay continuous from key to key (keys are blended component by component).
        for (size_t i = 1; i < turns.size(); ++i)
            turns[i].z = turns[i - 1].z + std::remainder(turns[i].z - turns[i - 1].z, 2 * kit::kPi);
        kit::Model model{"CrashSmoke" + std::to_string(n), puff.path[0], {}, lump,
                         kit::positionCurves(puff.path), {}};
        for (kit::Curve& curve : kit::rotationCurves(turns))
            model.curves.push_back(curve);
        models.push_back(std::move(model));
    }
}

} // namespace scenes
