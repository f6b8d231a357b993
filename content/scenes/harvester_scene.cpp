// Summer field: a combine harvester with its turning reel and grass, a dump truck beside it, rows of
// wheat and stubble streaming under them while the low camera drifts closer.
#include "models.h"
#include "scene_list.h"

#include "images/atlas.h"
#include "kit/shapes.h"
#include "kit/occlusion.h"
#include "kit/visibility.h"

#include <algorithm>
#include <array>
#include <functional>
#include <tuple>

#include <cmath>

namespace scenes {
namespace {

constexpr int kFrames = 1001; // 0-50 s
const kit::Vec3 kReelAxle{0, 17.5f, 6.6f};
constexpr float kReelRadius = 4.4f; // to the bats' centres
constexpr float kReelHalfLength = 14.2f;
constexpr int kReelBats = 6;
// One texel in the middle of a yellow slat of the atlas: the bats take its solid colour.
const kit::UvRect kReelYellow{161.5f / 256, 1 - 144.5f / 256, 161.5f / 256, 1 - 144.5f / 256};
// The machines stand larger than the field they work in: seen from as far as their bobbing allows (a
// few pixels), they still fill the frame. The truck stands turned toward the harvester's lane, so that
// the camera sees its front and its left flank.
constexpr float kHarvesterSize = 1.4f;
constexpr float kTruckSize = 1.5f;
constexpr float kTruckYaw = -0.42f;
const kit::Vec3 kTruckAt{-37, -17, kPivotAboveGround* kTruckSize};
const kit::Vec3 kReelAt = kReelAxle * kHarvesterSize;

// The scene is modelled in the units below and written out this many times larger, with the camera that
// much farther away: the picture is the same, but the part's bobbing, fixed in scene units, shows that much
// smaller (engine shake rather than a toy's hop). The depth buffer still parts every surface at that
// distance.
constexpr float kScale = 3;

// The camera's path in the written scene's units (what the viewer sees, the part's early lift included):
// a directed sequence of moves landing on beats, never a held frame. Its angles are the part's (20 degrees
// up, along -Y), so the framing comes from where the eye stands: how far off (the machines filling the frame
// or small under the sky), how high (the frame's lower edge runs just under the horizon, so every unit of
// height sinks the machines toward it), and how far aside (the pair at one edge, the field and the hill's
// other fields across the rest). Over the crop the eye keeps clear of the ridge tops (which would sweep past
// as huge polygons); the truck and the harvester stay far enough off for their bobbing to read as a shake.
// Each stretch is a few shots, each one a directed move. Between two shots of a stretch the camera swoops
// from the one path to the next, easing in and out: a whip on the bar line when they lie close, a longer
// glide from bar line to bar line across the field when they lie far apart.
// First stretch: crane down onto the harvester and push in toward the reel past its left; glide out far to
// the left over the standing wheat, the harvester whole and small right of the middle under the hill's
// pastures and plough,
// pushing slowly in; swoop in close onto the reel and header, sliding right along them; back out along the
// pair, and a dive forward into the standing wheat that fills the frame with gold on the cut.
// Second: the pair small from far off and high, under a big sky with clouds, as the harvester swings its
// auger out, pushing in toward the truck; glide down to the truck's flank as the pour fills it, pushing in
// on the stream and easing back along the pair as the raiders come in over the hill, holding still under the
// lead as it roars over; swoop away far to the right, down into the stubble, the truck small at the left
// under the hill as the raiders wheel round to it, still moving on the cut. Each path runs a little past its
// shot, so that it is still moving at the ends.
struct Shot {
    double from;  // the middle of the swoop that leads to it, or the start of its stretch
    bool cut;     // reached by a swoop from the shot before
    double blend; // how long that swoop lasts
    std::vector<PathPoint> path;
};
const std::vector<Shot>& shots() {
    static const std::vector<Shot> list{
        {0, false, 0,
         {{0, {0, 262, 48}}, {4, {45, 225, 10}}, {6, {55, 205, 9}}, {8, {40, 190, 9}}, {10, {62, 206, 9}}}},
        {9, true, 2,
         {{8, {92, 416, 9}}, {10, {82, 406, 9}}, {13, {66, 392, 9}}, {16, {50, 376, 9}},
          {18, {36, 348, 9}}, {19, {30, 330, 9}}}},
        {18, true, 2,
         {{17, {8, 176, 12}}, {18, {2, 172, 12}}, {20, {-6, 168, 12}}, {22, {-14, 166, 12}},
          {24, {-20, 170, 12}}, {26, {-55, 250, 9}}, {27, {-45, 228, 8.5f}}, {27.5, {-38, 212, 8}},
          {28, {-32, 186, 8}}, {29, {-28, 160, 8}}}},
        {29, false, 0,
         {{28, {-36, 436, 22}}, {29, {-40, 432, 22}}, {31, {-50, 420, 21}}, {33, {-64, 404, 19}},
          {35, {-82, 386, 17}}, {36, {-90, 376, 16}}}},
        {35, true, 2,
         {{34, {-122, 252, 8}}, {35, {-130, 246, 8}}, {37, {-160, 222, 8}}, {39, {-135, 198, 7}},
          {41, {-105, 212, 7}}, {42, {-96, 218, 7}}}},
        {41, true, 0.7,
         {{40, {-24, 192, 10}}, {41, {-30, 186, 10}}, {43, {-40, 200, 9}}, {45, {-50, 232, 8}},
          {46, {-100, 268, 8}}, {47, {-145, 290, 8}}}},
        {46, true, 2,
         {{45, {-282, 374, 7.8f}}, {46, {-288, 368, 7.2f}}, {48, {-292, 352, 4.6f}}, {50, {-280, 330, 4.4f}},
          {51, {-272, 320, 4.4f}}}},
    };
    return list;
}
kit::Vec3 cameraSeen(double t) {
    // The cut at 28 s lies between the two stretches: the part shows t = 28-29 s never.
    if (t < 29) t = std::fmin(t, 28.0);
    const std::vector<Shot>& list = shots();
    size_t i = 0;
    while (i + 1 < list.size() && t >= list[i + 1].from) ++i;
    for (size_t k = 1; k < list.size(); ++k) {
        if (!list[k].cut || std::fabs(t - list[k].from) >= list[k].blend / 2) continue;
        float s = float((t - (list[k].from - list[k].blend / 2)) / list[k].blend);
        s = s * s * (3 - 2 * s);
        return pathAt(list[k - 1].path, t) * (1 - s) + pathAt(list[k].path, t) * s;
    }
    return pathAt(list[i].path, t);
}
// The part's own lift of the camera over its first half second (in written units): the keys take it back
// out, so that the whole opening reads as one crane move down.
double partLift(double t) {
    return t < 0.5 ? 50 - 100 * t : 0;
}

// The camera in modelling units, where every mesh below is built and thinned.
kit::Vec3 cameraPath(double t) {
    return cameraSeen(t) * (1 / kScale);
}
constexpr float kFieldSpeedModel = 3.2f; // the field runs toward -Y under the harvester
kit::Vec3 fieldOffset(double t) {
    return {0, float(-kFieldSpeedModel * t), 0};
}
std::function<kit::Vec3(double)> still(kit::Vec3 at) {
    return [at](double) { return at; };
}
const kit::CameraAngles kCameraAngles{7.5, 0.1, kit::kPi};
constexpr float kFieldOfView = 0.8f;

// Every key of the camera as seen from a node at `offset(t)` that bobs by up to `bob` (written units) in Z.
// After its first half second the part leaves up to 5 units of its lift in place (as much as the frame rate
// leaves); each key is taken at both ends of that range, so the views between keys are covered too. A stride
// above 1 takes every stride-th key only, for meshes tested at many turns per key.
std::vector<kit::View> cameraViews(const std::function<kit::Vec3(double)>& offset, float bob,
                                   int stride = 1) {
    std::vector<kit::View> views;
    for (int i = 0; i < kFrames; ++i) {
        // With a stride, the last key of the lift and the last key are kept as well.
        if (i % stride != 0 && i != 10 && i != kFrames - 1) continue;
        double t = i / 20.0;
        kit::Vec3 eye = cameraPath(t) - offset(t);
        float lift = i < 10 ? 0.0f : 5.0f;
        views.push_back(kit::makeView(eye + kit::Vec3{0, 0, -bob / kScale}, kCameraAngles, kFieldOfView));
        views.push_back(
            kit::makeView(eye + kit::Vec3{0, 0, (lift + bob) / kScale}, kCameraAngles, kFieldOfView));
    }
    return views;
}

kit::LightRig summerLight() {
    kit::LightRig rig;
    rig.toSun = {-0.45f, 0.55f, 0.7f};
    rig.sun = {0.7f, 0.65f, 0.5f};
    rig.sky = {0.6f, 0.65f, 0.75f};
    rig.ground = {0.3f, 0.3f, 0.15f};
    return rig;
}

kit::UvRect rect(const AtlasRegion& r) {
    return kit::uvRect(r);
}

kit::Mesh harvesterWheel(float radius, float width) {
    using namespace harvesterAtlas;
    kit::Mesh wheel = kit::cylinder(radius, -width / 2, width / 2, 12, rect(tyre), rect(darkMetal), 3);
    kit::Mesh hub =
        kit::cylinder(radius * 0.55f, -width / 2 - 0.15f, width / 2 + 0.15f, 10, rect(steel), rect(steel));
    kit::merge(wheel, hub);
    return kit::rotate(wheel, {0, kit::kPi / 2, 0});
}

// The header: a steel trough under a red back wall, an auger with its flighting, end plates with pointed crop
// dividers and a cutter bar with a row of knife guards along the front.
kit::Mesh header() {
    using namespace harvesterAtlas;
    kit::Mesh m;
    kit::merge(m, kit::box({-15, 13, 0.7f}, {15, 19.6f, 1.4f}, kit::BoxUv(rect(steel))));
    kit::BoxUv wall(rect(paint));
    wall.py = rect(panel);
    kit::merge(m, kit::box({-15, 12.4f, 1.4f}, {15, 13.4f, 7.2f}, wall));
    kit::merge(m, kit::box({-15.2f, 11.8f, 7.0f}, {15.2f, 13.6f, 7.8f}, kit::BoxUv(rect(paint))));
    // Auger: a row of sawtooth rings turned about the axis reads as the spiral flighting. Six sides: from the
    // camera the auger is a few pixels across, and its teeth are what reads. The core between the teeth is
    // one tube: it lies in the same six faces.
    kit::UvRect metal = rect(steel);
    kit::Mesh auger = kit::lathe({{0, -14.4f}, {0.7f, -14.4f}, {0.7f, 14.4f}, {0, 14.4f}}, 6, metal);
    for (float z = -14.4f; z < 14.4f; z += 1.6f) {
        kit::merge(auger, kit::lathe({{0.7f, z}, {1.5f, z + 0.15f}, {0.7f, z + 0.35f}}, 6, metal));
    }
    kit::paint(auger, kit::rgb8(200, 200, 195));
    kit::rotate(auger, {0, kit::kPi / 2, 0});
    kit::merge(m, kit::translate(auger, {0, 15.0f, 3.0f}));
    for (float s : {-1.0f, 1.0f}) {
        float x0 = s < 0 ? -15.6f : 15.0f;
        kit::merge(m, kit::wedge({x0, 12.2f, 0.7f}, {x0 + 0.6f, 20.6f, 7.6f}, 1.6f, kit::BoxUv(rect(paint))));
        // Crop divider: a steel cone pointing forward at the plate's foot.
        kit::Mesh divider = kit::lathe({{0, 0}, {0.9f, 0}, {0, 3.2f}}, 8, rect(steel));
        kit::rotate(divider, {-kit::kPi / 2, 0, 0});
        kit::merge(m, kit::translate(divider, {x0 + 0.3f, 20.4f, 1.3f}));
        // Reel arm reaching forward to the axle.
        float ax = s < 0 ? -15.2f : 14.6f;
        kit::merge(m, kit::box({ax, 8, kReelAxle.z - 0.45f},
                               {ax + 0.6f, kReelAxle.y + 0.5f, kReelAxle.z + 0.45f},
                               kit::BoxUv(rect(darkMetal))));
    }
    kit::merge(m, kit::box({-15, 19.4f, 0.5f}, {15, 20.2f, 1.2f}, kit::BoxUv(rect(darkMetal))));
    for (float x = -14.5f; x <= 14.6f; x += 1.0f) {
        kit::Mesh guard = kit::extrude({{-0.32f, 0}, {0.32f, 0}, {0, 1.6f}}, 0.35f, 0, rect(steel));
        kit::translate(guard, {x, 20.0f, 0.65f});
        kit::merge(m, guard);
    }
    return m;
}

kit::Mesh harvesterBody() {
    using namespace harvesterAtlas;
    kit::Mesh m;
    kit::BoxUv body(rect(panel));
    body.px = rect(stripe);
    body.nx = rect(stripe);
    body.pz = rect(paint);
    kit::merge(m, kit::box({-5.5f, -14, 4}, {5.5f, 6, 15}, body, 0.5f));
    kit::merge(m, kit::box({-5.8f, -8, 15}, {5.8f, 4, 19}, kit::BoxUv(rect(panel)), 0.6f));
    kit::BoxUv engine(rect(panel));
    engine.ny = rect(grille);
    kit::merge(m, kit::box({-5, -18, 6}, {5, -13.5f, 13}, engine, 0.4f));
    // Cab on its platform, glass all round, roof with work lights.
    kit::merge(m, kit::box({-3.6f, 5, 10}, {3.6f, 10, 12}, kit::BoxUv(rect(panel))));
    kit::merge(m, kit::box({-3.5f, 5.2f, 12}, {3.5f, 10.8f, 17.5f}, kit::BoxUv(rect(glass))));
    kit::merge(m, kit::box({-3.9f, 4.8f, 17.5f}, {3.9f, 11.3f, 18.2f}, kit::BoxUv(rect(paint)), 0.2f));
    for (float s : {-1.0f, 1.0f}) {
        kit::merge(m, kit::box({s * 2.6f - 0.5f, 11.3f, 17.4f}, {s * 2.6f + 0.5f, 11.7f, 18.1f},
                               kit::BoxUv(rect(headlight))));
    }
    kit::merge(m, kit::box({-2.6f, 5.5f, 2.4f}, {2.6f, 13.6f, 7.5f}, kit::BoxUv(rect(darkMetal))));
    kit::merge(m, header());
    for (float s : {-1.0f, 1.0f}) {
        kit::Mesh front = harvesterWheel(4.5f, 2.8f), back = harvesterWheel(2.8f, 1.8f);
        kit::merge(m, kit::translate(front, {s * 7.1f, 2, 4.5f}));
        kit::merge(m, kit::translate(back, {s * 5.6f, -13, 2.8f}));
    }
    kit::scale(m, {kHarvesterSize, kHarvesterSize, kHarvesterSize});
    // The camera stays in front of the harvester: its back and far sides never show.
    return kit::keepSeen(kit::bakeLight(m, summerLight()), cameraViews(still({0, 0, 0}), 1));
}

// The reel about its own axle (local X): a drum of six bats on spoked spiders, tines hanging from the bats.
kit::Mesh reel() {
    using namespace harvesterAtlas;
    // Few sides: the axle and hubs are a few pixels across from the camera.
    kit::Mesh m = kit::cylinder(0.45f, -kReelHalfLength - 0.4f, kReelHalfLength + 0.4f, 6, rect(darkMetal),
                                rect(darkMetal));
    kit::rotate(m, {0, kit::kPi / 2, 0});
    kit::paint(m, kit::rgb8(90, 90, 90));
    kit::Mesh spiders, bats, tines;
    for (float x : {-kReelHalfLength + 0.3f, -4.6f, 4.6f, kReelHalfLength - 0.3f}) {
        kit::Mesh hub = kit::cylinder(1.0f, -0.35f, 0.35f, 6, rect(paint), rect(paint));
        kit::rotate(hub, {0, kit::kPi / 2, 0});
        kit::merge(spiders, kit::translate(hub, {x, 0, 0}));
        for (int i = 0; i < kReelBats; ++i) {
            // Four sides without ends: the hub and the bat cover those.
            kit::Mesh spoke = kit::cylinder(std::sqrt(0.5f), 0.6f, kReelRadius, 4, rect(paint), {}, 1, false);
            kit::rotate(spoke, {0, 0, kit::kPi / 4});
            kit::scale(spoke, {0.4f, 0.5f, 1});
            kit::translate(spoke, {x, 0, 0});
            kit::merge(spiders, kit::rotate(spoke, {2 * kit::kPi * float(i) / kReelBats, 0, 0}));
        }
    }
    kit::paint(spiders, kit::rgb8(235, 235, 235));
    for (int i = 0; i < kReelBats; ++i) {
        float a = 2 * kit::kPi * float(i) / kReelBats;
        // A bat across the whole reel, and the tines that comb the crop, raked back against the turn.
        // Square-edged: a bevel would be well under a pixel from the camera.
        kit::Mesh bat = kit::box({-kReelHalfLength, -0.45f, kReelRadius - 0.3f},
                                 {kReelHalfLength, 0.45f, kReelRadius + 0.3f}, kit::BoxUv(kReelYellow));
        kit::Mesh comb;
        for (float x = -kReelHalfLength + 1.2f; x < kReelHalfLength; x += 2.4f) {
            // Under a pixel wide from the camera: three sides without ends draw the same as a box.
            kit::Mesh tine =
                kit::cylinder(0.08f, kReelRadius + 0.2f, kReelRadius + 1.6f, 3, rect(steel), {}, 1, false);
            kit::translate(tine, {x, 0, 0});
            kit::merge(comb, kit::rotate(tine, {0.18f, 0, 0}));
        }
        kit::merge(bats, kit::rotate(bat, {a, 0, 0}));
        kit::merge(tines, kit::rotate(comb, {a, 0, 0}));
    }
    kit::paint(tines, kit::rgb8(230, 230, 225));
    kit::merge(m, spiders);
    kit::merge(m, bats);
    kit::merge(m, tines);
    kit::scale(m, {kHarvesterSize, kHarvesterSize, kHarvesterSize});
    kit::LightRig rig = summerLight();
    rig.creviceHeight = 0;
    // The reel spins through every angle many times over, in front of a camera that drifts slowly: views at
    // every degree of the turn from keys a second apart (and both ends of the early lift) cover the faces
    // that come round toward it. The ends of the tines and bats on the side away from the camera go.
    std::vector<kit::View> views;
    for (const kit::View& key : cameraViews(still(kReelAt), 1, 20)) {
        for (int degree = 0; degree < 360; ++degree)
            views.push_back(kit::turned(key, {}, {float(degree) * kit::kPi / 180, 0, 0}));
    }
    return kit::keepSeen(kit::bakeLight(m, rig, {kReelAt, {}}), views, 0.05f);
}

// Gathered wheat: a two-sided band of stalks standing across the reel's front, its roots low and its ears up
// (tangent to the reel's turn). The part turns copies of it about the axle, so they sweep up in front of it.
kit::Mesh grass() {
    constexpr float kRadius = 5.8f, kRoot = -3.2f, kTip = 5.0f;
    kit::Mesh sheet = kit::grid({-15.5f, kRoot, 0}, {15.5f, kTip, 0}, 8, 2, {0, 0.02f, 3.5f, 0.97f});
    // Grid rows run along local y; stand them up as local z at the reel's radius, facing the camera (+Y),
    // leaning the ears forward a little.
    for (kit::Vec3& p : sheet.positions)
        p = {p.x, kRadius + 0.04f * (p.y - kRoot) * (p.y - kRoot), p.y};
    for (kit::Vec3& n : sheet.normals)
        n = {0, 1, 0};
    for (size_t i = 0; i < sheet.colors.size(); ++i) {
        float f = (sheet.positions[i].z - kRoot) / (kTip - kRoot);
        sheet.colors[i] = kit::mix(kit::rgb8(215, 150, 40), kit::rgb8(255, 225, 110), f);
    }
    kit::scale(sheet, {kHarvesterSize, kHarvesterSize, kHarvesterSize});
    return kit::makeTwoSided(sheet);
}

struct Clump {
    float x, y0, y1, height;
    kit::Color color;
};

// Long low ridges along Y: uncut wheat in clumps ahead and to the side, short stubble where it is cut.
std::vector<Clump> layClumps(float x0, float x1, float spacing, float height, float clump, float gap,
                             kit::Color a, kit::Color b, unsigned seed) {
    std::vector<Clump> clumps;
    Random random(seed);
    for (float x = x0; x <= x1; x += spacing) {
        for (float y = -220 + random.range(0, clump); y < 520;) {
            float length = clump * random.range(0.7f, 1.3f);
            kit::Color c = kit::mix(a, b, random.next());
            float h = height * random.range(0.8f, 1.1f);
            clumps.push_back({x, y, y + length, h, c});
            y += length + gap;
        }
    }
    return clumps;
}

// How many clumps in a row may stand as one ridge when the camera never comes nearer than `distance`: from
// far off the gaps and the ends of the clumps behind the first are well under a pixel.
int clumpsPerRidge(float distance) {
    if (distance < 120) return 1;
    if (distance < 180) return 2;
    if (distance < 240) return 3;
    if (distance < 320) return 4;
    return 6;
}

// Joins runs of far clumps of a row into single ridges, which keep the look of their nearest clump (the end
// that faces the camera). Clumps come row by row, far end first.
std::vector<Clump> joinFarClumps(const std::vector<Clump>& clumps) {
    auto allowed = [](const Clump& c) {
        float nearest = 1e30f;
        for (int i = 0; i < kFrames; ++i) {
            double t = i / 20.0;
            kit::Vec3 eye = cameraPath(t) - fieldOffset(t);
            float along = std::fmax(0.0f, std::fmax(c.y0 - eye.y, eye.y - c.y1));
            nearest = std::fmin(nearest, std::hypot(along, eye.x - c.x));
        }
        return clumpsPerRidge(nearest);
    };
    std::vector<Clump> out;
    for (size_t i = 0; i < clumps.size();) {
        size_t end = i + 1;
        int limit = allowed(clumps[i]);
        while (end < clumps.size() && clumps[end].x == clumps[i].x && int(end - i) < limit) {
            limit = std::min(limit, allowed(clumps[end]));
            if (int(end - i) >= limit) break;
            ++end;
        }
        Clump ridge = clumps[end - 1];
        ridge.y0 = clumps[i].y0;
        out.push_back(ridge);
        i = end;
    }
    return out;
}

kit::Mesh rows(const std::vector<Clump>& clumps, float halfWidth) {
    kit::Mesh m;
    for (const Clump& k : clumps) {
        float x = k.x, y = k.y0, length = k.y1 - k.y0, h = k.height;
        // A ridge: two sloping sides and two end triangles; the ground closes it from below.
        kit::Vec3 l0{x - halfWidth, y, 0}, r0{x + halfWidth, y, 0}, t0{x, y, h};
        kit::Vec3 l1{x - halfWidth, y + length, 0}, r1{x + halfWidth, y + length, 0}, t1{x, y + length, h};
        kit::Vec3 nl = kit::normalize({-h, 0, halfWidth}), nr = kit::normalize({h, 0, halfWidth});
        kit::Color top = k.color, foot = k.color * 0.7f;
        uint32_t la = m.addVertex(l0, nl, {0.5f, 0.5f}, foot), lb = m.addVertex(l1, nl, {0.5f, 0.5f}, foot);
        uint32_t lc = m.addVertex(t1, nl, {0.5f, 0.5f}, top), ld = m.addVertex(t0, nl, {0.5f, 0.5f}, top);
        m.addQuad(la, ld, lc, lb);
        uint32_t ra = m.addVertex(r0, nr, {0.5f, 0.5f}, foot), rb = m.addVertex(r1, nr, {0.5f, 0.5f}, foot);
        uint32_t rc = m.addVertex(t1, nr, {0.5f, 0.5f}, top), rd = m.addVertex(t0, nr, {0.5f, 0.5f}, top);
        m.addQuad(ra, rb, rc, rd);
        uint32_t e0 = m.addVertex(l0, {0, -1, 0}, {0.5f, 0.5f}, foot),
                 e1 = m.addVertex(r0, {0, -1, 0}, {0.5f, 0.5f}, foot);
        uint32_t e2 = m.addVertex(t0, {0, -1, 0}, {0.5f, 0.5f}, top);
        m.addTriangle(e0, e1, e2);
        uint32_t f0 = m.addVertex(l1, {0, 1, 0}, {0.5f, 0.5f}, foot),
                 f1 = m.addVertex(r1, {0, 1, 0}, {0.5f, 0.5f}, foot);
        uint32_t f2 = m.addVertex(t1, {0, 1, 0}, {0.5f, 0.5f}, top);
        m.addTriangle(f1, f0, f2);
    }
    kit::LightRig rig = summerLight();
    rig.creviceHeight = 0;
    // Only what the camera ever faces inside its view is kept: the field behind it, the far sides and ends of
    // the ridges, and the rows too far aside for their stretch of the field go.
    return kit::keepSeen(kit::bakeLight(m, rig), cameraViews(fieldOffset, 0));
}

kit::Mesh field(float x0, float x1, float spacing, float height, float halfWidth, float clump, float gap,
                kit::Color a, kit::Color b, unsigned seed) {
    return rows(joinFarClumps(layClumps(x0, x1, spacing, height, clump, gap, a, b, seed)), halfWidth);
}

kit::Vec3 truckWheelAt(const WheelSlot& slot) {
    return kTruckAt + kit::rotateEuler(slot.offset * kTruckSize, {0, 0, kTruckYaw});
}

// A model written at the scene's scale: its mesh and rest position grown by kScale.
kit::Model scaled(const char* name, kit::Vec3 at, kit::Mesh mesh) {
    kit::scale(mesh, {kScale, kScale, kScale});
    return {name, at * kScale, {}, std::move(mesh), {}, {}};
}

kit::Model fieldNode(const char* name, kit::Mesh mesh) {
    auto path = sampleFrames(kFrames, [](double t) { return fieldOffset(t) * kScale; });
    kit::Model node = scaled(name, {}, std::move(mesh));
    node.position = path[0];
    node.curves = kit::positionCurves(path);
    return node;
}

// The part rocks the harvester (up to 1 written unit) and the truck (up to 2) by these heights in modelling
// units, in milliseconds of scene time.
float bodyRock(double ms) {
    return float(0.5 * std::sin(ms / 100) + 0.5 * std::sin(ms / 78)) / kScale;
}
float truckRock(double ms) {
    return float(std::sin(ms / 80) + std::sin(ms / 68)) / kScale;
}

// The moments the part shows the field: every 20 ms of both of its stretches of scene time (0-28 s and
// 29-50 s), with the camera's early lift as the part sets it and, after it, across what it may hold.
struct FieldMoment {
    double seconds;
    float lift;
};
std::vector<FieldMoment> fieldMoments() {
    constexpr int kStep = 20;
    std::vector<FieldMoment> moments;
    for (int ms = 0; ms < 50000; ms += kStep) {
        if (ms >= 28000 && ms < 29000) continue;
        if (ms < 500) {
            moments.push_back({ms / 1000.0, 0});
            continue;
        }
        for (float lift : {0.0f, 2.5f, 5.0f})
            moments.push_back({ms / 1000.0, lift});
    }
    return moments;
}

// The meshes with what the rest of the scene always hides taken out. The reel turns too fast to be sampled
// and its gaps would show what it covers, so it neither hides nor is tested; the grass is translucent.
void dropHidden(std::vector<std::pair<kit::Mesh*, std::function<kit::Vec3(double)>>> placed) {
    const std::vector<FieldMoment> moments = fieldMoments();
    std::vector<kit::OcclusionInstance> instances;
    for (auto& [mesh, at] : placed) {
        auto where = at;
        instances.push_back(
            {mesh, [&moments, where](size_t m) {
                 const FieldMoment& moment = moments[m];
                 kit::Vec3 eye = cameraPath(moment.seconds) + kit::Vec3{0, 0, moment.lift / kScale};
                 return kit::makeView(eye - where(moment.seconds), kCameraAngles, kFieldOfView, 1);
             }});
    }
    kit::OcclusionSettings settings;
    settings.nearPlane = 1 / kScale;
    settings.farPlane = 2000 / kScale;
    std::vector<std::vector<bool>> seen = kit::trianglesEverSeen(instances, moments.size(), settings);
    for (size_t i = 0; i < placed.size(); ++i)
        *placed[i].first = kit::keepTriangles(*placed[i].first, seen[i]);
}

// The plunge into the crop before the cut to the title: a stand of tall stalks just ahead of where the camera
// ends the first stretch. It waits under the ground, out of every view (the frame's lower edge runs a few
// degrees under the horizon, so nothing under the ground near the camera ever shows), and sweeps up from the
// frame's lower edge in the last half second, as if the camera sank into the wheat, until the gold fills the
// frame on the cut. Written units, about the camera's last position.
constexpr double kPlungeFrom = 27.3, kPlungeTo = 27.85;
constexpr float kStandSunk = 80;
// Adds a triangle turned to the camera (+Y), whatever order its corners come in.
void addFacingCamera(kit::Mesh& m, uint32_t a, uint32_t b, uint32_t c) {
    kit::Vec3 u = m.positions[b] - m.positions[a], v = m.positions[c] - m.positions[a];
    if (u.z * v.x - u.x * v.z < 0) std::swap(b, c);
    m.addTriangle(a, b, c);
}
kit::Mesh wheatDepth() {
    kit::Mesh m;
    Random random(137);
    auto at = [&m](kit::Vec3 p, kit::Color c) { return m.addVertex(p, {0, 1, 0}, {0.5f, 0.5f}, c); };
    auto face = [&m](uint32_t a, uint32_t b, uint32_t c) { addFacingCamera(m, a, b, c); };
    // The shadowed depth of the crop behind the stand: a dark gold wall with a ragged crest of ears, lighter
    // toward the top, so that the gaps between the stalks read as more wheat rather than sky.
    {
        constexpr float depth = -27, reach = 50;
        uint32_t prevFoot = 0, prevTop = 0;
        // Its crest rolls gently, ears of uneven height and spacing along it, so that no regular teeth show.
        for (int i = 0; i <= 40; ++i) {
            float x = -reach + 2 * reach * (float(i) + (i % 40 ? random.range(-0.3f, 0.3f) : 0.0f)) / 40;
            float crest = 37 + 1.5f * std::sin(x * 0.37f) + (i % 2 ? random.range(0.4f, 1.6f) : 0.0f);
            uint32_t foot = at({x, depth, -2}, kit::rgb8(62, 40, 14));
            uint32_t top = at({x, depth, crest}, i % 2 ? kit::rgb8(214, 164, 72) : kit::rgb8(184, 134, 50));
            if (i > 0) {
                face(prevFoot, foot, top);
                face(prevFoot, top, prevTop);
            }
            prevFoot = foot;
            prevTop = top;
        }
    }
    return m;
}
kit::Mesh wheatStand() {
    kit::Mesh m;
    Random random(131);
    auto at = [&m](kit::Vec3 p, kit::Color c) { return m.addVertex(p, {0, 1, 0}, {0.5f, 0.5f}, c); };
    auto face = [&m](uint32_t a, uint32_t b, uint32_t c) { addFacingCamera(m, a, b, c); };
    // Rows of stalks from the wall to just before the lens. Each is about as wide on screen wherever it stands
    // (a few pixels the stem, a little more the ear), so the stand reads as a fine texture of stalks even
    // close up; the near ones rise out of the frame and show only their stems.
    const kit::Color ears[] = {kit::rgb8(252, 222, 132), kit::rgb8(242, 194, 84), kit::rgb8(228, 168, 62),
                               kit::rgb8(206, 142, 46), kit::rgb8(250, 206, 104)};
    for (float d = 25; d > 2.4f; d *= 0.8f) {
        const float stem = std::fmax(0.045f, 0.011f * d), ear = std::fmax(0.3f, 0.027f * d);
        // The farther rows reach wider: the plunge starts well back, where the frame takes in more of them.
        const float step = 0.045f * d, reach = 0.7f * d + (d > 8 ? 14.0f : 0.0f);
        // Farther rows lie deeper in the crop's shade.
        const float depthShade = 1.0f - 0.25f * std::fmin(1.0f, d / 25);
        for (float x = -reach; x <= reach; x += step * random.range(0.7f, 1.3f)) {
            kit::Vec3 foot{x, -d + random.range(-0.1f, 0.1f) * d, -2};
            float h = random.range(17, 30);
            kit::Vec3 lean{random.range(-0.12f, 0.12f) * h, 0, 0};
            float shade = depthShade * random.range(0.8f, 1.0f);
            kit::Color stem0 = kit::rgb8(96, 64, 20) * shade;
            kit::Color stem1 = ears[int(random.range(0, 4.99f))] * (shade * random.range(0.72f, 0.95f));
            kit::Color ear0 = ears[int(random.range(0, 4.99f))] * shade;
            kit::Color ear1 = ear0 * 0.78f;
            float earLength = random.range(0.09f, 0.12f) * h;
            kit::Vec3 neck = foot + kit::Vec3{0, 0, h - earLength} + lean * ((h - earLength) / h);
            kit::Vec3 tip = foot + kit::Vec3{0, 0, h} + lean;
            kit::Vec3 side{1, 0, 0};
            uint32_t f0 = at(foot - side * stem, stem0), f1 = at(foot + side * stem, stem0);
            uint32_t n0 = at(neck - side * (stem * 0.7f), stem1), n1 = at(neck + side * (stem * 0.7f), stem1);
            face(f0, n0, n1);
            face(f0, n1, f1);
            // The ear: kernels in two staggered ranks (light and shade alternating), then the tip and its awns.
            kit::Vec3 along = (tip - neck) * (1.0f / 3);
            uint32_t l1 = at(neck + along - side * (ear * 0.5f), ear0), r1 = at(neck + along + side * (ear * 0.5f), ear1);
            uint32_t t = at(tip, ear0);
            // From the farther rows the ear is a few pixels: two ranks' worth in one, and no awns.
            if (d > 9) {
                face(n0, l1, r1);
                face(n0, r1, n1);
                face(l1, t, r1);
                continue;
            }
            uint32_t l2 = at(neck + along * 2 - side * (ear * 0.5f), ear1),
                     r2 = at(neck + along * 2 + side * (ear * 0.5f), ear0);
            face(n0, l1, r1);
            face(n0, r1, n1);
            face(l1, l2, r2);
            face(l1, r2, r1);
            face(l2, t, r2);
            kit::Vec3 awn = tip + kit::Vec3{0, 0, earLength * 1.1f} + lean * 0.15f;
            face(t, at(awn, kit::rgb8(236, 210, 150) * shade), at(awn + side * (stem * 0.8f), ear1));
        }
    }
    // The camera only ever looks at them from the front: one side is enough.
    return m;
}
// How far under its place a wall of the plunge lies at t: out of every view until just before the plunge, then
// from `low` (its tops just under the frame's lower edge) up to its place, quickly at first and settling, so
// that the gold climbs the frame steadily for about half a second. `lag` holds it back.
double plungeSink(double t, float low, double lag) {
    if (t >= 28.5 || t < kPlungeFrom - 0.05) return kStandSunk;
    double u = std::fmin(1.0, std::fmax(0.0, (t - kPlungeFrom - lag) / (kPlungeTo - kPlungeFrom)));
    return low * (1 - u) * (1 - u);
}
kit::Vec3 standAt(double t) {
    return cameraSeen(28) + kit::Vec3{0, 0, float(-8 - plungeSink(t, 24, 0))};
}
// The depth wall rises behind the stalks, its crest always under their ears, so that it only ever shows
// between them.
kit::Vec3 depthAt(double t) {
    return cameraSeen(28) + kit::Vec3{0, 0, float(-8 - plungeSink(t, 60, 0.15))};
}

// The stand and the wall behind it as the plunge shows them: the stalks and the stretches of wall that never
// come into the frame, or never past the nearer stalks, go.
std::pair<kit::Mesh, kit::Mesh> plungeSeen() {
    std::pair<kit::Mesh, kit::Mesh> meshes{wheatStand(), wheatDepth()};
    std::vector<std::pair<double, float>> moments;
    for (int k = int(std::floor(kPlungeFrom * 60)); k * 1000 / 60 < 28000; ++k) {
        for (float lift : {0.0f, 5.0f})
            moments.push_back({(k * 1000 / 60) / 1000.0, lift});
    }
    auto viewFrom = [&moments](kit::Vec3 (*at)(double)) {
        return [&moments, at](size_t m) {
            auto [t, lift] = moments[m];
            kit::Vec3 eye = cameraSeen(t) + kit::Vec3{0, 0, lift};
            return kit::makeView(eye - at(t), kCameraAngles, kFieldOfView, 1);
        };
    };
    std::vector<kit::OcclusionInstance> instances{{&meshes.first, viewFrom(standAt)},
                                                  {&meshes.second, viewFrom(depthAt)}};
    std::vector<std::vector<bool>> seen = kit::trianglesEverSeen(instances, moments.size());
    return {kit::keepTriangles(meshes.first, seen[0]), kit::keepTriangles(meshes.second, seen[1])};
}

// Fair-weather clouds beyond the hill's crest, drifting slowly across the painted sky on the return to the
// field, so that it reads as a later hour rather than a replay: a few flattened puffs each, white on top and a
// shade of blue-grey underneath, as near as the far clip allows from every camera position. Through the
// first stretch, whose frames cost the most, they wait far beyond the far clip, where they cost no pixels.
// Written units.
kit::Mesh cloud(unsigned seed) {
    kit::Mesh m;
    Random random(seed);
    const int puffs = 5 + int(random.range(0, 3));
    for (int i = 0; i < puffs; ++i) {
        float r = random.range(45, 85) * (i == 0 ? 1.3f : 1);
        kit::Mesh puff = kit::sphere(r, 7, 3);
        kit::scale(puff, {1.3f, 0.5f, 0.55f});
        kit::translate(puff, {random.range(-110, 110), random.range(-20, 20), random.range(0, 30) - r * 0.1f});
        kit::merge(m, puff);
    }
    float low = 1e9f, high = -1e9f;
    for (const kit::Vec3& p : m.positions)
        low = std::fmin(low, p.z), high = std::fmax(high, p.z);
    for (size_t i = 0; i < m.colors.size(); ++i) {
        float f = (m.positions[i].z - low) / (high - low);
        m.colors[i] = kit::mix(kit::rgb8(196, 208, 226), kit::rgb8(252, 252, 250), std::fmin(1.0f, f * 1.6f));
    }
    return m;
}
void addClouds(std::vector<kit::Model>& models) {
    struct Drift {
        float x, z;
    };
    const Drift drifts[] = {{2200, 930}, {1500, 820}, {800, 960}, {100, 850}};
    // They stand this far beyond the farthest eye of the second stretch: the far clip just clears them.
    float farthest = -1e9f;
    for (int i = 29 * 20; i < kFrames; ++i)
        farthest = std::fmax(farthest, cameraSeen(i / 20.0).y);
    const float back = farthest - 1756;
    for (size_t i = 0; i < std::size(drifts); ++i) {
        const Drift d = drifts[i];
        auto path = sampleFrames(kFrames, [d, back](double t) {
            return kit::Vec3{float(d.x - 28 * t), t < 28.5 ? -9000.0f : back, d.z};
        });
        std::string name = "DriftCloud" + std::to_string(i);
        models.push_back({name, path[0], {}, cloud(unsigned(141 + i)), kit::positionCurves(path), {}});
    }
}

// Rooks follow the harvest: two flocks cross the sky, one in each stretch, so that the painted sky behind
// them never reads as a still. Each bird is a body with two wings that flap about its line of flight (-X);
// they take the default white picture and show their own dark colour. Written units.
kit::Mesh rookBody() {
    const kit::Color dark = kit::rgb8(34, 32, 40);
    kit::Mesh m = kit::lathe({{0, -2.4f}, {0.7f, -1.2f}, {0.8f, 0.4f}, {0.3f, 2.2f}, {0, 2.6f}}, 5);
    kit::rotate(m, {0, -kit::kPi / 2, 0}); // the lathe's axis (Z) along X, head toward -X
    for (kit::Color& c : m.colors)
        c = dark;
    return m;
}
kit::Mesh rookWing(float side) {
    const kit::Color dark = kit::rgb8(28, 26, 34), tip = kit::rgb8(55, 52, 60);
    kit::Mesh m;
    kit::Vec3 up{0, 0, 1};
    // Shoulder to tip, the tip swept back (+X); a flat quad and a triangle, both faces drawn.
    uint32_t a = m.addVertex({-1.0f, 0, 0}, up, {0.5f, 0.5f}, dark),
             b = m.addVertex({1.2f, 0, 0}, up, {0.5f, 0.5f}, dark);
    uint32_t c = m.addVertex({1.6f, side * 4.2f, 0.3f}, up, {0.5f, 0.5f}, dark);
    uint32_t d = m.addVertex({-0.6f, side * 4.0f, 0.3f}, up, {0.5f, 0.5f}, dark);
    uint32_t e = m.addVertex({2.4f, side * 7.6f, 0.2f}, up, {0.5f, 0.5f}, tip);
    if (side > 0) {
        m.addQuad(a, b, c, d);
        m.addTriangle(d, c, e);
    } else {
        m.addQuad(a, d, c, b);
        m.addTriangle(d, e, c);
    }
    return kit::makeTwoSided(m);
}

// The raid: at 40 s of the scene two grey-green tilt-rotors lift over the hill's crest and dive down its
// slope toward the camera, over the machines; the wingman breaks away to wheel round in front of the hill,
// the lead roars over the camera, closest at 45 s (on the music's rotor roar), and comes back round to the
// truck with the wingman as the part cuts to the chase. Written units.
// The aircraft take the default white picture and show their own colours.
constexpr float kRaiderSize = 3.6f; // the chase's hull (29 long, 28 across the wing) grown this much
constexpr double kRaidClosest = 45; // the lead passes over the camera
constexpr double kRaidFrom = 37;    // before this they wait far below the ground
constexpr float kRotorSpin = 7.85f; // rad/s, under the frame rate's aliasing of three blades
const kit::Vec3 kRaiderRotor{14, 6.7f, 2.5f}; // the right rotor's hub, aircraft units

kit::Mesh raiderHull() {
    const kit::Color skin = kit::rgb8(122, 134, 108), dark = kit::rgb8(70, 74, 68),
                     glass = kit::rgb8(30, 40, 48);
    auto part = [](kit::Mesh m, kit::Color c) { return std::move(kit::paint(m, c)); };
    kit::Mesh hull = part(kit::lathe({{0, -14}, {1.2f, -14}, {2.4f, -11}, {2.8f, -6}, {2.8f, 4}, {2.5f, 9},
                                      {1.8f, 12.5f}, {0.8f, 14.5f}, {0, 15.2f}},
                                     10),
                          skin);
    kit::rotate(hull, {-kit::kPi / 2, 0, 0}); // the lathe's axis onto +Y, the nose forward
    kit::scale(hull, {1, 1, 0.9f});
    kit::merge(hull, part(kit::box({-1.5f, 9.0f, 0.8f}, {1.5f, 12.2f, 2.6f}, {}, 0.3f), glass));
    // High wing, the tailplane and its two fins, the sponsons along the belly.
    kit::merge(hull, part(kit::box({-14, -0.5f, 2.2f}, {14, 3.5f, 2.8f}), skin));
    kit::merge(hull, part(kit::box({-6.5f, -14.2f, 1.6f}, {6.5f, -11.2f, 2.0f}), skin));
    for (float s : {-1.0f, 1.0f}) {
        kit::merge(hull, part(kit::box({s * 6 - 0.25f, -14.6f, 1.6f}, {s * 6 + 0.25f, -11.0f, 6.5f}), skin));
        kit::merge(hull,
                   part(kit::box({s * 2.2f - 1.0f, -4, -2.4f}, {s * 2.2f + 1.0f, 4, -0.8f}, {}, 0.4f), skin));
        // The engine nacelles at the wing tips, their exhausts dark.
        kit::Mesh nacelle = part(kit::cylinder(1.35f, -3, 6, 10), skin);
        kit::rotate(nacelle, {-kit::kPi / 2, 0, 0});
        kit::merge(hull, kit::translate(nacelle, {s * kRaiderRotor.x, 0, kRaiderRotor.z}));
        kit::Mesh exhaust = part(kit::cylinder(0.9f, -3.6f, -2.9f, 8), dark);
        kit::rotate(exhaust, {-kit::kPi / 2, 0, 0});
        kit::merge(hull, kit::translate(exhaust, {s * kRaiderRotor.x, 0, kRaiderRotor.z}));
    }
    kit::LightRig light = summerLight();
    light.creviceHeight = 0;
    kit::bakeLight(hull, light);
    kit::scale(hull, {kRaiderSize, kRaiderSize, kRaiderSize});
    return hull;
}

// A rotor at speed about its hub, turning about Y: a dark spinner and three dark blades, each with a fainter
// ghost fanned behind it, paler toward the tips, so that the disc reads as a blur with sky between.
kit::Mesh raiderRotor() {
    kit::Mesh rotor = bladedRotor({kit::rgb8(40, 38, 36), kit::rgb8(44, 44, 42), kit::rgb8(120, 124, 118),
                                   kit::rgb8(70, 72, 68), kit::rgb8(150, 156, 150), 0.5f, 0.3f, 0.11f, 0.04f, 5.6f,
                                   0.06f, 1});
    kit::scale(rotor, {kRaiderSize, kRaiderSize, kRaiderSize});
    return rotor;
}

// The flight of raider `which` (0 the lead, 1 its wingman) about the camera's place at the closest pass.
const std::vector<PathPoint>& raidFlight(int which) {
    static const std::array<std::vector<PathPoint>, 2> flights = [] {
        const kit::Vec3 eye = cameraSeen(kRaidClosest);
        auto near = [eye](double t, kit::Vec3 off) { return PathPoint{t, eye + off}; };
        // The lead dives at the camera, roars over it, pulls up behind it, wheels round to the right and
        // comes back over the frame's top right corner, slowing as it closes on the truck.
        std::vector<PathPoint> lead{
            {kRaidFrom, {30, -2200, 600}},    {39, {20, -1750, 620}},         {40, {15, -1450, 690}},
            {41, {10, -1130, 600}},           {42, {5, -800, 460}},           {43, {0, -470, 330}},
            {44, {5, -150, 205}},             {44.5, {-15, 45, 125}},         near(kRaidClosest, {10, 0, 42}),
            near(45.42, {0, 175, 115}),       near(45.85, {-45, 320, 200}),   near(46.36, {-150, 395, 290}),
            near(46.87, {-235, 320, 340}),    near(47.38, {-225, 140, 335}),  near(47.89, {-185, -20, 300}),
            near(48.4, {-150, -140, 260}),    near(48.91, {-110, -230, 215}), near(49.5, {-80, -300, 175}),
            near(50.1, {-60, -390, 150}),     near(50.7, {-45, -500, 140})};
        // The wingman breaks off to the right before the camera and wheels round in front of the hill, across
        // the frame, away over the slope and back, diving at the truck.
        std::vector<PathPoint> wing{
            {kRaidFrom, {-200, -2250, 580}},  {39, {-210, -1800, 600}},       {40, {-220, -1500, 640}},
            {41, {-225, -1170, 590}},         {42, {-230, -840, 450}},        {43, {-230, -560, 350}},
            {43.6, {-180, -380, 320}},        {44.3, {-40, -290, 310}},       {45, {120, -360, 330}},
            {45.7, {230, -520, 370}},         {46.4, {230, -720, 430}},       {47.1, {130, -860, 470}},
            {47.8, {-20, -860, 460}},         {48.5, {-150, -760, 420}},      {49.2, {-210, -560, 330}},
            {49.9, {-200, -360, 230}},        {50.6, {-170, -160, 150}},      {51.3, {-140, 20, 100}}};
        return std::array{lead, wing};
    }();
    return flights[which];
}
kit::Vec3 raiderAt(int which, double t) {
    if (t < kRaidFrom) return raidFlight(which).front().at - kit::Vec3{0, 0, 6500};
    return pathAt(raidFlight(which), t);
}
// Pitch, bank and heading from the flight path: banked into its turns, nose along its climb.
kit::Vec3 raiderAttitude(int which, double t) {
    t = std::fmax(t, kRaidFrom + 0.2);
    auto velocity = [which](double at) {
        return (raiderAt(which, at + 0.05) - raiderAt(which, at - 0.05)) * 10.0f;
    };
    auto heading = [](kit::Vec3 v) { return std::atan2(-v.x, v.y); };
    const double h = 0.1;
    kit::Vec3 v = velocity(t);
    float pitch = std::atan2(v.z, std::hypot(v.x, v.y));
    double turn = std::remainder(heading(velocity(t + h)) - heading(velocity(t - h)), 2 * kit::kPi) / (2 * h);
    float bank = -std::atan(float(turn) * kit::length(v) / 300.0f);
    return {std::fmax(-0.6f, std::fmin(0.6f, pitch)), std::fmax(-1.2f, std::fmin(1.2f, bank)), heading(v)};
}

void addRaiders(std::vector<kit::Model>& models) {
    const kit::Mesh hull = raiderHull(), rotor = raiderRotor();
    const char* names[] = {"Raider", "RaiderWing"};
    for (int which = 0; which < 2; ++which) {
        std::vector<kit::Vec3> path, turn;
        for (int i = 0; i < kFrames; ++i) {
            double t = i / 20.0;
            kit::Vec3 angles = t < kRaidFrom ? kit::Vec3{} : raiderAttitude(which, t);
            // Headings stay continuous from key to key (keys are blended component by component).
            if (!turn.empty())
                angles.z = turn.back().z + std::remainder(angles.z - turn.back().z, 2 * kit::kPi);
            path.push_back(raiderAt(which, t));
            turn.push_back(angles);
        }
        kit::Model craft{names[which], path[0], {}, hull, kit::positionCurves(path), {}};
        for (const kit::Curve& c : kit::rotationCurves(turn))
            craft.curves.push_back(c);
        // The rotors turn the other way round from each other, as a tilt-rotor's do.
        for (float side : {-1.0f, 1.0f}) {
            std::vector<double> spin;
            for (int i = 0; i < kFrames; ++i)
                spin.push_back(side * kRotorSpin * (i / 20.0) + which * 0.4);
            kit::Vec3 hub{side * kRaiderRotor.x, kRaiderRotor.y, kRaiderRotor.z};
            std::string name = std::string(names[which]) + (side < 0 ? "RotorLeft" : "RotorRight");
            craft.children.push_back({name, hub * kRaiderSize, {}, rotor, {kit::rotationCurve('y', spin)}, {}});
        }
        models.push_back(std::move(craft));
    }
}

// A flock crossing the sky about `middle`; with `scatter`, the birds the raiders pass near break away from
// their line, out and up or down, flapping hard.
void addFlock(std::vector<kit::Model>& models, const char* name, double middle, int birds, unsigned seed,
              bool scatter = false) {
    // The flock's centre at `middle` lies 270 units along the view, a little above its centre line.
    const double along = 270, rise = 0.47; // radians above the horizon
    kit::Vec3 centre =
        cameraSeen(middle) + kit::Vec3{0, float(-along * std::cos(rise)), float(along * std::sin(rise))};
    Random random(seed);
    for (int i = 0; i < birds; ++i) {
        kit::Vec3 place{random.range(-40, 40), random.range(-50, 50), random.range(-22, 22)};
        kit::Vec3 velocity{-random.range(30, 36), random.range(-4, 4), random.range(-1, 2)};
        double phase = random.range(0, 6.3f), rate = random.range(11, 15), glide = random.range(0, 6.3f);
        auto flying = [&](double t) {
            double s = t - middle;
            return centre + place + velocity * float(s) +
                   kit::Vec3{0, 0, float(2.5 * std::sin(0.9 * t + glide))};
        };
        // The raiders' nearest pass by the bird on its line: it startles a moment before it and flees away
        // from the aircraft's line.
        double startled = 1e9;
        kit::Vec3 away{};
        float reach = 0;
        if (scatter) {
            float nearest = 1e9f;
            for (int which = 0; which < 2; ++which) {
                for (double t = kRaidClosest - 3; t < kRaidClosest + 1; t += 0.02) {
                    kit::Vec3 gap = flying(t) - raiderAt(which, t);
                    if (kit::length(gap) >= nearest) continue;
                    nearest = kit::length(gap), startled = t - 0.3, away = gap;
                }
            }
            away.y *= 0.3f;
            away = kit::normalize(away + kit::Vec3{0, 0, random.range(-0.4f, 0.6f)} * kit::length(away));
            reach = random.range(90, 150);
        }
        auto path = sampleFrames(kFrames, [&](double t) {
            double fled = t > startled ? 1 - std::exp(-(t - startled) / 0.7) : 0;
            return flying(t) + away * float(reach * fled);
        });
        std::vector<double> flapUp, flapDown;
        double stroke = phase;
        for (int f = 0; f < kFrames; ++f) {
            double t = f / 20.0;
            // Beats, with a glide every few seconds (wings held up a little); startled, hard and fast beats.
            double fright = easeBetween(startled - 0.2, startled + 0.3, t) *
                            std::exp(-std::fmax(0.0, t - startled - 1.0) / 1.5);
            double beating = 0.5 + 0.5 * std::cos(0.8 * t + glide);
            beating += (1 - beating) * fright;
            double a = 0.15 + 0.55 * beating * std::sin(stroke);
            stroke += (rate * (1 + 0.7 * fright)) / 20.0;
            flapUp.push_back(a);
            flapDown.push_back(-a);
        }
        std::string id = std::string(name) + char('A' + i);
        kit::Model body{id, path[0], {}, rookBody(), kit::positionCurves(path), {}};
        body.children.push_back({id + "WingL", {}, {}, rookWing(1), {kit::rotationCurve('x', flapUp)}, {}});
        body.children.push_back(
            {id + "WingR", {}, {}, rookWing(-1), {kit::rotationCurve('x', flapDown)}, {}});
        models.push_back(std::move(body));
    }
}

// The unloading: late in the second stretch the harvester swings its auger out over the truck, pours a
// stream of grain into the bed, where a heap rises, and swings the auger home again. Modelling units; times
// in seconds of the scene.
constexpr double kSwingOut = 30, kPourFrom = 33, kPourTo = 43.5, kSwingHome = 44.5;
const kit::Vec3 kAugerPivot{-7.6f, -10.5f, 27.3f};
constexpr float kBedTop = 14.0f;    // the bed's top above the ground, in the truck's own units
constexpr float kHeapHeight = 7.5f; // in the truck's own units
// Where the grain lands: a little behind the canopy, and the spout's mouth high above it. The cameras stand
// low in front of the truck, so the canopy's front edge hides the stream's foot: the farther back it lands,
// the more of it goes. In the truck's own units.
constexpr float kBedFront = 2.4f, kBedBack = -11.8f, kPourY = -5.5f;
constexpr float kMouthAbove = 15.0f; // modelling units over the bed's top
kit::Vec3 bedCentre() {
    return kTruckAt + kit::rotateEuler(kit::Vec3{0, kPourY, kBedTop - kPivotAboveGround} * kTruckSize,
                                       {0, 0, kTruckYaw});
}
kit::Vec3 spoutMouth() {
    return bedCentre() + kit::Vec3{0, 0, kMouthAbove};
}
// From the pivot to the elbow over the spout.
kit::Vec3 augerReach() {
    return spoutMouth() + kit::Vec3{0, 0, 2.2f} - kAugerPivot;
}
// The auger's angles about its pivot (the tube built level along +X): folded, it lies level over the engine
// pointing back; out, it rises toward the elbow over the bed.
kit::Vec3 augerAngles(double t) {
    kit::Vec3 reach = augerReach();
    float length = kit::length(reach);
    float pitch = std::asin(reach.z / length), yaw = std::atan2(reach.y, reach.x);
    if (yaw < 0) yaw += 2 * kit::kPi;
    double out =
        easeBetween(kSwingOut, kSwingOut + 2.5, t) * (1 - easeBetween(kSwingHome, kSwingHome + 2.5, t));
    const double foldedPitch = -0.02, foldedYaw = 1.5 * kit::kPi - 0.04;
    return {0, float(-(foldedPitch + (pitch - foldedPitch) * out)),
            float(foldedYaw + (yaw - foldedYaw) * out)};
}

kit::LightRig airLight() {
    kit::LightRig rig = summerLight();
    rig.creviceHeight = 0;
    return rig;
}

// The unloading auger about its pivot, built pointing out: a red tube rising to an elbow and a short
// downspout over the mouth, with a steel collar at the pivot.
kit::Mesh unloadingAuger() {
    float length = kit::length(augerReach());
    kit::Mesh tube = kit::cylinder(0.85f, 0, length, 10);
    kit::paint(tube, kit::rgb8(170, 30, 24));
    kit::Mesh collar = kit::cylinder(1.3f, -0.6f, 1.4f, 10);
    kit::paint(collar, kit::rgb8(120, 120, 118));
    kit::merge(tube, collar);
    // Lay the tube from Z onto X, level; the spout hangs from its end.
    kit::rotate(tube, {0, kit::kPi / 2, 0});
    kit::Mesh spout = kit::cylinder(1.05f, -2.4f, 0.4f, 10);
    kit::paint(spout, kit::rgb8(60, 58, 56));
    kit::merge(tube, kit::translate(spout, {length, 0, 0}));
    return kit::bakeLight(tube, airLight(), {kAugerPivot, augerAngles(40)});
}

// A small grain or chaff chunk: a tetrahedron about `at`.
void addChunk(kit::Mesh& m, kit::Vec3 at, float size, kit::Color color, Random& random) {
    kit::Vec3 corners[4] = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
    kit::Vec3 turn{random.range(0, 6.3f), random.range(0, 6.3f), random.range(0, 6.3f)};
    uint32_t v[4];
    for (int i = 0; i < 4; ++i) {
        kit::Vec3 p = kit::rotateEuler(corners[i] * (size * random.range(0.7f, 1.3f)), turn);
        v[i] = m.addVertex(at + p, kit::normalize(p), {0.5f, 0.5f}, color);
    }
    m.addTriangle(v[0], v[1], v[2]);
    m.addTriangle(v[0], v[3], v[1]);
    m.addTriangle(v[0], v[2], v[3]);
    m.addTriangle(v[1], v[3], v[2]);
}

// The falling grain, from the spout's mouth down into the bed: a rope of kernels as wide as the spout, wound
// in strands about the fall line round a solid golden core. Spun about that line, the strands run downward
// without end, so the stream pours for as long as it spins. It comes in two sections, each no taller than
// the bed, which hides both until the pour: the upper one from `kStreamSplit` under the mouth, the lower one
// from there into the bed. Both hang from the mouth while they pour.
constexpr float kStreamPitch = 3.2f;
constexpr float kStreamTop = 0.8f, kStreamSplit = 8.0f, kStreamLength = kMouthAbove + 0.5f;
constexpr float kKernel = 0.42f; // a kernel's reach about its centre, before its jitter
kit::Mesh grainStream(float from, float to) {
    kit::Mesh m;
    Random random(from > kStreamTop ? 92 : 91);
    constexpr int kStrands = 6, kPerTurn = 9;
    for (int strand = 0; strand < kStrands; ++strand) {
        for (int j = 0;; ++j) {
            float a = 2 * kit::kPi * (float(j) / kPerTurn + float(strand) / kStrands);
            float z = -kStreamPitch * float(j) / kPerTurn - kStreamTop - 0.3f * float(strand % 2);
            if (z > -from) continue;
            if (z < -to) break;
            // The rope spreads a little as it falls; alternate strands ride inside and outside.
            float r = (strand % 2 ? 0.7f : 1.15f) + 0.03f * -z + random.range(-0.1f, 0.1f);
            kit::Color c = kit::mix(kit::rgb8(225, 160, 45), kit::rgb8(255, 228, 125), random.next());
            addChunk(m, {r * std::cos(a), r * std::sin(a), z + random.range(-0.2f, 0.2f)}, kKernel, c,
                     random);
        }
    }
    // The core of grain that keeps the rope whole between the strands.
    kit::Mesh core = kit::cylinder(0.95f, -to, from > kStreamTop ? -from : 0, 8);
    kit::paint(core, kit::rgb8(232, 178, 62));
    kit::merge(m, core);
    return kit::bakeLight(m, airLight(), {spoutMouth(), {}});
}
// The stream's fall line sits under the mouth while it pours; before and after, it lies sunk into the bed
// (the bed hides it), and it falls into it at the speed of the grain when the pour ends.
kit::Vec3 streamAt(double t, float from) {
    // The body stands at the origin: the mouth is where the stream hangs from it. Sunk, the section's top
    // lies well under the bed's top, whichever way the two machines bob (its kernels stand up to 1 over
    // `from`).
    kit::Vec3 mouth = spoutMouth();
    float sunk = kMouthAbove - from + 2.4f;
    float depth = 0;
    if (t < kPourFrom) {
        depth = sunk;
    } else if (t < kPourFrom + 0.08) {
        depth = float(sunk * (1 - (t - kPourFrom) / 0.08));
    } else if (t > kPourTo) {
        depth = float(std::fmin(sunk, 20 * (t - kPourTo)));
    }
    return mouth - kit::Vec3{0, 0, depth};
}

// The heap in the truck's bed, in the truck's own units about its pivot: a cone of grain under the stream
// whose flanks run out onto the bed's top, rising out of the (solid) bed as the grain comes in. Its crest
// stands well over the rim and the canopy, so that the low cameras see it grow.
kit::Mesh grainHeap() {
    kit::Mesh m;
    constexpr int kX = 10, kY = 12;
    const float x0 = -6.2f, x1 = 6.2f, y0 = kBedBack, y1 = kBedFront, base = kBedTop - kPivotAboveGround;
    Random random(97);
    std::vector<uint32_t> index;
    for (int j = 0; j <= kY; ++j) {
        for (int i = 0; i <= kX; ++i) {
            float x = x0 + (x1 - x0) * float(i) / kX, y = y0 + (y1 - y0) * float(j) / kY;
            // Distance from the stream's foot, measured so that the slope reaches the side walls first.
            float d = std::hypot(x / 6.2f, (y - kPourY) / 7.5f);
            float u = float(i) / kX * 2 - 1, v = float(j) / kY * 2 - 1;
            float rim = (1 - u * u * u * u * u * u) * (1 - v * v * v * v * v * v);
            float rise =
                std::fmax(0.0f, 1 - d) * std::fmax(0.0f, 1 - d) * 0.55f + 0.45f * std::fmax(0.0f, 1 - d);
            rise = std::fmax(rise, 0.12f) * rim;
            float h =
                kHeapHeight * rise * (i > 0 && i < kX && j > 0 && j < kY ? random.range(0.92f, 1.08f) : 1);
            kit::Color c =
                kit::mix(kit::rgb8(210, 150, 45), kit::rgb8(252, 218, 112), random.next() * (0.4f + rise));
            index.push_back(m.addVertex({x, y, base + h - 0.15f}, {0, 0, 1}, {0.5f, 0.5f}, c));
        }
    }
    for (int j = 0; j < kY; ++j) {
        for (int i = 0; i < kX; ++i) {
            uint32_t a = index[size_t(j * (kX + 1) + i)], b = a + 1, c = a + kX + 2, d = a + kX + 1;
            m.addQuad(a, b, c, d);
        }
    }
    kit::scale(m, {kTruckSize, kTruckSize, kTruckSize});
    kit::rotate(m, {0, 0, kTruckYaw});
    return kit::bakeLight(m, airLight(), {kTruckAt, {}});
}
double heapRise(double t) {
    return easeBetween(kPourFrom + 0.5, kPourTo + 0.3, t);
}
// The truck's name boards as the field's cameras see them, from far off: the letters' and boards' faces
// only; their edges and the letters' walls are under a pixel there.
kit::Mesh fieldBoards() {
    kit::Mesh m = truckNameBoards();
    kit::translate(m, kNameBoardsAt);
    std::vector<bool> keep;
    for (const auto& tri : m.triangles) {
        kit::Vec3 a = m.positions[tri[0]], b = m.positions[tri[1]], c = m.positions[tri[2]];
        kit::Vec3 n = kit::normalize(kit::cross(b - a, c - a));
        bool side = std::fabs(a.x + b.x + c.x) / 3 > 5.5f; // a side board faces along X, the rear one Y
        keep.push_back(std::fabs(side ? n.x : n.y) > 0.9f);
    }
    return kit::keepTriangles(m, keep);
}

// The load's shaping after the pour, from 0 to 1: the cone sinks away as the strapped load rises.
constexpr double kSettleFrom = 44, kSettleTo = 46;
double loadSettle(double t) {
    return easeBetween(kSettleFrom, kSettleTo, t);
}
// The road's load (its straps included), in the truck's own units about its pivot, and how far it waits
// under its place: its crown a little under the bed's top.
constexpr float kLoadSunk = 4.6f;
kit::Mesh truckLoad() {
    kit::Mesh m = truckGrainLoad();
    kit::translate(m, {0, 0, -kPivotAboveGround});
    kit::scale(m, {kTruckSize, kTruckSize, kTruckSize});
    kit::rotate(m, {0, 0, kTruckYaw});
    return kit::bakeLight(m, airLight(), {kTruckAt, {}});
}

// Chaff thrown out behind the harvester by its spreader: pale straw flakes and darker dust in a plume that
// billows up from the machine's back, widening and thinning as it climbs, high enough to show over the
// body from in front. The flakes lie on rising spirals about an upright axis: spun about it, the spirals
// climb without end, so that the plume streams up for as long as it turns and needs one angle's keys only.
// It stands a little toward the machine's far side, away from the truck, so that no flake reads as grain
// missing the bed.
const kit::Vec3 kSpreaderAt{4, -28, 0};
constexpr double kChaffSpin = 2.5;   // radians a second
constexpr float kChaffPitch = 14.0f; // rise of a spiral's turn: the plume climbs about 5.6 units a second
kit::Mesh chaffCloud() {
    kit::Mesh m;
    Random random(83);
    constexpr int kStrands = 7, kPerTurn = 11;
    constexpr float kFoot = 12, kTop = 48;
    for (int strand = 0; strand < kStrands; ++strand) {
        for (int j = 0;; ++j) {
            // Spun by a positive angle, a point at angle a moves to a + spin: the spirals wind so that the
            // flakes' places climb.
            float a = -2 * kit::kPi * (float(j) / kPerTurn + float(strand) / kStrands);
            float z = kFoot + kChaffPitch * float(j) / kPerTurn + random.range(-1.5f, 1.5f);
            if (z > kTop) break;
            float up = (z - kFoot) / (kTop - kFoot);
            // Thinner toward the top: some places stay empty.
            if (random.next() < up * 0.6f) continue;
            float r = 2 + 13 * up + random.range(-1.5f, 1.5f) * (0.5f + up);
            kit::Color straw = kit::mix(kit::rgb8(226, 210, 150), kit::rgb8(252, 244, 210), random.next());
            kit::Color dust = kit::mix(kit::rgb8(180, 160, 112), kit::rgb8(210, 194, 150), random.next());
            kit::Color c = kit::mix(random.next() < 0.3f ? dust : straw, kit::rgb8(214, 222, 226), 0.5f * up);
            addChunk(m, {r * std::cos(a), r * std::sin(a), z}, 0.28f + 0.2f * random.next() + 0.2f * up, c,
                     random);
        }
    }
    // Unlit: each flake keeps its own pale colour, whichever way it turns.
    return m;
}

// The land behind the field climbs away from the camera: from a wavy foot line behind the machines it rises
// to a rounded crest, steepest half way up, so that seen from the low camera it fills the frame's lower half.
// Past the crest it keeps rising gently, out of sight. It stands still, like the farm on it. Modelling units.
constexpr float kHillRise = 360, kHillHeight = 190, kFieldBand = 200, kSwath = 42;
const kit::Color kHaze = kit::rgb8(175, 190, 205);
float hillFoot(float x) {
    return -72 + 12 * std::sin(x / 65);
}
// How far up the slope (y) a point lies, measured from the foot.
float hillUp(float x, float y) {
    return hillFoot(x) - y;
}
float hillHeight(float x, float y) {
    float u = hillUp(x, y) / kHillRise;
    // A spur on the left and a hollow on the right make the crest roll.
    float height = kHillHeight + 26 * std::sin(x / 120 + 0.6f) + 10 * std::sin(x / 47);
    float s = u <= 1 ? 0.25f * u + 0.75f * u * u * (3 - 2 * u) : 1 + 0.25f * (u - 1);
    return height * s - 1.2f;
}
kit::Vec3 onHill(float x, float y, float above = 0) {
    return {x, y, std::fmax(0.0f, hillHeight(x, y)) + above};
}
kit::Vec3 hillNormal(float x, float y) {
    constexpr float e = 1.0f;
    float dx = hillHeight(x + e, y) - hillHeight(x - e, y), dy = hillHeight(x, y + e) - hillHeight(x, y - e);
    return kit::normalize({-dx, -dy, 2 * e});
}
// Fades a colour toward the sky's with the distance from the camera's ground.
kit::Color hazed(kit::Color c, float y) {
    return kit::mix(c, kHaze, std::fmin(0.5f, (80 - y) / 1200));
}

// What grows where on the slope: the field under harvest runs on up the hill behind the machines, cut in
// swaths (stripes of stubble running up the slope) on the left and still standing on the right; hedged
// fields of wheat, pasture and plough lie round it, and the upper fields above a hedge across the hill.
// The fields' edges lie on the columns of the hillside's mesh (below).
kit::Color hillCrop(float x, float up) {
    const kit::Color stubbleA = kit::rgb8(214, 186, 118), stubbleB = kit::rgb8(174, 148, 90);
    // Standing wheat in a deeper amber than the cut swaths and the truck's yellow, drilled in faint bands.
    const kit::Color wheat =
        int(std::floor(x / kSwath)) % 2 ? kit::rgb8(200, 138, 50) : kit::rgb8(188, 128, 46);
    const kit::Color pasture = kit::rgb8(104, 142, 62);
    const kit::Color meadow = kit::rgb8(134, 160, 74), plough = kit::rgb8(132, 98, 66);
    const kit::Color swath = int(std::floor(x / kSwath)) % 2 ? stubbleA : stubbleB;
    if (up < kFieldBand) {
        if (x < -336) return pasture;
        if (x < -210) return wheat;
        if (x < -21) return swath;
        if (x < 168) return up < 146 ? wheat : swath; // its top already cut
        if (x < 294) return meadow;
        return plough;
    }
    if (x < -252) return plough;
    if (x < -63) return pasture;
    if (x < 147) return swath;
    return wheat;
}

// The hillside's surface: columns of quads along the slope, a swath wide where the stripes run and wider
// elsewhere, each quad in one colour so that the stripes keep sharp edges. It starts a little under the
// flat ground, which it leaves at a clear angle.
kit::Mesh hillside() {
    kit::Mesh m;
    Random random(113);
    const float ups[] = {0, 14, 34, 62, 100, 146, kFieldBand, 252, 300, 336, kHillRise, 420};
    std::vector<float> columns;
    for (float x = -462; x < -210; x += 42)
        columns.push_back(x);
    for (float x = -210; x < 168; x += kSwath)
        columns.push_back(x);
    for (float x = 168; x <= 420; x += 42)
        columns.push_back(x);
    for (size_t i = 0; i + 1 < columns.size(); ++i) {
        float x0 = columns[i], x1 = columns[i + 1];
        kit::Color shade{};
        uint32_t below[2] = {};
        for (size_t j = 0; j + 1 < std::size(ups); ++j) {
            kit::Color c = hillCrop((x0 + x1) / 2, (ups[j] + ups[j + 1]) / 2);
            // Quads of one colour up a column share their corners.
            bool joined = j > 0 && c.r == shade.r && c.g == shade.g && c.b == shade.b;
            shade = c;
            kit::Color tint = c * random.range(0.95f, 1.04f);
            auto corner = [&](float x, float up) {
                float y = hillFoot(x) - up;
                return m.addVertex({x, y, hillHeight(x, y)}, hillNormal(x, y), {0.5f, 0.5f}, tint);
            };
            if (!joined) below[0] = corner(x0, ups[j]), below[1] = corner(x1, ups[j]);
            uint32_t above[2] = {corner(x0, ups[j + 1]), corner(x1, ups[j + 1])};
            // Corners ordered with y falling: the faces look up.
            m.addQuad(below[0], above[0], above[1], below[1]);
            below[0] = above[0], below[1] = above[1];
        }
    }
    // A farm track winds up the slope from the field's corner to the crest, just over the crop.
    const kit::Color dust = kit::rgb8(222, 208, 178);
    uint32_t last[2] = {};
    for (int i = 0; i <= 18; ++i) {
        float up = kHillRise * float(i) / 18, x = -150 + 45 * std::sin(up / 80) + 0.12f * up;
        float y = hillFoot(x) - up;
        for (int side = 0; side < 2; ++side) {
            float sx = x + (side ? 3.0f : -3.0f);
            uint32_t v = m.addVertex({sx, y, std::fmax(0.0f, hillHeight(sx, y)) + 0.5f}, hillNormal(sx, y),
                                     {0.5f, 0.5f}, dust);
            if (i > 0 && side) m.addQuad(last[1], last[0], v - 1, v);
            last[side] = v;
        }
    }
    kit::LightRig rig = summerLight();
    rig.creviceHeight = 0;
    kit::bakeLight(m, rig);
    for (size_t i = 0; i < m.colors.size(); ++i)
        m.colors[i] = hazed(m.colors[i], m.positions[i].y);
    return m;
}

// A hedge along the slope's surface: a low ridge through the given points, with a tree now and then.
void addHedge(kit::Mesh& m, const std::vector<kit::Vec3>& line, Random& random) {
    const float half = 1.6f, height = 3.2f;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        kit::Vec3 a = onHill(line[i].x, line[i].y), b = onHill(line[i + 1].x, line[i + 1].y);
        kit::Vec3 along = kit::normalize(b - a), side = kit::normalize(kit::Vec3{-along.y, along.x, 0});
        kit::Color c = kit::mix(kit::rgb8(42, 72, 30), kit::rgb8(66, 96, 38), random.next());
        for (float s : {-1.0f, 1.0f}) {
            kit::Vec3 n = kit::normalize(side * s + kit::Vec3{0, 0, 0.8f});
            kit::Vec3 fa = a + side * (s * half) - kit::Vec3{0, 0, 0.6f},
                      fb = b + side * (s * half) - kit::Vec3{0, 0, 0.6f};
            kit::Vec3 ta = a + kit::Vec3{0, 0, height}, tb = b + kit::Vec3{0, 0, height};
            uint32_t v0 = m.addVertex(fa, n, {0.5f, 0.5f}, c * 0.8f),
                     v1 = m.addVertex(fb, n, {0.5f, 0.5f}, c * 0.8f);
            uint32_t v2 = m.addVertex(tb, n, {0.5f, 0.5f}, c), v3 = m.addVertex(ta, n, {0.5f, 0.5f}, c);
            if (s > 0)
                m.addQuad(v1, v0, v3, v2);
            else
                m.addQuad(v0, v1, v2, v3);
        }
        if (random.next() < 0.4f) {
            float r = random.range(4, 7);
            kit::Mesh crown = kit::sphere(r, 5, 3);
            kit::scale(crown, {1, 1, 1.25f});
            kit::paint(crown, kit::mix(kit::rgb8(34, 62, 26), kit::rgb8(64, 94, 36), random.next()));
            kit::merge(m, kit::translate(crown, a + kit::Vec3{0, 0, 2 + r * 1.1f}));
        }
    }
}

// The hedges between the hill's fields: up the slope along the fields' sides, across it under the upper
// fields and along the crest.
kit::Mesh hillHedges() {
    kit::Mesh m;
    Random random(127);
    auto across = [](float up, float x0, float x1) {
        std::vector<kit::Vec3> line;
        for (float x = x0; x <= x1 + 0.1f; x += 42)
            line.push_back({x, hillFoot(x) - up, 0});
        return line;
    };
    auto upward = [](float x, float up0, float up1) {
        std::vector<kit::Vec3> line;
        for (float up = up0; up <= up1 + 0.1f; up += (up1 - up0) / 5)
            line.push_back({x, hillFoot(x) - up, 0});
        return line;
    };
    addHedge(m, across(kFieldBand, -462, 420), random);
    addHedge(m, across(kHillRise, -462, 420), random);
    for (float x : {-336.0f, -210.0f, 168.0f, 294.0f})
        addHedge(m, upward(x, 4, kFieldBand), random);
    for (float x : {-252.0f, -63.0f, 147.0f})
        addHedge(m, upward(x, kFieldBand, kHillRise), random);
    kit::bakeLight(m, summerLight(), {});
    for (size_t i = 0; i < m.colors.size(); ++i)
        m.colors[i] = hazed(m.colors[i], m.positions[i].y);
    return m;
}

// The farm along the crest: hedgerows, clumps of trees, a barn and a silo, hazed toward the sky's colour
// with distance, standing on the hill. Modelling units.
kit::Mesh farmland() {
    kit::Mesh m;
    Random random(101);
    auto add = [&](kit::Mesh part, kit::Color color) {
        kit::paint(part, color);
        kit::bakeLight(part, summerLight());
        for (size_t i = 0; i < part.colors.size(); ++i)
            part.colors[i] = hazed(part.colors[i], part.positions[i].y);
        kit::merge(m, part);
    };
    // Clumps of trees along the crest and just over it: round crowns on short trunks.
    for (int k = 0; k < 10; ++k) {
        float cx = random.range(-440, 380), cup = random.range(355, 400);
        int trees = 2 + int(random.range(0, 4));
        for (int i = 0; i < trees; ++i) {
            float x = cx + random.range(-18, 18), r = random.range(6, 10);
            kit::Vec3 at = onHill(x, hillFoot(x) - cup - random.range(-6, 6), -0.5f);
            // A few pixels across from the field: five sides read as the same round crown as six.
            kit::Mesh crown = kit::sphere(r, 5, 3);
            kit::scale(crown, {1, 1, 1.2f});
            add(kit::translate(crown, at + kit::Vec3{0, 0, 3 + r * 1.1f}),
                kit::mix(kit::rgb8(35, 65, 28), kit::rgb8(70, 100, 40), random.next()));
            kit::Mesh trunk = kit::cylinder(0.9f, 0, 4, 3);
            add(kit::translate(trunk, at), kit::rgb8(70, 55, 40));
        }
    }
    // The farmstead on the crest: a red barn with a grey roof and a silo beside it.
    const kit::Vec3 barn = onHill(-120, hillFoot(-120) - 372, -1);
    add(kit::box(barn + kit::Vec3{-16, -10, 0}, barn + kit::Vec3{16, 10, 13}), kit::rgb8(150, 45, 35));
    kit::Mesh roof = kit::extrude({{-11.5f, 0}, {11.5f, 0}, {0, 8}}, 34);
    kit::rotate(roof, {kit::kPi / 2, 0, kit::kPi / 2});
    add(kit::translate(roof, barn + kit::Vec3{-17, 0, 13}), kit::rgb8(110, 110, 115));
    kit::Mesh silo = kit::cylinder(5, 0, 30, 10);
    kit::Mesh cap = kit::dome(5, 10, 3);
    kit::merge(silo, kit::translate(cap, {0, 0, 30}));
    add(kit::translate(silo, barn + kit::Vec3{26, 4, -1}), kit::rgb8(200, 200, 195));
    return m;
}

} // namespace

SceneSource buildHarvester() {
    SceneSource scene{"harvester.xsi", {}, kFrames};
    kit::LightRig light = summerLight();
    kit::Mesh bodyMesh = harvesterBody();
    // The part rocks the truck's body by up to 2 units; its wheels stand still. The truck's turn and size are
    // in its meshes: its nodes stand unturned.
    const kit::Vec3 turn{0, 0, kTruckYaw};
    auto truckSized = [&](kit::Mesh mesh) {
        kit::scale(mesh, {kTruckSize, kTruckSize, kTruckSize});
        return std::move(kit::rotate(mesh, turn));
    };
    kit::Mesh truckMesh =
        kit::keepSeen(truckSized(truckBody(light, {kTruckAt, turn}, false)), cameraViews(still(kTruckAt), 2));
    std::vector<kit::Mesh> wheels;
    for (const WheelSlot& slot : truckWheelSlots()) {
        kit::Vec3 at = truckWheelAt(slot);
        wheels.push_back(kit::keepSeen(truckSized(truckWheel(slot.left, light, {at, turn}, 12)),
                                       cameraViews(still(at), 0)));
    }
    // The set-up paints the ground one flat colour, so big cells draw it the same with fewer triangles. It
    // ends under the hill, which hides the rest. Nearly all of what is left lies under the crop and the hill
    // at one time or another, so it takes no part in the hidden-surface pass: drawn after them, it shades
    // only the gaps between.
    kit::Mesh ground =
        kit::keepSeen(kit::grid({-1900, -100, 0}, {1900, 1900, 0}, 16, 16), cameraViews(still({0, 0, 0}), 0));
    kit::Mesh wheat =
        field(-15, 140, 5.0f, 1.7f, 1.2f, 32, 2, kit::rgb8(232, 180, 70), kit::rgb8(200, 140, 50), 61);
    kit::Mesh stubble =
        field(-200, -18, 5.5f, 0.5f, 1.2f, 40, 0.6f, kit::rgb8(224, 208, 152), kit::rgb8(188, 170, 116), 67);

    kit::Mesh hill = kit::keepSeen(hillside(), cameraViews(still({0, 0, 0}), 0));
    kit::Mesh hedges = kit::keepSeen(hillHedges(), cameraViews(still({0, 0, 0}), 0));
    std::vector<std::pair<kit::Mesh*, std::function<kit::Vec3(double)>>> placed{
        {&bodyMesh,
         [](double t) {
             return kit::Vec3{0, 0, bodyRock(t * 1000)};
         }},
        {&truckMesh,
         [](double t) {
             return kTruckAt + kit::Vec3{0, 0, truckRock(t * 1000)};
         }},
        {&wheat, fieldOffset},
        {&stubble, fieldOffset},
        {&hill, still({0, 0, 0})},
        {&hedges, still({0, 0, 0})},
    };
    for (size_t i = 0; i < wheels.size(); ++i)
        placed.push_back({&wheels[i], still(truckWheelAt(truckWheelSlots()[i]))});
    dropHidden(placed);
    // Nearest first: the header and the cab then hide the body behind them before it is shaded.
    kit::Vec3 meanEye{};
    for (const FieldMoment& moment : fieldMoments())
        meanEye = meanEye + cameraPath(moment.seconds);
    meanEye = meanEye * (1.0f / float(fieldMoments().size()));
    kit::sortNearFirst(bodyMesh, meanEye);
    // The crop is thickest in view as the camera pushes through it at the start: seen from there, the near
    // rows go first and hide the ones behind before they are shaded.
    kit::Vec3 inTheCrop = cameraPath(6) - fieldOffset(6);
    kit::sortNearFirst(wheat, inTheCrop);
    kit::sortNearFirst(stubble, inTheCrop);

    // The plunge into the wheat is drawn before everything else: its stalks, nearest first, then hide the
    // machines, the hill and the farther rows before they are shaded.
    auto standPath = sampleFrames(kFrames, standAt);
    auto depthPath = sampleFrames(kFrames, depthAt);
    auto [stand, depthWall] = plungeSeen();
    kit::sortNearFirst(stand, {0, 10, 8});
    scene.models.push_back({"WheatStand", standPath[0], {}, std::move(stand), kit::positionCurves(standPath), {}});
    scene.models.push_back(
        {"WheatDepth", depthPath[0], {}, std::move(depthWall), kit::positionCurves(depthPath), {}});
    kit::Model body = scaled("HarvesterMainBody", {0, 0, 0}, std::move(bodyMesh));
    // The reel rides on the body (one level down), so it bobs with it.
    body.children.push_back(scaled("HarvesterRoller", kReelAt, reel()));
    // The unloading rides on the body too: the auger swings about its pivot, the stream spins under the
    // mouth, the chaff cloud spins behind.
    std::vector<double> spin, swirl;
    std::vector<kit::Vec3> fold;
    for (int f = 0; f < kFrames; ++f) {
        double t = f / 20.0;
        fold.push_back(augerAngles(t));
        spin.push_back(-17 * t);
        swirl.push_back(kChaffSpin * t);
    }
    kit::Model auger = scaled("UnloadingAuger", kAugerPivot, unloadingAuger());
    auger.curves = kit::rotationCurves(fold);
    body.children.push_back(std::move(auger));
    for (const auto& [name, from, to] : {std::tuple{"GrainStream", 0.0f, kStreamSplit},
                                         std::tuple{"GrainStreamLow", kStreamSplit, kStreamLength}}) {
        auto streamPath =
            sampleFrames(kFrames, [from = from](double t) { return streamAt(t, from) * kScale; });
        kit::Model stream = scaled(name, {}, grainStream(from, to));
        stream.position = streamPath[0];
        stream.curves = kit::positionCurves(streamPath);
        stream.curves.push_back(kit::rotationCurve('z', spin));
        body.children.push_back(std::move(stream));
    }
    kit::Model chaff = scaled("ChaffCloud", kSpreaderAt, chaffCloud());
    chaff.curves.push_back(kit::rotationCurve('z', swirl));
    body.children.push_back(std::move(chaff));
    scene.models.push_back(std::move(body));
    scene.models.push_back(scaled("Grass", kReelAt, grass()));
    kit::Model truck = scaled("Terex_MainBody", kTruckAt, std::move(truckMesh));
    // The heap rides on the truck's body, so that it bobs with it; it rises from inside the bed. Sunk, its
    // crest lies under the bed's top and its edges may pass under the bed's floor: it faces up only, and
    // from below it is not drawn.
    // Once the pour is done, the cone settles back into the bed as the load rises out of it, levelled and
    // strapped down as the truck carries it away.
    auto heapPath = sampleFrames(kFrames, [](double t) {
        double sunk = 1 - heapRise(t) + loadSettle(t);
        return kit::Vec3{0, 0, float(-sunk * (kHeapHeight + 0.6f) * kTruckSize * kScale)};
    });
    kit::Mesh heap = grainHeap();
    kit::Model heapNode = scaled("GrainHeap", {}, std::move(heap));
    heapNode.position = heapPath[0];
    heapNode.curves = kit::positionCurves(heapPath);
    truck.children.push_back(std::move(heapNode));
    auto loadPath = sampleFrames(kFrames, [](double t) {
        return kit::Vec3{0, 0, float(-(1 - loadSettle(t)) * kLoadSunk * kTruckSize * kScale)};
    });
    kit::Model loadNode = scaled("GrainLoad", {}, truckLoad());
    loadNode.position = loadPath[0];
    loadNode.curves = kit::positionCurves(loadPath);
    truck.children.push_back(std::move(loadNode));
    // The name boards on the bed's rims, as the truck wears them on the road.
    kit::Mesh boards = fieldBoards();
    kit::translate(boards, {0, 0, -kPivotAboveGround});
    boards = truckSized(std::move(boards));
    kit::bakeLight(boards, light, {kTruckAt, {}});
    truck.children.push_back(
        scaled("TruckBoards", {}, kit::keepSeen(boards, cameraViews(still(kTruckAt), 2))));
    scene.models.push_back(std::move(truck));
    for (size_t i = 0; i < wheels.size(); ++i) {
        const WheelSlot& slot = truckWheelSlots()[i];
        scene.models.push_back(scaled(slot.name, truckWheelAt(slot), std::move(wheels[i])));
    }
    // Near before far: the crop and the hill before the ground they stand on, which then shades only what
    // shows between them.
    scene.models.push_back(fieldNode("Wheat", std::move(wheat)));
    scene.models.push_back(fieldNode("Stubble", std::move(stubble)));
    scene.models.push_back(scaled("Hillside", {0, 0, 0}, std::move(hill)));
    scene.models.push_back(scaled("HillHedges", {0, 0, 0}, std::move(hedges)));
    scene.models.push_back(scaled("Ground", {0, 0, 0}, std::move(ground)));
    scene.models.push_back(
        scaled("Farmland", {0, 0, 0}, kit::keepSeen(farmland(), cameraViews(still({0, 0, 0}), 0))));
    // The keys take the part's early lift back out of the path.
    auto eye = sampleFrames(kFrames, [](double t) {
        return cameraSeen(t) - kit::Vec3{0, 0, float(partLift(t))};
    });
    addClouds(scene.models);
    addFlock(scene.models, "RookFirst", 19, 5, 71);
    addFlock(scene.models, "RookSecond", 45, 7, 73, true);
    addRaiders(scene.models);
    scene.models.push_back(
        {"Camera_harvester", eye[0], {429.718f, 5.7296f, 180}, {}, kit::positionCurves(eye), {}});
    return scene;
}

} // namespace scenes
