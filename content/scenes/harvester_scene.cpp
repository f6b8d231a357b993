// Summer field: a combine harvester with its turning reel and grass, a dump truck beside it, rows of
// wheat and stubble streaming under them while the low camera drifts closer.
#include "models.h"
#include "scene_list.h"

#include "images/atlas.h"
#include "kit/shapes.h"

#include <cmath>

namespace scenes {
namespace {

constexpr int kFrames = 1001;       // 0-50 s
constexpr float kFieldSpeed = 3.2f;  // the field runs toward -Y under the harvester
const kit::Vec3 kReelAxle{0, 17.5f, 6.5f};
const kit::Vec3 kTruckAt{-30, -6, kPivotAboveGround};

kit::LightRig summerLight() {
    kit::LightRig rig;
    rig.toSun = {-0.45f, 0.55f, 0.7f};
    rig.sun = {0.7f, 0.65f, 0.5f};
    rig.sky = {0.6f, 0.65f, 0.75f};
    rig.ground = {0.3f, 0.3f, 0.15f};
    return rig;
}

kit::UvRect rect(const AtlasRegion& r) { return kit::uvRect(r); }

kit::Mesh harvesterWheel(float radius, float width) {
    using namespace harvesterAtlas;
    kit::Mesh wheel = kit::cylinder(radius, -width / 2, width / 2, 18, rect(tyre), rect(darkMetal), 3);
    kit::Mesh hub = kit::cylinder(radius * 0.55f, -width / 2 - 0.15f, width / 2 + 0.15f, 12, rect(steel), rect(steel));
    kit::merge(wheel, hub);
    return kit::rotate(wheel, {0, kit::kPi / 2, 0});
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
    kit::merge(m, kit::box({-3.6f, 5, 10}, {3.6f, 10, 12}, kit::BoxUv(rect(panel)), 0.2f));
    kit::merge(m, kit::box({-3.5f, 5.2f, 12}, {3.5f, 10.8f, 17.5f}, kit::BoxUv(rect(glass))));
    kit::merge(m, kit::box({-3.9f, 4.8f, 17.5f}, {3.9f, 11.3f, 18.2f}, kit::BoxUv(rect(paint)), 0.2f));
    for (float s : {-1.0f, 1.0f}) {
        kit::merge(m, kit::box({s * 2.6f - 0.5f, 11.3f, 17.4f}, {s * 2.6f + 0.5f, 11.7f, 18.1f}, kit::BoxUv(rect(headlight))));
    }
    // Feeder house and header: trough, back wall, end plates, cutter bar.
    kit::merge(m, kit::box({-2.6f, 5.5f, 2.4f}, {2.6f, 13.6f, 7.5f}, kit::BoxUv(rect(darkMetal)), 0.3f));
    kit::merge(m, kit::box({-15, 13, 0.8f}, {15, 19, 1.6f}, kit::BoxUv(rect(steel))));
    kit::BoxUv wall(rect(paint));
    wall.py = rect(warning);
    kit::merge(m, kit::box({-15, 13, 1.6f}, {15, 13.8f, 6.0f}, wall, 0.1f));
    for (float s : {-1.0f, 1.0f}) {
        float x0 = s < 0 ? -15.4f : 14.8f;
        kit::merge(m, kit::wedge({x0, 13, 0.8f}, {x0 + 0.6f, 20.5f, 5.0f}, 1.0f, kit::BoxUv(rect(paint))));
        // Reel arm reaching forward to the axle.
        float ax = s < 0 ? -14.6f : 14.0f;
        kit::merge(m, kit::box({ax, 8, 6.1f}, {ax + 0.6f, kReelAxle.y + 0.4f, 6.9f}, kit::BoxUv(rect(darkMetal))));
    }
    kit::merge(m, kit::box({-15, 19, 0.6f}, {15, 19.8f, 1.3f}, kit::BoxUv(rect(cutterBar))));
    kit::Mesh auger = kit::cylinder(0.6f, -12, 6, 10, rect(darkMetal), rect(darkMetal));
    kit::rotate(auger, {-kit::kPi / 2, 0, 0});
    kit::merge(m, kit::translate(auger, {6.4f, 0, 17.5f}));
    for (float s : {-1.0f, 1.0f}) {
        kit::Mesh front = harvesterWheel(4.5f, 2.8f), back = harvesterWheel(2.8f, 1.8f);
        kit::merge(m, kit::translate(front, {s * 7.1f, 2, 4.5f}));
        kit::merge(m, kit::translate(back, {s * 5.6f, -13, 2.8f}));
    }
    return kit::bakeLight(m, summerLight());
}

// The reel about its own axle (local X): spider discs, axle and six bats.
kit::Mesh reel() {
    using namespace harvesterAtlas;
    kit::Mesh m = kit::cylinder(0.35f, -14.2f, 14.2f, 8, rect(darkMetal), rect(darkMetal));
    kit::rotate(m, {0, kit::kPi / 2, 0});
    for (float x : {-13.6f, 0.0f, 13.6f}) {
        kit::Mesh spider = kit::cylinder(3.1f, -0.15f, 0.15f, 6, rect(darkMetal), rect(darkMetal));
        kit::rotate(spider, {0, kit::kPi / 2, 0});
        kit::merge(m, kit::translate(spider, {x, 0, 0}));
    }
    for (int i = 0; i < 6; ++i) {
        float a = 2 * kit::kPi * float(i) / 6;
        kit::Mesh bat = kit::box({-14, -0.2f, 2.7f}, {14, 0.2f, 3.6f}, kit::BoxUv(rect(harvesterAtlas::reel)));
        kit::rotate(bat, {a, 0, 0});
        kit::merge(m, bat);
    }
    kit::LightRig rig = summerLight();
    rig.creviceHeight = 0;
    return kit::bakeLight(m, rig, {kReelAxle, {}});
}

// Gathered grass: a two-sided sheet of blades reaching from the reel toward the camera; the part turns
// copies of it about the axle.
kit::Mesh grass() {
    kit::Mesh sheet = kit::grid({-15, 3.0f, 0}, {15, 12, 0}, 6, 1, {0, 0, 6, 1});
    // Blades stand on the sheet's inner edge (v = 0) and point outward; bend the tips down a little.
    for (kit::Vec3& p : sheet.positions) p.z = -0.05f * (p.y - 3) * (p.y - 3);
    kit::paint(sheet, kit::rgb8(235, 225, 150));
    return kit::makeTwoSided(sheet);
}

// Long low ridges along Y: uncut wheat in clumps ahead and to the side, short stubble where it is cut.
kit::Mesh rows(float x0, float x1, float spacing, float height, float halfWidth, float clump, float gap,
               kit::Color a, kit::Color b, unsigned seed) {
    kit::Mesh m;
    Random random(seed);
    for (float x = x0; x <= x1; x += spacing) {
        for (float y = -220 + random.range(0, clump); y < 520;) {
            float length = clump * random.range(0.7f, 1.3f);
            kit::Color c = kit::mix(a, b, random.next());
            float h = height * random.range(0.8f, 1.1f);
            // A ridge: two sloping sides and two end triangles; the ground closes it from below.
            kit::Vec3 l0{x - halfWidth, y, 0}, r0{x + halfWidth, y, 0}, t0{x, y, h};
            kit::Vec3 l1{x - halfWidth, y + length, 0}, r1{x + halfWidth, y + length, 0}, t1{x, y + length, h};
            kit::Vec3 nl = kit::normalize({-h, 0, halfWidth}), nr = kit::normalize({h, 0, halfWidth});
            kit::Color top = c, foot = c * 0.7f;
            uint32_t la = m.addVertex(l0, nl, {0.5f, 0.5f}, foot), lb = m.addVertex(l1, nl, {0.5f, 0.5f}, foot);
            uint32_t lc = m.addVertex(t1, nl, {0.5f, 0.5f}, top), ld = m.addVertex(t0, nl, {0.5f, 0.5f}, top);
            m.addQuad(la, ld, lc, lb);
            uint32_t ra = m.addVertex(r0, nr, {0.5f, 0.5f}, foot), rb = m.addVertex(r1, nr, {0.5f, 0.5f}, foot);
            uint32_t rc = m.addVertex(t1, nr, {0.5f, 0.5f}, top), rd = m.addVertex(t0, nr, {0.5f, 0.5f}, top);
            m.addQuad(ra, rb, rc, rd);
            uint32_t e0 = m.addVertex(l0, {0, -1, 0}, {0.5f, 0.5f}, foot), e1 = m.addVertex(r0, {0, -1, 0}, {0.5f, 0.5f}, foot);
            uint32_t e2 = m.addVertex(t0, {0, -1, 0}, {0.5f, 0.5f}, top);
            m.addTriangle(e0, e1, e2);
            uint32_t f0 = m.addVertex(l1, {0, 1, 0}, {0.5f, 0.5f}, foot), f1 = m.addVertex(r1, {0, 1, 0}, {0.5f, 0.5f}, foot);
            uint32_t f2 = m.addVertex(t1, {0, 1, 0}, {0.5f, 0.5f}, top);
            m.addTriangle(f1, f0, f2);
            y += length + gap;
        }
    }
    kit::LightRig rig = summerLight();
    rig.creviceHeight = 0;
    return kit::bakeLight(m, rig);
}

kit::Model fieldNode(const char* name, kit::Mesh mesh) {
    auto path = sampleFrames(kFrames, [](double t) { return kit::Vec3{0, float(-kFieldSpeed * t), 0}; });
    return {name, path[0], {}, std::move(mesh), kit::positionCurves(path), {}};
}

} // namespace

SceneSource buildHarvester() {
    SceneSource scene{"harvester.xsi", {}, kFrames};
    kit::LightRig light = summerLight();
    kit::Model body{"HarvesterMainBody", {0, 0, 0}, {}, harvesterBody(), {}, {}};
    // The reel rides on the body (one level down), so it bobs with it.
    body.children.push_back({"HarvesterRoller", kReelAxle, {}, reel(), {}, {}});
    scene.models.push_back(std::move(body));
    scene.models.push_back({"Grass", kReelAxle, {}, grass(), {}, {}});
    scene.models.push_back({"Terex_MainBody", kTruckAt, {}, truckBody(light, {kTruckAt, {}}), {}, {}});
    for (const WheelSlot& slot : truckWheelSlots()) {
        kit::Vec3 at = kTruckAt + slot.offset;
        scene.models.push_back({slot.name, at, {}, truckWheel(slot.left, light, {at, {}}), {}, {}});
    }
    scene.models.push_back({"Ground", {0, 0, 0}, {}, kit::grid({-1900, -1900, 0}, {1900, 1900, 0}, 16, 16), {}, {}});
    scene.models.push_back(fieldNode("Wheat", rows(-15, 140, 3.6f, 1.7f, 1.2f, 26, 2, kit::rgb8(230, 190, 90),
                                                   kit::rgb8(205, 160, 70), 61)));
    scene.models.push_back(fieldNode("Stubble", rows(-200, -18, 4, 0.5f, 1.2f, 40, 0.6f, kit::rgb8(200, 170, 100),
                                                     kit::rgb8(160, 140, 80), 67)));
    auto eye = sampleFrames(kFrames, [](double t) {
        return kit::Vec3{float(-4 + 3 * std::sin(0.13 * t)), float(95 - 1.22 * t), float(3 + 0.6 * std::sin(0.2 * t))};
    });
    scene.models.push_back({"Camera_harvester", eye[0], {429.718f, 5.7296f, 180}, {}, kit::positionCurves(eye), {}});
    return scene;
}

} // namespace scenes
