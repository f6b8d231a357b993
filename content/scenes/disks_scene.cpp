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
    return bakeBothFaces(plate);
}

double logoX(double t) {
    return 120.0 - 10.0 * t;
}

kit::Model camera() {
    // The camera trails the logo a little, so it drifts from right to left across the frame, and looks below
    // it by the angle that puts it at kLogoScreenY, above the title text.
    const double below = kViewDistance * kLogoScreenY * std::tan(kFieldOfView / 2);
    auto eye = [](double t) {
        double s = t / 22.0;
        return kit::Vec3{float(logoX(t) - 9 + 18 * s), float(-kViewDistance + 6 * std::sin(t * 0.3)),
                         float(16 - 18 * s)};
    };
    auto target = [below, eye](double t) {
        kit::Vec3 e = eye(t);
        return kit::Vec3{e.x, 0, float(-below)};
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
