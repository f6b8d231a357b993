// Title scene: the group's logo, a bevelled plate with the name in raised block letters on both faces and a
// ring of disks round its rim, and the camera that follows its flight above the title text.
#include "models.h"
#include "scene_list.h"

#include "kit/camera_rig.h"
#include "kit/shapes.h"

#include <cmath>

namespace scenes {
namespace {

constexpr int kFrames = 441; // 0-22 s
// The plate: a stadium outline in the XZ plane, its faces toward -Y and +Y.
constexpr float kPlateHalfLength = 25.0f; // centres of the round ends
constexpr float kPlateRadius = 7.2f;
constexpr float kPlateThickness = 2.4f;
constexpr int kRimDisks = 26;
// Camera distance and where the logo sits on screen: the title text needs the band below NDC y = 0.2.
constexpr double kViewDistance = 132.0;
constexpr double kLogoScreenY = 0.56; // NDC height of the logo's centre: its bulbs clear the top edge
constexpr double kFieldOfView = 0.6;

kit::LightRig titleLight(float facing) {
    kit::LightRig rig;
    rig.toSun = {-0.3f, -0.6f * facing, 0.75f};
    rig.sun = {0.55f, 0.45f, 0.35f};
    rig.sky = {0.75f, 0.65f, 0.75f};
    rig.ground = {0.35f, 0.2f, 0.3f};
    rig.creviceHeight = 0;
    return rig;
}

// The logo spins, so each face is lit as if it were the one turned toward the viewer.
kit::Mesh& bakeBothFaces(kit::Mesh& mesh) {
    kit::Mesh front = mesh, back = mesh;
    kit::bakeLight(front, titleLight(1));
    kit::bakeLight(back, titleLight(-1));
    for (size_t i = 0; i < mesh.colors.size(); ++i) {
        mesh.colors[i] = mesh.normals[i].y > 0 ? back.colors[i] : front.colors[i];
    }
    return mesh;
}

std::vector<kit::Vec2> stadium(float halfLength, float radius, int segmentsPerEnd) {
    std::vector<kit::Vec2> outline;
    for (int end = 0; end < 2; ++end) {
        float cx = end == 0 ? halfLength : -halfLength;
        for (int i = 0; i <= segmentsPerEnd; ++i) {
            float a = -kit::kPi / 2 + kit::kPi * float(end) + kit::kPi * float(i) / float(segmentsPerEnd);
            outline.push_back({cx + radius * std::cos(a), radius * std::sin(a)});
        }
    }
    return outline;
}

// Sign space (x right, y up, z out of the front face) to the world: the front face looks along -Y.
kit::Mesh& standUp(kit::Mesh& mesh) {
    for (kit::Vec3& p : mesh.positions)
        p = {p.x, -p.z, p.y};
    for (kit::Vec3& n : mesh.normals)
        n = {n.x, -n.z, n.y};
    return mesh;
}

// A ring of lights round the logo in the horizontal plane, which turns with it: the near lights sweep past in
// front of the plate and the far ones behind it, so the spin reads in depth even while the plate is edge-on.
kit::Mesh orbitRing() {
    kit::Mesh ring;
    const int lights = 14;
    const float radius = 39.0f;
    for (int i = 0; i < lights; ++i) {
        float a = 2 * kit::kPi * float(i) / float(lights);
        kit::Mesh orb = kit::sphere(i % 2 ? 1.3f : 1.9f, 8, 5);
        kit::Color hot = i % 2 ? kit::rgb8(120, 230, 255) : kit::rgb8(255, 215, 90);
        kit::paint(orb, hot);
        kit::tintByHeight(orb, -1.9f, 1.9f, kit::rgb8(200, 150, 190), kit::rgb8(255, 255, 255));
        kit::merge(ring, kit::translate(orb, {std::cos(a) * radius, std::sin(a) * radius, 0}));
        // A fading trail behind each light, along its path round the ring.
        for (int k = 1; k <= 5; ++k) {
            float b = a - 0.045f * float(k), size = (i % 2 ? 1.0f : 1.4f) * (1.0f - 0.15f * float(k));
            kit::Mesh spark = kit::sphere(size, 6, 3);
            kit::paint(spark, hot * (1.0f - 0.16f * float(k)));
            kit::merge(ring, kit::translate(spark, {std::cos(b) * radius, std::sin(b) * radius, 0}));
        }
    }
    return ring;
}

kit::Mesh logo() {
    kit::Mesh plate = kit::extrude(stadium(kPlateHalfLength, kPlateRadius, 12), kPlateThickness, 0.5f);
    kit::translate(plate, {0, 0, -kPlateThickness / 2});
    kit::paint(plate, kit::rgb8(150, 36, 24));

    // Raised letters on the front face, and the same turned half a turn about the vertical for the back, so
    // that the name reads left to right from either side.
    float width = 0;
    kit::Mesh letters = blockText("KESTROVA", 1.2f, 0.3f, width);
    kit::translate(letters, {-width / 2, -3.5f, kPlateThickness / 2 - 0.1f});
    kit::Mesh back = letters;
    kit::merge(letters, kit::rotate(back, {0, kit::kPi, 0}));

    kit::Mesh disks;
    std::vector<kit::Vec2> rim = stadium(kPlateHalfLength, kPlateRadius + 0.2f, 64);
    float perimeter = 0;
    for (size_t i = 0; i + 1 < rim.size(); ++i)
        perimeter += std::hypot(rim[i + 1].u - rim[i].u, rim[i + 1].v - rim[i].v);
    perimeter += std::hypot(rim.front().u - rim.back().u, rim.front().v - rim.back().v);
    // Evenly spaced along the outline.
    float step = perimeter / kRimDisks, next = 0, walked = 0;
    for (size_t i = 0; i < rim.size(); ++i) {
        kit::Vec2 a = rim[i], b = rim[(i + 1) % rim.size()];
        float length = std::hypot(b.u - a.u, b.v - a.v);
        while (next < walked + length) {
            float f = (next - walked) / length;
            kit::Mesh disk = kit::cylinder(1.7f, -kPlateThickness / 2 - 0.6f, kPlateThickness / 2 + 0.6f, 14);
            kit::merge(disks, kit::translate(disk, {a.u + (b.u - a.u) * f, a.v + (b.v - a.v) * f, 0}));
            next += step;
        }
        walked += length;
    }

    standUp(plate);
    standUp(letters);
    standUp(disks);
    kit::tintByHeight(plate, -kPlateRadius, kPlateRadius, kit::rgb8(110, 24, 40), kit::rgb8(215, 80, 24));
    kit::tintByHeight(letters, -3.5f, 3.5f, kit::rgb8(255, 110, 10), kit::rgb8(255, 238, 80));
    kit::paint(disks, kit::rgb8(255, 170, 40));
    kit::tintByHeight(disks, -kPlateRadius, kPlateRadius, kit::rgb8(230, 110, 30), kit::rgb8(255, 220, 120));
    kit::merge(plate, letters);
    kit::merge(plate, disks);
    bakeBothFaces(plate);
    kit::merge(plate, orbitRing());
    return plate;
}

double logoX(double t) {
    return 120.0 - 10.0 * t;
}

// The camera's distance from the logo: it swoops in from far off over the first 5 s and then breathes in
// and out a little, on the music's two-bar phrase.
double viewDistance(double t) {
    return kViewDistance + 90 * (1 - easeBetween(0, 5, t)) - 8 * std::sin(kit::kPi * (t - 5) / 8) * easeBetween(4, 6, t);
}

kit::Model camera() {
    // The camera flies with the logo, circling it from its left to its right (about 40 degrees over the
    // title) and sinking from above it to the ring's plane before the text comes (the ring then keeps off it), and looks below it by the angle that puts it at
    // kLogoScreenY, above the title text.
    auto eye = [](double t) {
        double orbit = -0.38 + 0.76 * easeBetween(3, 22, t), d = viewDistance(t);
        return kit::Vec3{float(logoX(t) + d * std::sin(orbit)), float(-d * std::cos(orbit)),
                         float(24 * (1 - easeBetween(0, 5, t)) - 4 * easeBetween(5, 22, t))};
    };
    auto target = [](double t) {
        // At the logo's axis, lowered so that the logo stands above the middle of the frame.
        double below = viewDistance(t) * kLogoScreenY * std::tan(kFieldOfView / 2);
        return kit::Vec3{float(logoX(t)), 0, float(-below)};
    };
    kit::CameraKeys keys = kit::rigCamera(kFrames, eye, target);
    kit::Model cam{"Camera_disks", keys.positions[0], {}, {}, kit::positionCurves(keys.positions), {}};
    for (kit::Curve& c : kit::rotationCurves(keys.rotations))
        cam.curves.push_back(c);
    return cam;
}

} // namespace

SceneSource buildDisks() {
    SceneSource scene{"disks.xsi", {}, kFrames};
    scene.models.push_back({"Kestrova", {120, 0, 0}, {}, logo(), {}, {}});
    scene.models.push_back(camera());
    return scene;
}

} // namespace scenes
